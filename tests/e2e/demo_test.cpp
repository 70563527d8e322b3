#include "clirunner.h"

#include "export/qvcardparser.h"
#include "fixtures/demobackup.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QTemporaryDir>

namespace {

const QString kDatabase = QStringLiteral("Demo iPhone");

// Every file below folder, relative path -> bytes.
QMap<QString, QByteArray> contentsBelow(const QString &folder)
{
    QMap<QString, QByteArray> files;
    for (const QString &file : filesBelow(folder))
        files.insert(file, readAll(QDir(folder).filePath(file)));
    return files;
}

// The demo backup is written and imported once for the whole suite: every case reads the same
// local database, as the desktop program would.
class DemoData : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        ASSERT_TRUE(s_dir->isValid());
        s_summary = new DemoBackup::Summary(DemoBackup().write(backupPath()));
        const CliResult imported = cli({"import-backup", backupPath(), "--to", kDatabase});
        ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
        ASSERT_EQ(imported.jsonLines().size(), 1);
        s_saved = imported.jsonLines().first().value("saved").toInt();
    }

    static void TearDownTestSuite()
    {
        delete s_summary;
        delete s_dir;
    }

    static QString backupPath() { return s_dir->filePath(QStringLiteral("backup")); }

    static CliResult cli(const QStringList &args)
    {
        return runCli(QStringList{"--data-dir", s_dir->filePath(QStringLiteral("data")), "--json",
                                  "--quiet"} +
                      args);
    }

    static QList<QJsonObject> listed(const QStringList &args)
    {
        const CliResult result = cli(args);
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        return result.jsonLines();
    }

    static QList<QJsonObject> attachments()
    {
        return attachmentsOf(listed({"messages", kDatabase}));
    }

    static QTemporaryDir *s_dir;
    static DemoBackup::Summary *s_summary;
    static int s_saved;
};

QTemporaryDir *DemoData::s_dir = nullptr;
DemoBackup::Summary *DemoData::s_summary = nullptr;
int DemoData::s_saved = 0;

} // namespace

TEST_F(DemoData, ConversationsMergeServicesAndKeepTheirMessages)
{
    const DemoBackup::Summary &summary = *s_summary;
    EXPECT_GE(summary.messages, 200);
    EXPECT_EQ(s_saved, summary.messages);

    // Eight people (two of them over SMS and iMessage, each one conversation) and two groups.
    const QList<QJsonObject> chats = listed({"chats", kDatabase});
    ASSERT_EQ(chats.size(), 10);
    QMap<QString, int> counts;
    for (const QJsonObject &chat : chats)
        counts.insert(str(chat, "chat_identifier"), chat.value("message_count").toInt());
    EXPECT_EQ(counts, summary.messagesOfConversation);
    EXPECT_EQ(listed({"messages", kDatabase}).size(), summary.messages);

    int named = 0;
    for (const QJsonObject &chat : chats) {
        const QString id = str(chat, "chat_identifier");
        if (summary.contactOfAddress.contains(id)) {
            const QString contact = summary.contactOfAddress.value(id);
            EXPECT_EQ(str(chat, "display_name"), contact.isEmpty() ? id : contact);
        } else if (str(chat, "display_name") == summary.groupName) {
            ++named;
        }
    }
    EXPECT_EQ(named, 1);

    // As the phone has it: the member who left is no participant any more, the one added is.
    for (const QJsonObject &chat : listed({"chats", backupPath()})) {
        if (str(chat, "display_name") == summary.groupName) {
            EXPECT_EQ(chat.value("participants").toArray().size(), 3);
        }
    }
}

