// A later phone's messages through the command line: reactions with their targets, replies,
// edits and unsent messages in `messages --json`, and saving them beside the same phone's older
// database without duplicates.
#include "clitest.h"
#include "modernphonesample.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QRegularExpression>
#include <QTemporaryDir>

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
    const QJsonObject love = loved.first().toObject();
    EXPECT_EQ(love.value("kind").toString(), "love");
    EXPECT_EQ(love.value("handle").toString(), ModernPhoneSample::kLeo);
    EXPECT_FALSE(love.value("is_from_me").toBool());
    EXPECT_EQ(love.value("date").toString(), "2023-03-08T20:28:50Z");
    // The like was taken back.
    EXPECT_TRUE(messages.value(ModernPhoneSample::kAsk).value("reactions").toArray().isEmpty());
    const QJsonObject party =
        messages.value(ModernPhoneSample::kThanks).value("reactions").toArray().first().toObject();
    EXPECT_EQ(party.value("kind").toString(), "emoji");
    EXPECT_EQ(party.value("emoji").toString(), QStringLiteral("\U0001F389"));

    const QJsonObject reply = messages.value(ModernPhoneSample::kReply);
    EXPECT_EQ(reply.value("reply_to").toString(), ModernPhoneSample::kAsk);
    EXPECT_EQ(reply.value("text").toString(), "Bring the board game");
    const QJsonObject edited = messages.value(ModernPhoneSample::kEdited);
    EXPECT_TRUE(edited.value("edited").toBool());
    EXPECT_EQ(edited.value("text").toString(), "Running late");
    EXPECT_TRUE(messages.value(ModernPhoneSample::kUnsent).value("unsent").toBool());
    EXPECT_FALSE(messages.value(ModernPhoneSample::kAsk).value("unsent").toBool());
    EXPECT_EQ(messages.value(ModernPhoneSample::kAsk).value("date").toString(),
              "2023-03-08T20:26:40Z");

    int alone = 0;
    for (const QJsonObject &o : messages) {
        if (o.value("text").toString() == "+15551230042 laughed at a message")
            ++alone;
    }
    EXPECT_EQ(alone, 1);
}

} // namespace

TEST_F(ModernPhone, MessagesShowReactionsRepliesEditsAndUnsent)
{
    checkLaterConversation(byGuid(m_later));
    const QList<QJsonObject> chats = ok({"chats", m_later});
    ASSERT_EQ(chats.size(), 1);
    EXPECT_EQ(chats[0].value("message_count").toInt(), 9);
    EXPECT_EQ(chats[0].value("last").toString(), "2023-03-08T20:36:40Z");
}

TEST_F(ModernPhone, SavingTheLaterDatabaseAfterTheOlderAddsOnlyNewMessages)
{
    const QList<QJsonObject> older = ok({"save", m_older, "--to", "Archive"});
    ASSERT_EQ(older.size(), 1);
    EXPECT_EQ(older[0].value("saved").toInt(), 3);
    const QList<QJsonObject> later = ok({"save", m_later, "--to", "Archive"});
    ASSERT_EQ(later.size(), 1);
    // Thirteen rows (five of them reactions), three of which the archive holds already.
    EXPECT_EQ(later[0].value("processed").toInt(), 13);
    EXPECT_EQ(later[0].value("saved").toInt(), 10);
    // What the archive keeps reads back as the phone said it.
    checkLaterConversation(byGuid(QStringLiteral("Archive")));
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
    for (const QString &expected :
         {QStringLiteral("\u2665 +15551230042"),
          QStringLiteral("Reply to “Are we still on for Friday?”"),
          QStringLiteral("Running late (Edited)"), QStringLiteral("This message was unsent."),
          QStringLiteral("+15551230042 laughed at a message")})
        EXPECT_TRUE(text.contains(expected)) << expected.toStdString();
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
