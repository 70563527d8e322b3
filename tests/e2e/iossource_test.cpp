#include "clirunner.h"

#include "fixtures/cpiowriter.h"
#include "fixtures/ios5smsdbwriter.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

// There is no phone here (and usually no device multiplexer): listing finds nothing, and a
// backup names the phone it could not find.
TEST(CliIos, WithoutPhonesListsNothingAndBackupFailsClearly)
{
    QTemporaryDir data;
    const CliResult list = runCli({"--data-dir", data.path(), "--json", "ios", "devices"});
    EXPECT_EQ(list.exitCode, 0) << list.err.toStdString();
    EXPECT_TRUE(list.out.isEmpty()) << list.out.toStdString();

    const CliResult backup = runCli({"--data-dir", data.path(), "ios", "backup", "0000-none"});
    EXPECT_EQ(backup.exitCode, 1);
    EXPECT_EQ(backup.err.trimmed(),
              QStringLiteral("textlink-cli: No iPhone with UDID 0000-none is connected."));

    const CliResult source = runCli({"--data-dir", data.path(), "chats", "ios:0000-none"});
    EXPECT_EQ(source.exitCode, 1);
}

// A folder holding an iOS 5 phone database is a source like any other, read in its own layout
// and never altered; the file relay archive saved from such a phone is read the same way.
TEST(CliIos, Ios5FolderAndItsGzippedFileRelayArchiveAreSources)
{
    QTemporaryDir data;
    QTemporaryDir phone;
    {
        IOS5SmsDbWriter writer{QDir(phone.path())};
        const qint64 group = writer.addGroup({{QStringLiteral("+15551230001")}});
        IOS5SmsDbWriter::Sms first;
        first.text = QStringLiteral("Hello from 2012");
        first.unixDate = 1340000000;
        writer.addSms(group, first);
        IOS5SmsDbWriter::Sms reply;
        reply.text = QStringLiteral("Hi back");
        reply.unixDate = 1340000100;
        reply.fromMe = true;
        writer.addSms(group, reply);
        writer.close();
    }
    const QString db = IOS5SmsDbWriter::dbPathIn(QDir(phone.path()));
    const QByteArray before = readAll(db);
    const QString archive = phone.filePath(QStringLiteral("relay.cpio.gz"));
    CpioWriter::write(archive,
                      CpioWriter::archive(QDir(phone.filePath(QStringLiteral("file-relay"))),
                                          {QStringLiteral("./var/mobile/Library/SMS/sms.db")},
                                          QStringLiteral("odc"), true));

    for (const QString &source : {phone.path(), archive}) {
        SCOPED_TRACE(source.toStdString());
        const CliResult result = runCli({"--data-dir", data.path(), "--json", "messages", source});
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        const QList<QJsonObject> lines = result.jsonLines();
        ASSERT_EQ(lines.size(), 2);
        const QStringList keys = {"text", "date", "is_from_me", "chat_identifier"};
        EXPECT_EQ(only(lines[0], keys), (QJsonObject{{"text", "Hello from 2012"},
                                                     {"date", "2012-06-18T06:13:20Z"},
                                                     {"is_from_me", 0},
                                                     {"chat_identifier", "+15551230001"}}));
        EXPECT_EQ(only(lines[1], keys), (QJsonObject{{"text", "Hi back"},
                                                     {"date", "2012-06-18T06:15:00Z"},
                                                     {"is_from_me", 1},
                                                     {"chat_identifier", "+15551230001"}}));
    }
    EXPECT_EQ(readAll(db), before);
}
