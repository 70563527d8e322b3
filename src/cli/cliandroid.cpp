#include "cli/cliandroid.h"

#include "android/adbhelper.h"
#include "android/androidconnectwithusbthread.h"
#include "android/androidconnectwithwifithread.h"
#include "android/androidloadsmsthread.h"
#include "cli/clicontext.h"
#include "frame/consoleprogress.h"
#include "frame/translation.h"

#include <stdexcept>

namespace {

const QString kUsbPrefix = QStringLiteral("android:");
const QString kWifiPrefix = QStringLiteral("android-wifi:");

[[noreturn]] void fail(const QString &text)
{
    throw std::runtime_error(text.toStdString());
}

} // namespace

bool CliAndroid::isAndroidSource(const QString &source)
{
    return source.startsWith(kUsbPrefix) || source.startsWith(kWifiPrefix);
}

CliAndroid::LoadResult CliAndroid::connectAndLoad(const QString &source, bool quiet)
{
    if (source.startsWith(kWifiPrefix))
        return load(connectWifi(source.mid(kWifiPrefix.size()), quiet), quiet);
    return connectAndLoadSerial(source.mid(kUsbPrefix.size()), quiet);
}

CliAndroid::LoadResult CliAndroid::connectAndLoadSerial(const QString &serial, bool quiet)
{
    return load(connectUsb(serial, quiet), quiet);
}

AndroidDevice CliAndroid::connectUsb(const QString &serial, bool quiet)
{
    const QList<AdbDevice> devices = AdbHelper().devices();
    const auto found = std::find_if(devices.begin(), devices.end(),
                                    [&serial](const AdbDevice &d) { return d.serial == serial; });
    if (serial.isEmpty() || found == devices.end())
        fail(g_tr("IDS_CLI_ANDROID_NOT_FOUND_%1").arg(serial));
    // The desktop shows this hint and waits; here nobody can tap the phone for us.
    if (!found->isOn())
        fail(g_tr("IDS_ANDROID_ALLOW_DEBUGGING_%1").arg(found->line));
    ConsoleProgress progress(CliContext::progressOutput(quiet));
    AndroidConnectWithUSBThread worker(serial, progress);
    CliContext::runWorker(progress, worker);
    return worker.device();
}

AndroidDevice CliAndroid::connectWifi(const QString &hostPort, bool quiet)
{
    QString host = hostPort;
    int port = AndroidDevice::kWifiControlPort;
    const int colon = hostPort.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0) {
        bool ok = false;
        port = hostPort.mid(colon + 1).toInt(&ok);
        host = hostPort.left(colon);
        if (!ok || port <= 0 || port > 65535)
            fail(g_tr("IDS_WIFI_SOCK_WRONG_FOR_EXAMPLE"));
    }
    if (host.trimmed().isEmpty())
        fail(g_tr("IDS_WIFI_SOCK_WRONG_FOR_EXAMPLE"));
    ConsoleProgress progress(CliContext::progressOutput(quiet));
    AndroidConnectWithWiFiThread worker(host.trimmed(), port, progress);
    CliContext::runWorker(progress, worker);
    return worker.device();
}

CliAndroid::LoadResult CliAndroid::load(const AndroidDevice &device, bool quiet)
{
    ConsoleProgress progress(CliContext::progressOutput(quiet));
    AndroidLoadSMSThread worker(device, progress);
    CliContext::runWorker(progress, worker);
    return {device, worker.processedCount(), worker.loadedCount(), worker.deletedCount()};
}
