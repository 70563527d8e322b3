#include "msgbuilder.h"
#include "pdfprobe.h"
#include "recordingprogress.h"
#include "testfiles.h"
#include "textpieces.h"

#include "export/exporterfactory.h"
#include "export/exportmessagespdf.h"
#include "export/exportmessagesthread.h"
#include "export/mmsprinterprivacy.h"
#include "export/printbubble.h"
#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QImage>
#include <QPdfWriter>
#include <QRawFont>
#include <QTemporaryDir>

#include <algorithm>
#include <stdexcept>

namespace {

// 2014-04-24 in the phone's seconds since 2001.
constexpr int kDay = 420000000;

class PdfExportTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // Exports the messages through the export worker into the folder "out-pdf".
    QString exportAll(const QList<_MsgMessage *> &messages)
    {
        const QString folder = path(QStringLiteral("out-pdf"));
        RecordingProgress progress;
        ExportMessagesThread worker(messages, folder, ExportFormat::Pdf, progress);
        EXPECT_TRUE(progress.run(worker)) << progress.endText().toStdString();
        return folder;
    }

    QStringList pdfFiles(const QString &folder) const
    {
        return QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
    }

    // A message of chat at date whose only content is a file of that type.
    void withFile(_MsgChat *chat, int date, const QString &name, const QString &path,
                  const char *mime, const QString &text = QString())
    {
        _MsgMessage *message = m_b.message(chat, nullptr, date, text);
        m_b.attachment(message, QStringLiteral("~/") + name, path)->mime_type = QLatin1String(mime);
    }

    QString writeInput(const QString &name, const QByteArray &content) const
    {
        ::writeFile(path(name), content);
        return path(name);
    }

    QTemporaryDir m_dir;
    MsgBuilder m_b;
};

} // namespace

TEST_F(PdfExportTest, EachChatGetsItsOwnFileWithItsTextsAndNames)
{
    _MsgHandle *ann = m_b.handle(QStringLiteral("ann@example.com"));
    ann->_ct_name = QStringLiteral("Ann Ödegaard");
    _MsgHandle *bob = m_b.handle(QStringLiteral("+15550002"));
    _MsgChat *withAnn = m_b.chat(ann);
    _MsgChat *group = m_b.groupChat(QStringLiteral("chat42"), {ann, bob});
    m_b.message(withAnn, ann, kDay, QStringLiteral("Grüße aus Köln"));
    m_b.message(withAnn, nullptr, kDay + 30, QStringLiteral("Καλημέρα, Ann"));
    m_b.message(group, bob, kDay + 100, QStringLiteral("Привет всем"));
    m_b.message(group, ann, kDay + 200, QStringLiteral("Who brings <b>the tent</b> & food?"));

    const QString folder = exportAll(m_b.data().messages());
    const QStringList files = pdfFiles(folder);
    ASSERT_EQ(files.size(), 2) << files.join(", ").toStdString();
    EXPECT_TRUE(files.contains(QStringLiteral("chat42.pdf")));

    const QString group42 = PdfProbe::text(QDir(folder).filePath(QStringLiteral("chat42.pdf")));
    // Received messages of a group are headed by their sender.
    EXPECT_EQ(missingFrom(group42, {"Привет всем", "Who brings <b>the tent</b> & food?",
                                    "Ann Ödegaard", "+15550002"}),
              QStringList());
    EXPECT_FALSE(group42.contains(QStringLiteral("Köln")));

    const QString other = files.at(files.at(0) == QStringLiteral("chat42.pdf") ? 1 : 0);
    const QString oneToOne = PdfProbe::text(QDir(folder).filePath(other));
    EXPECT_EQ(missingFrom(oneToOne, {"Grüße aus Köln", "Καλημέρα, Ann"}), QStringList());
    // The conversation's name heads the first page; a one-to-one chat has no sender lines.
    EXPECT_TRUE(oneToOne.trimmed().startsWith(QStringLiteral("Ann Ödegaard")));
    EXPECT_EQ(oneToOne.count(QStringLiteral("Ödegaard")), 1);
    EXPECT_TRUE(group42.trimmed().startsWith(QStringLiteral("+15550002, Ann Ödegaard")));
    // The bold heading is drawn from the page's own face: each file embeds that one face.
    for (const QString &file : files)
        EXPECT_EQ(PdfProbe::fonts(QDir(folder).filePath(file)).join(' ').toStdString(),
                  "DejaVuSans")
            << file.toStdString();
    EXPECT_FALSE(oneToOne.contains(QStringLiteral("Привет")));
}

