#include "export/printbubble.h"

#include "export/bubblepictures.h"
#include "export/unhintedface.h"
#include "model/msgfunctions.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetrics>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QUrl>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr int kTextTop = 10;
constexpr int kPadding = 50;     // horizontal room of the frame around text or picture
constexpr int kTextPadding = 20; // vertical room around text
constexpr int kPicturePadding = 30;
constexpr int kMinWidth = 90;
constexpr int kMinHeight = 52;

// Inserts text, with emoji as inline pictures of the line's height.
void insertWithEmoji(QTextCursor &cursor, QTextDocument &document, QString text)
{
    // Each emoji becomes a marker that splits the text; the codes are collected in order.
    const QChar marker(QChar::ObjectReplacementCharacter);
    text.remove(marker);
    QStringList codes;
    const QString marked = emoji_replace(
        text,
        [marker](const QString &code, void *context) {
            static_cast<QStringList *>(context)->append(code);
            return QString(marker);
        },
        &codes);
    const QStringList pieces = marked.split(marker);
    const int side = QFontMetrics(document.defaultFont()).height();
    for (int i = 0; i < pieces.size(); ++i) {
        cursor.insertText(pieces.at(i));
        if (i >= codes.size())
            continue;
        const QImage picture = BubblePictures::instance().emoji(codes.at(i));
        if (picture.isNull()) {
            cursor.insertText(QStringLiteral("[EMOJI]"));
            continue;
        }
        const QUrl name(QStringLiteral("emoji:") + codes.at(i));
        document.addResource(QTextDocument::ImageResource, name, picture);
        QTextImageFormat format;
        format.setName(name.toString());
        format.setWidth(side);
        format.setHeight(side);
        format.setVerticalAlignment(QTextCharFormat::AlignBottom);
        cursor.insertImage(format);
    }
}

QSharedPointer<QTextDocument> makeDocument(QString text, int width, PrintBubble::Emoji emoji)
{
    auto document = QSharedPointer<QTextDocument>::create();
    document->setDocumentMargin(0);
    document->setDefaultFont(PrintBubble::bubbleFont());
    QTextOption option;
    // A long word (a link) must not run out of the bubble and off the page.
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document->setDefaultTextOption(option);
    document->setTextWidth(std::max(width, 1));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QTextCursor cursor(document.data());
    if (emoji == PrintBubble::Emoji::Picture)
        insertWithEmoji(cursor, *document, text);
    else
        cursor.insertText(text);
    // Keep the shaped glyphs of the layout for painting, which would otherwise shape every line
    // a second time.
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        block.layout()->setCacheEnabled(true);
    return document;
}

// The frame's pieces laid on the page's colour, once per process. Bubbles are always drawn on
// that colour, and opaque pictures need no transparency mask: a PDF stores one picture per piece
// instead of two.
const QImage &framePiece(bool fromMe, int index)
{
    using Pieces = std::array<QImage, BubblePictures::kPieceCount>;
    static const std::array<Pieces, 2> pieces = [] {
        std::array<Pieces, 2> sets;
        for (const bool sent : {false, true}) {
            for (int i = 0; i < BubblePictures::kPieceCount; ++i) {
                const QImage &piece = BubblePictures::instance().piece(sent, i);
                if (piece.isNull())
                    continue;
                QImage opaque(piece.size(), QImage::Format_RGB32);
                opaque.fill(PrintBubble::pageColor());
                QPainter painter(&opaque);
                painter.drawImage(0, 0, piece);
                sets[sent ? 1 : 0][i] = opaque;
            }
        }
        return sets;
    }();
    return pieces[fromMe ? 1 : 0][index];
}

QList<qreal> lineBottoms(QTextDocument &document)
{
    QList<qreal> bottoms;
    QAbstractTextDocumentLayout *layout = document.documentLayout();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const qreal top = layout->blockBoundingRect(block).top();
        const QTextLayout *lines = block.layout();
        for (int i = 0; i < lines->lineCount(); ++i) {
            const QTextLine line = lines->lineAt(i);
            bottoms << top + line.y() + line.height();
        }
    }
    return bottoms;
}

} // namespace

QColor PrintBubble::pageColor()
{
    return QColor(219, 226, 237);
}

const QFont &PrintBubble::bubbleFont()
{
    // A font installed everywhere the program runs, so that a PDF looks the same on every
    // machine; 16 pixels is 12 points on the 96-units-per-inch page. Drawn from a copy without
    // hinting, which PDF files are written much faster with and which looks the same.
    static const QFont font = [] {
        QFont f(UnhintedFace::install(QFont(QStringLiteral("DejaVu Sans"))));
        f.setPixelSize(16);
        // Any letter spacing turns ligatures off: a PDF reader would otherwise find "ﬁrst"
        // where the message says "first", and searching the document would miss it.
        f.setLetterSpacing(QFont::AbsoluteSpacing, 0.05);
        return f;
    }();
    return font;
}

