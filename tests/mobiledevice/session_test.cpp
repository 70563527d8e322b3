#include "scripteddevicelink.h"

#include "errortext.h"
#include "frame/translation.h"
#include "mobiledevice/abslockdownsession.h"
#include "mobiledevice/absserviceconnection.h"
#include "mobiledevice/iosdevice.h"
#include "mobiledevice/iosdevicemonitor.h"
#include "mobiledevice/mobiledevice.h"
#include "recordingprogress.h"
#include "textpieces.h"
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>

namespace {

const QString kUdid = QStringLiteral("00008030-001A2B3C4D5E6F70");

_LinkStatus status(LinkResult result, int code = 0, const char *step = "")
{
    return {result, code, QString::fromLatin1(step)};
}

// Ends in a session (an empty error) or in one clear error, telling the user to unlock and trust
// the computer as often as the phone asks for it.
TEST(Session, PairingEndsInASessionOrAClearError)
{
    const auto pending = status(LinkResult::TrustPending);
    const auto locked = status(LinkResult::Locked);
    const auto refused = status(LinkResult::TrustRefused);
    const QString refusedText = g_tr("IDS_IOS_TRUST_REFUSED");
    const QString step = QStringLiteral("lockdownd_client_new_with_handshake");
    const struct
    {
        const char *name;
        QList<_LinkStatus> answers;
        bool withProgress;
        QString error;
        int instructions;
    } cases[] = {
        {"trusted", {}, true, {}, 0},
        {"unlocked and trusted after asking", {locked, pending}, true, {}, 2},
        {"refused", {refused}, true, refusedText, 0},
        {"refused after asking", {pending, refused}, true, refusedText, 1},
        {"never answered, no hang",
         {pending, pending, pending, pending},
         true,
         g_tr("IDS_IOS_TRUST_TIMEOUT"),
         2},
        {"locked with nobody to tell", {locked}, false, g_tr("IDS_IOS_UNLOCK_AND_TRUST"), 0},
        {"unplugged",
         {status(LinkResult::NoDevice, -3, "idevice_new")},
         true,
         g_tr("IDS_IOS_NOT_CONNECTED_%1").arg(kUdid),
         0},
        {"other failure names the step",
         {{LinkResult::Failed, -5, step}},
         true,
         g_tr("IDS_IOS_SESSION_FAILED_%1").arg(step + "(-5)"),
         0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedDeviceLink link;
        link.sessionResults = c.answers;
        const IOSDevice device(link, {kUdid, false});
        RecordingProgress progress;
        QString error;
        try {
            EXPECT_NE(device_open(device, c.withProgress ? &progress : nullptr, {3, 0}), nullptr);
        } catch (const std::runtime_error &e) {
            error = QString::fromUtf8(e.what());
        }
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(progress.statuses().count(g_tr("IDS_IOS_UNLOCK_AND_TRUST")), c.instructions);
    }
}

TEST(Session, CancelWhileWaitingForTrustEndsTheWait)
{
    ScriptedDeviceLink link;
    for (int i = 0; i < 10; ++i)
        link.sessionResults << status(LinkResult::Locked);
    const IOSDevice device(link, {kUdid, false});
    RecordingProgress progress;
    progress.cancelAtUpdate(1);
    EXPECT_THROW(device_open(device, &progress, {10, 0}), int);
    EXPECT_EQ(link.trustedSessions, 1);
}

TEST(Session, ServiceThatDoesNotStartNamesServiceAndCode)
{
    ScriptedDeviceLink link;
    link.serviceStatus = status(LinkResult::Failed, -26, "lockdownd_start_service");
    const IOSDevice device(link, {kUdid, false});
    EXPECT_EQ(missingFrom(errorText([&device] { mobiledevice_filerelay_start(device, nullptr); }),
                          {"com.apple.mobile.file_relay", "lockdownd_start_service=-26"}),
              QStringList());
}

TEST(DeviceValues, LockdownValuesMapOntoTheDevice)
{
    ScriptedDeviceLink link;
    const QStringList shown = {"Ana's iPhone", "17.2.1", "iPhone15,2", "262"};
    const QStringList keys = {"/DeviceName", "/ProductVersion", "/ProductType",
                              "/MobileSubscriberCountryCode"};
    for (int i = 0; i < keys.size(); ++i)
        link.values[keys[i]] = QPlist::fromString(shown[i]);
    link.values[QStringLiteral("com.apple.mobile.backup/WillEncrypt")] = QPlist::fromBool(true);
    QPlist usage = QPlist::newDict();
    usage.put(QStringLiteral("TotalDataCapacity"), QPlist::fromUint(128000000000ull));
    usage.put(QStringLiteral("AmountDataAvailable"), QPlist::fromUint(28000000000ull));
    link.values[QStringLiteral("com.apple.disk_usage/")] = usage;

    IOSDevice device(link, {kUdid, true});
    device.readValues(nullptr);
    EXPECT_EQ(QStringList({device.name(), device.productVersion(), device.productType(),
                           device.countryCode()}),
              shown);
    EXPECT_TRUE(device.backupEncrypted());
    EXPECT_EQ(device.usedBytes(), 100000000000ll);
    EXPECT_TRUE(device.connection().network);
}

TEST(DeviceValues, MissingValuesLeaveDefaultsAndListingNeedsNoTrust)
{
    ScriptedDeviceLink link;
    link.values[QStringLiteral("/DeviceName")] = QPlist::fromString(QStringLiteral("Old"));
    link.sessionResults << status(LinkResult::TrustPending);
    IOSDevice device(link, {kUdid, false});
    ASSERT_TRUE(device.readPublicValues());
    EXPECT_EQ(device.name(), QStringLiteral("Old"));
    EXPECT_EQ(link.trustedSessions, 0);
    EXPECT_FALSE(device.backupEncrypted());
    EXPECT_EQ(device.usedBytes(), -1);
}

TEST(DeviceValues, TheVersionChoosesTheWayOfReading)
{
    const struct
    {
        const char *version;
        QList<int> numbers;
        bool fileRelay;
    } cases[] = {{"6.1.3", {6, 1, 3}, true},   {"5.0", {5, 0}, true},
                 {"7.1.2", {7, 1, 2}, true},   {"", {}, true},
                 {"4.3.5", {4, 3, 5}, false},  {"8.0", {8, 0}, false},
                 {"17.2.1", {17, 2, 1}, false}};
    for (const auto &c : cases) {
        ScriptedDeviceLink link;
        link.values[QStringLiteral("/ProductVersion")] = QPlist::fromString(c.version);
        IOSDevice device(link, {kUdid, false});
        device.readPublicValues();
        EXPECT_EQ(device.versionList(), c.numbers) << c.version;
        EXPECT_EQ(device.usesFileRelay(), c.fileRelay) << c.version;
    }
}

TEST(DeviceEvents, OnePhoneOverUsbAndWifiIsConnectedOnceAndGoneWithItsLastWay)
{
    ScriptedDeviceLink link;
    IOSDeviceMonitor monitor(link);
    QSignalSpy connected(&monitor, &IOSDeviceMonitor::deviceConnected);
    QSignalSpy disconnected(&monitor, &IOSDeviceMonitor::deviceDisconnected);
    ASSERT_TRUE(monitor.start());

    const QString other = QStringLiteral("other-phone");
    link.emitEvent(_DeviceEvent::Added, kUdid, true);
    link.emitEvent(_DeviceEvent::Added, kUdid, false);
    link.emitEvent(_DeviceEvent::Added, other, false);
    link.emitEvent(_DeviceEvent::Paired, kUdid, false);
    link.emitEvent(_DeviceEvent::Removed, kUdid, false);
    link.emitEvent(_DeviceEvent::Removed, QStringLiteral("never-seen"), false);
    QCoreApplication::processEvents();
    ASSERT_EQ(connected.size(), 2);
    EXPECT_EQ(connected.at(0).at(0).toString(), kUdid);
    EXPECT_TRUE(connected.at(0).at(1).toBool());
    EXPECT_EQ(connected.at(1).at(0).toString(), other);
    EXPECT_TRUE(disconnected.isEmpty());
    _DeviceConnection way;
    ASSERT_TRUE(monitor.connection(kUdid, way));
    EXPECT_TRUE(way.network);

    link.emitEvent(_DeviceEvent::Removed, kUdid, true);
    QCoreApplication::processEvents();
    ASSERT_EQ(disconnected.size(), 1);
    EXPECT_EQ(disconnected.at(0).at(0).toString(), kUdid);
    EXPECT_FALSE(monitor.connection(kUdid, way));

    monitor.stop();
    EXPECT_FALSE(link.listening());
}

} // namespace
