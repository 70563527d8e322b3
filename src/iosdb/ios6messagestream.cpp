#include "iosdb/ios6messagestream.h"

#include "iosdb/ios6messagedb.h"
#include "iosdb/iosdblog.h"
#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msgdata.h"
#include "model/msgfunctions.h"
#include "model/msgmessage.h"
#include "model/msgreactions.h"
#include "model/sqlite3cursor.h"
#include "model/sqlite3recordreader.h"
#include "model/sqlite3sql.h"
#include "model/sqlite3stmt.h"

#include <QSet>

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <string>

namespace {

const QString kMessageTable = QStringLiteral("message");

} // namespace

// Message rows by row id, through one statement prepared once. Rows are asked for mostly in
// storing order (dates follow it), so the reader steps on from the row it is at when the one asked
// for lies a little further, and seeks only otherwise: a seek per row cost as much as reading it.
class IOS6MessageStream::RowReader
{
public:
    explicit RowReader(IOS6MessageDb &db)
        : m_stmt(QSharedPointer<Sqlite3Stmt>::create(db.handle(), seekSql(0)))
        , m_cursor(m_stmt)
        , m_reader(IOS6MessageDb::messageRowReader())
    {}

    // The row's values read into msg (its body worked out). The row was found by the join
    // within the same read transaction, so it is there.
    void read(qint64 rowid, _MsgMessage &msg)
    {
        while (m_onRow && m_at < rowid && rowid - m_at <= kMaxStep)
            moveNext();
        if (!m_onRow || m_at != rowid) {
            m_stmt->rebind(seekSql(rowid));
            moveNext();
            if (!m_onRow || m_at != rowid)
                throw std::logic_error("message row " + std::to_string(rowid) + " vanished");
        }
        IOS6MessageDb::readMessage(m_reader, m_cursor, rowid, msg);
    }

private:
    // Stepping over a few rows not listed (not in a chat, or locations) costs less than a seek.
    static constexpr qint64 kMaxStep = 16;

    static Sqlite3Sql seekSql(qint64 rowid)
    {
        return Sqlite3Sql("select * from message where rowid >= ? order by rowid")
            .addInt64Param(rowid);
    }

    void moveNext()
    {
        m_onRow = m_cursor.moveNext();
        if (!m_onRow)
            return;
        if (m_cursor.layoutId() != m_layout) {
            m_rowidColumn = m_cursor.columnIndex(QStringLiteral("rowid"));
            m_layout = m_cursor.layoutId();
        }
        m_at = m_cursor.getInt64(m_rowidColumn);
    }

    QSharedPointer<Sqlite3Stmt> m_stmt;
    Sqlite3Cursor m_cursor;
    Sqlite3RecordReader<_MsgMessage> m_reader;
    bool m_onRow = false;
    // The row id of the current row.
    qint64 m_at = 0;
    quint64 m_layout = 0;
    int m_rowidColumn = -1;
};

IOS6MessageStream::IOS6MessageStream(IOS6MessageDb &db, MsgData &data) : m_db(db), m_data(data) {}

IOS6MessageStream::~IOS6MessageStream()
{
    // A visit cut short (an error, a cancel) leaves the read transaction open on a connection
    // that outlives the stream; its statement goes first.
    m_rows.reset();
    if (!m_db.inTransaction())
        return;
    try {
        m_db.rollbackTran();
    } catch (const std::exception &e) {
        qCWarning(lcIosdb) << "ending the read of the message list failed:" << e.what();
    }
}

void IOS6MessageStream::prepare()
{
    m_db.openCheck();
    // Rows added or deleted by another program meanwhile would not match what was counted.
    m_db.executeThrow("begin");
    if (m_linkAsLoaded)
        m_db.chats(m_data);
    else
        m_db.chatsUndated(m_data);
    m_rows = std::make_unique<RowReader>(m_db);
    readEntries();
    readAttachments();
    readReactions();
    if (m_linkAsLoaded)
        readReplyTargets();
    m_messageCount = qsizetype(m_entries.size());
    // Only what is shown alone is listed, and the order is that of the list shown: which items
    // take part changes the outcome of the merge sort (its predicate is not transitive).
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(),
                                   [](const Entry &entry) { return entry.hidden; }),
                    m_entries.end());
    g_sortInMessageOrder(m_entries.begin(), m_entries.end(), [](const Entry &entry) {
        return MsgOrderKey{entry.date, entry.rowid, entry.rowid};
    });
}

QList<const _MsgChat *> IOS6MessageStream::listedChats() const
{
    QSet<const _MsgChat *> seen;
    QList<const _MsgChat *> chats;
    for (const Entry &entry : m_entries) {
        if (!seen.contains(entry.chat)) {
            seen.insert(entry.chat);
            chats.append(entry.chat);
        }
    }
    return chats;
}

