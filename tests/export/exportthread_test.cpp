#include "msgbuilder.h"
#include "msgtexts.h"
#include "recordingprogress.h"

#include "export/chatorder.h"
#include "export/exportmessagesthread.h"
#include "export/exportpaths.h"
#include "model/msgchat.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <random>

TEST(ChatOrder, GroupsStayTogetherAndOldestConversationComesFirst)
{
    MsgBuilder b;
    // Ann's and Bob's chats end at the same date: the bare predicate calls them equal.
    _MsgChat *ann = b.chat(b.handle(QStringLiteral("ann@x.com")));
    _MsgChat *annUpper = b.chat(b.handle(QStringLiteral("ANN@x.com"), QStringLiteral("iMessage")));
    _MsgChat *bob = b.chat(b.handle(QStringLiteral("bob@x.com")));
    _MsgChat *old = b.chat(b.handle(QStringLiteral("old@x.com")));
    b.message(ann, nullptr, 100, QStringLiteral("a1"));
    b.message(bob, nullptr, 200, QStringLiteral("b1"));
    b.message(annUpper, nullptr, 300, QStringLiteral("a2"));
    b.message(ann, nullptr, 5000, QStringLiteral("a3"));
    b.message(bob, nullptr, 5000, QStringLiteral("b2"));
    b.message(old, nullptr, 50, QStringLiteral("o1"));
    b.message(old, nullptr, 7, QStringLiteral("n1"))->chat = nullptr;
    b.message(old, nullptr, 60, QStringLiteral("o2"));

    QList<_MsgMessage *> messages = b.data().messages();
    std::mt19937 random(7);
    QStringList first;
    for (int round = 0; round < 20; ++round) {
        std::shuffle(messages.begin(), messages.end(), random);
        g_sortMessagesByChat(messages);
        const QStringList texts = textsOf(messages);
        // No chat (date 0), then "old" (60), then the two chats ending at 5000 in a fixed order.
        EXPECT_EQ(texts.mid(0, 3), QStringList({"n1", "o1", "o2"}));
        const QStringList annFirst = {"a1", "a2", "a3", "b1", "b2"};
        const QStringList bobFirst = {"b1", "b2", "a1", "a2", "a3"};
        EXPECT_TRUE(texts.mid(3) == annFirst || texts.mid(3) == bobFirst)
            << texts.join(',').toStdString();
        if (first.isEmpty())
            first = texts;
        EXPECT_EQ(texts, first); // independent of the input order
    }
    EXPECT_TRUE(compareMsgMessageChatDateAsc(messages[1], messages[3]));
    EXPECT_FALSE(compareMsgMessageChatDateAsc(messages[3], messages[1]));
}

TEST(ExportPaths, SaveDialogRules)
{
    EXPECT_EQ(g_exportTargetPath("/h/chat", ExportFileType::Txt), "/h/chat.txt");
    EXPECT_EQ(g_exportTargetPath("/h/chat", ExportFileType::Doc), "/h/chat.doc");
    EXPECT_EQ(g_exportTargetPath("/h/chat.csv", ExportFileType::Csv), "/h/chat.csv");
    EXPECT_EQ(g_exportTargetPath("/h/chat.txt", ExportFileType::Csv), "/h/chat.txt");
    EXPECT_EQ(g_exportTargetPath("/h/chat.pdf", ExportFileType::Pdf), "/h/chat-pdf");
    EXPECT_EQ(g_exportTargetPath("/h/chat", ExportFileType::Pdf), "/h/chat-pdf");
    EXPECT_EQ(g_exportTargetPath("/h.d/my.chat.html", ExportFileType::Html), "/h.d/my-html");
    EXPECT_EQ(g_exportTargetPath("rel", ExportFileType::Html), "rel-html");
    EXPECT_EQ(g_exportTargetPath("/h/chat", ExportFileType::Xml), "/h/chat.xml");
    EXPECT_EQ(g_exportTargetPath("/h/chat.bak", ExportFileType::Xml), "/h/chat.bak");

    EXPECT_EQ(g_exportFileFilters().size(), 6);
    EXPECT_EQ(g_exportFileTypeOfName("XML"), ExportFileType::Xml);
    EXPECT_EQ(g_exportFileFilters().at(1), "Doc Files(*.doc)");
    EXPECT_EQ(g_exportFileTypeOfFilter("PDF Files(*.pdf)"), ExportFileType::Pdf);
    EXPECT_FALSE(g_exportFileTypeOfFilter("All Files(*)").has_value());
    EXPECT_EQ(g_exportFileTypeOfName("CSV"), ExportFileType::Csv);
    EXPECT_FALSE(g_exportFileTypeOfName("xls").has_value());
    EXPECT_EQ(g_exportFormatOf(ExportFileType::Doc), ExportFormat::Text);

    const QDateTime when(QDate(2024, 3, 5), QTime(7, 8, 9));
    EXPECT_EQ(g_defaultExportPath("/home/u", when), "/home/u/messages(20240305-070809)");
    EXPECT_EQ(g_extractionFolderPath("/x", when), "/x/attachments(20240305-070809)");
}

class ExportThreadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        _MsgChat *ann = m_b.chat(m_b.handle(QStringLiteral("+15550001")));
        _MsgChat *bob = m_b.chat(m_b.handle(QStringLiteral("+15550002")));
        for (int i = 0; i < 6; ++i)
            m_b.message(i % 2 ? ann : bob, nullptr, 10000 - i * 1000, QStringLiteral("m%1").arg(i));
    }

    QString path(const char *name) const { return m_dir.filePath(QLatin1String(name)); }

    QTemporaryDir m_dir;
    MsgBuilder m_b;
    RecordingProgress m_progress;
};

TEST_F(ExportThreadTest, CsvIsWrittenOldestFirstAndReported)
{
    ExportMessagesThread worker(m_b.data().messages(), path("out.csv"), ExportFormat::Csv,
                                m_progress);
    ASSERT_TRUE(m_progress.run(worker)) << m_progress.endText().toStdString();
    EXPECT_EQ(QStringList({m_progress.endText(), m_progress.statuses().first()}),
              QStringList({"Successfully exported 6 Messages.", "Exporting Messages..."}));
    EXPECT_EQ(m_progress.values().last(), 100);
    QStringList texts;
    for (const QString &line : QString::fromUtf8(readAll(path("out.csv"))).split('\n'))
        texts << line.section(',', -1);
    EXPECT_EQ(texts, QStringList({"content", "m5", "m4", "m3", "m2", "m1", "m0", ""}));
}

TEST_F(ExportThreadTest, EmptySelectionStillGivesAFile)
{
    ExportMessagesThread worker(QList<_MsgMessage *>(), path("empty.txt"), ExportFormat::Text,
                                m_progress);
    ASSERT_TRUE(m_progress.run(worker));
    EXPECT_TRUE(readAll(path("empty.txt")).startsWith("Date"));
}

TEST_F(ExportThreadTest, CancelLeavesNoPartialFile)
{
    writeFile(path("out.txt"), "older export");
    m_progress.cancelAtUpdate(3);
    ExportMessagesThread worker(m_b.data().messages(), path("out.txt"), ExportFormat::Text,
                                m_progress);
    EXPECT_FALSE(m_progress.run(worker));
    EXPECT_EQ(m_progress.endCount(), 0);
    EXPECT_EQ(readAll(path("out.txt")), QByteArray("older export"));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList({"out.txt"}));
}

TEST_F(ExportThreadTest, UnwritableTargetIsReportedAsError)
{
    ExportMessagesThread worker(m_b.data().messages(), path("no/such/dir/out.csv"),
                                ExportFormat::Csv, m_progress);
    EXPECT_FALSE(m_progress.run(worker));
    ASSERT_EQ(m_progress.callsOf(RecordingProgress::Kind::Error).size(), 1);
    EXPECT_TRUE(m_progress.endText().contains(QLatin1String("out.csv")));
}
