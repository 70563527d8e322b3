#pragma once

#include "localdb/knownmessages.h"
#include "model/absformatexport.h"

#include <QDir>
#include <QHash>
#include <QPair>
#include <QSet>
#include <QString>

#include <memory>

class AbsDbEdit;
class Sqlite3IndexPause;
class IOS6MessageDb;
struct _MsgAttachment;
struct _MsgChat;
struct _MsgHandle;
struct _MsgMessage;

// Writes messages into a local message database (created when missing), one transaction per
// run, skipping messages the database already holds and copying attachment files into the
// database's own file tree.
class ExportMessagesDb : public AbsFormatExport<_MsgMessage>
{
public:
    // folder: the local database's folder; mmc: the phone's mobile country code, empty for a
    // save from another source.
    ExportMessagesDb(const QDir &folder, const QString &mmc);
    ~ExportMessagesDb() override;

    // Opens the database (creating or upgrading it) and begins the one transaction of the run.
    void init() override;
    // Saves one message with its chat, addresses and attachments; a message the database already
    // holds only gets the attachments it lacks. Messages without a chat, and group or system
    // items the database cannot hold, are skipped.
    void write(_MsgMessage &message) override;
    // Commits and closes.
    void uninit() override;
    // Drops the open transaction and closes: nothing written in this run stays.
    void abort();

    // Messages this run added as new rows (duplicates and skipped ones not counted).
    int insertedCount() const { return m_inserted; }
    // Messages this run could not save (without a chat, or of a kind the database cannot hold).
    int skippedCount() const { return m_skipped; }
    // The database written to.
    IOS6MessageDb &db() const { return *m_db; }

private:
    qint64 chatRowId(const _MsgChat &chat);
    // The handle's row id, inserting it when the database lacks it, and joined to chatId.
    qint64 handleRowId(const _MsgHandle &handle, qint64 chatId);
    void updateLastHandle(qint64 chatId, const QString &address);
    void noteChatDate(qint64 chatId, int date);
    void writeChatDates();
    void writeAttachments(const _MsgMessage &message, qint64 messageId, bool known);
    void copyAttachmentFile(const _MsgAttachment &attachment) const;
    void forgetLookups();

    std::unique_ptr<IOS6MessageDb> m_db;
    // The run's transaction; declared after m_db so that it ends before the database closes.
    std::unique_ptr<AbsDbEdit> m_edit;
    // Set while a save into an empty database builds its indexes at the end instead of row by
    // row; declared after m_edit so that it goes first.
    std::unique_ptr<Sqlite3IndexPause> m_indexPause;
    int m_inserted = 0;
    int m_skipped = 0;

    // Row ids found or created during this run. They are only valid inside its transaction, so
    // they are forgotten whenever one begins or ends.
    // Chats by guid and addresses by (address, service); the same by record, with the key the
    // record had.
    QHash<QString, qint64> m_chatIds;
    QHash<const _MsgChat *, QPair<QString, qint64>> m_chatIdsByRecord;
    QHash<QPair<QString, QString>, qint64> m_handleIds;
    QHash<const _MsgHandle *, QPair<QPair<QString, QString>, qint64>> m_handleIdsByRecord;
    QSet<QPair<qint64, qint64>> m_chatHandleJoins; // (chat, handle) known to be joined
    QHash<qint64, QString> m_lastHandles;          // last_addressed_handle set per chat
    QHash<qint64, int> m_newestDates;              // newest new message per chat
    KnownMessages m_known;
    bool m_hasHashes = false;
};
