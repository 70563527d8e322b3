#include "localdb/exportmessagesdb.h"

#include "frame/filenames.h"
#include "iosdb/ios6messagedb.h"
#include "localdb/localdblog.h"
#include "model/absdbedit.h"
#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msgfunctions.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"
#include "model/sqlite3indexpause.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <exception>

namespace {

// Copies source to target without ever replacing an existing file or leaving a partial one at
// target: the bytes go to a temporary file beside it, which is then renamed (a rename that does
// not overwrite, so a target that appears meanwhile is kept).
bool copyFileNoReplace(const QString &source, const QString &target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QFileInfo targetInfo(target);
    if (!QDir().mkpath(targetInfo.absolutePath()))
        return false;
    QTemporaryFile out(targetInfo.absolutePath() + QStringLiteral("/.textlink-copy-XXXXXX"));
    if (!out.open())
        return false;
    constexpr qint64 kChunk = 1 << 16;
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(kChunk);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError)
            return false;
        if (out.write(chunk) != chunk.size())
            return false;
    }
    if (!out.flush())
        return false;
    out.close();
    if (!out.rename(target))
        return false;
    // The temporary object now names the target; its clean-up must not delete the copy.
    out.setAutoRemove(false);
    return true;
}

} // namespace

namespace {

const char *const kAppendCacheSize = "PRAGMA cache_size=-16384";

} // namespace

ExportMessagesDb::ExportMessagesDb(const QDir &folder, const QString &mmc)
    : m_db(std::make_unique<IOS6MessageDb>(folder, mmc, true))
{}

// An open edit is rolled back by its guard: nothing of a failed or cancelled run stays.
ExportMessagesDb::~ExportMessagesDb() = default;

void ExportMessagesDb::init()
{
    forgetLookups();
    m_inserted = 0;
    m_skipped = 0;
    m_edit = std::make_unique<AbsDbEdit>(*m_db);
    m_hasHashes = m_db->tableSqlContains(QStringLiteral("message"), QStringLiteral("logic_hash"));
    // Read through the small default cache: the scan would otherwise leave every page of the
    // message table in memory, which a save of duplicates never needs again.
    m_known.load(*m_db, m_hasHashes);
    if (m_known.isEmpty()) {
        // Only into an empty table: building the indexes again over rows already stored would
        // cost more than a small save gains. Rows are then only appended, and the indexes are
        // sorted at the end, in files where they outgrow the cache: a modest cache does.
        m_indexPause = std::make_unique<Sqlite3IndexPause>(*m_db);
        m_db->executeThrow(kAppendCacheSize);
    } else {
        // Guids and hashes are random keys: their index pages are touched all over the file, and
        // with SQLite's small default cache a large save spent much of its time writing pages
        // out and reading them back. A negative size counts kibibytes.
        m_db->executeThrow("PRAGMA cache_size=-65536");
    }
}

void ExportMessagesDb::uninit()
{
    writeChatDates();
    forgetLookups();
    if (m_indexPause) {
        m_indexPause->restore();
        m_indexPause.reset();
    }
    if (m_edit) {
        m_edit->commit();
        m_edit.reset();
    }
    m_db->close();
}

void ExportMessagesDb::abort()
{
    forgetLookups();
    m_inserted = 0;
    // The rollback puts the indexes back.
    m_indexPause.reset();
    if (m_edit) {
        const std::unique_ptr<AbsDbEdit> edit = std::move(m_edit);
        edit->rollback();
    }
    m_db->close();
}

void ExportMessagesDb::write(_MsgMessage &message)
{
    if (message.item_type != 0 && !m_db->isItemTypeEnabled()) {
        ++m_skipped;
        return;
    }
    if (!message.chat) {
        qCWarning(lcLocalDb) << "not saved, the message has no chat:" << message.guid();
        ++m_skipped;
        return;
    }

    const qint64 chatId = chatRowId(*message.chat);
    const qint64 handleId = message.handle ? handleRowId(*message.handle, chatId) : 0;

    // Computed once: it is both the duplicate test and a column of the new row.
    const QString hash = m_hasHashes ? message.logicalHash() : QString();
    const KnownMessages::Keys keys = KnownMessages::keys(hash, message.guid());
    qint64 messageId = m_known.rowIdOfHash(keys);
    if (messageId == 0 && m_known.mayHoldGuid(keys))
        messageId = m_db->findMessage(message.guid());
    const bool known = messageId != 0;
    if (!known) {
        const qint64 otherHandleId =
            message.otherHandle ? handleRowId(*message.otherHandle, chatId) : 0;
        messageId = m_db->insertMessage(message, handleId, otherHandleId, hash);
        m_known.add(messageId, keys);
        m_db->joinChatMessage(chatId, messageId);
        noteChatDate(chatId, message.date);
        ++m_inserted;
    }

    if (message.chat->isGroup() && message.handle)
        updateLastHandle(chatId, message.handle->id);

    writeAttachments(message, messageId, known);
}

