#include "frame/appdirs.h"
#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

namespace {

constexpr int kSecondsFrom1970To2001 = 978307200;

_MsgAttachment makeAttachment(qint64 rowid, const QString &mimeType)
{
    _MsgAttachment attachment;
    attachment.rowid = rowid;
    attachment.mime_type = mimeType;
    return attachment;
}

void attach(_MsgMessage &msg, _MsgAttachment &attachment)
{
    msg.attachmentMap.insert(QString::number(attachment.rowid), &attachment);
}

_MsgHandle makeHandle(qint64 rowid, const QString &id, const QString &name = QString())
{
    _MsgHandle handle;
    handle.rowid = rowid;
    handle.id = id;
    handle._ct_name = name;
    return handle;
}

void addParticipant(_MsgChat &chat, _MsgHandle &handle)
{
    chat.handleMap.insert(QString::number(handle.rowid), &handle);
}

} // namespace

TEST(MessageRecord, PlainTextDropsEveryPlaceholder)
{
    _MsgMessage msg;
    msg.setText(QStringLiteral("\uFFFCHello\uFFFC world\uFFFC"));
    EXPECT_EQ(msg.plainText(), QStringLiteral("Hello world"));
    msg.setText(QStringLiteral("\uFFFC"));
    EXPECT_TRUE(msg.plainText().isEmpty());
}

TEST(MessageRecord, AttachmentsComeInRowOrderWhateverTheirKeys)
{
    _MsgMessage msg;
    _MsgAttachment a = makeAttachment(30, {});
    _MsgAttachment b = makeAttachment(4, {});
    _MsgAttachment c = makeAttachment(200, {});
    // Keys compare as text ("200" < "30" < "4"), rows as numbers.
    attach(msg, a);
    attach(msg, b);
    attach(msg, c);
    const QList<_MsgAttachment *> sorted = msg.attachments();
    ASSERT_EQ(sorted.size(), 3);
    EXPECT_EQ(sorted[0], &b);
    EXPECT_EQ(sorted[1], &a);
    EXPECT_EQ(sorted[2], &c);
}

TEST(MessageSummary, OrdinaryMessages)
{
    _MsgMessage msg;
    msg.setText(QStringLiteral("  word \n"));
    EXPECT_EQ(msg.summaryRawEmoji(), QStringLiteral("word"));

    msg.setText(QStringLiteral("\uFFFC"));
    _MsgAttachment jpeg = makeAttachment(1, QStringLiteral("image/jpeg"));
    attach(msg, jpeg);
    EXPECT_EQ(msg.summaryRawEmoji(), QStringLiteral("[IMAGE]"));
}

TEST(MessageSummary, AttachmentTagsFollowTheMimeTypeIgnoringCase)
{
    _MsgMessage msg;
    msg.setText(QStringLiteral("look"));
    _MsgAttachment attachments[] = {
        makeAttachment(1, QStringLiteral("IMAGE/PNG")),
        makeAttachment(2, QStringLiteral("Video/mp4")),
        makeAttachment(3, QStringLiteral("audio/amr")),
        makeAttachment(4, QStringLiteral("text/X-VCARD")),
        makeAttachment(5, QStringLiteral("text/vcard")),
        makeAttachment(6, QStringLiteral("text/vcard2")),
        makeAttachment(7, QStringLiteral("application/pdf")),
        makeAttachment(8, QString()),
    };
    for (_MsgAttachment &attachment : attachments)
        attach(msg, attachment);
    EXPECT_EQ(msg.summaryRawEmoji(),
              QStringLiteral("look [IMAGE] [VIDEO] [AUDIO] [VCARD] [VCARD] [ATTA] [ATTA] [ATTA]"));
}

TEST(MessageSummary, EmojiAreReplacedOnlyInTheCookedSummary)
{
    _MsgMessage msg;
    msg.setText(QStringLiteral("hi \U0001F600 and \uE415"));
    EXPECT_EQ(msg.summaryRawEmoji(), msg.text());
    EXPECT_EQ(msg.summary(), QStringLiteral("hi [EMOJI] and [EMOJI]"));
}

class ItemSummary : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // A minute below ten: it must be written with two digits.
        const QDateTime when(QDate(2013, 5, 4), QTime(15, 7), Qt::LocalTime);
        m_msg.date = static_cast<int>(when.toSecsSinceEpoch() - kSecondsFrom1970To2001);
        m_date = QStringLiteral("04 May 2013 3:07 PM");
        m_msg.handle = &m_anna;
        m_msg.otherHandle = &m_bob;
    }

    _MsgHandle m_anna = makeHandle(1, QStringLiteral("+1 555 0100"), QStringLiteral("Anna"));
    _MsgHandle m_bob = makeHandle(2, QStringLiteral("bob@example.com"));
    _MsgMessage m_msg;
    QString m_date;
};

