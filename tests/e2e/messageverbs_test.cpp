#include "clitest.h"

#include "fixtures/smsdbwriter.h"
#include "model/sqlite3db.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QJsonArray>
#include <QTemporaryDir>

namespace {

QString iso(int date21)
{
    return QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC).addSecs(date21).toString(Qt::ISODate);
}

using MessageVerbs = PhoneCliTest;

TEST_F(MessageVerbs, ChatsAreMergedConversationsNewestFirst)
{
    const QList<QJsonObject> chats = ok({"chats", m_phone});
    ASSERT_EQ(chats.size(), 3);
    EXPECT_EQ(str(chats[0], "chat_identifier"), "+15550002");
    EXPECT_EQ(str(chats[0], "last"), iso(3000));
    EXPECT_EQ(str(chats[2], "chat_identifier"), "+15550001");
    EXPECT_EQ(chats[2].value("message_count").toInt(), 2);
    EXPECT_TRUE(str(chats[1], "chat_identifier").startsWith("chat"));
    EXPECT_EQ(chats[1].value("participants").toArray().size(), 2);
    for (const QJsonObject &chat : chats)
        EXPECT_FALSE(str(chat, "display_name").isEmpty());
}

TEST_F(MessageVerbs, MessagesAreListedOldestFirstWithTheirFields)
{
    const QList<QJsonObject> messages = ok({"messages", m_phone});
    ASSERT_EQ(messages.size(), kMessages);
    for (int i = 1; i < messages.size(); ++i)
        EXPECT_LE(str(messages[i - 1], "date"), str(messages[i], "date"));
    const QJsonObject &first = messages.first();
    EXPECT_EQ(str(first, "date"), iso(1000));
    EXPECT_EQ(str(first, "text"), "Hello, \"World\"\nsecond line");
    EXPECT_EQ(str(first, "handle"), "+15550001");
    EXPECT_EQ(first.value("is_from_me").toInt(), 0);
    EXPECT_EQ(str(first, "logic_hash").size(), 32);

    const QJsonObject &picture = messages.at(1);
    EXPECT_EQ(picture.value("is_from_me").toInt(), 1);
    EXPECT_TRUE(str(picture, "text").isEmpty()); // the placeholder is not text
    const QJsonArray attachments = picture.value("attachments").toArray();
    ASSERT_EQ(attachments.size(), 1);
    const QJsonObject attachment = attachments.first().toObject();
    EXPECT_EQ(str(attachment, "mime_type"), "image/jpeg");
    EXPECT_TRUE(attachment.value("exists").toBool());
    EXPECT_TRUE(str(attachment, "local_path").startsWith(m_phone));
}

TEST_F(MessageVerbs, ChatOptionSelectsOneConversation)
{
    const QList<QJsonObject> messages = ok({"messages", m_phone, "--chat", "+15550001"});
    ASSERT_EQ(messages.size(), 2);
    for (const QJsonObject &message : messages)
        EXPECT_EQ(str(message, "chat_identifier"), "+15550001");
    EXPECT_EQ(cli({"messages", m_phone, "--chat", "+19999999"}).exitCode, 1);
    EXPECT_EQ(cli({"messages", m_phone, "--chat"}).exitCode, 2);
}

TEST_F(MessageVerbs, SearchIgnoresLetterCase)
{
    const QList<QJsonObject> found = ok({"search", m_phone, "HELLO"});
    ASSERT_EQ(found.size(), 2);
    EXPECT_TRUE(str(found[0], "text").startsWith("Hello, "));
    EXPECT_EQ(str(found[1], "text"), "group hello");
    EXPECT_TRUE(ok({"search", m_phone, "no such words"}).isEmpty());
}

TEST_F(MessageVerbs, SavingTwiceAddsNothingTheSecondTime)
{
    const QList<QJsonObject> first = ok({"save", m_phone, "--to", "Archive"});
    ASSERT_EQ(first.size(), 1);
    EXPECT_EQ(first[0].value("saved").toInt(), kMessages);
    EXPECT_EQ(first[0].value("processed").toInt(), kMessages);
    const QList<QJsonObject> second = ok({"save", m_phone, "--to", "archive"});
    ASSERT_EQ(second.size(), 1);
    EXPECT_EQ(second[0].value("saved").toInt(), 0);
    EXPECT_EQ(str(second[0], "database"), "Archive"); // same database, any letter case

    // The local database reads back like the phone, by name, with the attachment copied.
    const QList<QJsonObject> fromPhone = ok({"messages", m_phone});
    const QList<QJsonObject> saved = ok({"messages", "Archive"});
    ASSERT_EQ(saved.size(), fromPhone.size());
    for (int i = 0; i < saved.size(); ++i) {
        EXPECT_EQ(str(saved[i], "guid"), str(fromPhone[i], "guid"));
        EXPECT_EQ(str(saved[i], "logic_hash"), str(fromPhone[i], "logic_hash"));
    }
    const QJsonObject attachment = saved.at(1).value("attachments").toArray().first().toObject();
    EXPECT_TRUE(attachment.value("exists").toBool());
    EXPECT_EQ(ok({"chats", "Archive"}).size(), 3);
    EXPECT_EQ(ok({"search", "Archive", "=1+1"}).size(), 1);

    const QList<QJsonObject> sources = ok({"sources"});
    ASSERT_EQ(sources.size(), 1);
    EXPECT_EQ(sources[0].value("messages").toInt(), kMessages);
}

TEST_F(MessageVerbs, SavingOneChatAndTheTextReport)
{
    const CliResult r = runCli({"--data-dir", m_data.path(), "--quiet", "save", m_phone, "--to",
                                "Bob", "--chat", "+15550002"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("Successfully Backup 1 Messages")) << r.err.toStdString();
    EXPECT_EQ(ok({"messages", "Bob"}).size(), 1);
}

TEST_F(MessageVerbs, ReadingAPhoneFolderLeavesItsDatabaseAsItWas)
{
    ok({"messages", m_phone});
    Sqlite3DB db;
    db.openThrow(SmsDbWriter::dbPathIn(QDir(m_phone)), Sqlite3DB::kOpenReadOnly);
    EXPECT_FALSE(db.tbInfo(QStringLiteral("message")).contains(QStringLiteral("logic_hash")));
}

TEST_F(MessageVerbs, BadSourcesAndNamesAreRefused)
{
    for (const char *verb : {"chats", "messages"}) {
        const CliResult r = cli({verb, m_data.filePath(QStringLiteral("nowhere"))});
        EXPECT_EQ(r.exitCode, 1) << verb;
        EXPECT_FALSE(r.err.isEmpty());
    }
    EXPECT_EQ(cli({"search", "NoSuchDb", "x"}).exitCode, 1);
    for (const char *name : {"", ".", "..", "a/b", "a:b", "why?", "x|y", "back\\slash"}) {
        const CliResult r = cli({"save", m_phone, "--to", name});
        EXPECT_EQ(r.exitCode, 2) << name;
        EXPECT_TRUE(r.err.contains("Invalid Local Database name")) << name;
    }
    EXPECT_EQ(cli({"save", m_phone}).exitCode, 2);
    EXPECT_TRUE(QDir(m_data.filePath(QStringLiteral("local_databases")))
                    .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                    .isEmpty());
}

} // namespace
