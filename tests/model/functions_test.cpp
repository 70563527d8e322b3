#include "model/msgattachment.h"
#include "model/msgchatmerge.h"
#include "model/msgfunctions.h"
#include "model/msgmessage.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include <algorithm>
#include <deque>
#include <limits>

// Seconds from 2001 in UTC; the sum with 1970's offset is read as unsigned 32 bit.
TEST(DateFromDate21, CountsFrom2001InUtc)
{
    const QDateTime reference(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    const int max = std::numeric_limits<int>::max();
    const QList<QPair<int, QDateTime>> cases{
        {0, reference},
        {86400 + 61, QDateTime(QDate(2001, 1, 2), QTime(0, 1, 1), Qt::UTC)},
        // Beyond 2038 the sum no longer fits an int, but is still a valid unsigned time.
        {max, reference.addSecs(max)},
        // Just before 1970 wraps to the end of the unsigned range (2106).
        {-978307201, QDateTime(QDate(2106, 2, 7), QTime(6, 28, 15), Qt::UTC)},
    };
    for (const auto &[date21, expected] : cases) {
        EXPECT_EQ(dtFromDate21(date21), expected) << date21;
        EXPECT_EQ(dtFromDate21(date21).timeSpec(), Qt::UTC) << date21;
    }
}

namespace {

QString tagCode(const QString &code, void *context)
{
    if (context)
        ++*static_cast<int *>(context);
    return QLatin1Char('<') + code + QLatin1Char('>');
}

} // namespace

// Private-use and listed symbols, and surrogate pairs of U+1F000..U+1F7FF as code points.
TEST(EmojiReplace, ReplacesTheEmojiCodePointsOnly)
{
    const struct
    {
        QString text, expected;
    } cases[] = {
        {QStringLiteral("a\uE001b\uE537\uE538"), QStringLiteral("a<E001>b<E537>\uE538")},
        {QStringLiteral("\u2714\u203C\u3030\u2600"), QStringLiteral("<2714><203C><3030>\u2600")},
        {QStringLiteral("hi \U0001F600!"), QStringLiteral("hi <1F600>!")},
        {QStringLiteral("\U0001F004\U0001F7FF\U0001F800\U00020000"),
         QStringLiteral("<1F004><1F7FF>\U0001F800\U00020000")},
        {QStringLiteral("\uE415\U0001F44D"), QStringLiteral("<E415><1F44D>")},
        {QString(), QString()},
        // A stray surrogate is not decoded with its neighbour.
        {QChar(0xD83D) + QStringLiteral("a \uE001 \U0001F600"),
         QChar(0xD83D) + QStringLiteral("a <E001> <1F600>")},
    };
    for (const auto &c : cases) {
        int calls = 0;
        EXPECT_EQ(emoji_replace(c.text, tagCode, &calls), c.expected)
            << qPrintable(c.text.toUtf8().toHex());
        EXPECT_EQ(calls, c.expected.count(QLatin1Char('<')));
    }
}

TEST(RxReplace, CopiesAroundMatchesAndPassesTheMatch)
{
    const QRegularExpression digits(QStringLiteral("(\\d)(\\d*)"));
    int calls = 0;
    const QString result = rx_replace(
        QStringLiteral("a12b3c"), digits,
        [](const QRegularExpressionMatch &m, void *ctx) {
            ++*static_cast<int *>(ctx);
            return QStringLiteral("[%1|%2]").arg(m.captured(1), m.captured(2));
        },
        &calls);
    EXPECT_EQ(result, QStringLiteral("a[1|2]b[3|]c"));
    EXPECT_EQ(calls, 2);
}

TEST(RxReplace, EmptyMatchesEndAndInvalidPatternsChangeNothing)
{
    const auto mark = [](const QRegularExpressionMatch &, void *) { return QStringLiteral("|"); };
    EXPECT_EQ(
        rx_replace(QStringLiteral("ab"), QRegularExpression(QStringLiteral("x*")), mark, nullptr),
        QStringLiteral("|a|b|"));
    EXPECT_EQ(
        rx_replace(QStringLiteral("ab"), QRegularExpression(QStringLiteral("(")), mark, nullptr),
        QStringLiteral("ab"));
}

namespace {

const char *const kAttributedHead =
    "040B73747265616D747970656481E803840140848484194E534D757461626C6541747472696275746564537472"
    "696E67008484124E5341747472696275746564537472696E67008484084E534F626A6563740085928484840F4E"
    "534D757461626C65537472696E67018484084E53537472696E67019584012B03EFBFBC86840269490101928484"
    "840C4E5344696374696F6E61727900958401690292849898225F5F6B494D46696C655472616E7366657247554944"
    "4174747269627574654E616D65869284989824";
const char *const kAttributedTail =
    "86928498981D5F5F6B494D4D657373616765506172744174747269627574654E616D658692848484084E534E756D"
    "626572008484074E5356616C7565009584012A849B9B00868686";

} // namespace

// The guid's length byte (the head's last) follows the guid; long ones take the wide form.
TEST(AttributedBody, OneAttachmentGuid)
{
    const QString guid = QStringLiteral("9F2A7C11-3B4D-4E5F-8A6B-0C1D2E3F4A5B");
    const QByteArray tail = QByteArray::fromHex(kAttributedTail);
    const QByteArray body = msgAttaAttributeBody(guid);
    EXPECT_EQ(body, QByteArray::fromHex(kAttributedHead) + guid.toLatin1() + tail);
    // The text the string carries is the single object-replacement character.
    EXPECT_TRUE(body.contains(QByteArray("\x2B\x03\xEF\xBF\xBC")));

    const QByteArray head = QByteArray::fromHex(kAttributedHead).chopped(1);
    const QString shortGuid = QStringLiteral("abc");
    EXPECT_EQ(msgAttaAttributeBody(shortGuid), head + "\x03" + "abc" + tail);
    const QString longGuid(200, QLatin1Char('G'));
    EXPECT_EQ(msgAttaAttributeBody(longGuid),
              head + QByteArray::fromHex("81C800") + longGuid.toLatin1() + tail);
}

namespace {

_MsgMessage message(int date, qint64 srcRowId, qint64 rowid = 0)
{
    _MsgMessage msg;
    msg.date = date;
    msg.srcRowId = srcRowId;
    msg.rowid = rowid;
    return msg;
}

QList<_MsgMessage *> pointers(std::deque<_MsgMessage> &messages)
{
    QList<_MsgMessage *> result;
    for (_MsgMessage &msg : messages)
        result << &msg;
    return result;
}

} // namespace

TEST(MessageOrder, Thresholds)
{
    // Close rows (distance up to 20) and close dates (up to 120 s): storing order.
    const _MsgMessage early = message(1000, 120);
    const _MsgMessage late = message(1000 - 120, 140);
    EXPECT_TRUE(compareMsgMessageAsc(&early, &late));
    EXPECT_FALSE(compareMsgMessageAsc(&late, &early));
    // 121 s apart: by date.
    const _MsgMessage later = message(1000 - 121, 140);
    EXPECT_TRUE(compareMsgMessageAsc(&later, &early));
    // Rows 21 apart: by date even when close in time.
    const _MsgMessage far = message(999, 141);
    EXPECT_TRUE(compareMsgMessageAsc(&far, &early));
    EXPECT_FALSE(compareMsgMessageAsc(&early, &far));
    // Equal messages are not ordered.
    EXPECT_FALSE(compareMsgMessageAsc(&early, &early));
    // Extreme row ids must not overflow into "close".
    const _MsgMessage low = message(5, std::numeric_limits<qint64>::min());
    const _MsgMessage high = message(4, std::numeric_limits<qint64>::max());
    EXPECT_TRUE(compareMsgMessageAsc(&high, &low));
}

TEST(MessageOrder, OtherPredicates)
{
    _MsgChatMerge older;
    older.last = 10;
    _MsgChatMerge newer;
    newer.last = 20;
    EXPECT_TRUE(compareMsgChatMergeLastDesc(newer, older));
    EXPECT_FALSE(compareMsgChatMergeLastDesc(older, newer));
    EXPECT_FALSE(compareMsgChatMergeLastDesc(older, older));
    _MsgAttachment first;
    first.rowid = 2;
    _MsgAttachment second;
    second.rowid = 10;
    EXPECT_TRUE(compareMsgAttachmentAsc(&first, &second));
    EXPECT_FALSE(compareMsgAttachmentAsc(&second, &first));
}

TEST(SortMessages, PhoneClustersKeepStoringOrderOthersGoByDate)
{
    std::deque<_MsgMessage> messages{
        message(500, 0, 1),  message(105, 12, 2), message(100, 11, 3),
        message(100, 10, 4), message(102, 40, 5), message(-3, 0, 6),
    };
    QList<_MsgMessage *> sorted = pointers(messages);
    g_sortMessages(sorted);
    QList<qint64> rows;
    for (const _MsgMessage *msg : sorted)
        rows << msg->rowid;
    // Rows 10..12 of one database in storing order although row 12 is dated later than row 11
    // and row 40 (far in rows) sits by its date.
    const QList<qint64> expectedAsc{6, 4, 3, 5, 2, 1};
    EXPECT_EQ(rows, expectedAsc);

    g_sortMessages(sorted, Qt::DescendingOrder);
    QList<qint64> descending;
    for (const _MsgMessage *msg : sorted)
        descending << msg->rowid;
    QList<qint64> reversed(expectedAsc.crbegin(), expectedAsc.crend());
    EXPECT_EQ(descending, reversed);
}

TEST(SortMessages, SourcesWithoutRowIdsSortByDate)
{
    std::deque<_MsgMessage> messages;
    QRandomGenerator random(7);
    for (int i = 0; i < 300; ++i)
        messages.push_back(message(random.bounded(2000), 0, i));
    QList<_MsgMessage *> sorted = pointers(messages);
    g_sortMessages(sorted);
    EXPECT_TRUE(std::is_sorted(
        sorted.cbegin(), sorted.cend(),
        [](const _MsgMessage *a, const _MsgMessage *b) { return a->date < b->date; }));
}

TEST(SortMessages, InconsistentNeighbourhoodsStaySafeAndDeterministic)
{
    // Dates and rows chosen so that closeness chains (a~b, b~c, but not a~c) abound: the
    // predicate is not transitive here. The sort must keep every element and not depend on
    // the order it was given.
    std::deque<_MsgMessage> messages;
    QRandomGenerator random(11);
    for (int i = 0; i < 2000; ++i)
        messages.push_back(message(random.bounded(3000), random.bounded(200), i));
    QList<_MsgMessage *> first = pointers(messages);
    QList<_MsgMessage *> second = first;
    std::reverse(second.begin(), second.end());
    g_sortMessages(first);
    g_sortMessages(second);
    EXPECT_EQ(first, second);
    QList<_MsgMessage *> all = pointers(messages);
    std::sort(all.begin(), all.end());
    QList<_MsgMessage *> kept = first;
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, all);
}

TEST(RxReplace, StrayLowSurrogateAtEitherEnd)
{
    const auto mark = [](const QRegularExpressionMatch &m, void *) {
        return QLatin1Char('<') + m.captured() + QLatin1Char('>');
    };
    const QRegularExpression word(QStringLiteral("\\w+"));
    const QString text = QString(QChar(0xDC00)) + QStringLiteral("ab cd") + QChar(0xD800);
    EXPECT_EQ(rx_replace(text, word, mark, nullptr),
              QString(QChar(0xDC00)) + QStringLiteral("<ab> <cd>") + QChar(0xD800));
}
