// A later phone's messages through the command line: reactions with their targets, replies,
// edits and unsent messages in `messages --json`, and saving them beside the same phone's older
// database without duplicates.
#include "clitest.h"
#include "modernphonesample.h"
#include "testfiles.h"
#include "textpieces.h"
#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QRegularExpression>

namespace {

class ModernPhone : public CliTest
{
protected:
    void SetUp() override
    {
        m_older = m_data.filePath(QStringLiteral("older"));
        m_later = m_data.filePath(QStringLiteral("later"));
        ModernPhoneSample::write(QDir(m_older), false);
        ModernPhoneSample::write(QDir(m_later), true);
    }

    QHash<QString, QJsonObject> byGuid(const QString &source)
    {
        QHash<QString, QJsonObject> result;
        for (const QJsonObject &o : ok({"messages", source}))
            result.insert(o.value("guid").toString(), o);
        return result;
    }

    QString m_older;
    QString m_later;
};

// What `messages --json` says of the later phone's conversation, read from source.
void checkLaterConversation(const QHash<QString, QJsonObject> &messages)
{
    // The three common messages, the reply, the edit, the unsent one, two with attachments and
    // the reaction whose target is absent; the other reactions are with their targets.
    ASSERT_EQ(messages.size(), 9);
    const QJsonArray loved =
        messages.value(ModernPhoneSample::kAnswer).value("reactions").toArray();
    ASSERT_EQ(loved.size(), 1);
    EXPECT_EQ(only(loved.first().toObject(), {"kind", "handle", "is_from_me", "date"}),
              (QJsonObject{{"kind", "love"},
                           {"handle", ModernPhoneSample::kLeo},
                           {"is_from_me", false},
                           {"date", "2023-03-08T20:28:50Z"}}));
    // The like was taken back.
    EXPECT_TRUE(messages.value(ModernPhoneSample::kAsk).value("reactions").toArray().isEmpty());
    const QJsonObject party =
        messages.value(ModernPhoneSample::kThanks).value("reactions").toArray().first().toObject();
    EXPECT_EQ(only(party, {"kind", "emoji"}),
              (QJsonObject{{"kind", "emoji"}, {"emoji", QStringLiteral("\U0001F389")}}));
    EXPECT_EQ(
        only(messages.value(ModernPhoneSample::kReply), {"reply_to", "text"}),
        (QJsonObject{{"reply_to", ModernPhoneSample::kAsk}, {"text", "Bring the board game"}}));
    EXPECT_EQ(only(messages.value(ModernPhoneSample::kEdited), {"edited", "text"}),
              (QJsonObject{{"edited", true}, {"text", "Running late"}}));
    EXPECT_TRUE(messages.value(ModernPhoneSample::kUnsent).value("unsent").toBool());
    EXPECT_EQ(only(messages.value(ModernPhoneSample::kAsk), {"unsent", "date"}),
              (QJsonObject{{"unsent", false}, {"date", "2023-03-08T20:26:40Z"}}));
    EXPECT_EQ(strs(messages.values(), "text").count("+15551230042 laughed at a message"), 1);
}

} // namespace

TEST_F(ModernPhone, SavingTheLaterDatabaseAfterTheOlderAddsOnlyNewMessages)
{
    EXPECT_EQ(ok({"save", m_older, "--to", "Archive"}).value(0).value("saved").toInt(), 3);
    // Thirteen rows (five of them reactions), three of which the archive holds already.
    EXPECT_EQ(only(ok({"save", m_later, "--to", "Archive"}).value(0), {"processed", "saved"}),
              (QJsonObject{{"processed", 13}, {"saved", 10}}));
    // What the archive keeps reads back as the phone said it: a fault in reading the phone
    // shows here too.
    checkLaterConversation(byGuid(QStringLiteral("Archive")));
    EXPECT_EQ(only(ok({"chats", m_later}).value(0), {"message_count", "last"}),
              (QJsonObject{{"message_count", 9}, {"last", "2023-03-08T20:36:40Z"}}));
    EXPECT_EQ(ok({"save", m_later, "--to", "Archive"})[0].value("saved").toInt(), 0);
}

TEST_F(ModernPhone, ExportsShowReactionsRepliesEditsAndPictures)
{
    const QString out = m_data.filePath(QStringLiteral("out"));
    ok({"export", m_later, "--format", "html", "--out", out});
    const QDir html(out + QStringLiteral("-html"));
    const QStringList pages = html.entryList({"*.html"}, QDir::Files);
    ASSERT_EQ(pages.size(), 1);
    const QString text = QString::fromUtf8(readAll(html.filePath(pages.first())));
    EXPECT_EQ(missingFrom(text, {"\u2665 +15551230042", "Reply to “Are we still on for Friday?”",
                                 "Running late (Edited)", "This message was unsent.",
                                 "+15551230042 laughed at a message"}),
              QStringList());
    // The removed like and the removal itself show nowhere.
    EXPECT_FALSE(text.contains(QStringLiteral("\U0001F44D")));
    if (!ModernPhoneSample::heicPicture().isEmpty()) {
        // Beside the HEIC original, a JPEG rendering browsers can show.
        const QStringList files = filesBelow(html.path());
        EXPECT_EQ(files.filter(QRegularExpression(QStringLiteral("\\.HEIC$"))).size(), 1);
        EXPECT_FALSE(files.filter(QRegularExpression(QStringLiteral("\\.jpg$"))).isEmpty());
    }

    const QString txt = m_data.filePath(QStringLiteral("out.txt"));
    ok({"export", m_later, "--format", "txt", "--out", txt});
    // The reaction follows its target's text.
    EXPECT_TRUE(QString::fromUtf8(readAll(txt)).contains(QStringLiteral("Great, see you [")));
}
