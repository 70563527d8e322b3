// Reading the message database of later phones: archived texts, reactions, replies, edits,
// unsent messages and attachments, and that their identity matches older phones'.
#include "fixtures/modernsmsdbwriter.h"
#include "iosdb/ios6messagedb.h"
#include "model/msgattachment.h"
#include "model/msgdata.h"
#include "model/msgmessage.h"
#include "model/msgreactions.h"
#include "modernphonesample.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

namespace {

class ModernMessages : public ::testing::Test
{
protected:
    QDir folder(const char *name) const { return QDir(m_dir.filePath(QLatin1String(name))); }

    MsgData load(const QDir &dir, bool local = false)
    {
        IOS6MessageDb db(dir, QString(), local);
        MsgData data;
        db.messages(data, 0);
        for (_MsgMessage *msg : data.messages())
            m_byGuid.insert(msg->guid(), msg);
        return data;
    }

    const _MsgMessage *byGuid(const char *guid) const
    {
        return m_byGuid.value(QLatin1String(guid));
    }

    QTemporaryDir m_dir;
    QHash<QString, _MsgMessage *> m_byGuid;
};

QStringList badges(const _MsgMessage &msg)
{
    QStringList result;
    for (const _MsgMessage *reaction : MsgReactions::standing(msg))
        result << MsgReactions::kindName(reaction->associated_message_type);
    return result;
}

} // namespace

TEST_F(ModernMessages, TextsDatesAndWhatLaterPhonesAdd)
{
    ModernPhoneSample::write(folder("later"), true);
    const MsgData data = load(folder("later"));

    struct Expect
    {
        const char *guid;
        QString text;
        int offset;
        QStringList reactions;
    };
    const Expect expected[] = {
        {ModernPhoneSample::kAsk, QStringLiteral("Are we still on for Friday?"), 0, {}},
        {ModernPhoneSample::kAnswer, QStringLiteral("Yes! 7pm \U0001F355"), 60, {"love"}},
        {ModernPhoneSample::kThanks, QStringLiteral("Great, see you"), 120, {"emoji"}},
        {ModernPhoneSample::kReply, QStringLiteral("Bring the board game"), 200, {}},
        {ModernPhoneSample::kEdited, QStringLiteral("Running late"), 300, {}},
        {ModernPhoneSample::kUnsent, QString(), 400, {}},
    };
    for (const Expect &e : expected) {
        const _MsgMessage *msg = byGuid(e.guid);
        ASSERT_TRUE(msg) << e.guid;
        EXPECT_EQ(msg->plainText(), e.text) << e.guid;
        EXPECT_EQ(msg->date, ModernPhoneSample::kBase + e.offset) << e.guid;
        EXPECT_EQ(badges(*msg), e.reactions) << e.guid;
        EXPECT_TRUE(msg->isShownAlone()) << e.guid;
    }
    EXPECT_EQ(byGuid(ModernPhoneSample::kReply)->replyTarget, byGuid(ModernPhoneSample::kAsk));
    EXPECT_TRUE(byGuid(ModernPhoneSample::kEdited)->edited);
    EXPECT_TRUE(byGuid(ModernPhoneSample::kUnsent)->unsent);
    EXPECT_EQ(byGuid(ModernPhoneSample::kUnsent)->summary(), "This message was unsent.");
    EXPECT_EQ(byGuid(ModernPhoneSample::kThanks)->reactions.first()->associated_message_emoji(),
              QStringLiteral("\U0001F389"));

    // Every reaction row stays a record; only the one whose target is absent shows alone.
    int reactions = 0;
    for (const _MsgMessage *msg : data.messages()) {
        if (!msg->isReaction())
            continue;
        ++reactions;
        if (msg->isShownAlone()) {
            EXPECT_EQ(msg->summary(), QStringLiteral("+15551230042 laughed at a message"));
        }
    }
    EXPECT_EQ(reactions, 5);
}

TEST_F(ModernMessages, AttachmentsResolveBelowThePhoneFolder)
{
    ModernPhoneSample::write(folder("later"), true);
    const MsgData data = load(folder("later"));
    int present = 0, missing = 0;
    for (const _MsgAttachment *atta : std::as_const(data.p()->attachments)) {
        EXPECT_TRUE(atta->localPath.startsWith(folder("later").filePath(
            QStringLiteral("file-relay/var/mobile/Library/SMS/Attachments/"))))
            << atta->localPath.toStdString();
        (QFileInfo(atta->localPath).isFile() ? present : missing)++;
        if (atta->mime_type == QLatin1String("image/heic") && QFileInfo(atta->localPath).isFile()) {
            // Previews and renderings come from the decoded picture, not from Qt's readers.
            EXPECT_EQ(QImage(atta->thumbnail()).width(), 120);
            EXPECT_EQ(QImage(atta->jpegRendering()).size(), QSize(64, 64));
        }
        if (atta->mime_type != QLatin1String("image/heic")) {
            EXPECT_TRUE(atta->jpegRendering().isEmpty());
        }
    }
    EXPECT_EQ(present, ModernPhoneSample::heicPicture().isEmpty() ? 0 : 1);
    EXPECT_EQ(missing, ModernPhoneSample::heicPicture().isEmpty() ? 2 : 1);
}

TEST_F(ModernMessages, SameMessagesHaveOneIdentityAcrossLayouts)
{
    ModernPhoneSample::write(folder("older"), false);
    ModernPhoneSample::write(folder("later"), true);
    QHash<QString, QString> olderHashes;
    {
        const MsgData older = load(folder("older"));
        for (const _MsgMessage *msg : older.messages())
            olderHashes.insert(msg->guid(), msg->logicalHash());
    }
    m_byGuid.clear();
    const MsgData later = load(folder("later"));
    ASSERT_EQ(olderHashes.size(), 3);
    for (auto it = olderHashes.cbegin(); it != olderHashes.cend(); ++it)
        EXPECT_EQ(byGuid(it.key().toLatin1().constData())->logicalHash(), it.value())
            << it.key().toStdString();
}
