#include "model/msgfunctions.h"

#include "model/modellog.h"
#include "model/msgattachment.h"
#include "model/msgchatmerge.h"
#include "model/msgmessage.h"

#include <QLoggingCategory>
#include <QtEndian>

#include <algorithm>
#include <limits>
#include <vector>

namespace {

constexpr qint64 kSecondsFrom1970To2001 = 978307200;
constexpr quint64 kCloseRowIds = 20;
constexpr qint64 kCloseSeconds = 120;

QString hexCode(uint code)
{
    return QString::number(code, 16).toUpper();
}

bool rowIdsClose(qint64 a, qint64 b)
{
    // Unsigned difference: the distance of any two 64-bit values fits without overflow.
    const quint64 distance = a > b ? quint64(a) - quint64(b) : quint64(b) - quint64(a);
    return distance <= kCloseRowIds;
}

// Encodes a length as the typedstream format does: one byte up to 127, else a marker byte and
// a little-endian 16- or 32-bit value.
QByteArray typedStreamLength(qsizetype length)
{
    QByteArray result;
    if (length < 0x80) {
        result.append(static_cast<char>(length));
    } else if (length <= 0x7FFF) {
        result.append(static_cast<char>(0x81));
        const quint16 le = qToLittleEndian<quint16>(static_cast<quint16>(length));
        result.append(reinterpret_cast<const char *>(&le), sizeof le);
    } else {
        result.append(static_cast<char>(0x82));
        const quint32 le = qToLittleEndian<quint32>(static_cast<quint32>(length));
        result.append(reinterpret_cast<const char *>(&le), sizeof le);
    }
    return result;
}

// Replaces every match in a text of valid UTF-16.
QString replaceMatches(const QString &text, const QRegularExpression &rx,
                       const RxReplaceHandler &handler, void *context)
{
    QString result;
    result.reserve(text.size());
    qsizetype copied = 0;
    // The global iterator steps past empty matches, so a pattern that can match nothing still
    // ends.
    QRegularExpressionMatchIterator it = rx.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        result += QStringView(text).mid(copied, match.capturedStart() - copied);
        result += handler(match, context);
        copied = match.capturedEnd();
    }
    result += QStringView(text).mid(copied);
    return result;
}

} // namespace

QDateTime dtFromDate21(int seconds)
{
    // The sum is formed in 64 bits (it overflows an int for dates after 2038) and then read as the
    // unsigned 32-bit time the phone's databases were written with.
    const auto unixTime =
        static_cast<quint32>(static_cast<qint64>(seconds) + kSecondsFrom1970To2001);
    return QDateTime::fromSecsSinceEpoch(static_cast<qint64>(unixTime), Qt::UTC);
}

QString rx_replace(const QString &text, const QRegularExpression &rx,
                   const RxReplaceHandler &handler, void *context)
{
    if (!rx.isValid()) {
        qCWarning(lcModel) << "invalid pattern" << rx.pattern() << rx.errorString();
        return text;
    }
    // The matcher refuses a whole text that holds one unpaired surrogate (a message cut inside
    // a character), so the valid stretches between such units are replaced one by one and the
    // stray units kept as they are.
    QString result;
    result.reserve(text.size());
    qsizetype stretch = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() &&
            text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (text.at(i).isSurrogate()) {
            result += replaceMatches(text.mid(stretch, i - stretch), rx, handler, context);
            result += text.at(i);
            stretch = i + 1;
        }
    }
    result += replaceMatches(text.mid(stretch), rx, handler, context);
    return result;
}

QString emoji_replace(const QString &text, const EmojiHandler &handler, void *context)
{
    static const QRegularExpression bmpEmoji(QStringLiteral(
        "[\\x{E000}-\\x{E537}\\x{203C}\\x{2049}\\x{2139}\\x{2194}\\x{2195}\\x{21A9}\\x{21AA}"
        "\\x{231A}\\x{231B}\\x{23EB}\\x{23EC}\\x{23F0}\\x{23F3}\\x{24C2}\\x{25AA}\\x{25AB}"
        "\\x{25FB}\\x{25FC}\\x{25FD}\\x{25FE}\\x{2611}\\x{267B}\\x{2693}\\x{26AA}\\x{26AB}"
        "\\x{26C5}\\x{26D4}\\x{2705}\\x{2709}\\x{270F}\\x{2712}\\x{2714}\\x{2744}\\x{2747}"
        "\\x{274E}\\x{2795}\\x{2796}\\x{2797}\\x{27B0}\\x{2934}\\x{2935}\\x{2B1B}\\x{2B1C}"
        "\\x{3030}]"));
    // The code points whose high surrogate is D83C or D83D. Matching code points rather than
    // surrogate units leaves a stray surrogate alone instead of decoding it with whatever unit
    // follows.
    static const QRegularExpression astralEmoji(QStringLiteral("[\\x{1F000}-\\x{1F7FF}]"));

    const auto byCode = [&handler](const QRegularExpressionMatch &match, void *ctx) {
        return handler(hexCode(match.capturedView().toUcs4().value(0)), ctx);
    };
    // Most texts hold no unit at or above the lowest emoji above: nothing to replace.
    if (std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x203C; }))
        return text;
    return rx_replace(rx_replace(text, bmpEmoji, byCode, context), astralEmoji, byCode, context);
}