void IOS6MessageStream::groupByChat(const QHash<const _MsgChat *, int> &ranks)
{
    // Each entry's rank looked up once, not in every comparison.
    std::vector<std::pair<int, qsizetype>> ranked;
    ranked.reserve(m_entries.size());
    for (size_t i = 0; i < m_entries.size(); ++i)
        ranked.emplace_back(ranks.value(m_entries[i].chat), qsizetype(i));
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<Entry> grouped;
    grouped.reserve(m_entries.size());
    for (const auto &item : ranked)
        grouped.push_back(m_entries[size_t(item.second)]);
    m_entries = std::move(grouped);
}

void IOS6MessageStream::readEntries()
{
    const bool reactions =
        m_db.tableSqlContains(kMessageTable, QStringLiteral("associated_message_type"));
    const QString columns = reactions ? QStringLiteral("m.rowid, m.date, m.associated_message_type")
                                      : QStringLiteral("m.rowid, m.date, 0");
    Sqlite3Cursor c = m_db.queryThrow(m_db.messageRowsSql(columns, 0));
    const __MsgData &d = *m_data.p();
    qint64 chatId = 0;
    _MsgChat *chat = nullptr;
    while (c.moveNext()) {
        // Rows of one chat mostly come together: its record is looked up once for them.
        if (c.getInt64(0) != chatId || !chat) {
            chatId = c.getInt64(0);
            chat = d.chats.value(chatId);
        }
        // A join row left behind by a chat that is gone has nothing to show the message in.
        if (!chat)
            continue;
        Entry entry;
        entry.rowid = c.getInt64(1);
        entry.chat = chat;
        entry.date = date21FromStored(c.getInt64(2));
        const int type = c.getInt(3);
        entry.reaction = MsgReactions::isReactionType(type) || MsgReactions::isRemovalType(type);
        m_entries.push_back(entry);
    }
    // A message in two chats is one message, shown in the chat of its last join row as a load
    // leaves it.
    const auto byRowid = [](const Entry &a, const Entry &b) { return a.rowid < b.rowid; };
    if (!std::is_sorted(m_entries.begin(), m_entries.end(), byRowid))
        std::stable_sort(m_entries.begin(), m_entries.end(), byRowid);
    auto kept = m_entries.begin();
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it + 1 != m_entries.end() && (it + 1)->rowid == it->rowid) {
            m_otherChats.emplace_back(it->rowid, it->chat);
            continue;
        }
        *kept++ = *it;
    }
    m_entries.erase(kept, m_entries.end());
}

IOS6MessageStream::Entry *IOS6MessageStream::entryOf(qint64 rowid)
{
    const auto it =
        std::lower_bound(m_entries.begin(), m_entries.end(), rowid,
                         [](const Entry &entry, qint64 wanted) { return entry.rowid < wanted; });
    return it != m_entries.end() && it->rowid == rowid ? &*it : nullptr;
}

void IOS6MessageStream::readAttachments()
{
    Sqlite3Cursor c = m_db.queryThrow(IOS6MessageDb::attachmentRowsSql(0));
    Sqlite3RecordReader<_MsgAttachment> reader = IOS6MessageDb::attachmentRowReader();
    const int messageColumn = c.columnIndex(QStringLiteral("message_id"));
    const int attachmentColumn = c.columnIndex(QStringLiteral("attachment_id"));
    __MsgData &d = *m_data.p();
    while (c.moveNext()) {
        // Only attachments of loaded messages: the rest would be records nobody reaches.
        const qint64 messageId = c.getInt64(messageColumn);
        if (!entryOf(messageId))
            continue;
        const qint64 attachmentId = c.getInt64(attachmentColumn);
        _MsgAttachment *attachment = __MsgData::insertOrGet(d.attachments, attachmentId, [&] {
            auto created = std::make_unique<_MsgAttachment>();
            m_db.readAttachment(reader, c, *created);
            return created;
        });
        m_attachments.push_back({messageId, attachmentId, attachment});
    }
    const auto byMessage = [](const AttachmentLink &a, const AttachmentLink &b) {
        return a.messageId < b.messageId;
    };
    if (!std::is_sorted(m_attachments.begin(), m_attachments.end(), byMessage))
        std::stable_sort(m_attachments.begin(), m_attachments.end(), byMessage);
}

