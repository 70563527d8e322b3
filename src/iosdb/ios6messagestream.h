#pragma once

#include <QHash>
#include <QList>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

class IOS6MessageDb;
class MsgData;
struct _MsgAttachment;
struct _MsgChat;
struct _MsgMessage;

// The messages of a database one at a time, oldest first, as a listing shows them. Loading a
// million messages into records only to print each once held all of them at the same moment.
// Here the small things are read first (chats, handles, attachments, each message's date and
// chat, and the reactions with their targets); each message row is then read when its turn
// comes, shown and dropped. The messages, their order and their links are those of a load
// (IOS6MessageDb::messages of every chat) listed through g_selectMessages.
class IOS6MessageStream
{
public:
    // data receives the chats, handles, attachments and the reaction rows; the stream reads
    // through db, which must stay open until the visit is over.
    IOS6MessageStream(IOS6MessageDb &db, MsgData &data);
    ~IOS6MessageStream();
    IOS6MessageStream(const IOS6MessageStream &) = delete;
    IOS6MessageStream &operator=(const IOS6MessageStream &) = delete;

    // Before prepare(): each chat also gets the date of its newest message (_MsgChat::last) and
    // each reply the message it answers (replyTarget), as a load gives them; a listing that shows
    // neither skips those passes over all messages.
    void linkAsLoaded() { m_linkAsLoaded = true; }
    // Reads everything but the message rows, within a read transaction that visit() ends, so
    // that the rows visited are those counted. Throws as a load does.
    void prepare();
    // How many messages a load would hold (those shown alone and the reactions shown with their
    // targets).
    qsizetype messageCount() const { return m_messageCount; }
    // After prepare(): how many messages visit() shows.
    qsizetype listedCount() const { return qsizetype(m_entries.size()); }
    // After prepare(): the chats of the messages visit() shows, each once.
    QList<const _MsgChat *> listedChats() const;
    // After prepare(): moves the messages into the order of their chats' ranks (given for every
    // listed chat), keeping the message order among those of equal rank.
    void groupByChat(const QHash<const _MsgChat *, int> &ranks);
    // Calls show for every message shown alone, in order. The message and the records it links
    // are valid during the call only.
    void visit(const std::function<void(_MsgMessage &)> &show);
    // After visit(): calls show for every reaction shown with its target instead of alone, by
    // their targets' order, then oldest first. With visit() these are all the messages a load
    // holds, in the order a save stores them.
    void visitLinkedReactions(const std::function<void(_MsgMessage &)> &show);
    // After prepare(): messages joined to more than one chat, by row id, with each chat but the
    // one they are shown in (a load lists such a message in every chat it is joined to).
    const std::vector<std::pair<qint64, _MsgChat *>> &otherChats() const { return m_otherChats; }

private:
    struct Entry
    {
        qint64 rowid = 0;
        _MsgChat *chat = nullptr;
        int date = 0;
        bool reaction = false;
        // A reaction shown with its target instead of on its own.
        bool hidden = false;
    };
    struct AttachmentLink
    {
        qint64 messageId;
        qint64 attachmentId;
        _MsgAttachment *attachment;
    };

    void readEntries();
    // The entry of a loaded message, or null.
    Entry *entryOf(qint64 rowid);
    void readAttachments();
    void readReactions();
    // The messages replies answer, kept as records for the quote a reply shows.
    void readReplyTargets();
    // Guid to row id of the loaded messages whose guid is in guids.
    QHash<QString, qint64> loadedByGuid(const QList<QString> &guids);
    // Fills msg from the entry's message row, with its links.
    void readMessage(const Entry &entry, _MsgMessage &msg);

    IOS6MessageDb &m_db;
    MsgData &m_data;
    std::vector<Entry> m_entries;
    std::vector<std::pair<qint64, _MsgChat *>> m_otherChats;
    // By message row id.
    std::vector<AttachmentLink> m_attachments;
    // Reactions in force or not, oldest first, by their target's row id.
    QHash<qint64, QList<_MsgMessage *>> m_reactionsOf;
    // By the reply's row id.
    QHash<qint64, _MsgMessage *> m_replyTargets;
    qsizetype m_messageCount = 0;
    bool m_linkAsLoaded = false;
    class RowReader;
    std::unique_ptr<RowReader> m_rows;
};
