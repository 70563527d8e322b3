#include "model/msgreactions.h"

#include "frame/translation.h"
#include "model/msgdata.h"
#include "model/msgfunctions.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"

#include <QHash>
#include <QList>
#include <QStringList>

#include <algorithm>

namespace {

constexpr int kFirstReaction = 2000;
constexpr int kFirstRemoval = 3000;
constexpr int kKinds = 8;
constexpr int kEmojiKind = 6;

struct Kind
{
    const char *name;
    const char *symbol; // UTF-8
    const char *sentenceKey;
};

const Kind kKindTable[kKinds] = {
    {"love", "\u2665", "IDS_REACTION_LOVED_%1"},
    {"like", "\U0001F44D", "IDS_REACTION_LIKED_%1"},
    {"dislike", "\U0001F44E", "IDS_REACTION_DISLIKED_%1"},
    {"laugh", "\U0001F602", "IDS_REACTION_LAUGHED_%1"},
    {"emphasize", "\u203C", "IDS_REACTION_EMPHASIZED_%1"},
    {"question", "?", "IDS_REACTION_QUESTIONED_%1"},
    {"emoji", "", "IDS_REACTION_EMOJI_%1_%2"},
    {"sticker", "\U0001F5BC", "IDS_REACTION_STICKER_%1"},
};

// The kind's index, -1 when the type is neither a reaction nor a removal.
int kindIndex(int type)
{
    const int offset = type >= kFirstRemoval ? type - kFirstRemoval : type - kFirstReaction;
    return offset >= 0 && offset < kKinds ? offset : -1;
}

QString senderKey(const _MsgMessage &msg)
{
    if (msg.is_from_me)
        return QStringLiteral("\n");
    return msg.handle ? msg.handle->id : QString::number(msg.handle_id);
}

void clearLinks(__MsgData &data)
{
    for (_MsgMessage *msg : std::as_const(data.messages)) {
        msg->reactionTarget = nullptr;
        msg->replyTarget = nullptr;
        msg->reactions.clear();
    }
}

QHash<QString, _MsgMessage *> guidIndex(const __MsgData &data)
{
    QHash<QString, _MsgMessage *> byGuid;
    byGuid.reserve(data.messages.size());
    for (_MsgMessage *msg : std::as_const(data.messages)) {
        if (!msg->guid().isEmpty())
            byGuid.insert(msg->guid(), msg);
    }
    return byGuid;
}

MsgReactions::ReplyLinks repliesIn(const __MsgData &data,
                                   const QHash<QString, _MsgMessage *> &byGuid)
{
    MsgReactions::ReplyLinks links;
    for (_MsgMessage *msg : std::as_const(data.messages)) {
        if (msg->thread_originator_guid().isEmpty())
            continue;
        if (_MsgMessage *target = byGuid.value(msg->thread_originator_guid()))
            links.emplace_back(msg, target);
    }
    return links;
}

} // namespace

bool MsgReactions::isReactionType(int associatedType)
{
    return associatedType >= kFirstReaction && associatedType < kFirstReaction + kKinds;
}

bool MsgReactions::isRemovalType(int associatedType)
{
    return associatedType >= kFirstRemoval && associatedType < kFirstRemoval + kKinds;
}

QString MsgReactions::kindName(int associatedType)
{
    const int kind = kindIndex(associatedType);
    return kind < 0 ? QString() : QString::fromLatin1(kKindTable[kind].name);
}

QString MsgReactions::targetGuid(const QString &associated)
{
    // "p:N/GUID" names part N of the message, "bp:GUID" its whole body.
    if (associated.startsWith(QLatin1String("p:"))) {
        const qsizetype slash = associated.indexOf(QLatin1Char('/'));
        return slash < 0 ? QString() : associated.mid(slash + 1);
    }
    if (associated.startsWith(QLatin1String("bp:")))
        return associated.mid(3);
    return associated;
}

