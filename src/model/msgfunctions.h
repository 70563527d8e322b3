#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QRegularExpression>
#include <QString>

#include <algorithm>
#include <functional>
#include <iterator>
#include <tuple>

struct _MsgAttachment;
struct _MsgChatMerge;
struct _MsgMessage;

// A date of the phone's databases (seconds since 2001-01-01 UTC) as a UTC date-time. The sum with
// the 1970 offset is read as an unsigned 32-bit Unix time, as the phone does.
QDateTime dtFromDate21(int seconds);
// A stored date as seconds since 2001. Later phones store nanoseconds, and one row can mix the
// units, so each value is judged alone: seconds stay below 1e10 until after 2300, while any
// nanosecond date after 2001 minute one exceeds 1e10.
int date21FromStored(qint64 value);
// Seconds since 2001 (or since 1970) as a date of the model. A value no date can hold reads as 0,
// the mark of a date that could not be read, which keeps the message's guid in its identity
// instead of a cut-off value that distinct messages would share.
int date21FromSeconds(qint64 seconds);
int date21FromUnixSeconds(qint64 unixSeconds);

// Called for each match; returns the text that replaces it.
using RxReplaceHandler =
    std::function<QString(const QRegularExpressionMatch &match, void *context)>;
// Replaces every match of rx in text by the handler's result, left to right.
QString rx_replace(const QString &text, const QRegularExpression &rx,
                   const RxReplaceHandler &handler, void *context);

// Called for each emoji with its code in upper-case hexadecimal ("E415", "1F600").
using EmojiHandler = std::function<QString(const QString &code, void *context)>;
// Replaces the phone's emoji: first the private-use range U+E000..U+E537 and the symbols the
// phone shows as emoji, then the supplementary-plane emoji U+1F000..U+1F7FF.
QString emoji_replace(const QString &text, const EmojiHandler &handler, void *context);

// The archived attributed string (typedstream) of a message that consists of one attachment:
// the text U+FFFC carrying the file-transfer guid and the message-part number 0.
QByteArray msgAttaAttributeBody(const QString &guid);

// Sort predicates: whether a sorts before b. The message order is not a strict weak ordering;
// sort messages with g_sortMessages, never std::sort.
bool compareMsgMessageAsc(const _MsgMessage *a, const _MsgMessage *b);
bool compareMsgMessageDesc(const _MsgMessage *a, const _MsgMessage *b);
bool compareMsgChatMergeLastDesc(const _MsgChatMerge &a, const _MsgChatMerge &b);
bool compareMsgAttachmentAsc(const _MsgAttachment *a, const _MsgAttachment *b);

// Sorts messages by compareMsgMessageAsc (oldest first) or its reverse (newest first), safely.
void g_sortMessages(QList<_MsgMessage *> &messages, Qt::SortOrder order = Qt::AscendingOrder);

// What the message order looks at, for lists that hold less than whole messages.
struct MsgOrderKey
{
    int date = 0;
    qint64 srcRowId = 0;
    qint64 rowid = 0;
};
// compareMsgMessageAsc on keys.
bool g_messageKeyBefore(const MsgOrderKey &a, const MsgOrderKey &b);

// Puts [begin, end) into the order g_sortMessages gives messages, oldest first; keyOf(item) is
// the item's MsgOrderKey. The message order is no strict weak ordering (a~b by row and date
// closeness, b~c, yet a and c ordered by date), which std::sort may run past the range on. So:
// first a strict total order by (date, row ids), so that the outcome does not depend on the input
// order, then a merge sort, whose loops are bounded whatever the predicate answers, to put close
// messages into storing order.
template <typename Iterator, typename KeyOf>
void g_sortInMessageOrder(Iterator begin, Iterator end, KeyOf keyOf)
{
    using Item = typename std::iterator_traits<Iterator>::value_type;
    std::sort(begin, end, [&keyOf](const Item &a, const Item &b) {
        const MsgOrderKey x = keyOf(a);
        const MsgOrderKey y = keyOf(b);
        return std::tie(x.date, x.srcRowId, x.rowid) < std::tie(y.date, y.srcRowId, y.rowid);
    });
    std::stable_sort(begin, end, [&keyOf](const Item &a, const Item &b) {
        return g_messageKeyBefore(keyOf(a), keyOf(b));
    });
}
