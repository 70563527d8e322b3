#include "zipwriter.h"

#include "export/charrefrepairdevice.h"
#include "export/smsxmlreader.h"
#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QTemporaryDir>

#include <algorithm>
#include <stdexcept>

namespace {

const QString kDataDir = QStringLiteral(TEXTLINK_TEST_DATA_DIR "/smsxml/");

// A source that hands out at most `piece` bytes per read, so that references fall across the
// boundaries of what the repairing device receives.
class TrickleDevice : public QIODevice
{
public:
    TrickleDevice(const QByteArray &bytes, qint64 piece) : m_bytes(bytes), m_piece(piece)
    {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 n = std::min({maxSize, m_piece, qint64(m_bytes.size()) - m_pos});
        std::copy_n(m_bytes.constData() + m_pos, n, data);
        m_pos += n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    const QByteArray m_bytes;
    const qint64 m_piece;
    qint64 m_pos = 0;
};

QByteArray repaired(const QByteArray &input, qint64 piece)
{
    TrickleDevice source(input, piece);
    CharRefRepairDevice device(source);
    return device.readAll();
}

// The messages of data by text, oldest first.
QList<_MsgMessage *> sorted(const MsgData &data)
{
    QList<_MsgMessage *> messages = data.messages();
    std::sort(messages.begin(), messages.end(),
              [](const _MsgMessage *a, const _MsgMessage *b) { return a->rowid < b->rowid; });
    return messages;
}

class SmsXmlReaderTest : public ::testing::Test
{
protected:
    MsgData read(const QString &path)
    {
        MsgData data;
        SmsXmlReader(path, cache()).read(data);
        return data;
    }
    // Nested, so that a name climbing out of it would still land inside the test's folder.
    QDir cache() const { return QDir(m_dir.filePath(QStringLiteral("a/b/cache"))); }

