// The markup pieces shared by the bubble view and the HTML export, and the shipped pictures they
// refer to.
#include "testfiles.h"
#include "xhtmlpagecheck.h"

#include "export/bubbleviewlinks.h"
#include "export/htmlmarkup.h"
#include "export/picturedirs.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>

namespace {

QString fromCode(char32_t code)
{
    return QString::fromUcs4(&code, 1);
}

QString emojiImg(const QString &code)
{
    return QStringLiteral("<img src=\"emoji/%1.png\" />").arg(code);
}

} // namespace

TEST(HtmlEncode, EscapesMarkupAndBreaksLines)
{
    const std::pair<const char *, const char *> cases[] = {
        {"<b>bold</b> & co", "&lt;b&gt;bold&lt;/b&gt; &amp; co"},
        {"one\ntwo\r\nthree", "one<br/>two<br/>three"},
        // A carriage return alone is not a line break of the phone's texts.
        {"a\rb", "a\rb"},
        // Already-escaped text is escaped again: the user wrote those characters.
        {"&amp;", "&amp;amp;"},
        {"", ""},
        // Tabs are ordinary text.
        {"a\tb", "a\tb"},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(g_htmlEncode(QString::fromUtf8(text)), QString::fromUtf8(expected)) << text;
}

TEST(HtmlEncode, EmojiBecomePicturesThatExist)
{
    ASSERT_FALSE(g_emojiPictureDir().isEmpty());
    const QDir emoji(g_emojiPictureDir());
    // A supplementary-plane emoji (a surrogate pair), an old carrier code and a symbol.
    const QString text = QStringLiteral("hi ") + fromCode(0x1F604) + fromCode(0xE415) +
                         fromCode(0x2714) + QStringLiteral(" <3");
    EXPECT_EQ(g_htmlEncode(text), QStringLiteral("hi ") + emojiImg("1F604") + emojiImg("E415") +
                                      emojiImg("2714") + QStringLiteral(" &lt;3"));
    for (const char *code : {"1F604", "E415", "2714"})
        EXPECT_TRUE(emoji.exists(QStringLiteral("%1.png").arg(QLatin1String(code)))) << code;
}

TEST(HtmlEncode, EmojiWithoutPictureStayCharacters)
{
    // U+E000 is no carrier emoji; U+1F1E6 (a flag letter) has no picture of its own.
    for (const char32_t code : {char32_t(0xE000), char32_t(0x1F1E6)}) {
        ASSERT_FALSE(g_hasEmojiPicture(QString::number(code, 16).toUpper()));
        EXPECT_EQ(g_htmlEncode(fromCode(code)), fromCode(code));
    }
}

TEST(HtmlEncode, CharactersXmlCannotHoldAreReplaced)
{
    const QString damaged =
        QStringLiteral("a") + QChar(0x01) + QChar(0xD83D) + QStringLiteral("b") + QChar(0xFFFF);
    const QString encoded = g_htmlEncode(damaged);
    EXPECT_EQ(encoded, QStringLiteral("a\uFFFD\uFFFDb\uFFFD"));
    EXPECT_TRUE(checkXhtmlFragment(encoded, QString()).wellFormed());
}

TEST(HtmlLinks, AttributesAndFileNamesSurviveSpecialCharacters)
{
    EXPECT_EQ(g_htmlAttribute(QStringLiteral("a\"b<c>&d")),
              QStringLiteral("a&quot;b&lt;c&gt;&amp;d"));

    const QString name = QStringLiteral("Tom & \"Jerry\" #1?100%.jpg");
    const QString link = g_relativeLinkAttribute(QStringLiteral("files/") + name);
    EXPECT_TRUE(link.startsWith(QLatin1String("files/"))) << qPrintable(link);
    for (const char c : {'&', '"', '#', '?', ' ', '<'})
        EXPECT_FALSE(link.mid(6).contains(QLatin1Char(c))) << c << qPrintable(link);
    EXPECT_EQ(QUrl::fromPercentEncoding(link.toUtf8()), QStringLiteral("files/") + name);
}

TEST(HtmlLinks, ViewLinksLocalFilesAndFallsBackToTheEmptyPhoto)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a#b&c \"d\".jpg"));
    writeFile(path, QByteArray());

    BubbleViewLinks links;
    const QString markup = g_imgClickableHtml(links.fileLink(path), links.pictureLink(path), "");
    const XhtmlPageCheck check = checkXhtmlFragment(markup, QString());
    ASSERT_TRUE(check.wellFormed()) << qPrintable(check.error);
    ASSERT_EQ(check.links.size(), 2);
    for (const QString &link : check.links)
        EXPECT_EQ(QUrl(link, QUrl::StrictMode).toLocalFile(), path) << qPrintable(link);

    // A missing preview shows the shipped placeholder; an unknown file links nowhere.
    EXPECT_EQ(links.pictureLink(dir.filePath("gone.jpg")),
              QStringLiteral("bubble/empty_photo.jpg"));
    EXPECT_TRUE(QFileInfo(QDir(g_pictureBaseDir()).filePath("bubble/empty_photo.jpg")).isFile());
    EXPECT_EQ(links.fileLink(QString()), QStringLiteral("#"));
}

