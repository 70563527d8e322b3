// The JSON lines of the message listing, written without QJsonDocument, must be exactly what it
// would write: same keys, order, escapes and numbers.
#include "clirunner.h"

#include "fixtures/smsdbwriter.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QJsonDocument>
#include <QTemporaryDir>

namespace {

QStringList awkwardTexts()
{
    return {QStringLiteral("plain"),
            QStringLiteral("quote \" backslash \\ slash /"),
            QStringLiteral("tab\tnew\nline\rcr\bbs\fff"),
            QString(QChar(0x01)) + QChar(0x1f) + QChar(0x7f) + QStringLiteral(" controls"),
            QStringLiteral("Grüße, 你好, ") + QString::fromUcs4(U"\U0001F600 emoji"),
            QStringLiteral("line sep ") + QChar(0x2028) + QChar(0x2029),
            QStringLiteral("lone ") + QChar(0xD83D) + QStringLiteral(" half") + QChar(0xDC00),
            QChar(0xFFFC) + QStringLiteral("object ") + QChar(0xFFFC) + QChar(0xFFFC) +
                QStringLiteral(" marks ") + QChar(0xFFFD),
            QString()};
}

TEST(JsonLines, MessageLinesAreByteForByteWhatQtWouldWrite)
{
    QTemporaryDir data;
    const QString phone = data.filePath(QStringLiteral("phone"));
    const QStringList texts = awkwardTexts();
    {
        SmsDbWriter w(QDir(phone), SmsDbWriter::Layout::Extended);
        const qint64 ann = w.addHandle(QStringLiteral("+15550001"));
        const qint64 chat = w.addChat(ann);
        // Dates across the range the phone stores: before 1970, around 2001 and after 2038.
        const int dates[] = {-1000000000, 0, 1, 86399, 400000000, 1200000000, 2147483647};
        for (int i = 0; i < texts.size(); ++i) {
            SmsDbWriter::Message m;
            m.text = texts[i];
            m.date = dates[i % 7];
            m.fromMe = i % 2 == 0;
            m.handle = m.fromMe ? 0 : ann;
            const qint64 id = w.addMessage(chat, m);
            if (i == 1) {
                const QByteArray bytes("x");
                w.addAttachment(id, QStringLiteral("~/Library/SMS/Attachments/a\"b.jpg"),
                                QStringLiteral("image/jpeg"), &bytes);
            }
        }
        w.close();
    }

    const CliResult r = runCli({"--data-dir", data.path(), "--json", "--quiet", "messages", phone});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QByteArray out = r.out.toUtf8();
    QList<QByteArray> lines = out.split('\n');
    ASSERT_TRUE(lines.last().isEmpty()) << "every line ends with a newline";
    lines.removeLast();
    ASSERT_EQ(lines.size(), texts.size());

    QStringList seen;
    QStringList dates;
    for (const QByteArray &line : lines) {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
        EXPECT_EQ(doc.toJson(QJsonDocument::Compact), line);
        seen << doc.object().value(QLatin1String("text")).toString();
        dates << doc.object().value(QLatin1String("date")).toString();
    }
    // Texts that have a UTF-8 form survive unchanged, but for the marks where attachments stand.
    for (const QString &text : texts) {
        if (!text.contains(QChar(0xD83D))) {
            EXPECT_TRUE(seen.contains(QString(text).remove(QChar(0xFFFC)))) << text.toStdString();
        }
    }
    // Dates read as unsigned 32-bit Unix times, formatted as Qt formats them.
    for (const int date : {-1000000000, 0, 1, 86399, 400000000, 1200000000, 2147483647}) {
        const auto unixTime = static_cast<quint32>(qint64(date) + 978307200);
        const QString expected =
            QDateTime::fromSecsSinceEpoch(unixTime, Qt::UTC).toString(Qt::ISODate);
        EXPECT_TRUE(dates.contains(expected)) << expected.toStdString();
    }
}

} // namespace
