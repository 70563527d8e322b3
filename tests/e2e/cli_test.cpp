#include "clirunner.h"

#include "model/sqlite3db.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

namespace {

// A local database folder as the program keeps them, with the given chat identifiers (one chat
// row each) and that many messages.
void makeLocalDb(const QString &folder, const QStringList &chatIdentifiers, int messages)
{
    const QString smsDir = folder + QStringLiteral("/file-relay/var/mobile/Library/SMS");
    ASSERT_TRUE(QDir().mkpath(smsDir));
    Sqlite3DB db;
    db.openThrow(smsDir + QStringLiteral("/sms.db"), 6);
    QString error;
    ASSERT_EQ(
        db.exec(QStringLiteral("create table chat (ROWID integer primary key, "
                               "chat_identifier text);"
                               "create table message (ROWID integer primary key, text text);"),
                error),
        0)
        << error.toStdString();
    for (const QString &id : chatIdentifiers) {
        Sqlite3Sql sql("insert into chat (chat_identifier) values (?)");
        sql.addTextParam(id);
        db.executeThrow(sql);
    }
    for (int i = 0; i < messages; ++i)
        db.executeThrow(Sqlite3Sql("insert into message (text) values ('hi')"));
}

} // namespace

TEST(Cli, VersionNamesProgramAndLibraries)
{
    QTemporaryDir data;
    const CliResult json = runCli({"--data-dir", data.path(), "--json", "version"});
    ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
    const QList<QJsonObject> lines = json.jsonLines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(only(lines[0], {"program", "version", "sqlite_wrapper"}),
              (QJsonObject{{"program", "textlink-cli"},
                           {"version", TEXTLINK_VERSION},
                           {"sqlite_wrapper", 5}}));
    EXPECT_TRUE(str(lines[0], "sqlite").startsWith("3."));

    const CliResult text = runCli({"--data-dir", data.path(), "version"});
    ASSERT_EQ(text.exitCode, 0);
    EXPECT_TRUE(text.out.startsWith(QStringLiteral("textlink-cli " TEXTLINK_VERSION)));
}

TEST(Cli, SourcesOnEmptyDataFolderPrintsNothing)
{
    QTemporaryDir data;
    const CliResult result = runCli({"--data-dir", data.path(), "--json", "sources"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.isEmpty()) << result.out.toStdString();
    // Nothing but failures reaches standard error, so scripts can treat any text there as one.
    EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
    // The data folder is used, and nothing is written anywhere else.
    EXPECT_TRUE(QDir(data.path()).exists("local_databases"));
}

TEST(Cli, SourcesCountsConversationsAndMessages)
{
    QTemporaryDir data;
    makeLocalDb(data.path() + "/local_databases/Alice's phone",
                {"+4915112345678", "+4915112345678", "chat123456789012345678"}, 7);
    makeLocalDb(data.path() + "/virtual_ios/Test iPhone", {"+15555550100"}, 2);
    QDir().mkpath(data.path() + "/local_databases/empty");

    const CliResult result = runCli({"--data-dir", data.path(), "--json", "sources"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QList<QJsonObject> lines = result.jsonLines();
    ASSERT_EQ(lines.size(), 3);
    // An SMS and an iMessage chat with one person are one conversation.
    EXPECT_EQ(
        only(lines[0], {"name", "kind", "path", "chats", "messages"}),
        (QJsonObject{{"name", "Alice's phone"},
                     {"kind", "local"},
                     {"path", QDir(data.path() + "/local_databases/Alice's phone").absolutePath()},
                     {"chats", 2},
                     {"messages", 7}}));
    EXPECT_EQ(only(lines[1], {"name", "messages"}),
              (QJsonObject{{"name", "empty"}, {"messages", QJsonValue::Null}}));
    EXPECT_EQ(only(lines[2], {"kind", "messages"}),
              (QJsonObject{{"kind", "virtual_ios"}, {"messages", 2}}));
}

TEST(Cli, UsageErrorsExitWithTwo)
{
    QTemporaryDir data;
    const QList<QStringList> wrong = {
        {},
        {"--data-dir"},
        {"--data-dir", data.path(), "--no-such-option", "version"},
        {"--data-dir", data.path(), "no-such-verb"},
        {"--data-dir", data.path(), "version", "extra"},
    };
    for (const QStringList &args : wrong) {
        const CliResult result = runCli(args);
        EXPECT_EQ(result.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_FALSE(result.err.isEmpty()) << args.join(' ').toStdString();
        EXPECT_TRUE(result.out.isEmpty()) << args.join(' ').toStdString();
    }
}
