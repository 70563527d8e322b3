#include "recordingprogress.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QThread>

#include <memory>

// The fake every module's worker tests rely on: it must see the cancel while the worker runs.
TEST(RecordingProgress, CancelsAtTheChosenUpdateAndRecordsInOrder)
{
    RecordingProgress progress;
    const QSignalSpy cancelled(&progress, &AbsProgress::userCacel);
    progress.cancelAtUpdate(3);
    std::unique_ptr<QThread> worker(QThread::create([&progress] {
        try {
            progress.invokeTipsWait("Read this");
            for (int i = 1; i <= 10; ++i) {
                progress.throwIfCancelled();
                progress.invokeUpdateProgress(QStringLiteral("Step %1").arg(i), i * 10, QString());
            }
            progress.invokeSucceed("all done");
        } catch (int) {
        }
    }));
    EXPECT_FALSE(progress.run(*worker));
    EXPECT_EQ(progress.statuses(), QStringList({"Step 1", "Step 2", "Step 3"}));
    EXPECT_EQ(progress.values(), QList<int>({10, 20, 30}));
    EXPECT_EQ(progress.callsOf(RecordingProgress::Kind::TipsWait).size(), 1);
    EXPECT_EQ(progress.endCount(), 0);
    EXPECT_EQ(cancelled.count(), 1);
    EXPECT_TRUE(progress.isFinishedWithoutSuccess());
}
