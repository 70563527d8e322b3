#include "scripteddevicelink.h"

#include "frame/translation.h"
#include "mobiledevice/abslockdownsession.h"
#include "mobiledevice/absserviceconnection.h"
#include "mobiledevice/mobiledevice.h"

#include <gtest/gtest.h>

#include <QtEndian>

namespace {

using Chunk = ScriptedDeviceLink::Chunk;

QByteArray lengthBytes(quint32 length)
{
    char bytes[4];
    qToBigEndian(length, bytes);
    return QByteArray(bytes, 4);
}

QPlist answer(const QString &status)
{
    QPlist dict = QPlist::newDict();
    dict.put(QStringLiteral("Status"), QPlist::fromString(status));
    return dict;
}

std::unique_ptr<AbsServiceConnection> connect(ScriptedDeviceLink &link)
{
    _LinkStatus status;
    return link.openSession({QStringLiteral("udid"), false}, true, status)
        ->startService(QStringLiteral("test"), status);
}

struct ReceiveCase
{
    const char *name;
    QList<Chunk> script;
    // Null: a message with Status "ok" arrives.
    const char *errorPart;
};

class Receive : public ::testing::TestWithParam<ReceiveCase>
{};

TEST_P(Receive, ReadsWholeMessagesAndRefusesBadOnes)
{
    ScriptedDeviceLink link;
    link.serviceScript = GetParam().script;
    const auto connection = connect(link);
    QString error;
    CFType message;
    try {
        message = mobiledevice_recmsg(*connection, CFType(), 1000);
    } catch (const std::runtime_error &e) {
        error = QString::fromUtf8(e.what());
    }
    if (!GetParam().errorPart) {
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        EXPECT_EQ(message.get(QStringLiteral("Status")).toString(), QStringLiteral("ok"));
    } else {
        EXPECT_TRUE(error.contains(QString::fromUtf8(GetParam().errorPart))) << error.toStdString();
    }
}

const QByteArray kOkBody = answer(QStringLiteral("ok")).toXml().toUtf8();

INSTANTIATE_TEST_SUITE_P(
    ServiceMessage, Receive,
    ::testing::Values(
        ReceiveCase{"Whole", {ScriptedDeviceLink::message(answer(QStringLiteral("ok")))}, nullptr},
        ReceiveCase{"LengthInTwoPieces",
                    {ScriptedDeviceLink::bytes(lengthBytes(kOkBody.size()).left(1)),
                     ScriptedDeviceLink::bytes(lengthBytes(kOkBody.size()).mid(1)),
                     ScriptedDeviceLink::bytes(kOkBody)},
                    nullptr},
        ReceiveCase{
            "BinaryBody",
            {ScriptedDeviceLink::bytes(lengthBytes(answer(QStringLiteral("ok")).toBin().size()) +
                                       answer(QStringLiteral("ok")).toBin())},
            nullptr},
        ReceiveCase{"HugeLengthIsRefusedBeforeAnyAllocation",
                    {ScriptedDeviceLink::bytes(lengthBytes(0xFFFFFFF0u))},
                    "4294967280"},
        ReceiveCase{"JustAboveTheCap",
                    {ScriptedDeviceLink::bytes(lengthBytes(kMaxServiceMessageSize + 1))},
                    "67108865"},
        ReceiveCase{"ShortLength",
                    {ScriptedDeviceLink::bytes(QByteArray(2, 0))},
                    "error, received length: 2."},
        ReceiveCase{"ShortBody",
                    {ScriptedDeviceLink::bytes(lengthBytes(100) + QByteArray(40, 'x'))},
                    "mobiledevice_recmsg(msg) error, received length: 40."},
        ReceiveCase{"BodyThenSilence",
                    {ScriptedDeviceLink::bytes(lengthBytes(100) + QByteArray(40, 'x')),
                     ScriptedDeviceLink::timeout()},
                    "received length: 40."},
        ReceiveCase{"NoPropertyList",
                    {ScriptedDeviceLink::bytes(lengthBytes(5) + QByteArray("hello"))},
                    "not a property list"}),
    [](const ::testing::TestParamInfo<ReceiveCase> &info) { return info.param.name; });

TEST(ServiceMessage, SendsLengthThenBodyAndNothingForAnEmptyMessage)
{
    ScriptedDeviceLink link;
    const auto connection = connect(link);
    const CFType message = answer(QStringLiteral("hi"));
    mobiledevice_sendmsg(*connection, message, false, 1000);
    const QByteArray xml = message.toXml().toUtf8();
    EXPECT_EQ(link.sent, lengthBytes(xml.size()) + xml);

    link.sent.clear();
    mobiledevice_sendmsg(*connection, CFType(), true, 1000);
    EXPECT_TRUE(link.sent.isEmpty());
}

struct RelayAnswerCase
{
    const char *status;
    bool accepted;
};

class RelayAnswer : public ::testing::TestWithParam<RelayAnswerCase>
{};

TEST_P(RelayAnswer, OnlyAnAcknowledgementLetsTheArchiveCome)
{
    ScriptedDeviceLink link;
    link.serviceScript = {
        ScriptedDeviceLink::message(answer(QString::fromLatin1(GetParam().status)))};
    const auto connection = connect(link);
    if (GetParam().accepted) {
        EXPECT_NO_THROW(mobiledevice_filerelay(*connection, {QStringLiteral("UserDatabases")}));
    } else {
        EXPECT_THROW(mobiledevice_filerelay(*connection, {QStringLiteral("UserDatabases")}),
                     std::runtime_error);
    }
    // The request names its sources.
    const QByteArray request = link.sent.mid(4);
    EXPECT_EQ(CFType::createCFPropertyList(request).get(QStringLiteral("Sources")).toStringList(),
              QStringList{QStringLiteral("UserDatabases")});
}

INSTANTIATE_TEST_SUITE_P(ServiceMessage, RelayAnswer,
                         ::testing::Values(RelayAnswerCase{"Acknowledged", true},
                                           RelayAnswerCase{"acknowledged", true},
                                           RelayAnswerCase{"Busy", false},
                                           RelayAnswerCase{"", false}));

} // namespace
