#include "scripteddevicelink.h"

#include "frame/translation.h"
#include "mobiledevice/abslockdownsession.h"
#include "mobiledevice/absserviceconnection.h"
#include "mobiledevice/iosdevice.h"
#include "mobiledevice/iosdevicemonitor.h"
#include "mobiledevice/mobiledevice.h"
#include "recordingprogress.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>

namespace {

const QString kUdid = QStringLiteral("00008030-001A2B3C4D5E6F70");

_LinkStatus status(LinkResult result, int code = 0, const char *step = "")
{
    return {result, code, QString::fromLatin1(step)};
}

struct PairingCase
{
    const char *name;
    QList<_LinkStatus> answers;
    bool withProgress;
    // Null: the session opens.
    const char *errorKey;
    QString errorArg;
    int instructions;
};

class Pairing : public ::testing::TestWithParam<PairingCase>
{};

TEST_P(Pairing, EndsInASessionOrAClearError)
{
    const PairingCase &c = GetParam();
    ScriptedDeviceLink link;
    link.sessionResults = c.answers;
    const IOSDevice device(link, {kUdid, false});
    RecordingProgress progress;
    const _TrustRetry quick{3, 0};
    QString error;
    try {
        const auto session = device_open(device, c.withProgress ? &progress : nullptr, quick);
        EXPECT_NE(session, nullptr);
    } catch (const std::runtime_error &e) {
        error = QString::fromUtf8(e.what());
    }
    QString expected;
    if (c.errorKey)
        expected = c.errorArg.isEmpty() ? g_tr(c.errorKey) : g_tr(c.errorKey).arg(c.errorArg);
    EXPECT_EQ(error, expected);
    EXPECT_EQ(progress.statuses().count(g_tr("IDS_IOS_UNLOCK_AND_TRUST")), c.instructions);
}

INSTANTIATE_TEST_SUITE_P(
    Session, Pairing,
    ::testing::Values(
        PairingCase{"Trusted", {}, true, nullptr, QString(), 0},
        PairingCase{"UnlockedAndTrustedAfterAsking",
                    {status(LinkResult::Locked), status(LinkResult::TrustPending)},
                    true,
                    nullptr,
                    QString(),
                    2},
        PairingCase{"Refused",
                    {status(LinkResult::TrustRefused)},
                    true,
                    "IDS_IOS_TRUST_REFUSED",
                    QString(),
                    0},
        PairingCase{"RefusedAfterAsking",
                    {status(LinkResult::TrustPending), status(LinkResult::TrustRefused)},
                    true,
                    "IDS_IOS_TRUST_REFUSED",
                    QString(),
                    1},
        PairingCase{"NeverAnsweredIsNoHang",
                    {status(LinkResult::TrustPending), status(LinkResult::TrustPending),
                     status(LinkResult::TrustPending), status(LinkResult::TrustPending)},
                    true,
                    "IDS_IOS_TRUST_TIMEOUT",
                    QString(),
                    2},
        PairingCase{"LockedWithNobodyToTell",
                    {status(LinkResult::Locked)},
                    false,
                    "IDS_IOS_UNLOCK_AND_TRUST",
                    QString(),
                    0},
        PairingCase{"Unplugged",
                    {status(LinkResult::NoDevice, -3, "idevice_new")},
                    true,
                    "IDS_IOS_NOT_CONNECTED_%1",
                    kUdid,
                    0},
        PairingCase{"OtherFailureNamesTheStep",
                    {status(LinkResult::Failed, -5, "lockdownd_client_new_with_handshake")},
                    true,
                    "IDS_IOS_SESSION_FAILED_%1",
                    QStringLiteral("lockdownd_client_new_with_handshake(-5)"),
                    0}),
    [](const ::testing::TestParamInfo<PairingCase> &info) { return info.param.name; });

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
    try {
        mobiledevice_filerelay_start(device, nullptr);
        FAIL() << "the service started";
    } catch (const std::runtime_error &e) {
        const QString text = QString::fromUtf8(e.what());
        EXPECT_TRUE(text.contains(QStringLiteral("com.apple.mobile.file_relay")));
        EXPECT_TRUE(text.contains(QStringLiteral("lockdownd_start_service=-26")));
    }
}

TEST(DeviceValues, LockdownValuesMapOntoTheDevice)
{
    ScriptedDeviceLink link;
    link.values[QStringLiteral("/DeviceName")] = QPlist::fromString(QStringLiteral("Ana's iPhone"));
    link.values[QStringLiteral("/ProductVersion")] = QPlist::fromString(QStringLiteral("17.2.1"));
    link.values[QStringLiteral("/ProductType")] = QPlist::fromString(QStringLiteral("iPhone15,2"));
    link.values[QStringLiteral("/MobileSubscriberCountryCode")] =
        QPlist::fromString(QStringLiteral("262"));
    link.values[QStringLiteral("com.apple.mobile.backup/WillEncrypt")] = QPlist::fromBool(true);
    QPlist usage = QPlist::newDict();
    usage.put(QStringLiteral("TotalDataCapacity"), QPlist::fromUint(128000000000ull));
    usage.put(QStringLiteral("AmountDataAvailable"), QPlist::fromUint(28000000000ull));
    link.values[QStringLiteral("com.apple.disk_usage/")] = usage;

    IOSDevice device(link, {kUdid, true});
    device.readValues(nullptr);
    EXPECT_EQ(device.name(), QStringLiteral("Ana's iPhone"));
    EXPECT_EQ(device.productVersion(), QStringLiteral("17.2.1"));
    EXPECT_EQ(device.productType(), QStringLiteral("iPhone15,2"));
    EXPECT_EQ(device.countryCode(), QStringLiteral("262"));
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

struct VersionCase
{
    const char *version;
    QList<int> numbers;
    bool fileRelay;
};

class Versions : public ::testing::TestWithParam<VersionCase>
{};

TEST_P(Versions, ChooseTheWayOfReading)
{
    ScriptedDeviceLink link;
    link.values[QStringLiteral("/ProductVersion")] =
        QPlist::fromString(QString::fromLatin1(GetParam().version));
    IOSDevice device(link, {kUdid, false});
    device.readPublicValues();
    EXPECT_EQ(device.versionList(), GetParam().numbers);
    EXPECT_EQ(device.usesFileRelay(), GetParam().fileRelay);
}

INSTANTIATE_TEST_SUITE_P(
    DeviceValues, Versions,
    ::testing::Values(VersionCase{"6.1.3", {6, 1, 3}, true}, VersionCase{"5.0", {5, 0}, true},
                      VersionCase{"7.1.2", {7, 1, 2}, true}, VersionCase{"", {}, true},
                      VersionCase{"4.3.5", {4, 3, 5}, false}, VersionCase{"8.0", {8, 0}, false},
                      VersionCase{"17.2.1", {17, 2, 1}, false}));

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
