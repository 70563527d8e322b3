// The HTML export: every page is well-formed XHTML whose links all name files of the export
// folder, with the bubbles, date lines, names and attachment bubbles of its chat.
#include "msgbuilder.h"
#include "testfiles.h"
#include "textpieces.h"
#include "xhtmlpagecheck.h"

#include "export/exportmessageshtml.h"
#include "export/picturedirs.h"
#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <stdexcept>

namespace {

class HtmlExport : public ::testing::Test
{
protected:
    // The pages' own pictures, as an export copies them beside the pages.
    void SetUp() override
    {
        const QDir bubble(g_bubblePictureDir());
        QDir(m_out.path()).mkpath("files");
        for (const QString &name : bubble.entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(bubble.filePath(name), m_out.filePath("files/" + name)));
    }

    // Writes one page of the messages and returns its text after checking that it is
    // well-formed and links only files of the export folder.
    QString exportPage(const QList<_MsgMessage *> &messages,
                       const QString &name = QStringLiteral("chat.html"))
    {
        ExportMessagesHtml page(m_out.path(), name);
        page.init();
        for (_MsgMessage *message : messages)
            page.write(*message);
        page.uninit();
        const XhtmlPageCheck check = checkXhtmlPage(page.pagePath());
        EXPECT_TRUE(check.wellFormed()) << qPrintable(check.error);
        EXPECT_TRUE(check.missing.isEmpty()) << qPrintable(check.missing.join(' '));
        m_lastCheck = check;
        return QString::fromUtf8(readAll(page.pagePath()));
    }

    QString inputFile(const QString &name, const QByteArray &content)
    {
        writeFile(m_in.filePath(name), content);
        return m_in.filePath(name);
    }

