#include "clitest.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QTemporaryDir>

namespace {

const QString kDataDir = QStringLiteral(TEXTLINK_TEST_DATA_DIR "/smsxml/");

QStringList hashesOf(const QList<QJsonObject> &messages)
{
    QStringList result;
    for (const QJsonObject &m : messages)
        result << m.value("logic_hash").toString();
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
    const QJsonArray attachments = messages[0].value("attachments").toArray();
    ASSERT_EQ(attachments.size(), 1);
    EXPECT_TRUE(attachments[0].toObject().value("exists").toBool());
    EXPECT_TRUE(attachments[0]
                    .toObject()
                    .value("local_path")
                    .toString()
                    .startsWith(m_data.path() + "/smsxml_cache/"));

    const QList<QJsonObject> found = ok({"search", m_sms, QString::fromUtf8("SMILE")});
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0].value("text").toString(), QStringLiteral("Smile \U0001F600 done"));

    const QList<QJsonObject> extracted = ok({"extract", m_group, "--out", m_data.path()});
    ASSERT_EQ(extracted.size(), 1);
    EXPECT_EQ(extracted[0].value("files").toInt(), 1);
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
    const QString path = exported[0].value("path").toString();
    EXPECT_EQ(path, m_data.filePath("back.xml"));
    EXPECT_EQ(exported[0].value("messages").toInt(), 6);
    EXPECT_EQ(hashesOf(ok({"messages", path})), original);
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
        const CliResult r = cli(c.args);
        EXPECT_EQ(r.exitCode, 1) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String(c.text))) << r.err.toStdString();
        EXPECT_EQ(r.err.trimmed().count('\n'), 0) << r.err.toStdString();
    }
}
