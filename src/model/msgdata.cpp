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

QSet<_MsgMessage *> MsgData::heldOf(const QList<_MsgMessage *> &messages) const
{
    QSet<_MsgMessage *> held;
    held.reserve(messages.size());
    for (_MsgMessage *message : messages) {
        if (m_d->messages.value(message->rowid) == message)
            held.insert(message);
    }
    return held;
}

void MsgData::forget(const QSet<_MsgMessage *> &doomed)
{
    for (_MsgMessage *message : doomed) {
        m_d->messages.remove(message->rowid);
        delete message;
    }
}

void MsgData::releaseMessages(const QList<_MsgMessage *> &messages)
{
    const QSet<_MsgMessage *> doomed = heldOf(messages);
    if (doomed.isEmpty())
        return;
    for (_MsgChat *chat : std::as_const(m_d->chats)) {
        chat->messageMap.removeIf(
            [&doomed](const auto &entry) { return doomed.contains(entry.value()); });
    }
    const auto forgotten = [&doomed](_MsgMessage *&link) {
        if (link && doomed.contains(link))
            link = nullptr;
    };
    for (_MsgMessage *message : std::as_const(m_d->messages)) {
        if (doomed.contains(message))
            continue;
        forgotten(message->reactionTarget);
        forgotten(message->replyTarget);
        if (!message->reactions.isEmpty())
            message->reactions.removeIf(
                [&doomed](_MsgMessage *reaction) { return doomed.contains(reaction); });
    }
    forget(doomed);
}

std::vector<std::unique_ptr<_MsgChat>> MsgData::removeMessages(const QList<_MsgMessage *> &messages)
{
    const QSet<_MsgMessage *> doomed = heldOf(messages);
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
    forget(doomed);
    return emptied;
}