TEST(BubbleContent, NameLineBubbleSideAndNineCells)
{
    const QString received = bubbleContent(QStringLiteral("<br/>"), false, QStringLiteral("A<B"));
    EXPECT_TRUE(received.startsWith(
        QLatin1String("<div class=\"ct_left\">A&lt;B</div><div class=\"clear\"></div>"
                      "<div class=\"bb1\">")));
    EXPECT_TRUE(received.endsWith(QLatin1String("<br/></div><div class=\"clear\"></div>")));

    const QString sent = bubbleContent(QString(), true, QString());
    EXPECT_TRUE(sent.startsWith(QLatin1String("<div class=\"bb2\">")));
    const XhtmlPageCheck check = checkXhtmlFragment(sent, QString());
    ASSERT_TRUE(check.wellFormed()) << qPrintable(check.error);
    const QStringList cells = {"top_left",    "top_middle",    "top_right",
                               "middle_left", "middle_middle", "middle_right",
                               "bottom_left", "bottom_middle", "bottom_right"};
    QStringList expected = {QStringLiteral("bb2")};
    for (const QString &cell : cells)
        expected << QStringLiteral("bb_bg ") + cell;
    expected << QStringLiteral("clear");
    EXPECT_EQ(check.classes, expected);
}

TEST(BubblePictures, StyleSheetDefinesTheClassesAndFindsItsPictures)
{
    const QDir bubble(g_bubblePictureDir());
    ASSERT_TRUE(bubble.exists());
    const QString sheet = QString::fromUtf8(readAll(bubble.filePath("style.css")));

    for (const char *cls : {"dt", "sysif", "ct_left", "clear", "bb1", "bb2", "bb_bg", "top_left",
                            "top_middle", "top_right", "middle_left", "middle_middle",
                            "middle_right", "bottom_left", "bottom_middle", "bottom_right"}) {
        const QRegularExpression selector(QStringLiteral("\\.%1\\b").arg(QLatin1String(cls)));
        EXPECT_TRUE(sheet.contains(selector)) << cls;
    }

    static const QRegularExpression url(QStringLiteral("url\\(([^)]+)\\)"));
    int pictures = 0;
    for (auto it = url.globalMatch(sheet); it.hasNext(); ++pictures) {
        const QString name = it.next().captured(1);
        const QImage image(bubble.filePath(name));
        ASSERT_FALSE(image.isNull()) << qPrintable(name);
        EXPECT_EQ(image.size(), QSize(16, 16)) << qPrintable(name);
    }
    EXPECT_EQ(pictures, 18); // nine cells for each side
    EXPECT_FALSE(QImage(bubble.filePath("empty_photo.jpg")).isNull());
}

TEST(BubblePictures, EmojiPicturesCoverCarrierCodesAndLoad)
{
    const QDir emoji(g_emojiPictureDir());
    ASSERT_TRUE(emoji.exists());
    // The first and last codes of the carrier's six pages of emoji.
    for (const char *code : {"E001", "E05A", "E101", "E15A", "E201", "E253", "E301", "E34D", "E401",
                             "E44C", "E501", "E537"}) {
        const QImage image(emoji.filePath(QStringLiteral("%1.png").arg(QLatin1String(code))));
        ASSERT_FALSE(image.isNull()) << code;
        EXPECT_EQ(image.size(), QSize(32, 32)) << code;
    }
    // The same emoji by its carrier code and by its code point.
    EXPECT_EQ(QImage(emoji.filePath("E415.png")), QImage(emoji.filePath("1F604.png")));
}
