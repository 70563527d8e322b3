#pragma once

#include <QDate>
#include <QString>

class AbsBubbleLinks;
struct _MsgAttachment;
struct _MsgMessage;

// The markup of messages as speech bubbles, one message at a time: a group event line, or a date
// line when more than a minute has passed since the last one, the text bubble and one bubble per
// attachment. Shared by the bubble view (which adds its anchors and paging around it) and the
// HTML export; they differ only in how attachment files are linked.
class BubbleMessageMarkup
{
public:
    explicit BubbleMessageMarkup(AbsBubbleLinks &links);

    // The markup of one message. Remembers the time of the date line it writes.
    QString message(const _MsgMessage &message);
    // Makes the next message start with a date line (a new page).
    void restartDateLines()
    {
        m_lastDateLine = 0;
        m_lastDay = QDate();
    }
    // Instead of full dates on every date line: a separator naming the day when it changes, and
    // date lines with the time only.
    void setDaySeparators(bool on) { m_daySeparators = on; }

    // Seconds that may pass between two messages before another date line is written.
    static constexpr qint64 kDateLineGap = 60;

private:
    static QString senderName(const _MsgMessage &message);
    QString dateLine(const _MsgMessage &message);
    QString attachmentContent(const _MsgAttachment &attachment);
    QString labelLink(const QString &href, const char *labelKey) const;
    QString previewLink(const QString &href, const QString &picturePath, int maxSize,
                        const char *labelKey);

    AbsBubbleLinks &m_links;
    qint64 m_lastDateLine = 0; // seconds since 1970
    QDate m_lastDay;           // local day of the last separator
    bool m_daySeparators = false;
};
