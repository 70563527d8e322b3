#include "export/chatorder.h"

#include "model/msgchat.h"
#include "model/msgfunctions.h"
#include "model/msgmessage.h"

#include <QHash>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

QString identifierOf(const _MsgMessage *message)
{
    return message->chat ? message->chat->chat_identifier : QString();
}

int lastOf(const _MsgMessage *message)
{
    return message->chat ? message->chat->last : 0;
}

QString chatKeyOf(const _MsgChat *chat)
{
    // The prefixes keep a chat whose identifier is empty apart from messages without a chat.
    if (!chat)
        return QStringLiteral("n");
    return QStringLiteral("c:") + chat->chat_identifier.toCaseFolded();
}

} // namespace

bool compareMsgMessageChatDateAsc(const _MsgMessage *a, const _MsgMessage *b)
{
    if (identifierOf(a).compare(identifierOf(b), Qt::CaseInsensitive) == 0)
        return compareMsgMessageAsc(a, b);
    return lastOf(a) < lastOf(b);
}

QString g_exportChatKey(const _MsgMessage &message)
{
    return chatKeyOf(message.chat);
}

void g_sortMessagesByChat(QList<_MsgMessage *> &messages)
{
    QList<const _MsgChat *> chats;
    QHash<const _MsgChat *, int> ranks;
    for (const _MsgMessage *message : std::as_const(messages)) {
        if (!ranks.contains(message->chat)) {
            ranks.insert(message->chat, 0);
            chats.append(message->chat);
        }
    }
    ranks = g_chatGroupRanks(chats);
    // Message order first, then a stable sort by group, which moves whole groups and keeps the
    // message order inside each.
    g_sortMessages(messages, Qt::AscendingOrder);
    using Ranked = std::pair<int, _MsgMessage *>;
    std::vector<Ranked> ranked;
    ranked.reserve(static_cast<size_t>(messages.size()));
    for (_MsgMessage *message : std::as_const(messages))
        ranked.emplace_back(ranks.value(message->chat), message);
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const Ranked &a, const Ranked &b) { return a.first < b.first; });
    for (qsizetype i = 0; i < messages.size(); ++i)
        messages[i] = ranked[static_cast<size_t>(i)].second;
}

QHash<const _MsgChat *, int> g_chatGroupRanks(const QList<const _MsgChat *> &chats)
{
    // Chats merged by identifier are one group, dated by the newest of them. Each chat's key is
    // folded once: folding it for every message cost more than the sort itself.
    QHash<const _MsgChat *, QString> keys;
    QHash<QString, int> groupLast;
    for (const _MsgChat *chat : chats) {
        const QString key = chatKeyOf(chat);
        keys.insert(chat, key);
        const int last = chat ? chat->last : 0;
        const auto found = groupLast.find(key);
        if (found == groupLast.end())
            groupLast.insert(key, last);
        else
            *found = qMax(*found, last);
    }
    // Groups by (date, key): a strict weak ordering, so groups of equal date keep a fixed order.
    std::vector<std::pair<int, QString>> groups;
    groups.reserve(static_cast<size_t>(groupLast.size()));
    for (auto it = groupLast.cbegin(); it != groupLast.cend(); ++it)
        groups.emplace_back(it.value(), it.key());
    std::sort(groups.begin(), groups.end());
    QHash<QString, int> rankOfKey;
    for (size_t i = 0; i < groups.size(); ++i)
        rankOfKey.insert(groups[i].second, static_cast<int>(i));
    QHash<const _MsgChat *, int> ranks;
    for (auto it = keys.cbegin(); it != keys.cend(); ++it)
        ranks.insert(it.key(), rankOfKey.value(it.value()));
    return ranks;
}
