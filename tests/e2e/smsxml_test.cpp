#include "clitest.h"

#include <gtest/gtest.h>

#include <QFile>

namespace {

const QString kDataDir = QStringLiteral(TEXTLINK_TEST_DATA_DIR "/smsxml/");

QStringList hashesOf(const QList<QJsonObject> &messages)
{
    QStringList result = strs(messages, "logic_hash");
    result.sort();
    return result;
}

// The command line on Android XML backups: the test's own copies of the hand-written samples.
class SmsXmlVerbs : public CliTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::copy(kDataDir + "good_mms_group.xml", m_group));
        ASSERT_TRUE(QFile::copy(kDataDir + "good_sms.xml", m_sms));
    }

    const QString m_group = m_data.filePath("group backup.xml");
    const QString m_sms = m_data.filePath("sms.xml");
};

} // namespace

TEST_F(SmsXmlVerbs, ReadingVerbsTakeTheFileAsASource)
{
    const QList<QJsonObject> chats = ok({"chats", m_sms});
    ASSERT_EQ(chats.size(), 2);
    EXPECT_EQ(chats[0].value("chat_identifier").toString(), "+15550002");

    const QList<QJsonObject> messages = ok({"messages", m_group});
    ASSERT_EQ(messages.size(), 2);
    const QList<QJsonObject> attachments = attachmentsOf(messages.mid(0, 1));
    ASSERT_EQ(attachments.size(), 1);
    EXPECT_TRUE(attachments[0].value("exists").toBool());
    EXPECT_TRUE(str(attachments[0], "local_path").startsWith(m_data.path() + "/smsxml_cache/"));

    EXPECT_EQ(strs(ok({"search", m_sms, "SMILE"}), "text"),
              QStringList{QStringLiteral("Smile \U0001F600 done")});
    EXPECT_EQ(ok({"extract", m_group, "--out", m_data.path()}).value(0).value("files").toInt(), 1);
}

TEST_F(SmsXmlVerbs, SaveExportAndReadBackKeepTheMessages)
{
    const QStringList original = hashesOf(ok({"messages", m_group}) + ok({"messages", m_sms}));
    ASSERT_EQ(ok({"save", m_group, "--to", "arch"}).value(0).value("saved").toInt(), 2);
    ASSERT_EQ(ok({"save", m_sms, "--to", "arch"}).value(0).value("saved").toInt(), 4);
    EXPECT_EQ(ok({"save", m_group, "--to", "arch"}).value(0).value("saved").toInt(), 0)
        << "the same messages are not saved twice";

    const QList<QJsonObject> exported =
        ok({"export", "arch", "--format", "xml", "--out", m_data.filePath("back")});
    ASSERT_EQ(exported.size(), 1);
    EXPECT_EQ(only(exported[0], {"path", "messages"}),
              (QJsonObject{{"path", m_data.filePath("back.xml")}, {"messages", 6}}));
    EXPECT_EQ(hashesOf(ok({"messages", m_data.filePath("back.xml")})), original);
}

TEST_F(SmsXmlVerbs, ErrorsEndWithOneLine)
{
    const struct
    {
        QStringList args;
        const char *text;
    } cases[] = {
        {{"messages", kDataDir + "bad_truncated.xml"}, "Cannot read the message backup"},
        {{"delete", m_group, "--chat", "+15550001"}, ""},
    };
    for (const auto &c : cases) {
        const QString err = QString::fromStdString(failure(c.args));
        EXPECT_TRUE(err.contains(QLatin1String(c.text))) << err.toStdString();
        EXPECT_EQ(err.trimmed().count('\n'), 0) << err.toStdString();
    }
}
