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

} // namespace

bool compareMsgMessageChatDateAsc(const _MsgMessage *a, const _MsgMessage *b)
{
    if (identifierOf(a).compare(identifierOf(b), Qt::CaseInsensitive) == 0)
        return compareMsgMessageAsc(a, b);
    return lastOf(a) < lastOf(b);
}

QString g_exportChatKey(const _MsgMessage &message)
{
    // The prefixes keep a chat whose identifier is empty apart from messages without a chat.
    if (!message.chat)
        return QStringLiteral("n");
    return QStringLiteral("c:") + message.chat->chat_identifier.toCaseFolded();
}

void g_sortMessagesByChat(QList<_MsgMessage *> &messages)
{
    // Each chat's key once: folding the identifier's case for every message costs more than the
    // sort itself.
    QHash<const _MsgChat *, QString> keys;
    const auto keyOf = [&keys](const _MsgMessage &message) -> const QString & {
        auto found = keys.find(message.chat);
        if (found == keys.end())
            found = keys.insert(message.chat, g_exportChatKey(message));
        return *found;
    };
    // Chats merged by identifier are one group, dated by the newest of them.
    QHash<QString, int> groupLast;
    for (const _MsgMessage *message : std::as_const(messages)) {
        const QString &key = keyOf(*message);
        const auto found = groupLast.find(key);
        if (found == groupLast.end())
            groupLast.insert(key, lastOf(message));
        else
            *found = qMax(*found, lastOf(message));
    }
    // Message order first, then a stable sort by (group date, group key) - a strict weak ordering
    // that moves whole groups and keeps the message order inside each.
    g_sortMessages(messages, Qt::AscendingOrder);
    using Keyed = std::pair<std::pair<int, QString>, _MsgMessage *>;
    std::vector<Keyed> keyed;
    keyed.reserve(static_cast<size_t>(messages.size()));
    for (_MsgMessage *message : std::as_const(messages)) {
        const QString &key = keyOf(*message);
        keyed.push_back({{groupLast.value(key), key}, message});
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const Keyed &a, const Keyed &b) { return a.first < b.first; });
    for (qsizetype i = 0; i < messages.size(); ++i)
        messages[i] = keyed[static_cast<size_t>(i)].second;
}