// Items read as one sentence and the date: their text, attachments and missing handles aside.
TEST_F(ItemSummary, EachItemTypeHasItsSentence)
{
    _MsgAttachment image = makeAttachment(1, QStringLiteral("image/png"));
    const struct
    {
        int itemType, shareStatus;
        bool withHandle, withOther, withContent;
        const char *expected;
    } cases[] = {
        {1, 0, true, true, false, "Anna Added bob@example.com to the conversation."},
        {2, 0, true, true, false, "Anna named the conversation \"Climbing\"."},
        {3, 0, true, true, false, "Anna left the conversation."},
        {3, 0, true, true, true, "Anna left the conversation."},
        {4, 0, true, true, false, "Anna started sharing location with bob@example.com."},
        {4, 1, true, true, false, "Anna stopped sharing location with bob@example.com."},
        {5, 0, true, true, false, "System Information."},
        {17, 0, true, true, false, "System Information."},
        {-1, 0, true, true, false, "System Information."},
        {1, 0, false, true, false, "You Added bob@example.com to the conversation."},
        {1, 0, true, false, false, "Anna Added You to the conversation."},
    };
    m_msg.setGroupTitle(QStringLiteral("Climbing"));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.expected);
        m_msg.item_type = c.itemType;
        m_msg.share_status = c.shareStatus;
        m_msg.handle = c.withHandle ? &m_anna : nullptr;
        m_msg.otherHandle = c.withOther ? &m_bob : nullptr;
        m_msg.setText(c.withContent ? QStringLiteral("ignored") : QString());
        m_msg.attachmentMap = {};
        if (c.withContent)
            attach(m_msg, image);
        EXPECT_EQ(m_msg.summaryRawEmoji(), QString::fromUtf8(c.expected) + "\n" + m_date);
    }
}

TEST(HandleName, NameAndNumber)
{
    const _MsgHandle named =
        makeHandle(1, QStringLiteral("+44 20 7946 0000"), QStringLiteral("Cleo"));
    EXPECT_EQ(named.displayName(false), QStringLiteral("Cleo"));
    EXPECT_EQ(named.displayName(true), QStringLiteral("Cleo (+44 20 7946 0000)"));
    const _MsgHandle bare = makeHandle(2, QStringLiteral("dan@example.com"));
    EXPECT_EQ(bare.displayName(false), QStringLiteral("dan@example.com"));
    EXPECT_EQ(bare.displayName(true), QStringLiteral("dan@example.com"));
}

TEST(ChatName, Rules)
{
    _MsgChat chat;
    EXPECT_EQ(chat.displayName(false), QStringLiteral("Unknown"));
    EXPECT_FALSE(chat.isGroup());
    chat.display_name = QStringLiteral("Family");
    EXPECT_EQ(chat.displayName(true), QStringLiteral("Family"));

    _MsgHandle cleo = makeHandle(9, QStringLiteral("+1 555 0109"), QStringLiteral("Cleo"));
    _MsgHandle dan = makeHandle(3, QStringLiteral("dan@example.com"));
    addParticipant(chat, cleo);
    EXPECT_FALSE(chat.isGroup());
    addParticipant(chat, dan);
    EXPECT_TRUE(chat.isGroup());
    // A name the user gave wins over the participants.
    EXPECT_EQ(chat.displayName(false), QStringLiteral("Family"));
    chat.display_name.clear();
    EXPECT_EQ(chat.displayName(false), QStringLiteral("Cleo, dan@example.com"));
    EXPECT_EQ(chat.displayName(true), QStringLiteral("Cleo (+1 555 0109), dan@example.com"));
    // The same people numbered the other way round (saved again elsewhere): the same title.
    std::swap(cleo.rowid, dan.rowid);
    chat.handleMap.clear();
    addParticipant(chat, dan);
    addParticipant(chat, cleo);
    EXPECT_EQ(chat.displayName(false), QStringLiteral("Cleo, dan@example.com"));
}