int date21FromStored(qint64 value)
{
    constexpr qint64 kNanosecondsFrom = 10'000'000'000;
    constexpr qint64 kNanosecondsPerSecond = 1'000'000'000;
    if (value >= kNanosecondsFrom || value <= -kNanosecondsFrom)
        value /= kNanosecondsPerSecond;
    return date21FromSeconds(value);
}

int date21FromSeconds(qint64 seconds)
{
    if (seconds < std::numeric_limits<int>::min() || seconds > std::numeric_limits<int>::max())
        return 0;
    return static_cast<int>(seconds);
}

int date21FromUnixSeconds(qint64 unixSeconds)
{
    // Compared before subtracting: the most negative values would overflow.
    if (unixSeconds < std::numeric_limits<qint64>::min() + kSecondsFrom1970To2001)
        return 0;
    return date21FromSeconds(unixSeconds - kSecondsFrom1970To2001);
}

QByteArray msgAttaAttributeBody(const QString &guid)
{
    static const QByteArray head = QByteArray::fromHex(
        "040B73747265616D747970656481E803840140848484194E534D757461626C6541747472696275746564"
        "537472696E67008484124E5341747472696275746564537472696E67008484084E534F626A656374008592"
        "8484840F4E534D757461626C65537472696E67018484084E53537472696E67019584012B03EFBFBC868402"
        "69490101928484840C4E5344696374696F6E61727900958401690292849898225F5F6B494D46696C655472"
        "616E73666572475549444174747269627574654E616D658692849898");
    static const QByteArray tail = QByteArray::fromHex(
        "86928498981D5F5F6B494D4D657373616765506172744174747269627574654E616D658692848484084E53"
        "4E756D626572008484074E5356616C7565009584012A849B9B00868686");
    const QByteArray guidBytes = guid.toUtf8();
    // The guid's length precedes it; it is 36 for the upper-case UUIDs this is meant for, but
    // writing the real length keeps any other guid readable instead of corrupting the stream.
    return head + typedStreamLength(guidBytes.size()) + guidBytes + tail;
}

bool g_messageKeyBefore(const MsgOrderKey &a, const MsgOrderKey &b)
{
    // Messages stored close together by one phone database and sent within two minutes keep the
    // phone's storing order, since their dates have only one-second resolution.
    if (rowIdsClose(a.srcRowId, b.srcRowId) &&
        qAbs(qint64(a.date) - qint64(b.date)) <= kCloseSeconds)
        return a.srcRowId < b.srcRowId;
    return a.date < b.date;
}

namespace {

MsgOrderKey orderKeyOf(const _MsgMessage *msg)
{
    return {msg->date, msg->srcRowId, msg->rowid};
}

} // namespace

bool compareMsgMessageAsc(const _MsgMessage *a, const _MsgMessage *b)
{
    return g_messageKeyBefore(orderKeyOf(a), orderKeyOf(b));
}

bool compareMsgMessageDesc(const _MsgMessage *a, const _MsgMessage *b)
{
    return compareMsgMessageAsc(b, a);
}

bool compareMsgChatMergeLastDesc(const _MsgChatMerge &a, const _MsgChatMerge &b)
{
    return a.last > b.last;
}

bool compareMsgAttachmentAsc(const _MsgAttachment *a, const _MsgAttachment *b)
{
    return a->rowid < b->rowid;
}

void g_sortMessages(QList<_MsgMessage *> &messages, Qt::SortOrder order)
{
    // The keys are copied out so that sorting a million messages does not wait on memory for
    // each comparison.
    struct Keyed
    {
        MsgOrderKey key;
        _MsgMessage *message;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(size_t(messages.size()));
    for (_MsgMessage *message : std::as_const(messages))
        keyed.push_back({orderKeyOf(message), message});
    g_sortInMessageOrder(keyed.begin(), keyed.end(), [](const Keyed &k) { return k.key; });
    if (order == Qt::DescendingOrder)
        std::reverse(keyed.begin(), keyed.end());
    for (qsizetype i = 0; i < messages.size(); ++i)
        messages[i] = keyed[size_t(i)].message;
}