PrintBubble PrintBubble::text_bubble(const QString &text, int maxWidth, bool fromMe, Emoji emoji)
{
    PrintBubble bubble(fromMe);
    bubble.m_text = makeDocument(text, maxWidth - kPadding, emoji);
    bubble.m_textWidth = static_cast<int>(std::ceil(bubble.m_text->idealWidth()));
    bubble.m_lineBottoms = lineBottoms(*bubble.m_text);
    bubble.m_to = bubble.m_lineBottoms.isEmpty() ? 0 : bubble.m_lineBottoms.last();
    bubble.updateTextSize();
    return bubble;
}

QStringList PrintBubble::textPieces(const QString &text, int maxChars)
{
    QStringList pieces;
    qsizetype from = 0;
    while (text.size() - from > maxChars) {
        qsizetype end = from + maxChars;
        if (text.at(end - 1).isHighSurrogate())
            --end;
        const QStringView window = QStringView(text).mid(from, end - from);
        qsizetype cut = window.lastIndexOf(QLatin1Char('\n'));
        if (cut <= 0)
            cut = window.lastIndexOf(QLatin1Char(' '));
        if (cut > 0)
            end = from + cut + 1;
        pieces << text.mid(from, end - from);
        from = end;
    }
    pieces << text.mid(from);
    return pieces;
}

PrintBubble PrintBubble::pm_bubble(const QImage &picture, bool fromMe)
{
    PrintBubble bubble(fromMe);
    if (picture.isNull())
        return bubble;
    bubble.m_picture = picture;
    bubble.m_size = QSize(std::max(picture.width() + kPadding, kMinWidth),
                          std::max(picture.height() + kPicturePadding, kMinHeight));
    return bubble;
}

void PrintBubble::updateTextSize()
{
    const int textHeight = static_cast<int>(std::ceil(m_to - m_from));
    m_size = QSize(std::max(m_textWidth + kPadding, kMinWidth),
                   std::max(textHeight + kTextPadding, kMinHeight));
}

int PrintBubble::textLeft() const
{
    return m_fromMe ? 20 : 30;
}

PrintBubble PrintBubble::takeTop(int maxHeight)
{
    if (!m_text)
        return PrintBubble();
    const qreal limit = m_from + maxHeight - kTextPadding;
    qreal cut = m_from;
    for (const qreal bottom : std::as_const(m_lineBottoms)) {
        if (bottom > limit)
            break;
        cut = std::max(cut, bottom);
    }
    if (cut <= m_from || cut >= m_to)
        return PrintBubble();
    PrintBubble top = *this;
    top.m_to = cut;
    top.updateTextSize();
    m_from = cut;
    updateTextSize();
    return top;
}

void PrintBubble::print_bubble(QPainter &painter, const QRect &rect, bool fromMe)
{
    const QMargins b = BubblePictures::border(fromMe);
    const int x0 = rect.left();
    const int y0 = rect.top();
    const int x1 = rect.right();
    const int y1 = rect.bottom();
    const int midWidth = rect.width() - b.right() - b.left();
    const int midHeight = rect.height() - b.top() - b.bottom();
    const QRect boxes[BubblePictures::kPieceCount] = {
        {x0, y0, b.left(), b.top()},
        {x0 + b.left(), y0, midWidth, b.top()},
        {x1 - b.right(), y0, b.right(), b.top()},
        {x0, y0 + b.top(), b.left(), midHeight},
        {x0 + b.left(), y0 + b.top(), midWidth, midHeight},
        {x1 - b.right(), y0 + b.top(), b.right(), midHeight},
        {x0, y1 - b.bottom(), b.left(), b.bottom()},
        {x0 + b.left(), y1 - b.bottom(), midWidth, b.bottom()},
        {x1 - b.right(), y1 - b.bottom(), b.right(), b.bottom()},
    };
    for (int i = 0; i < BubblePictures::kPieceCount; ++i) {
        const QImage &piece = framePiece(fromMe, i);
        if (!piece.isNull() && boxes[i].isValid())
            painter.drawImage(boxes[i], piece);
    }
}

void PrintBubble::paint(QPainter &painter, const QPoint &topLeft) const
{
    if (isEmpty())
        return;
    const QRect frame(topLeft, m_size);
    print_bubble(painter, frame, m_fromMe);
    if (m_text) {
        paintText(painter, topLeft);
    } else {
        const QRect box(topLeft.x() + textLeft(), topLeft.y() + kTextTop, m_picture.width(),
                        m_picture.height() + 10);
        painter.drawImage(box, m_picture);
    }
}

void PrintBubble::paintText(QPainter &painter, const QPoint &topLeft) const
{
    painter.save();
    painter.translate(topLeft.x() + textLeft(), topLeft.y() + kTextTop - m_from);
    // The same context for every bubble but its clip: its palette is costly to build.
    static const QAbstractTextDocumentLayout::PaintContext blackText = [] {
        QAbstractTextDocumentLayout::PaintContext context;
        context.palette.setColor(QPalette::Text, Qt::black);
        return context;
    }();
    QAbstractTextDocumentLayout::PaintContext context = blackText;
    // Lines wholly outside the clip are not drawn at all, so the part of a split text shows only
    // its own lines (a clip path would still leave the others in the PDF's text).
    context.clip = QRectF(0, m_from + 0.5, m_textWidth + 1, m_to - m_from - 1);
    m_text->documentLayout()->draw(&painter, context);
    painter.restore();
}