// Letters the page's face lacks are drawn from another installed face, embedded beside it.
TEST_F(PdfExportTest, LettersThePageFaceLacksComeFromAnotherFace)
{
    const QChar arc(0x2312);
    ASSERT_FALSE(QRawFont::fromFont(PrintBubble::bubbleFont()).supportsCharacter(arc));
    const QStringList families = QFontDatabase::families();
    if (std::none_of(families.begin(), families.end(), [&](const QString &family) {
            return QRawFont::fromFont(QFont(family)).supportsCharacter(arc);
        }))
        GTEST_SKIP() << "no installed face has U+2312";
    _MsgChat *chat = m_b.chat(m_b.handle(QStringLiteral("math@example.com")));
    m_b.message(chat, nullptr, kDay, QStringLiteral("an arc %1 here").arg(arc));

    const QString file =
        QDir(exportAll(m_b.data().messages())).filePath(QStringLiteral("math@example.com.pdf"));
    EXPECT_TRUE(PdfProbe::text(file).contains(QStringLiteral("an arc %1 here").arg(arc)));
    const QStringList fonts = PdfProbe::fonts(file);
    EXPECT_EQ(fonts.size(), 2) << fonts.join(' ').toStdString();
    EXPECT_TRUE(fonts.contains(QStringLiteral("DejaVuSans")));
}

TEST_F(PdfExportTest, MoreMessagesMakeMorePagesEachNumbered)
{
    _MsgChat *few = m_b.chat(m_b.handle(QStringLiteral("few@example.com")));
    _MsgChat *many = m_b.chat(m_b.handle(QStringLiteral("many@example.com")));
    for (int i = 0; i < 3; ++i)
        m_b.message(few, nullptr, kDay + i, QStringLiteral("short %1").arg(i));
    for (int i = 0; i < 120; ++i)
        m_b.message(many, nullptr, kDay + 1000 + i * 3600, QStringLiteral("message %1").arg(i));

    const QString folder = exportAll(m_b.data().messages());
    const QString fewPath = QDir(folder).filePath(QStringLiteral("few@example.com.pdf"));
    const QString manyPath = QDir(folder).filePath(QStringLiteral("many@example.com.pdf"));
    EXPECT_EQ(PdfProbe::pageCount(fewPath), 1);
    const int pages = PdfProbe::pageCount(manyPath);
    EXPECT_GT(pages, 3);

    const QString text = PdfProbe::text(manyPath);
    for (int i = 0; i < 120; ++i)
        EXPECT_TRUE(text.contains(QStringLiteral("message %1\n").arg(i))) << i;
    // pdftotext ends every page with a form feed; the last page carries its own number.
    const QStringList pageTexts = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    ASSERT_GE(pageTexts.size(), pages);
    EXPECT_TRUE(pageTexts.at(pages - 1).contains(QString::number(pages)));
}

TEST_F(PdfExportTest, TextTallerThanAPageContinuesOnTheNextPagesWithoutLosingLines)
{
    _MsgChat *chat = m_b.chat(m_b.handle(QStringLiteral("long@example.com")));
    QStringList lines;
    for (int i = 0; i < 150; ++i)
        lines << QStringLiteral("line-%1").arg(i, 3, 10, QLatin1Char('0'));
    m_b.message(chat, nullptr, kDay, lines.join(QLatin1Char('\n')));
    m_b.message(chat, nullptr, kDay + 10, QStringLiteral("after the long one"));

    const QString file =
        QDir(exportAll(m_b.data().messages())).filePath(QStringLiteral("long@example.com.pdf"));
    EXPECT_GE(PdfProbe::pageCount(file), 3);
    const QString text = PdfProbe::text(file);
    for (const QString &line : std::as_const(lines))
        EXPECT_EQ(text.count(line), 1) << line.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("after the long one")));
}