    QString inputPicture(const QString &name)
    {
        QImage image(300, 200, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        const QString path = m_in.filePath(name);
        EXPECT_TRUE(image.save(path, "JPEG"));
        return path;
    }

    _MsgAttachment *attach(_MsgMessage *message, const QString &mime, const QString &localPath,
                           const QString &name = QString())
    {
        _MsgAttachment *attachment = m_build.attachment(
            message, name.isEmpty() ? QFileInfo(localPath).fileName() : name, localPath);
        attachment->mime_type = mime;
        return attachment;
    }

    QStringList storedFiles() const { return QDir(m_out.filePath("files")).entryList(QDir::Files); }

    QTemporaryDir m_out;
    QTemporaryDir m_in;
    MsgBuilder m_build;
    XhtmlPageCheck m_lastCheck;
};

} // namespace

TEST(HtmlExportFolder, SharedPicturesCopiedWithoutOverwriting)
{
    QTemporaryDir out;
    writeFile(out.filePath("files/style.css"), "/* the user's own */");

    ExportMessagesHtml::copySharedPictures(out.path());
    // Emoji pictures come only with the pages that show them.
    EXPECT_FALSE(QFileInfo::exists(out.filePath("emoji")));
    const QStringList bubble = QDir(g_bubblePictureDir()).entryList(QDir::Files);
    EXPECT_EQ(QDir(out.filePath("files")).entryList(QDir::Files), bubble);
    EXPECT_EQ(readAll(out.filePath("files/style.css")), QByteArray("/* the user's own */"));
}

TEST_F(HtmlExport, PageHeadLinksTheCopiedStyleSheet)
{
    _MsgHandle *ann = m_build.handle(QStringLiteral("+15550101"));
    const QString page = exportPage({m_build.message(m_build.chat(ann), ann, 1000, "hello")});
    EXPECT_TRUE(page.startsWith(QLatin1String("<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0")));
    EXPECT_TRUE(page.contains(QLatin1String("<title>TextLink</title>")));
    EXPECT_TRUE(m_lastCheck.links.contains(QStringLiteral("files/style.css")));
    EXPECT_TRUE(page.endsWith(QLatin1String("</body></html>")));
    EXPECT_TRUE(QFile::exists(m_out.filePath("files/bb1_top_left.png")));
}

TEST_F(HtmlExport, DateLinesAfterMoreThanAMinute)
{
    _MsgHandle *ann = m_build.handle(QStringLiteral("+15550101"));
    _MsgChat *chat = m_build.chat(ann);
    // 60 s apart share a line; 61 s apart get one each; the gap counts from the last line.
    const QString page = exportPage(
        {m_build.message(chat, ann, 1000, "a"), m_build.message(chat, nullptr, 1060, "b"),
         m_build.message(chat, ann, 1121, "c"), m_build.message(chat, ann, 1150, "d"),
         m_build.message(chat, ann, 1182, "e")});
    EXPECT_EQ(m_lastCheck.classes.count(QStringLiteral("dt")), 3);
    // Each page starts with its own date line.
    exportPage({m_build.message(chat, ann, 1183, "f")}, QStringLiteral("other.html"));
    EXPECT_EQ(m_lastCheck.classes.count(QStringLiteral("dt")), 1);
}

TEST_F(HtmlExport, SenderNamesOnlyForOthersInGroups)
{
    _MsgHandle *ann = m_build.handle(QStringLiteral("+15550101"));
    ann->_ct_name = QStringLiteral("Ann <A&B>");
    _MsgHandle *bob = m_build.handle(QStringLiteral("bob@example.com"));
    _MsgChat *group = m_build.groupChat(QStringLiteral("chat42"), {ann, bob});

    exportPage({m_build.message(m_build.chat(ann), ann, 1000, "one to one")}, "single.html");
    EXPECT_FALSE(m_lastCheck.classes.contains(QStringLiteral("ct_left")));
    EXPECT_TRUE(m_lastCheck.classes.contains(QStringLiteral("bb1")));

    const QString page = exportPage({m_build.message(group, ann, 1000, "from Ann"),
                                     m_build.message(group, bob, 1001, "from Bob"),
                                     m_build.message(group, nullptr, 1002, "from me")},
                                    "group.html");
    EXPECT_EQ(m_lastCheck.classes.count(QStringLiteral("ct_left")), 2);
    EXPECT_EQ(missingFrom(page, {"<div class=\"ct_left\">Ann &lt;A&amp;B&gt;</div>",
                                 "<div class=\"ct_left\">bob@example.com</div>"}),
              QStringList());
    EXPECT_EQ(m_lastCheck.classes.count(QStringLiteral("bb2")), 1);
}

TEST_F(HtmlExport, TextSubjectEmojiAndGroupEvents)
{
    _MsgHandle *ann = m_build.handle(QStringLiteral("+15550101"));
    _MsgChat *chat = m_build.chat(ann);
    _MsgMessage *text = m_build.message(chat, ann, 1000,
                                        QStringLiteral("1 < 2 & \"q\"\r\nnext ") +
                                            QString::fromUcs4(U"\U0001F604\uE415"));
    text->setSubject(QStringLiteral("Re: <x>"));
    _MsgMessage *event = m_build.message(chat, ann, 1001, QString());
    event->item_type = 3;
    _MsgMessage *empty = m_build.message(chat, nullptr, 1002, QString());

    const QString page = exportPage({text, event, empty});
    EXPECT_TRUE(page.contains(QLatin1String("&lt;Subject:Re: &lt;x&gt;&gt;<br/>1 &lt; 2 &amp; "
                                            "\"q\"<br/>next <img src=\"emoji/1F604.png\" />"
                                            "<img src=\"emoji/E415.png\" />")));
    // Exactly the pictures the page shows are copied, not the whole set.
    EXPECT_EQ(QDir(m_out.filePath("emoji")).entryList(QDir::Files),
              QStringList({"1F604.png", "E415.png"}));
    EXPECT_EQ(m_lastCheck.classes.count(QStringLiteral("sysif")), 1);
    // The empty message still shows a bubble; the event shows none.
    EXPECT_EQ(m_lastCheck.classes.count(QStringLiteral("bb1")), 1);
    EXPECT_EQ(m_lastCheck.classes.count(QStringLiteral("bb2")), 1);
}

TEST_F(HtmlExport, AttachmentBubblesByMimeType)
{
    _MsgHandle *ann = m_build.handle(QStringLiteral("+15550101"));
    _MsgMessage *message = m_build.message(m_build.chat(ann), ann, 1000, QString());
    attach(message, "IMAGE/JPEG", inputPicture("photo.jpg"));
    attach(message, "video/mp4", inputFile("clip.mov", "v"));
    attach(message, "audio/amr", inputFile("voice.amr", "a"));
    attach(message, "text/vcard",
           inputFile("card.vcf", "BEGIN:VCARD\r\nFN:Card Person\r\nEND:VCARD\r\n"));
    attach(message, "text/x-vCard", inputFile("nocard.vcf", "not a card"));
    attach(message, "text/plain", inputFile("note.txt", "line <1>\nline 2"));
    attach(message, "application/pdf", inputFile("doc.pdf", "%PDF"));

    const QString page = exportPage({message});
    // No text bubble: the message is only its attachments, one bubble each.
    EXPECT_EQ(m_lastCheck.classes.count(QStringLiteral("bb1")), 7);
    EXPECT_EQ(
        missingFrom(page, {"<a href=\"files/clip.mov\">[VIDEO]</a>",
                           "<a href=\"files/voice.amr\">[AUDIO]</a>",
                           "<a href=\"files/nocard.vcf\">[VCARD]</a>", "line &lt;1&gt;<br/>line 2",
                           "<a href=\"files/doc.pdf\">[ATTACHMENT]</a>",
                           "<a href=\"files/photo.jpg\"><img src=\"files/",
                           "style=\"max-width:120px;max-height:120px\"",
                           "<a href=\"files/card.vcf\"><img src=\"files/",
                           "style=\"max-width:420px;max-height:420px\""}),
        QStringList());

    // The previews copied beside the pages are pictures: the photo's thumbnail and the card.
    QStringList previews =
        m_lastCheck.links.filter(QRegularExpression("^files/.*(thumb|jpg|png)$"));
    previews.removeAll(QStringLiteral("files/photo.jpg"));
    ASSERT_EQ(previews.size(), 2) << qPrintable(previews.join(' '));
    EXPECT_EQ(QImage(m_out.filePath(previews.at(0))).size(), QSize(120, 80));
    EXPECT_EQ(QImage(m_out.filePath(previews.at(1))).width(), 200);
}

TEST_F(HtmlExport, MissingFilesLinkNowhere)
{
    _MsgHandle *ann = m_build.handle(QStringLiteral("+15550101"));
    _MsgMessage *message = m_build.message(m_build.chat(ann), ann, 1000, "gone");
    attach(message, "image/jpeg", m_in.filePath("gone.jpg"));
    attach(message, "application/zip", QString(), "never.zip");
    attach(message, "text/plain", m_in.filePath("gone.txt"));

    const QString page = exportPage({message});
    // The picture without a file or thumbnail shows the shipped empty photo.
    EXPECT_EQ(missingFrom(page, {"<a href=\"#\"><img src=\"files/empty_photo.jpg\"",
                                 "<a href=\"#\">[ATTACHMENT]</a>"}),
              QStringList());
    // The unreadable text part is left out: text bubble, picture, attachment.
    EXPECT_EQ(m_lastCheck.classes.count(QStringLiteral("bb1")), 3);
}

TEST_F(HtmlExport, FileNamesWithMarkupAndUrlCharactersStillLink)
{
    _MsgHandle *ann = m_build.handle(QStringLiteral("+15550101"));
    _MsgChat *chat = m_build.chat(ann);
    QDir(m_in.path()).mkpath("a");
    QDir(m_in.path()).mkpath("b");
    _MsgMessage *first = m_build.message(chat, ann, 1000, QString());
    attach(first, "application/octet-stream", inputFile("Tom & \"Jerry\" #1 100%?.bin", "x"));
    attach(first, "video/mp4", inputFile("<clip>'s.mp4", "y"));
    // Equal names from two messages are both kept.
    _MsgMessage *second = m_build.message(chat, ann, 2000, QString());
    attach(second, "image/jpeg", inputPicture("a/IMG_0001.JPG"));
    _MsgMessage *third = m_build.message(chat, ann, 3000, QString());
    attach(third, "image/jpeg", inputPicture("b/IMG_0001.JPG"));

    exportPage({first, second, third});
    // Every link resolved to a file (checked by exportPage), and each a different file.
    const QStringList fileLinks = m_lastCheck.links.filter(QRegularExpression("^files/(?!bb|st)"));
    EXPECT_EQ(fileLinks.size(), 6) << qPrintable(fileLinks.join(' '));
    EXPECT_EQ(QSet<QString>(fileLinks.begin(), fileLinks.end()).size(), 6);
    for (const char *name : {"Tom & \"Jerry\" #1 100%?.bin", "IMG_0001.JPG", "IMG_0001(1).JPG"})
        EXPECT_TRUE(storedFiles().contains(QLatin1String(name))) << name;
}

TEST_F(HtmlExport, PageThatCannotBeCreatedThrows)
{
    QDir(m_out.path()).mkpath("taken.html");
    ExportMessagesHtml page(m_out.path(), QStringLiteral("taken.html"));
    EXPECT_THROW(page.init(), std::runtime_error);
}

TEST_F(HtmlExport, ManyChatsEachGetAFinishedPage)
{
    constexpr int kChats = 150;
    for (int i = 0; i < kChats; ++i) {
        _MsgHandle *who = m_build.handle(QStringLiteral("+1555%1").arg(i, 4, 10, QLatin1Char('0')));
        _MsgChat *chat = m_build.chat(who);
        _MsgMessage *message = m_build.message(chat, who, 1000 + i, QStringLiteral("hi %1").arg(i));
        QDir(m_in.path()).mkpath(QString::number(i));
        attach(message, "audio/amr", inputFile(QStringLiteral("%1/voice.amr").arg(i), "a"));
        exportPage({message}, QStringLiteral("chat%1.html").arg(i));
    }
    EXPECT_EQ(QDir(m_out.path()).entryList({"*.html"}, QDir::Files).size(), kChats);
    // All the voice notes share a name and are all kept.
    EXPECT_EQ(storedFiles().filter(QStringLiteral("voice")).size(), kChats);
}