QString MsgReactions::senderName(const _MsgMessage &msg)
{
    if (msg.is_from_me || !msg.handle)
        return g_tr("IDS_MSG_YOU");
    return msg.handle->displayName(false);
}

QString MsgReactions::badge(const _MsgMessage &reaction)
{
    const int kind = kindIndex(reaction.associated_message_type);
    if (kind < 0)
        return senderName(reaction);
    const QString symbol = kind == kEmojiKind ? reaction.associated_message_emoji()
                                              : QString::fromUtf8(kKindTable[kind].symbol);
    return symbol + QLatin1Char(' ') + senderName(reaction);
}

QString MsgReactions::badgeLine(const _MsgMessage &target)
{
    if (target.reactions.isEmpty())
        return QString();
    QStringList badges;
    for (const _MsgMessage *reaction : standing(target))
        badges << badge(*reaction);
    return badges.join(QStringLiteral(", "));
}

QString MsgReactions::quote(const _MsgMessage &msg)
{
    constexpr int kQuoteLength = 40;
    const QString text = msg.unsent ? g_tr("IDS_MSG_UNSENT") : msg.plainText().simplified();
    if (text.size() <= kQuoteLength)
        return text;
    return text.left(kQuoteLength).trimmed() + QChar(0x2026);
}

QString MsgReactions::sentence(const _MsgMessage &reaction)
{
    const int type = reaction.associated_message_type;
    const int kind = kindIndex(type);
    if (kind < 0)
        return QString();
    const QString who = senderName(reaction);
    if (isRemovalType(type))
        return g_tr("IDS_REACTION_REMOVED_%1").arg(who);
    if (kind == kEmojiKind)
        return g_tr(kKindTable[kind].sentenceKey).arg(who, reaction.associated_message_emoji());
    return g_tr(kKindTable[kind].sentenceKey).arg(who);
}

QList<_MsgMessage *> MsgReactions::standing(const _MsgMessage &target)
{
    QList<_MsgMessage *> result;
    for (_MsgMessage *row : target.reactions) {
        if (isReactionType(row->associated_message_type)) {
            result.append(row);
            continue;
        }
        const int kind = kindIndex(row->associated_message_type);
        const QString sender = senderKey(*row);
        result.removeIf([&](const _MsgMessage *earlier) {
            return kindIndex(earlier->associated_message_type) == kind &&
                   senderKey(*earlier) == sender;
        });
    }
    return result;
}

void MsgReactions::link(__MsgData &data)
{
    clearLinks(data);
    QList<_MsgMessage *> reactions;
    bool anyReply = false;
    for (_MsgMessage *msg : std::as_const(data.messages)) {
        if (msg->isReaction())
            reactions.append(msg);
        anyReply = anyReply || !msg->thread_originator_guid().isEmpty();
    }
    // Most histories hold neither: then no guid needs indexing, which at a million messages costs
    // time and memory at the peak of a load.
    if (reactions.isEmpty() && !anyReply)
        return;
    const QHash<QString, _MsgMessage *> byGuid = guidIndex(data);
    // Oldest first, so that a removal meets the reactions it may cancel.
    g_sortMessages(reactions, Qt::AscendingOrder);
    for (_MsgMessage *reaction : std::as_const(reactions)) {
        _MsgMessage *target = byGuid.value(targetGuid(reaction->associated_message_guid()));
        if (!target || target == reaction || target->isReaction())
            continue;
        reaction->reactionTarget = target;
        target->reactions.append(reaction);
    }
    for (const auto &[reply, target] : repliesIn(data, byGuid))
        reply->replyTarget = target;
}

MsgReactions::ReplyLinks MsgReactions::replyLinks(const __MsgData &data)
{
    const bool anyReply =
        std::any_of(data.messages.cbegin(), data.messages.cend(), [](const _MsgMessage *msg) {
            return !msg->thread_originator_guid().isEmpty();
        });
    return anyReply ? repliesIn(data, guidIndex(data)) : ReplyLinks();
}
