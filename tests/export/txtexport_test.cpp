#include "msgbuilder.h"
#include "testfiles.h"

#include "export/exportmessagestxt.h"
#include "model/msgchat.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QTemporaryDir>

namespace {

QStringList exportLines(const QString &path, const QList<_MsgMessage *> &messages)
{
    ExportMessagesTxt txt(path);
    txt.init();
    for (_MsgMessage *message : messages)
        txt.write(*message);
    txt.uninit();
    QStringList lines = QString::fromUtf8(readAll(path)).split(QLatin1Char('\n'));
    EXPECT_EQ(lines.takeLast(), QString()); // every line ends with a line feed
    return lines;
}

} // namespace

class TxtExportTest : public ::testing::Test
{
protected:
    QTemporaryDir m_dir;
    MsgBuilder m_b;
};

TEST_F(TxtExportTest, ColumnsFlagsAndNames)
{
    _MsgHandle *ann = m_b.handle(QStringLiteral("+15550001"));
    ann->_ct_name = QStringLiteral("Ann");
    _MsgChat *chat = m_b.chat(ann);
    _MsgMessage *received = m_b.message(chat, ann, 100, QStringLiteral("  hello\r\nthere  "));
    _MsgMessage *sent = m_b.message(chat, nullptr, 200, QStringLiteral("ok"));
    _MsgMessage *event = m_b.message(chat, ann, 300, QString());
    event->item_type = 3;
    _MsgMessage *orphan = m_b.message(chat, nullptr, 400, QStringLiteral("lost"));
    orphan->chat = nullptr;

    const QStringList lines =
        exportLines(m_dir.filePath(QStringLiteral("m.txt")), {received, sent, event, orphan});
    ASSERT_EQ(lines.size(), 5);
    const QString header = lines[0];
    EXPECT_EQ(header.indexOf(QLatin1String("Flag")), 30);
    EXPECT_EQ(header.indexOf(QLatin1String("Name")), 36);
    EXPECT_EQ(header.indexOf(QLatin1String("Message")), 76);
    EXPECT_TRUE(header.startsWith(QLatin1String("Date ")));

    const QString date = QLocale::system().toString(
        QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC).addSecs(100).toLocalTime(),
        QLocale::ShortFormat);
    EXPECT_EQ(lines[1], date.leftJustified(30) + QStringLiteral("From  ") +
                            QStringLiteral("Ann").leftJustified(40) +
                            QStringLiteral("hello there"));
    EXPECT_EQ(lines[2].mid(30, 6), QStringLiteral("To    "));
    EXPECT_EQ(lines[3].mid(30, 6), QStringLiteral("      ")); // group event: no direction
    EXPECT_TRUE(lines[3].mid(76).startsWith(QLatin1String("Ann left the conversation.")));
    EXPECT_EQ(lines[4].mid(36, 40).trimmed(), QStringLiteral("Unknown"));
    EXPECT_EQ(lines[4].mid(76), QStringLiteral("lost"));
}

TEST_F(TxtExportTest, LongNamesPushTheMessageRight)
{
    _MsgHandle *h = m_b.handle(QStringLiteral("x").repeated(50));
    _MsgMessage *m = m_b.message(m_b.chat(h), h, 1, QStringLiteral("text"));
    const QStringList lines = exportLines(m_dir.filePath(QStringLiteral("m.doc")), {m});
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[1].mid(36), QStringLiteral("x").repeated(50) + QStringLiteral("text"));
}