TEST(MessageExportText, KeepsTheOwnCharactersAndNamesTheAttachments)
{
    struct Case
    {
        bool attached;
        QString text;
        QString transferName;
        QString filename;
        QString expected;
    };
    const QChar placeholder(0xFFFC);
    const Case cases[] = {
        {false, QStringLiteral("smile \U0001F600"), {}, {}, QStringLiteral("smile \U0001F600")},
        {true, QStringLiteral("look") + placeholder, QStringLiteral("IMG_0001.JPG"),
         QStringLiteral("~/Library/SMS/Attachments/ab/IMG_0001.JPG"),
         QStringLiteral("look [IMG_0001.JPG]")},
        // Without a shown name the file's own name stands in.
        {true,
         placeholder,
         {},
         QStringLiteral("~/Library/SMS/Attachments/cd/card.vcf"),
         QStringLiteral("[card.vcf]")},
        // With no name at all, the kind of file.
        {true, QStringLiteral("x"), {}, {}, QStringLiteral("x [IMAGE]")},
    };
    for (const Case &c : cases) {
        _MsgMessage msg;
        msg.setText(c.text);
        _MsgAttachment attachment = makeAttachment(1, QStringLiteral("image/jpeg"));
        attachment.transfer_name = c.transferName;
        attachment.filename = c.filename;
        if (c.attached)
            attach(msg, attachment);
        EXPECT_EQ(msg.exportText(), c.expected) << c.expected.toStdString();
    }
}

TEST(ContactInfo, NamesTheOtherSide)
{
    _MsgMessage msg;
    EXPECT_EQ(msg.contactInfo(), QStringLiteral("unknown"));

    _MsgChat chat;
    _MsgHandle cleo = makeHandle(1, QStringLiteral("+1 555 0109"), QStringLiteral("Cleo"));
    _MsgHandle dan = makeHandle(2, QStringLiteral("dan@example.com"));
    addParticipant(chat, cleo);
    msg.chat = &chat;
    msg.handle = &cleo;
    // One-to-one: no sender in brackets.
    EXPECT_EQ(msg.contactInfo(), QStringLiteral("Cleo (+1 555 0109)"));

    addParticipant(chat, dan);
    EXPECT_EQ(msg.contactInfo(), QStringLiteral("Cleo (+1 555 0109), dan@example.com (Cleo)"));
    msg.handle = &dan;
    EXPECT_EQ(msg.contactInfo(),
              QStringLiteral("Cleo (+1 555 0109), dan@example.com (dan@example.com)"));
    msg.handle = nullptr;
    EXPECT_EQ(msg.contactInfo(), QStringLiteral("Cleo (+1 555 0109), dan@example.com"));
}

class Thumbnail : public ::testing::Test
{
protected:
    void TearDown() override
    {
        for (const QString &path : std::as_const(m_made))
            QFile::remove(path);
    }

    QString thumbnailOf(const QString &path)
    {
        _MsgAttachment attachment;
        attachment.localPath = path;
        const QString thumb = attachment.thumbnail();
        m_made << thumb;
        return thumb;
    }

    QString writeImage(const QString &name, QSize size, const char *format)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(image.save(path, format));
        return path;
    }

    QTemporaryDir m_dir;
    QStringList m_made;
};

// Previews fit 120 pixels on the longer side, in the format the file really has, whatever its name.
TEST_F(Thumbnail, ShrinksToFitAndKeepsTheRealFormat)
{
    const struct
    {
        const char *name, *format;
        QSize size, expectedSize;
        QByteArray expectedFormat;
    } cases[] = {
        {"wide.png", "PNG", {300, 150}, {120, 60}, "png"},
        {"tall.jpg", "JPG", {100, 400}, {30, 120}, "jpeg"},
        {"odd.jpg", "PNG", {240, 240}, {120, 120}, "png"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString thumb = thumbnailOf(writeImage(QLatin1String(c.name), c.size, c.format));
        EXPECT_EQ(QFileInfo(thumb).dir(), g_previewCacheDir());
        EXPECT_TRUE(thumb.endsWith(QStringLiteral(".thumb")));
        QImageReader reader(thumb);
        EXPECT_EQ(reader.format(), c.expectedFormat);
        EXPECT_EQ(reader.size(), c.expectedSize);
    }
}

TEST_F(Thumbnail, NoPreviewForFilesThatAreNoPicture)
{
    const QString path = m_dir.filePath(QStringLiteral("note.txt"));
    writeFile(path, "not a picture");
    const QString thumb = thumbnailOf(path);
    EXPECT_FALSE(thumb.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(thumb));
    EXPECT_FALSE(QFileInfo::exists(thumbnailOf(m_dir.filePath(QStringLiteral("missing.png")))));
}

TEST_F(Thumbnail, AnExistingPreviewIsReused)
{
    const QString source = writeImage(QStringLiteral("again.png"), {200, 100}, "PNG");
    const QString thumb = thumbnailOf(source);
    ASSERT_TRUE(QFileInfo::exists(thumb));
    // Replace the preview by a marker; a second call must hand it back untouched.
    writeFile(thumb, "marker");
    EXPECT_EQ(thumbnailOf(source), thumb);
    EXPECT_EQ(readAll(thumb), QByteArray("marker"));
}
