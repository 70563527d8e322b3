#pragma once

#include "model/msgchatmerge.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QSharedPointer>

#include <memory>
#include <vector>

struct _MsgAttachment;
struct _MsgChat;
struct _MsgHandle;
struct _MsgMessage;

// The records of one loaded source, each keyed by its row id in that source. It owns every record
// in its four hashes; the links between records never own. A record is looked up here before it
// is created, so a row met twice (a message in two chats) stays one record.
class __MsgData
{
public:
    __MsgData() = default;
    ~__MsgData();
    __MsgData(const __MsgData &) = delete;
    __MsgData &operator=(const __MsgData &) = delete;

    QHash<qint64, _MsgChat *> chats;
    QHash<qint64, _MsgHandle *> handles;
    QHash<qint64, _MsgMessage *> messages;
    QHash<qint64, _MsgAttachment *> attachments;

    // The record stored under rowid in records (one of the four hashes), made by make() — a
    // callable returning std::unique_ptr<Record> — and stored there when missing. made, when
    // given, tells whether this call made it. A make that returns null stores nothing.
    template <typename Record, typename Make>
    static Record *insertOrGet(QHash<qint64, Record *> &records, qint64 rowid, Make &&make,
                               bool *made = nullptr)
    {
        // One hash lookup for a new row (loading a million rows made the second one count): the
        // slot is made empty, then filled. Nothing stored is null, so an empty slot is new.
        const qsizetype before = records.size();
        Record *&slot = records[rowid];
        if (made)
            *made = !slot;
        if (slot)
            return slot;
        std::unique_ptr<Record> created;
        try {
            created = make();
        } catch (...) {
            records.remove(rowid);
            throw;
        }
        if (!created) {
            records.remove(rowid);
            return nullptr;
        }
        Record *owned = created.release();
        // make() may itself have added to records (or shared them), which moves the slot.
        if (records.size() == before + 1 && records.isDetached())
            slot = owned;
        else
            records.insert(rowid, owned);
        return owned;
    }
};

// Shares one __MsgData between its copies (thread-safe count); the records live until the last
// copy goes. Filled by one thread, then handed over; never changed by two threads at once.
class MsgData
{
public:
    MsgData();

    __MsgData *p() const;
    QList<_MsgMessage *> messages() const;
    QList<_MsgChat *> chats() const;
    // The chats grouped by equal chat identifier (exact text), unsorted.
    QList<_MsgChatMerge> chatMergeList() const;

    // Forgets and frees the given messages (those not held here are ignored), as after their
    // deletion from the source. A chat left without messages goes too, as the database drops it
    // with its last message; those chats are handed back so that whoever still points at them
    // (views of the chat list) can let go before they are freed.
    std::vector<std::unique_ptr<_MsgChat>> removeMessages(const QList<_MsgMessage *> &messages);
    // Frees messages whoever holds this data is done with for good (a save frees what it has
    // written, so that a million records need not all be held to the end), and forgets them
    // everywhere: the messages hash, every chat's list, and the reaction and reply links of the
    // messages left. Chats stay, even those left without messages. Those not held here are
    // ignored.
    void releaseMessages(const QList<_MsgMessage *> &messages);

private:
    // Those of messages this data holds.
    QSet<_MsgMessage *> heldOf(const QList<_MsgMessage *> &messages) const;
    // Takes them out of the messages hash and frees them.
    void forget(const QSet<_MsgMessage *> &doomed);

    QSharedPointer<__MsgData> m_d;
};