    QTemporaryDir m_dir;
};

} // namespace

TEST(CharRefRepairDevice, RewritesOnlyWhatXmlRefuses)
{
    const struct
    {
        const char *input;
        const char *output;
    } cases[] = {
        {"&#55357;&#56832;", "&#128512;"},
        {"&#xD83D;&#xde00;!", "&#128512;!"},
        {"a&#55357;b", "a&#65533;b"},
        {"&#56832;&#55357;", "&#65533;&#65533;"},
        {"&#55357;&#65;", "&#65533;&#65;"},
        {"x&#1;&#0;y", "x&#65533;&#65533;y"},
        {"&amp;&#65;&#233; &#x1F600; &# &#12a; &#;", "&amp;&#65;&#233; &#x1F600; &# &#12a; &#;"},
        {"tail &#55357;", "tail &#65533;"},
        {"tail &#5535", "tail &#5535"},
        {"h\xC3\xA9llo &", "h\xC3\xA9llo &"},
    };
    for (const auto &c : cases) {
        for (const qint64 piece : {1, 2, 7, 1 << 20})
            EXPECT_EQ(repaired(c.input, piece), QByteArray(c.output))
                << c.input << " read " << piece << " bytes at a time";
    }
}

TEST_F(SmsXmlReaderTest, ReadsSmsRecords)
{
    const MsgData data = read(kDataDir + "good_sms.xml");
    const QList<_MsgMessage *> messages = sorted(data);
    ASSERT_EQ(messages.size(), 4);

    // Text, date (from `date`, never `readable_date`), direction, other party and its chat.
    const QList<QVariantList> expected = {
        {QStringLiteral("Smile \U0001F600 done"), 621692800, 0, "+15550001", "+15550001"},
        {"line one\nline two", 621692860, 1, "+15550001", "+15550001"},
        {QString(), 621692920, 0, "+15550002", "+15550002"},
        {"lone \uFFFD half", 621692980, 0, "+15550002", "+15550002"},
    };
    for (int i = 0; i < 4; ++i) {
        const _MsgMessage &m = *messages.at(i);
        ASSERT_TRUE(m.handle && m.chat) << i;
        EXPECT_EQ(
            QVariantList({m.text(), m.date, m.is_from_me, m.handle->id, m.chat->chat_identifier}),
            expected[i]);
        EXPECT_TRUE(m.subject().isEmpty()) << "\"null\" is no subject";
        EXPECT_EQ(m.guid().size(), 36);
    }
    EXPECT_EQ(messages.at(0)->service_center(), "+15559999");
    EXPECT_TRUE(messages.at(1)->service_center().isEmpty());
    EXPECT_EQ(messages.at(2)->is_read, 0);
    EXPECT_EQ(messages.at(0)->handle->_ct_name, "Ann Example");
    EXPECT_TRUE(messages.at(2)->handle->_ct_name.isEmpty()) << "\"(Unknown)\" is no name";
    EXPECT_EQ(data.chats().size(), 2);
    EXPECT_EQ(messages.at(0)->chat->last, 621692860);
}

TEST_F(SmsXmlReaderTest, ReadsGroupMmsWithPartsAndRecipients)
{
    const MsgData data = read(kDataDir + "good_mms_group.xml");
    const QList<_MsgMessage *> messages = sorted(data);
    ASSERT_EQ(messages.size(), 2);
    const _MsgMessage &received = *messages.at(0);
    const _MsgMessage &sent = *messages.at(1);

    ASSERT_NE(received.chat, nullptr);
    EXPECT_EQ(received.chat, sent.chat) << "one chat per set of addresses";
    EXPECT_TRUE(received.chat->isGroup());
    EXPECT_EQ(received.chat->style, 43);
    EXPECT_TRUE(received.chat->chat_identifier.startsWith("chat"));
    QStringList members;
    for (const _MsgHandle *h : received.chat->handleMap)
        members << h->id;
    members.sort();
    EXPECT_EQ(members, QStringList({"+15550001", "+15550003"})) << "own number left out";

    EXPECT_EQ(received.is_from_me, 0);
    ASSERT_NE(received.handle, nullptr);
    EXPECT_EQ(received.handle->id, "+15550001") << "the sender is the 137 address";
    EXPECT_TRUE(received.handle->_ct_name.isEmpty()) << "a group's joined names name nobody";
    EXPECT_EQ(received.plainText(), QStringLiteral("Look \U0001F389"));
    const QList<_MsgAttachment *> attachments = received.attachments();
    ASSERT_EQ(attachments.size(), 1) << "the SMIL part is no attachment";
    EXPECT_EQ(attachments.first()->mime_type, "image/jpeg");
    EXPECT_EQ(attachments.first()->transfer_name, "IMG_1.jpg");
    EXPECT_TRUE(attachments.first()->filename.endsWith("/IMG_1.jpg"));
    EXPECT_EQ(readAll(attachments.first()->localPath), QByteArray("\xFF\xD8\xFF picture bytes"));
    EXPECT_TRUE(attachments.first()->localPath.startsWith(cache().absolutePath() + "/"));

    EXPECT_EQ(sent.is_from_me, 1);
    EXPECT_EQ(sent.handle, nullptr) << "the owner's message in a group has no other party";
    EXPECT_EQ(sent.text(), "See you");
    EXPECT_EQ(sent.subject(), "Plans");
}

TEST_F(SmsXmlReaderTest, PartNamesNeverDecidePaths)
{
    const MsgData data = read(kDataDir + "good_hostile_names.xml");
    ASSERT_EQ(data.messages().size(), 1);
    const QList<_MsgAttachment *> attachments = data.messages().first()->attachments();
    ASSERT_EQ(attachments.size(), 4);
    for (const _MsgAttachment *a : attachments) {
        EXPECT_FALSE(a->transfer_name.contains('/') || a->transfer_name.contains('\\'))
            << a->transfer_name.toStdString();
        EXPECT_NE(a->transfer_name, "..");
        const QString last = a->filename.section('/', -1);
        EXPECT_EQ(last, a->transfer_name);
        EXPECT_EQ(QFileInfo(a->localPath).absolutePath(), cache().absolutePath());
    }
    // Everything written lies directly in the cache folder.
    QStringList written;
    QDirIterator it(m_dir.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        written << QFileInfo(it.next()).absolutePath();
    EXPECT_EQ(written, QStringList(4, cache().absolutePath()));
}

TEST_F(SmsXmlReaderTest, ReadsTheBackupInsideAZip)
{
    const QString zip = m_dir.filePath("backup.zip");
    ASSERT_TRUE(g_writeZip(zip, {{"readme.txt", "not this"},
                                 {"sms-20200913.xml", readAll(kDataDir + "good_mms_group.xml")}}));
    const MsgData data = read(zip);
    ASSERT_EQ(data.messages().size(), 2);
    const QList<_MsgAttachment *> attachments = sorted(data).first()->attachments();
    ASSERT_EQ(attachments.size(), 1);
    EXPECT_EQ(readAll(attachments.first()->localPath), QByteArray("\xFF\xD8\xFF picture bytes"));
}

TEST_F(SmsXmlReaderTest, ReadingTwiceReusesTheCacheFiles)
{
    read(kDataDir + "good_mms_group.xml");
    read(kDataDir + "good_mms_group.xml");
    EXPECT_EQ(cache().entryList(QDir::Files).size(), 1);
}

TEST_F(SmsXmlReaderTest, RejectsWhatIsNoBackupWithOneLine)
{
    const QString emptyZip = m_dir.filePath("empty.zip");
    ASSERT_TRUE(g_writeZip(emptyZip, {{"readme.txt", "no backup here"}}));
    const struct
    {
        QString path;
        const char *reason;
    } cases[] = {
        {kDataDir + "bad_not_smses.xml", "not an Android message backup"},
        {kDataDir + "bad_not_xml.xml", "line 1"},
        {kDataDir + "bad_truncated.xml", "line "},
        {emptyZip, "no .xml file"},
        {m_dir.filePath("missing.xml"), "No such file"},
    };
    for (const auto &c : cases) {
        try {
            read(c.path);
            ADD_FAILURE() << "no error for " << c.path.toStdString();
        } catch (const std::runtime_error &e) {
            const QString text = QString::fromUtf8(e.what());
            EXPECT_TRUE(text.contains(c.path)) << text.toStdString();
            EXPECT_TRUE(text.contains(QLatin1String(c.reason))) << text.toStdString();
            EXPECT_FALSE(text.contains('\n')) << text.toStdString();
        }
    }
}
