#include "clirunner.h"

#include "fixtures/ios5smsdbwriter.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

// A folder holding an iOS 5 phone database is a source like any other: read in its own layout,
// and never altered.
TEST(CliIos5Source, MessagesOfAnOldLayoutFolder)
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
    const QByteArray before = [&] {
        QFile f(IOS5SmsDbWriter::dbPathIn(QDir(phone.path())));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();

    const CliResult result =
        runCli({"--data-dir", data.path(), "--json", "messages", phone.path()});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QList<QJsonObject> lines = result.jsonLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].value("text").toString(), "Hello from 2012");
    EXPECT_EQ(lines[0].value("date").toString(), "2012-06-18T06:13:20Z");
    EXPECT_EQ(lines[0].value("is_from_me").toInt(), 0);
    EXPECT_EQ(lines[1].value("is_from_me").toInt(), 1);
    EXPECT_EQ(lines[1].value("chat_identifier").toString(), "+15551230001");

    QFile after(IOS5SmsDbWriter::dbPathIn(QDir(phone.path())));
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
}
