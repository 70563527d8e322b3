#include "model/msgmessage.h"

#include "frame/translation.h"
#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msgfunctions.h"
#include "model/msghandle.h"
#include "model/msgreactions.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QStringList>
#include <QtEndian>

#include <algorithm>

namespace {

constexpr QChar kObjectReplacement(0xFFFC);

QString attachmentTag(const QString &mimeType)
{
    const char *key = "IDS_ATTA_OTHER";
    if (mimeType.startsWith(QLatin1String("image/"), Qt::CaseInsensitive))
        key = "IDS_ATTA_IMAGE";
    else if (mimeType.startsWith(QLatin1String("video/"), Qt::CaseInsensitive))
        key = "IDS_ATTA_VIDEO";
    else if (mimeType.startsWith(QLatin1String("audio/"), Qt::CaseInsensitive))
        key = "IDS_ATTA_AUDIO";
    else if (mimeType.compare(QLatin1String("text/x-vCard"), Qt::CaseInsensitive) == 0 ||
             mimeType.compare(QLatin1String("text/vcard"), Qt::CaseInsensitive) == 0)
        key = "IDS_ATTA_VCARD";
    return QLatin1Char(' ') + g_tr(key);
}

QString handleName(const _MsgHandle *handle)
{
    return handle ? handle->displayName(false) : g_tr("IDS_MSG_YOU");
}

// The sentence shown for a group or system item instead of a text.
QString itemSummary(const _MsgMessage &msg)
{
    // System items are shown in the user's own time zone, like every date in the lists.
    const QString date =
        dtFromDate21(msg.date).toLocalTime().toString(QStringLiteral("dd MMM yyyy h:mm AP"));
    const QString adder = handleName(msg.handle);
    switch (msg.item_type) {
    case 1:
        return g_tr("IDS_ITEM_ADDED").arg(adder, handleName(msg.otherHandle), date);
    case 2:
        return g_tr("IDS_ITEM_NAMED").arg(adder, msg.group_title(), date);
    case 3:
        return g_tr("IDS_ITEM_LEFT").arg(adder, date);
    case 4:
        return g_tr("IDS_ITEM_LOCATION")
            .arg(adder,
                 g_tr(msg.share_status == 0 ? "IDS_ITEM_LOCATION_STARTED"
                                            : "IDS_ITEM_LOCATION_STOPPED"),
                 handleName(msg.otherHandle), date);
    default:
        return g_tr("IDS_ITEM_SYSTEM").arg(date);
    }
}

// Attachment names as they take part in the fingerprint: the last path component, lower-cased,
// in code-unit order so that the order the attachments were stored in does not matter.
QStringList fingerprintNames(const MsgRecordMap<_MsgAttachment> &attachments)
{
    QStringList names;
    for (const _MsgAttachment *attachment : attachments) {
        if (attachment->filename.isEmpty())
            continue;
        const qsizetype slash = attachment->filename.lastIndexOf(QLatin1Char('/'));
        names << attachment->filename.mid(slash + 1).toLower();
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Hashes the UTF-8 text without its U+FFFC placeholders, as plainText() would give it, but
// without making a QString of it.
void addPlainText(QCryptographicHash &md5, QByteArrayView utf8)
{
    static constexpr char kPlaceholder[] = "\xEF\xBF\xBC"; // U+FFFC in UTF-8
    const QByteArrayView placeholder(kPlaceholder, 3);
    qsizetype from = 0;
    for (qsizetype at = utf8.indexOf(placeholder); at >= 0; at = utf8.indexOf(placeholder, from)) {
        md5.addData(utf8.sliced(from, at - from));
        from = at + placeholder.size();
    }
    md5.addData(utf8.sliced(from));
}

// The text's UTF-8 into the hash; an address (plain ASCII) without making a QByteArray of it.
void addText(QCryptographicHash &md5, const QString &text)
{
    std::array<char, 64> ascii;
    if (text.size() > qsizetype(ascii.size()) ||
        !std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; })) {
        md5.addData(text.toUtf8());
        return;
    }
    std::transform(text.cbegin(), text.cend(), ascii.begin(),
                   [](QChar c) { return char(c.unicode()); });
    md5.addData(QByteArrayView(ascii.data(), text.size()));
}

} // namespace

QString _MsgMessage::plainText() const
{
    QString result = text();
    return result.remove(kObjectReplacement);
}

QString _MsgMessage::bubbleText() const
{
    if (unsent)
        return g_tr("IDS_MSG_UNSENT");
    QString result = plainText();
    if (edited)
        result = g_tr("IDS_MSG_EDITED_%1").arg(result);
    if (replyTarget)
        result = g_tr("IDS_MSG_REPLY_TO_%1").arg(MsgReactions::quote(*replyTarget)) +
                 QLatin1Char('\n') + result;
    return result;
}

QList<_MsgAttachment *> _MsgMessage::attachments() const
{
    QList<_MsgAttachment *> result = attachmentMap.values();
    std::sort(result.begin(), result.end(), compareMsgAttachmentAsc);
    return result;
}