void IOS6MessageStream::readReactions()
{
    // Reactions are few: they are kept as records, to be shown with their targets or alone.
    __MsgData &d = *m_data.p();
    QList<_MsgMessage *> reactions;
    for (const Entry &entry : m_entries) {
        if (!entry.reaction)
            continue;
        reactions.append(__MsgData::insertOrGet(d.messages, entry.rowid, [&] {
            auto created = std::make_unique<_MsgMessage>();
            readMessage(entry, *created);
            return created;
        }));
    }
    if (reactions.isEmpty())
        return;
    QList<QString> targets;
    for (const _MsgMessage *reaction : std::as_const(reactions))
        targets.append(MsgReactions::targetGuid(reaction->associated_message_guid()));
    const QHash<QString, qint64> loaded = loadedByGuid(targets);
    // Oldest first, so that a removal meets the reactions it may cancel (see MsgReactions::link).
    g_sortMessages(reactions, Qt::AscendingOrder);
    for (_MsgMessage *reaction : std::as_const(reactions)) {
        const qint64 targetId =
            loaded.value(MsgReactions::targetGuid(reaction->associated_message_guid()));
        const Entry *target = targetId != 0 ? entryOf(targetId) : nullptr;
        if (!target || target->rowid == reaction->rowid || target->reaction)
            continue;
        entryOf(reaction->rowid)->hidden = true;
        m_reactionsOf[targetId].append(reaction);
    }
}

void IOS6MessageStream::readReplyTargets()
{
    if (!m_db.tableSqlContains(kMessageTable, QStringLiteral("thread_originator_guid")))
        return;
    QHash<qint64, QString> replies;
    Sqlite3Cursor c = m_db.queryThrow(
        "select rowid, thread_originator_guid from message where thread_originator_guid <> ''");
    while (c.moveNext()) {
        if (entryOf(c.getInt64(0)))
            replies.insert(c.getInt64(0), c.getText(1));
    }
    if (replies.isEmpty())
        return;
    const QHash<QString, qint64> loaded = loadedByGuid(replies.values());
    __MsgData &d = *m_data.p();
    for (auto it = replies.cbegin(); it != replies.cend(); ++it) {
        const qint64 targetId = loaded.value(it.value());
        if (targetId == 0)
            continue;
        _MsgMessage *target = __MsgData::insertOrGet(d.messages, targetId, [&] {
            auto created = std::make_unique<_MsgMessage>();
            readMessage(*entryOf(targetId), *created);
            return created;
        });
        m_replyTargets.insert(it.key(), target);
        // A reaction kept as a record may answer a message too.
        if (_MsgMessage *kept = d.messages.value(it.key()))
            kept->replyTarget = target;
    }
}

QHash<QString, qint64> IOS6MessageStream::loadedByGuid(const QList<QString> &guids)
{
    QSet<QString> wanted(guids.cbegin(), guids.cend());
    wanted.remove(QString());
    QHash<QString, qint64> found;
    if (wanted.isEmpty())
        return found;
    Sqlite3Cursor c = m_db.queryThrow("select rowid, guid from message");
    while (c.moveNext()) {
        const qint64 rowid = c.getInt64(0);
        if (!entryOf(rowid))
            continue;
        QString guid = c.getText(1);
        if (wanted.contains(guid))
            found.insert(std::move(guid), rowid);
    }
    return found;
}

void IOS6MessageStream::readMessage(const Entry &entry, _MsgMessage &msg)
{
    m_rows->read(entry.rowid, msg);
    IOS6MessageDb::linkHandles(*m_data.p(), msg);
    msg.chat = entry.chat;
    const auto range = std::equal_range(
        m_attachments.cbegin(), m_attachments.cend(), AttachmentLink{entry.rowid, 0, nullptr},
        [](const AttachmentLink &a, const AttachmentLink &b) { return a.messageId < b.messageId; });
    for (auto it = range.first; it != range.second; ++it)
        msg.attachmentMap.insertRowId(it->attachmentId, it->attachment);
}

void IOS6MessageStream::visit(const std::function<void(_MsgMessage &)> &show)
{
    const __MsgData &d = *m_data.p();
    for (const Entry &entry : m_entries) {
        if (entry.reaction) {
            if (_MsgMessage *reaction = d.messages.value(entry.rowid))
                show(*reaction);
            continue;
        }
        _MsgMessage msg;
        readMessage(entry, msg);
        msg.reactions = m_reactionsOf.value(entry.rowid);
        msg.replyTarget = m_replyTargets.value(entry.rowid);
        show(msg);
    }
    m_db.executeThrow("commit");
}

void IOS6MessageStream::visitLinkedReactions(const std::function<void(_MsgMessage &)> &show)
{
    // The reaction records stay in m_data; only the rows shown alone were dropped after showing.
    for (const Entry &entry : m_entries) {
        if (entry.reaction)
            continue;
        const auto it = m_reactionsOf.constFind(entry.rowid);
        if (it == m_reactionsOf.cend())
            continue;
        for (_MsgMessage *reaction : it.value())
            show(*reaction);
    }
}