TEST_F(PdfExportTest, PicturesCardsAndOtherAttachments)
{
    _MsgChat *chat = m_b.chat(m_b.handle(QStringLiteral("pics@example.com")));
    QImage photo(300, 200, QImage::Format_RGB32);
    photo.fill(Qt::darkGreen);
    ASSERT_TRUE(photo.save(path(QStringLiteral("IMG_0001.JPG")), "JPEG"));
    _MsgMessage *withPhoto = m_b.message(chat, nullptr, kDay, QString());
    m_b.attachment(withPhoto, QStringLiteral("~/IMG_0001.JPG"),
                   path(QStringLiteral("IMG_0001.JPG")));

    const QString card = writeInput(QStringLiteral("zoe.vcf"),
                                    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Zo\xc3\xab Example\r\n"
                                    "TEL:+15550199\r\nEND:VCARD\r\n");
    withFile(chat, kDay + 100, "zoe.vcf", card, "text/x-vCard", QStringLiteral("her card"));
    withFile(chat, kDay + 200, "gone.vcf", QString(), "text/vcard");
    withFile(chat, kDay + 300, "a.mov", QString(), "VIDEO/quicktime");
    withFile(chat, kDay + 400, "note.txt", writeInput("note.txt", "Notiz: Übermorgen"),
             "text/plain");

    const QString file =
        QDir(exportAll(m_b.data().messages())).filePath(QStringLiteral("pics@example.com.pdf"));
    const QString text = PdfProbe::text(file);
    EXPECT_EQ(missingFrom(text, {"her card", "[VCARD]", "[VIDEO]", "Notiz: Übermorgen"}),
              QStringList());
    // The card is a picture, so its name is not in the page's text.
    EXPECT_FALSE(text.contains(QStringLiteral("Zoë")));

    const QList<QSize> images = PdfProbe::images(file);
    // The photo's 120-pixel preview and the 200 × 90 card picture.
    EXPECT_TRUE(images.contains(QSize(120, 80)));
    EXPECT_TRUE(images.contains(QSize(200, 90)));
}

TEST_F(PdfExportTest, EmptySelectionWritesNoFile)
{
    const QString folder = exportAll({});
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_TRUE(pdfFiles(folder).isEmpty());
}

TEST_F(PdfExportTest, UnwritableTargetIsAnErrorAndUnfinishedFilesDoNotAppear)
{
    ExportMessagesPdf nowhere(path(QStringLiteral("no/such/folder/x.pdf")));
    EXPECT_THROW(nowhere.init(), std::runtime_error);

    _MsgChat *chat = m_b.chat(m_b.handle(QStringLiteral("half@example.com")));
    _MsgMessage *message = m_b.message(chat, nullptr, kDay, QStringLiteral("hello"));
    const QString target = path(QStringLiteral("half.pdf"));
    {
        const MessageExporter exporter =
            g_createExporter(ExportFormat::Pdf, m_dir.path(), QStringLiteral("half.pdf"));
        exporter->init();
        exporter->write(*message);
        // Dropped without uninit, as after a cancel or an error.
    }
    EXPECT_FALSE(QFile::exists(target));

    const MessageExporter exporter =
        g_createExporter(ExportFormat::Pdf, m_dir.path(), QStringLiteral("half.pdf"));
    exporter->init();
    exporter->write(*message);
    exporter->uninit();
    EXPECT_TRUE(PdfProbe::text(target).contains(QStringLiteral("hello")));
}

namespace {

// The layout engine on an in-memory PDF.
class Layout
{
public:
    Layout() : m_writer(&m_buffer)
    {
        m_buffer.open(QIODevice::WriteOnly);
        ExportMessagesPdf::setUpWriter(m_writer);
        EXPECT_TRUE(m_engine.reset(&m_writer));
    }
    MMSPrinterPrivacy &engine() { return m_engine; }

private:
    QBuffer m_buffer;
    QPdfWriter m_writer;
    MMSPrinterPrivacy m_engine;
};

} // namespace

TEST_F(PdfExportTest, ADateLineFollowsMoreThanAMinuteAfterTheLast)
{
    _MsgChat *chat = m_b.chat(m_b.handle(QStringLiteral("d@example.com")));
    _MsgMessage *first = m_b.message(chat, nullptr, kDay, QStringLiteral("one"));
    _MsgMessage *atSixty = m_b.message(chat, nullptr, kDay + 60, QStringLiteral("two"));
    _MsgMessage *atSixtyOne = m_b.message(chat, nullptr, kDay + 61, QStringLiteral("two"));

    Layout same;
    same.engine().print(first);
    same.engine().print(atSixty);
    Layout apart;
    apart.engine().print(first);
    apart.engine().print(atSixtyOne);
    // The only difference is the second date line.
    EXPECT_EQ(apart.engine().y() - same.engine().y(), 24);

    Layout group;
    const int top = group.engine().y();
    _MsgMessage *event = m_b.message(chat, nullptr, kDay, QString());
    event->item_type = 3;
    group.engine().print(event);
    // A group event has no date line and no bubble: only its text line and gap.
    EXPECT_GT(group.engine().y() - top, 8);
    EXPECT_LT(group.engine().y() - top, 24 + 52);
}

