#include "clitest.h"

#include "fixtures/smsdbwriter.h"

#include <QDir>

CliResult CliTest::cli(const QStringList &args) const
{
    return runCli(QStringList{"--data-dir", m_data.path(), "--json", "--quiet"} + args);
}

QList<QJsonObject> CliTest::ok(const QStringList &args) const
{
    const CliResult r = cli(args);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    return r.jsonLines();
}

std::string CliTest::failure(const QStringList &args, int exitCode) const
{
    const CliResult r = cli(args);
    EXPECT_EQ(r.exitCode, exitCode) << args.join(' ').toStdString() << ": " << r.err.toStdString();
    return r.err.toStdString();
}

void PhoneCliTest::SetUp()
{
    m_phone = m_data.filePath(QStringLiteral("phone"));
    SmsDbWriter w(QDir(m_phone), SmsDbWriter::Layout::Extended);
    const qint64 ann = w.addHandle(QStringLiteral("+15550001"));
    const qint64 bob = w.addHandle(QStringLiteral("+15550002"));
    const qint64 withAnn = w.addChat(ann);
    const qint64 withBob = w.addChat(bob);
    const qint64 group = w.addGroupChat({ann, bob}, QStringLiteral("SMS"));
    const auto add = [&w](qint64 chat, qint64 from, int date, const QString &text) {
        SmsDbWriter::Message m;
        m.text = text;
        m.date = date;
        m.fromMe = from == 0;
        m.handle = from;
        return w.addMessage(chat, m);
    };
    add(withAnn, ann, 1000, QStringLiteral("Hello, \"World\"\nsecond line"));
    const qint64 withPicture = add(withAnn, 0, 1010, QString(QChar(0xFFFC)));
    w.addAttachment(withPicture, QStringLiteral("~/Library/SMS/Attachments/aa/00/p.jpg"),
                    QStringLiteral("image/jpeg"), &m_picture);
    add(group, bob, 2000, QStringLiteral("group hello"));
    add(withBob, bob, 3000, QStringLiteral("=1+1"));
    w.close();
}