qint64 ExportMessagesDb::chatRowId(const _MsgChat &chat)
{
    // By record first: every message asks, and hashing its chat's guid cost more than the rest
    // of the look-up. The guid is still compared (cheaply, as the record's own string), since a
    // caller may pass records that live only as long as the write, one after another at one
    // address.
    const auto seen = m_chatIdsByRecord.constFind(&chat);
    if (seen != m_chatIdsByRecord.constEnd() && seen->first == chat.guid)
        return seen->second;
    qint64 chatId = m_chatIds.value(chat.guid);
    if (chatId == 0) {
        chatId = m_db->findChat(chat.guid);
        if (chatId == 0)
            chatId = m_db->insertChatAndHandles(chat);
        m_chatIds.insert(chat.guid, chatId);
    }
    m_chatIdsByRecord.insert(&chat, qMakePair(chat.guid, chatId));
    return chatId;
}

qint64 ExportMessagesDb::handleRowId(const _MsgHandle &handle, qint64 chatId)
{
    // By record first, as for chats.
    const QPair<QString, QString> key(handle.id, handle.service);
    qint64 handleId = 0;
    const auto seen = m_handleIdsByRecord.constFind(&handle);
    if (seen != m_handleIdsByRecord.constEnd() && seen->first == key)
        handleId = seen->second;
    if (handleId == 0) {
        handleId = m_handleIds.value(key);
        if (handleId == 0) {
            handleId = m_db->findHandle(handle);
            if (handleId == 0) {
                handleId = m_db->insertHandle(handle);
                m_db->joinChatHandle(chatId, handleId);
                m_chatHandleJoins.insert(qMakePair(chatId, handleId));
            }
            m_handleIds.insert(key, handleId);
        }
        m_handleIdsByRecord.insert(&handle, qMakePair(key, handleId));
    }
    const QPair<qint64, qint64> join(chatId, handleId);
    if (!m_chatHandleJoins.contains(join)) {
        if (!m_db->isHandleBelong2Chat(chatId, handleId))
            m_db->joinChatHandle(chatId, handleId);
        m_chatHandleJoins.insert(join);
    }
    return handleId;
}

void ExportMessagesDb::updateLastHandle(qint64 chatId, const QString &address)
{
    // Consecutive messages of one sender would rewrite the same value; the row is only touched
    // when the value changes.
    const auto known = m_lastHandles.constFind(chatId);
    if (known != m_lastHandles.constEnd() && known.value() == address)
        return;
    m_db->updateChatLastHandle(chatId, address);
    m_lastHandles.insert(chatId, address);
}

void ExportMessagesDb::writeAttachments(const _MsgMessage &message, qint64 messageId, bool known)
{
    QList<_MsgAttachment *> attachments = message.attachmentMap.values();
    std::sort(attachments.begin(), attachments.end(), compareMsgAttachmentAsc);
    for (const _MsgAttachment *attachment : attachments) {
        if (g_isPlainFile(attachment->localPath))
            copyAttachmentFile(*attachment);
        qint64 attachmentId = m_db->findAttachment(*attachment);
        if (attachmentId == 0) {
            attachmentId = m_db->insertAttachment(*attachment);
        } else if (known && m_db->isAttaOfMessage(messageId, attachmentId)) {
            // Linking a stored pair again would rewrite the message row (the link's insert
            // trigger): a tenth of saving a source that is all duplicates.
            continue;
        }
        m_db->joinMessageAtta(messageId, attachmentId);
    }
}

void ExportMessagesDb::copyAttachmentFile(const _MsgAttachment &attachment) const
{
    // The name comes from the source database, so it may try to climb out of the file tree.
    const QString target = m_db->resolveAttachmentPath(attachment.filename);
    if (target.isEmpty()) {
        qCWarning(lcLocalDb) << "attachment not copied, its name leaves the database folder:"
                             << attachment.filename;
        return;
    }
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
        return;
    // A failed copy only costs the file; the row is still saved, as the phone's own row would be.
    if (!copyFileNoReplace(attachment.localPath, target))
        qCWarning(lcLocalDb) << "attachment copy failed:" << attachment.localPath << "to" << target;
}

void ExportMessagesDb::noteChatDate(qint64 chatId, int date)
{
    // Written once per chat when the run ends rather than once per message: each update of the
    // chat's newest date also rewrites its index entry.
    const auto known = m_newestDates.find(chatId);
    if (known == m_newestDates.end())
        m_newestDates.insert(chatId, date);
    else if (date > known.value())
        known.value() = date;
}

void ExportMessagesDb::writeChatDates()
{
    for (auto it = m_newestDates.cbegin(); it != m_newestDates.cend(); ++it)
        m_db->updateChatLastDate21(it.key(), it.value());
    m_newestDates.clear();
}

void ExportMessagesDb::forgetLookups()
{
    m_chatIds.clear();
    m_chatIdsByRecord.clear();
    m_handleIds.clear();
    m_handleIdsByRecord.clear();
    m_chatHandleJoins.clear();
    m_lastHandles.clear();
    m_newestDates.clear();
    m_known.clear();
}
