#include "msgbuilder.h"

#include "export/csvformat.h"
#include "export/exportmessagescsv.h"
#include "model/msgchat.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

namespace {

// An RFC 4180 reader written apart from the exporter: quoted fields may hold commas, quotes
// (doubled) and line breaks; outside quotes LF, CR and CRLF each end a record.
QList<QStringList> parseCsv(const QString &text)
{
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;
    bool fieldStarted = false;
    auto endField = [&] {
        record << field;
        field.clear();
        fieldStarted = false;
    };
    auto endRecord = [&] {
        endField();
        records << record;
        record.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() &&
                text.at(i + 1) == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"') && !fieldStarted) {
            quoted = true;
            fieldStarted = true;
        } else if (c == QLatin1Char(',')) {
            endField();
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() &&
                text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            endRecord();
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (fieldStarted || !record.isEmpty())
        endRecord();
    return records;
}

QString localDate(int date21)
{
    return QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC)
        .addSecs(date21)
        .toLocalTime()
        .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

} // namespace

TEST(CsvFormat, QuotesOnlyWhereAReaderNeedsItAndDefusesFormulas)
{
    const std::pair<const char *, const char *> cases[] = {
        {"plain words", "plain words"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"", ""},
        // A bare carriage return ends the record for CSV readers: it must be quoted too.
        {"a\rb", "\"a\rb\""},
        {"=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\""},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"+cmd|' /C calc'!A0", "'+cmd|' /C calc'!A0"},
        {"-2+3+cmd", "'-2+3+cmd"},
        {"\tx", "'\tx"},
        // Phone numbers and signed numbers are data, not formulas.
        {"+15550001", "+15550001"},
        {"+1 (555) 010-0000", "+1 (555) 010-0000"},
        {"-5", "-5"},
        // Not at the start: nothing to defuse.
        {"1=1", "1=1"},
    };
    for (const auto &[input, expected] : cases)
        EXPECT_EQ(g_csvFormat(QString::fromUtf8(input)), QString::fromUtf8(expected)) << input;
}

class CsvExportTest : public ::testing::Test
{
protected:
    QString exportAll(const QList<_MsgMessage *> &messages)
    {
        const QString path = m_dir.filePath(QStringLiteral("out.csv"));
        ExportMessagesCsv csv(path);
        csv.init();
        for (_MsgMessage *message : messages)
            csv.write(*message);
        csv.uninit();
        return path;
    }

    QTemporaryDir m_dir;
    MsgBuilder m_b;
};

TEST_F(CsvExportTest, TrickyTextsRoundTripThroughACsvReader)
{
    _MsgHandle *ann = m_b.handle(QStringLiteral("+15550001"));
    ann->_ct_name = QStringLiteral("Ann, \"the\" Boss");
    _MsgChat *chat = m_b.chat(ann);
    const QStringList texts = {
        QStringLiteral("a,b"),
        QStringLiteral("He said \"no\""),
        QStringLiteral("line1\nline2"),
        QStringLiteral("cr\ronly"),
        QStringLiteral("crlf\r\nend"),
        QStringLiteral("Grüße ✓ 日本"),
        QStringLiteral(",\"\n,"),
        // Emoji are the message's own characters, not a marker.
        QStringLiteral("smile \U0001F600 and \u2764\uFE0F"),
    };
    QList<_MsgMessage *> messages;
    int date = 1000;
    for (const QString &text : texts)
        messages << m_b.message(chat, messages.size() % 2 ? nullptr : ann, date += 10, text);

    const QByteArray bytes = readAll(exportAll(messages));
    ASSERT_FALSE(bytes.startsWith("\xEF\xBB\xBF"));
    const QList<QStringList> rows = parseCsv(QString::fromUtf8(bytes));
    ASSERT_EQ(rows.size(), texts.size() + 1);
    EXPECT_EQ(rows.first(), QStringList({"date", "send", "person", "number", "content"}));
    for (qsizetype i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(rows.at(i + 1), QStringList({localDate(messages[i]->date), i % 2 ? "1" : "0",
                                               ann->_ct_name, "+15550001", texts[i].trimmed()}))
            << i;
    }
}

TEST_F(CsvExportTest, PersonColumnsFollowTheKindOfChat)
{
    _MsgHandle *ann = m_b.handle(QStringLiteral("+15550001"));
    _MsgHandle *bob = m_b.handle(QStringLiteral("bob@example.com"));
    _MsgChat *group = m_b.groupChat(QStringLiteral("chat123456"), {ann, bob});
    _MsgMessage *inGroup = m_b.message(group, bob, 100, QStringLiteral("hi all"));
    _MsgMessage *orphan = m_b.message(m_b.chat(ann), nullptr, 200, QStringLiteral("=1+1"));
    orphan->chat = nullptr;

    const QList<QStringList> rows =
        parseCsv(QString::fromUtf8(readAll(exportAll({inGroup, orphan}))));
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[1].mid(2, 2), QStringList({"chat123456", "chat123456"}));
    EXPECT_EQ(rows[2].mid(2), QStringList({"", "", "'=1+1"}));
}

TEST_F(CsvExportTest, UnwritableTargetThrowsAndLeavesNothing)
{
    const QString path = m_dir.filePath(QStringLiteral("missing/out.csv"));
    ExportMessagesCsv csv(path);
    EXPECT_THROW(csv.init(), std::runtime_error);
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(CsvExportTest, UnfinishedExportKeepsTheOlderFile)
{
    const QString path = m_dir.filePath(QStringLiteral("out.csv"));
    writeFile(path, "previous export");
    {
        ExportMessagesCsv csv(path);
        csv.init();
        _MsgMessage *message = m_b.message(m_b.chat(m_b.handle(QStringLiteral("+1"))), nullptr, 1,
                                           QStringLiteral("partial"));
        csv.write(*message);
        // Destroyed without uninit(), as after a cancel or an error.
    }
    EXPECT_EQ(readAll(path), QByteArray("previous export"));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList({"out.csv"}));
}