TEST_F(DemoData, SendersCarryTheirContactNames)
{
    const DemoBackup::Summary &summary = *s_summary;
    QSet<QString> namesSeen;
    int unknown = 0;
    for (const QJsonObject &m : listed({"messages", kDatabase})) {
        if (m.value("is_from_me").toInt() != 0 || m.value("item_type").toInt() != 0)
            continue;
        const QString handle = str(m, "handle");
        ASSERT_TRUE(summary.contactOfAddress.contains(handle)) << handle.toStdString();
        const QString expected = summary.contactOfAddress.value(handle);
        EXPECT_EQ(str(m, "contact_name"), expected) << handle.toStdString();
        if (expected.isEmpty())
            ++unknown;
        else
            namesSeen.insert(expected);
    }
    // Everyone in the book who writes shows up by name; the one stranger by number only.
    int known = 0;
    for (const QString &name : summary.contactOfAddress)
        known += name.isEmpty() ? 0 : 1;
    EXPECT_EQ(namesSeen.size(), known);
    EXPECT_GT(unknown, 0);
}

TEST_F(DemoData, PicturesArePresentExceptTheOneNeverDownloaded)
{
    const DemoBackup::Summary &summary = *s_summary;
    QStringList pictures;
    int missing = 0;
    for (const QJsonObject &a : attachments()) {
        const QString name = str(a, "transfer_name");
        if (name == summary.missingPicture) {
            ++missing;
            EXPECT_FALSE(a.value("exists").toBool());
            continue;
        }
        if (!str(a, "mime_type").startsWith(QLatin1String("image/")))
            continue;
        pictures << name;
        EXPECT_TRUE(a.value("exists").toBool()) << name.toStdString();
        const QImage image(str(a, "local_path"));
        EXPECT_FALSE(image.isNull()) << name.toStdString();
    }
    EXPECT_EQ(missing, 1);
    pictures.sort();
    QStringList expected = summary.pictures;
    expected.sort();
    EXPECT_EQ(pictures, expected);
}

TEST_F(DemoData, ContactCardIsAValidCardWithAPhoto)
{
    const DemoBackup::Summary &summary = *s_summary;
    QList<QJsonObject> cards;
    for (const QJsonObject &a : attachments()) {
        if (str(a, "mime_type") == QLatin1String("text/vcard"))
            cards << a;
    }
    ASSERT_EQ(cards.size(), 1);
    EXPECT_EQ(str(cards.first(), "transfer_name"), summary.card);
    const QByteArray bytes = readAll(str(cards.first(), "local_path"));
    const QList<QVCardParser::Card> parsed = QVCardParser::parse(bytes);
    ASSERT_EQ(parsed.size(), 1);
    const auto properties = QVCardParser::vCardPropertiesMap(parsed.first());
    EXPECT_EQ(properties.value("VERSION").toString(), QStringLiteral("3.0"));
    EXPECT_EQ(properties.value("FN").toString(), summary.cardName);
    EXPECT_FALSE(properties.value("TEL").toString().isEmpty());
    EXPECT_FALSE(QImage::fromData(properties.value("PHOTO").data, "JPEG").isNull());
    // Folded as the format asks: no line longer than 75 octets.
    for (const QByteArray &line : bytes.split('\n'))
        EXPECT_LE(line.size(), 76);
}

TEST_F(DemoData, HistoryHoldsSystemItemsAndEmoji)
{
    QMap<int, int> itemTypes;
    bool modernEmoji = false;
    for (const QJsonObject &m : listed({"messages", kDatabase})) {
        ++itemTypes[m.value("item_type").toInt()];
        for (const QChar c : str(m, "text"))
            modernEmoji = modernEmoji || c.isHighSurrogate();
    }
    EXPECT_EQ(itemTypes.value(1), 1); // a member added
    EXPECT_EQ(itemTypes.value(2), 2); // the group named, then renamed
    EXPECT_EQ(itemTypes.value(3), 1); // a member left
    EXPECT_TRUE(modernEmoji);
}

TEST_F(DemoData, WritingTwiceGivesTheSameBackup)
{
    QTemporaryDir again;
    const DemoBackup::Summary second = DemoBackup().write(again.path());
    EXPECT_EQ(second.messagesOfConversation, s_summary->messagesOfConversation);
    const QMap<QString, QByteArray> first = contentsBelow(backupPath());
    const QMap<QString, QByteArray> other = contentsBelow(again.path());
    EXPECT_EQ(first.keys(), other.keys());
    for (auto it = first.cbegin(); it != first.cend(); ++it)
        EXPECT_TRUE(other.value(it.key()) == it.value()) << it.key().toStdString();
}
