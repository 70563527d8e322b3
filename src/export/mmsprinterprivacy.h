#pragma once

#include <QPainter>
#include <QRect>
#include <QtGlobal>

class PrintBubble;
class QPagedPaintDevice;
struct _MsgAttachment;
struct _MsgMessage;

// Lays messages out as a column of speech bubbles on the pages of a printer or PDF writer:
// received at the left, sent at the right, date lines and group events centred, the page number
// at the bottom right. One object per document; painting ends with end() or the destructor.
//
// Layout units are 96 per inch whatever the device's resolution, so a page looks the same
// printed, previewed and exported.
class MMSPrinterPrivacy
{
public:
    MMSPrinterPrivacy() = default;
    ~MMSPrinterPrivacy();
    MMSPrinterPrivacy(const MMSPrinterPrivacy &) = delete;
    MMSPrinterPrivacy &operator=(const MMSPrinterPrivacy &) = delete;

    // Starts a document on device (not owned; it must outlive the painting) and draws page 1's
    // background and number. False when painting cannot begin.
    bool reset(QPagedPaintDevice *device);
    // Lays out one message below the previous one. Does nothing when painting is not active.
    void print(const _MsgMessage *message);
    // A heading naming the document's conversation, centred above what follows.
    void printHeading(const QString &title);
    // Starts a new page when height does not fit in the space left on this one.
    void checkAndNextPage(int height);
    // Ends painting, which completes the document. False when the device reported a failure.
    bool end();

    bool isActive() const { return m_painter.isActive(); }
    // The area bubbles are drawn in, in layout units.
    QRect contentRect() const { return QRect(QPoint(m_left, m_top), QPoint(m_right, m_bottom)); }
    // Where the next item goes.
    int y() const { return m_y; }
    int pageNumber() const { return m_pageNumber; }

    // Seconds that may pass after a date line before the next message gets one of its own.
    static constexpr qint64 kDateLineGap = 60;

private:
    void startPage();
    int spaceLeft() const;
    // The height one page offers below its top.
    int pageSpace() const;
    int bubbleMaxWidth() const;
    void printGroupEvent(const _MsgMessage &message);
    // A centred line in the small font (group events, reactions).
    void printSmallLine(const QString &text);
    // Both keep the given height below them on the same page.
    void printDateLine(const _MsgMessage &message, int keepWith);
    void printNameLine(const QString &name, int keepWith);
    PrintBubble attachmentBubble(const _MsgAttachment &attachment, bool fromMe) const;
    void place(PrintBubble bubble, bool fromMe);
    void drawBubble(const PrintBubble &bubble, bool fromMe);
    QImage fitOnPage(const QImage &picture) const;

    QPagedPaintDevice *m_device = nullptr;
    QPainter m_painter;
    int m_top = 0;
    int m_left = 0;
    int m_bottom = 0;
    int m_right = 0;
    int m_y = 0;
    int m_pageNumber = 1;
    qint64 m_lastDateLine = 0; // seconds since 1970
};