TEST_F(PdfExportTest, ADateLineNeverStaysAloneAtTheFootOfAPage)
{
    _MsgChat *chat = m_b.chat(m_b.handle(QStringLiteral("e@example.com")));
    Layout layout;
    MMSPrinterPrivacy &engine = layout.engine();
    const int top = engine.contentRect().top();
    int breaks = 0;
    for (int i = 0; i < 60; ++i) {
        // Each message gets a date line (they are hours apart) and a one-line bubble.
        const int page = engine.pageNumber();
        engine.print(m_b.message(chat, nullptr, kDay + i * 3600, QStringLiteral("hi")));
        if (engine.pageNumber() == page)
            continue;
        ++breaks;
        // The new page starts with the date line, then its bubble: both moved together.
        EXPECT_GE(engine.y() - top, 24 + 52) << "message " << i;
    }
    EXPECT_GE(breaks, 3);
}

TEST_F(PdfExportTest, PageBreaksRestartAtTheTopAndCountPages)
{
    Layout layout;
    MMSPrinterPrivacy &engine = layout.engine();
    const QRect content = engine.contentRect();
    EXPECT_EQ(content.top(), 20);
    EXPECT_EQ(content.left(), 20);
    EXPECT_GT(content.height(), content.width());

    engine.checkAndNextPage(content.height() - engine.y());
    EXPECT_EQ(engine.pageNumber(), 1);
    engine.checkAndNextPage(content.height() - engine.y() + 1);
    EXPECT_EQ(engine.pageNumber(), 2);
    EXPECT_EQ(engine.y(), content.top());
}

TEST(PrintBubble, SizesFollowTheTextAndPicture)
{
    const PrintBubble word = PrintBubble::text_bubble(QStringLiteral("Hi"), 400, true);
    EXPECT_EQ(word.size(), QSize(90, 52));

    const QString paragraph(600, QLatin1Char('x'));
    const PrintBubble wide = PrintBubble::text_bubble(paragraph, 400, false);
    EXPECT_LE(wide.width(), 400);
    EXPECT_GT(wide.height(), 52);

    EXPECT_TRUE(PrintBubble::pm_bubble(QImage(), true).isEmpty());
    QImage picture(100, 60, QImage::Format_RGB32);
    picture.fill(Qt::red);
    EXPECT_EQ(PrintBubble::pm_bubble(picture, false).size(), QSize(150, 90));
}

TEST(PrintBubble, SplittingKeepsEveryLineOnce)
{
    QStringList lines;
    for (int i = 0; i < 40; ++i)
        lines << QStringLiteral("line %1").arg(i);
    PrintBubble rest = PrintBubble::text_bubble(lines.join(QLatin1Char('\n')), 400, true);
    const int whole = rest.height() - 20;
    EXPECT_TRUE(rest.takeTop(10).isEmpty()); // not even one line fits
    int shown = 0;
    int parts = 0;
    for (PrintBubble top = rest.takeTop(200); !top.isEmpty(); top = rest.takeTop(200)) {
        EXPECT_LE(top.height(), 200);
        shown += top.height() - 20;
        ++parts;
    }
    shown += rest.height() - 20;
    EXPECT_GE(parts, 3);
    EXPECT_NEAR(shown, whole, parts + 1); // each part rounds its height up
}

TEST(PrintBubble, LongTextsAreLaidOutInPiecesThatKeepEveryCharacter)
{
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    const struct
    {
        QString text;
        int maxChars;
        QStringList pieces;
    } cases[] = {
        {"short", 10, {"short"}},
        {"one two three", 8, {"one two ", "three"}},
        {"ab\ncd ef\ngh", 9, {"ab\ncd ef\n", "gh"}},
        {"abcdefgh", 3, {"abc", "def", "gh"}},
        {"ab" + emoji + "cd", 3, {"ab", emoji + "c", "d"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(PrintBubble::textPieces(c.text, c.maxChars), c.pieces) << c.text.toStdString();
}
