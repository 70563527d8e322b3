#include "clirunner.h"

#include "fixtures/cpiowriter.h"
#include "fixtures/ios5smsdbwriter.h"

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

// A file relay archive saved from a phone is read like a received one.
TEST(CliIos, GzippedFileRelayArchiveIsASource)
{
    QTemporaryDir data;
    QTemporaryDir phone;
    {
        IOS5SmsDbWriter writer{QDir(phone.path())};
        const qint64 group = writer.addGroup({{QStringLiteral("+15551230002")}});
        IOS5SmsDbWriter::Sms sms;
        sms.text = QStringLiteral("From the archive");
        sms.unixDate = 1340000000;
        writer.addSms(group, sms);
        writer.close();
    }
    const QString archive = phone.filePath(QStringLiteral("relay.cpio.gz"));
    CpioWriter::write(archive,
                      CpioWriter::archive(QDir(phone.filePath(QStringLiteral("file-relay"))),
                                          {QStringLiteral("./var/mobile/Library/SMS/sms.db")},
                                          QStringLiteral("odc"), true));

    const CliResult result = runCli({"--data-dir", data.path(), "--json", "messages", archive});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QList<QJsonObject> lines = result.jsonLines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].value("text").toString(), "From the archive");
    EXPECT_EQ(lines[0].value("chat_identifier").toString(), "+15551230002");
}