QString _MsgMessage::textWithMarks(QString (*attachmentText)(const _MsgAttachment &)) const
{
    if (item_type != 0)
        return itemSummary(*this);
    if (isReaction())
        return MsgReactions::sentence(*this);
    if (unsent)
        return g_tr("IDS_MSG_UNSENT");
    QString result = plainText();
    if (edited)
        result = g_tr("IDS_MSG_EDITED_%1").arg(result);
    const QString badges = MsgReactions::badgeLine(*this);
    if (!badges.isEmpty())
        result += QLatin1Char(' ') + g_tr("IDS_MSG_REACTIONS_%1").arg(badges);
    for (const _MsgAttachment *attachment : attachments())
        result += attachmentText(*attachment);
    return result.trimmed();
}

QString _MsgMessage::summaryRawEmoji() const
{
    return textWithMarks(
        [](const _MsgAttachment &attachment) { return attachmentTag(attachment.mime_type); });
}

QString _MsgMessage::summary() const
{
    return emoji_replace(
        summaryRawEmoji(), [](const QString &, void *) { return g_tr("IDS_EMOJI_PLACEHOLDER"); },
        nullptr);
}

QString _MsgMessage::exportText() const
{
    return textWithMarks([](const _MsgAttachment &attachment) {
        QString name = attachment.transfer_name;
        if (name.isEmpty())
            name = attachment.filename.section(QLatin1Char('/'), -1);
        return name.isEmpty() ? attachmentTag(attachment.mime_type)
                              : QStringLiteral(" [%1]").arg(name);
    });
}

QString _MsgMessage::contactInfo() const
{
    if (!chat)
        return g_tr("IDS_CONTACT_UNKNOWN");
    QString result = chat->displayName(true);
    if (chat->isGroup() && handle) {
        const QString sender = handle->_ct_name.isEmpty() ? handle->id : handle->_ct_name;
        result += QStringLiteral(" (%1)").arg(sender);
    }
    return result;
}

QString _MsgMessage::logicalHash() const
{
    HashBuffer buffer;
    return QString::fromLatin1(logicalHash(buffer));
}

QByteArrayView _MsgMessage::logicalHash(HashBuffer &buffer) const
{
    // One per thread, started afresh for each message: a listing hashes every message it prints.
    thread_local QCryptographicHash md5(QCryptographicHash::Md5);
    md5.reset();
    MsgCompactText::Buffer utf8;
    if (item_type != 0) {
        // The sentence of a group or system item is generated, so only its guid tells it apart.
        md5.addData(m_guid.utf8(utf8));
    } else {
        // A date that could not be read (missing, text, a blob) reads as 0: without the guid,
        // two such messages of one sender with one text would become one.
        if (date == 0)
            md5.addData(m_guid.utf8(utf8));
        if (handle)
            addText(md5, handle->id);
        const qint32 leDate = qToLittleEndian<qint32>(date);
        md5.addData(QByteArrayView(reinterpret_cast<const char *>(&leDate), sizeof leDate));
        const char fromMe = static_cast<char>(is_from_me & 0xFF);
        md5.addData(QByteArrayView(&fromMe, 1));
        addPlainText(md5, m_text.utf8(utf8));
        // Two reactions of one sender in one second often carry no text: what they react to
        // and how tells them apart.
        if (isReaction())
            md5.addData(
                (QString::number(associated_message_type) + associated_message_guid()).toUtf8());
        for (const QString &name : fingerprintNames(attachmentMap))
            md5.addData(name.toUtf8());
    }
    // Spelt by hand: toHex and a QString for every message cost more than the digest's end.
    const QByteArrayView digest = md5.resultView();
    for (qsizetype i = 0; i < digest.size(); ++i) {
        const auto byte = uchar(digest[i]);
        buffer[size_t(2 * i)] = "0123456789abcdef"[byte >> 4];
        buffer[size_t(2 * i + 1)] = "0123456789abcdef"[byte & 0xF];
    }
    return {buffer.data(), qsizetype(buffer.size())};
}

_MsgMessage::_MsgMessage()
    : is_delivered(0)
    , is_finished(0)
    , is_emote(0)
    , is_from_me(0)
    , is_empty(0)
    , is_delayed(0)
    , is_auto_reply(0)
    , is_prepared(0)
    , is_read(0)
    , is_system_message(0)
    , is_sent(0)
    , has_dd_results(0)
    , is_service_message(0)
    , is_forward(0)
    , was_downgraded(0)
    , is_archive(0)
    , cache_has_attachments(0)
    , was_data_detected(0)
    , was_deduplicated(0)
    , is_audio_message(0)
    , is_played(0)
    , is_expirable(0)
{}

bool _MsgMessage::isReaction() const
{
    return MsgReactions::isReactionType(associated_message_type) ||
           MsgReactions::isRemovalType(associated_message_type);
}
