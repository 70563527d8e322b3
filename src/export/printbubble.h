#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QSharedPointer>
#include <QSize>
#include <QString>
#include <QStringList>

class QPainter;
class QPoint;
class QRect;
class QTextDocument;

// One printed speech bubble: the nine-slice frame around either a text or a picture, measured
// before it is painted so that the page layout can place it. Text stays text (searchable and
// sharp in a PDF); only the frame and pictures are images.
class PrintBubble
{
public:
    // How emoji in a text are drawn.
    enum class Emoji {
        Keep,    // left as characters (the content of text files)
        Picture, // the shipped picture, "[EMOJI]" for a code without one
    };

    // An empty bubble: no size, paints nothing.
    PrintBubble() = default;

    // A bubble around text wrapped to fit maxWidth: at least 90 wide and 52 high, the text 10
    // below the top and 30 from the tail's side, 20 from the other.
    static PrintBubble text_bubble(const QString &text, int maxWidth, bool fromMe,
                                   Emoji emoji = Emoji::Picture);
    // A bubble around a picture (drawn at its own size, stretched by 10 vertically); an empty
    // bubble for a null picture.
    static PrintBubble pm_bubble(const QImage &picture, bool fromMe);
    // A text cut into pieces of at most maxChars, at the last line break or else blank before
    // the limit, never inside a character; laying out one huge text at once takes a time that
    // grows much faster than its length, pieces in a row take none of it.
    static QStringList textPieces(const QString &text, int maxChars);
    // Paints the frame of a bubble over the whole rectangle.
    static void print_bubble(QPainter &painter, const QRect &rect, bool fromMe);

    // The colour of the page the bubbles are drawn on.
    static QColor pageColor();
    // The font of bubble texts, made once and shared.
    static const QFont &bubbleFont();

    bool isEmpty() const { return m_size.isEmpty(); }
    QSize size() const { return m_size; }
    int width() const { return m_size.width(); }
    int height() const { return m_size.height(); }

    // Splits off the upper part of a text bubble that fits in maxHeight, cut between two lines,
    // and keeps the rest. Returns an empty bubble when not even one line fits or this is not a
    // text bubble of more than one line.
    PrintBubble takeTop(int maxHeight);

    void paint(QPainter &painter, const QPoint &topLeft) const;

private:
    explicit PrintBubble(bool fromMe) : m_fromMe(fromMe) {}

    int textLeft() const;
    void updateTextSize();
    void paintText(QPainter &painter, const QPoint &topLeft) const;

    bool m_fromMe = false;
    QSize m_size;
    QImage m_picture;
    // A text bubble shows the lines of m_text between m_from and m_to (document units); the
    // parts of one split text share the document.
    QSharedPointer<QTextDocument> m_text;
    QList<qreal> m_lineBottoms;
    int m_textWidth = 0;
    qreal m_from = 0;
    qreal m_to = 0;
};
