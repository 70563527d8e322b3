// Feeds arbitrary text to the parser of adb's device listing. Besides crashes and undefined
// behaviour, it checks that every device has a serial and a state taken from its own line.
#include "android/adbhelper.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString output =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    for (const AdbDevice &device : AdbHelper::parseDevices(output)) {
        if (device.serial.isEmpty() || device.state.isEmpty() ||
            !device.line.startsWith(device.serial) || !device.line.contains(device.state))
            std::abort();
        (void)device.isOn();
        (void)device.isOff();
    }
    (void)AdbHelper::parsePackages(output);
    return 0;
}
