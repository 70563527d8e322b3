#include "android/adbhelper.h"
#include "android/androiddevice.h"
#include "android/androidmonitor.h"

#include <QSignalSpy>
#include <QTime>

#include <gtest/gtest.h>

namespace {

struct ListingCase
{
    const char *name;
    const char *output;
    QStringList expected; // "serial state" per device
};

QStringList summarize(const QList<AdbDevice> &devices)
{
    QStringList out;
    for (const AdbDevice &d : devices)
        out << d.serial + QLatin1Char(' ') + d.state;
    return out;
}

} // namespace

TEST(AdbListing, RecordedOutputs)
{
    const ListingCase cases[] = {
        {"header and empty line", "List of devices attached\n\n", {}},
        {"no header", "* daemon not running; starting now at tcp:5037\n", {}},
        {"daemon notices first",
         "* daemon not running; starting now at tcp:5037\n* daemon started successfully\n"
         "List of devices attached\nR58M12ABCDE\tdevice\n\n",
         {"R58M12ABCDE device"}},
        {"unauthorized and offline",
         "List of devices attached\r\nemulator-5554 offline\r\n0123_abc-9\tunauthorized\r\n",
         {"emulator-5554 offline", "0123_abc-9 unauthorized"}},
        {"two phones with details",
         "List of devices attached\nAAA111\tdevice usb:1-1 product:x model:Y\n"
         "192.168.1.5:5555\tdevice\n",
         {"AAA111 device", "192.168.1.5:5555 device"}},
    };
    for (const ListingCase &c : cases)
        EXPECT_EQ(summarize(AdbHelper::parseDevices(QString::fromLatin1(c.output))), c.expected)
            << c.name;
}

TEST(AdbListing, StatesAndLines)
{
    const QList<AdbDevice> devices = AdbHelper::parseDevices(
        QStringLiteral("List of devices attached\n  X1\tUnauthorized  \nX2\tdevice\n"));
    ASSERT_EQ(devices.size(), 2);
    EXPECT_EQ(devices.at(0).line, QStringLiteral("X1\tUnauthorized"));
    EXPECT_TRUE(devices.at(0).isOff());
    EXPECT_FALSE(devices.at(0).isOn());
    EXPECT_TRUE(devices.at(1).isOn());
}

TEST(AdbOutput, PackagesSuccessAndErrors)
{
    EXPECT_EQ(AdbHelper::parsePackages(QStringLiteral(
                  "package:com.a\r\n  package: com.quorvandale.textlink \nPackage:x\n")),
              (QSet<QString>{QStringLiteral("com.a"), QStringLiteral("com.quorvandale.textlink")}));
    EXPECT_TRUE(AdbHelper::hasSuccessLine(QStringLiteral("progress 50%\n\nSuccess\n")));
    EXPECT_FALSE(
        AdbHelper::hasSuccessLine(QStringLiteral("Failure [INSTALL_FAILED_VERSION_DOWNGRADE]\n")));
    EXPECT_TRUE(
        AdbHelper::hasErrorLine(QStringLiteral("Starting\n  Error: Activity not started\n")));
    EXPECT_FALSE(AdbHelper::hasErrorLine(QStringLiteral("Broadcast completed: result=0\n")));
}

TEST(AdbMonitor, ReportsEachSerialOnceUntilItGoes)
{
    AndroidMonitor monitor;
    QSignalSpy connected(&monitor, &AndroidMonitor::deviceConnected);
    QSignalSpy gone(&monitor, &AndroidMonitor::deviceDisconnected);
    const auto two = AdbHelper::parseDevices(
        QStringLiteral("List of devices attached\nA\tunauthorized\nB\tdevice\n"));
    monitor.poll(two);
    monitor.poll(AdbHelper::parseDevices(
        QStringLiteral("List of devices attached\nA\tdevice\nB\tdevice\n")));
    ASSERT_EQ(connected.size(), 2);
    EXPECT_EQ(connected.at(0).at(0).value<AdbDevice>().serial, QStringLiteral("A"));
    EXPECT_EQ(connected.at(1).at(0).value<AdbDevice>().serial, QStringLiteral("B"));
    monitor.poll(AdbHelper::parseDevices(QStringLiteral("List of devices attached\nB\tdevice\n")));
    ASSERT_EQ(gone.size(), 1);
    EXPECT_EQ(gone.at(0).at(0).toString(), QStringLiteral("A"));
    EXPECT_EQ(monitor.deviceCount(), 1);
}

TEST(AndroidDeviceInfo, PortsAndHelloLines)
{
    int counter = 5;
    EXPECT_EQ(portAlloc(QTime(10, 7, 30), counter), 43005);
    EXPECT_EQ(counter, 6);
    counter = 100;
    EXPECT_EQ(portAlloc(QTime(10, 7, 30), counter) % 100, 1);

    AndroidDevice device;
    device.parseInfo(QStringLiteral("version=12;manufacturer=Acme;model=Phone X;root=0;sdk_id=28"));
    EXPECT_EQ(device.displayName(), QStringLiteral("Acme Phone X"));
    EXPECT_EQ(device.sdkId, 28);
    EXPECT_FALSE(device.root);
    AndroidDevice noModel;
    noModel.parseInfo(QStringLiteral("version=x;manufacturer=Acme;model=;"));
    EXPECT_EQ(noModel.displayName(), QStringLiteral("Acme"));
    EXPECT_EQ(noModel.version, 0);
}

TEST(AndroidDeviceInfo, HostileImeiNeverNamesAFolderOutsideTheCache)
{
    AndroidDevice device;
    device.imei = QStringLiteral("../../escape");
    const QString path = device.cacheDir().absolutePath();
    EXPECT_TRUE(path.contains(QStringLiteral("/android_cache/")));
    EXPECT_FALSE(path.contains(QStringLiteral("escape")));
}
