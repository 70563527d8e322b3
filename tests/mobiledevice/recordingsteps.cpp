#include "recordingsteps.h"

#include "recordingprogress.h"

IOSDeviceImport::StepRunner g_recordingSteps()
{
    return
        [](const std::function<bool(AbsProgress &, const IOSDeviceImport::WorkerRunner &)> &step) {
            RecordingProgress progress;
            return step(progress, [&progress](QThread &worker) { return progress.run(worker); });
        };
}
