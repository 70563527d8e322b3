#include "model/msgdata.h"

#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"

#include <QSet>

#include <algorithm>
#include <vector>

namespace {

// A loader that stored one record under two row ids must not make it freed twice. Sorted by
// address, such twins become neighbours, and the records are freed roughly in the order they
// were allocated: with a million records the hash's random order made freeing cost a fifth of
// a whole listing.
template <typename Record> void deleteRecords(const QHash<qint64, Record *> &records)
{
    std::vector<Record *> unique(records.cbegin(), records.cend());
    std::sort(unique.begin(), unique.end());
    unique.erase(std::unique(unique.begin(), unique.end()), unique.end());
    qDeleteAll(unique);
}

} // namespace

__MsgData::~__MsgData()
{
    deleteRecords(attachments);
    deleteRecords(messages);
    deleteRecords(handles);
    deleteRecords(chats);
}

MsgData::MsgData() : m_d(QSharedPointer<__MsgData>::create()) {}

__MsgData *MsgData::p() const
{
    return m_d.data();
}

QList<_MsgMessage *> MsgData::messages() const
{
    return m_d ? m_d->messages.values() : QList<_MsgMessage *>();
}

QList<_MsgChat *> MsgData::chats() const
{
    return m_d ? m_d->chats.values() : QList<_MsgChat *>();
}

QList<_MsgChatMerge> MsgData::chatMergeList() const
{
    QList<_MsgChatMerge> merges;
    QHash<QString, qsizetype> byIdentifier;
    for (_MsgChat *chat : chats()) {
        const auto found = byIdentifier.constFind(chat->chat_identifier);
        if (found == byIdentifier.cend()) {
            byIdentifier.insert(chat->chat_identifier, merges.size());
            merges.append(_MsgChatMerge{{chat}, chat->last});
            continue;
        }
        _MsgChatMerge &merge = merges[*found];
        merge.chats.append(chat);
        merge.last = qMax(merge.last, chat->last);
    }
    return merges;
}

std::vector<std::unique_ptr<_MsgChat>> MsgData::removeMessages(const QList<_MsgMessage *> &messages)
{
    QSet<_MsgMessage *> doomed;
    for (_MsgMessage *message : messages) {
        if (m_d->messages.value(message->rowid) == message)
            doomed.insert(message);
    }
    std::vector<std::unique_ptr<_MsgChat>> emptied;
    for (auto chat = m_d->chats.begin(); chat != m_d->chats.end();) {
        const qsizetype before = (*chat)->messageMap.size();
        (*chat)->messageMap.removeIf(
            [&doomed](const auto &entry) { return doomed.contains(entry.value()); });
        if (before > 0 && (*chat)->messageMap.isEmpty()) {
            emptied.emplace_back(*chat);
            chat = m_d->chats.erase(chat);
        } else {
            ++chat;
        }
    }
    for (_MsgMessage *message : std::as_const(doomed)) {
        m_d->messages.remove(message->rowid);
        delete message;
    }
    return emptied;
}
