#include "clitest.h"

#include "fixtures/smsdbwriter.h"
#include "model/sqlite3db.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QJsonArray>

namespace {

using ::testing::HasSubstr;

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
    const QList<QJsonObject> attachments = attachmentsOf({picture});
    ASSERT_EQ(attachments.size(), 1);
    const QJsonObject &attachment = attachments.first();
    EXPECT_EQ(str(attachment, "mime_type"), "image/jpeg");
    EXPECT_TRUE(attachment.value("exists").toBool());
    EXPECT_TRUE(str(attachment, "local_path").startsWith(m_phone));
}

TEST_F(MessageVerbs, ChatOptionSelectsOneConversation)
{
    EXPECT_EQ(strs(ok({"messages", m_phone, "--chat", "+15550001"}), "chat_identifier"),
              QStringList(2, "+15550001"));
    failure({"messages", m_phone, "--chat", "+19999999"});
    failure({"messages", m_phone, "--chat"}, 2);
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
    const QStringList fields = {"database", "saved", "processed"};
    EXPECT_EQ(
        only(ok({"save", m_phone, "--to", "Archive"}).value(0), fields),
        (QJsonObject{{"database", "Archive"}, {"saved", kMessages}, {"processed", kMessages}}));
    // The same database in any letter case.
    EXPECT_EQ(only(ok({"save", m_phone, "--to", "archive"}).value(0), fields),
              (QJsonObject{{"database", "Archive"}, {"saved", 0}, {"processed", kMessages}}));

    // The local database reads back like the phone, by name, with the attachment copied.
    const QList<QJsonObject> fromPhone = ok({"messages", m_phone});
    const QList<QJsonObject> saved = ok({"messages", "Archive"});
    EXPECT_EQ(strs(saved, "guid"), strs(fromPhone, "guid"));
    EXPECT_EQ(strs(saved, "logic_hash"), strs(fromPhone, "logic_hash"));
    EXPECT_TRUE(attachmentsOf({saved.at(1)}).value(0).value("exists").toBool());
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
    for (const char *verb : {"chats", "messages"})
        EXPECT_FALSE(failure({verb, m_data.filePath(QStringLiteral("nowhere"))}).empty());
    failure({"search", "NoSuchDb", "x"});
    for (const char *name : {"", ".", "..", "a/b", "a:b", "why?", "x|y", "back\\slash"})
        EXPECT_THAT(failure({"save", m_phone, "--to", name}, 2),
                    HasSubstr("Invalid Local Database name"));
    failure({"save", m_phone}, 2);
    EXPECT_TRUE(QDir(m_data.filePath(QStringLiteral("local_databases")))
                    .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                    .isEmpty());
}

} // namespace
