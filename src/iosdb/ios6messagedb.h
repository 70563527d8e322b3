#pragma once

#include "model/absiosmessagedb.h"
#include "model/countryinfo.h"
#include "model/sqlite3recordreader.h"
#include "model/sqlite3sql.h"

#include <QDir>
#include <QHash>
#include <QString>

#include <memory>

class CountryLibDb;
class IOSContactsMemDb;
class MsgData;
class __MsgData;
class Sqlite3Cursor;
struct _MsgAttachment;
struct _MsgChat;
struct _MsgHandle;
struct _MsgMessage;

// The phone's message database of the iOS 6 and later layout, read from a folder whose
// "file-relay" sub-folder mirrors the phone's file system. The same class reads and writes every
// local message database (local mode), whose schema is the phone's plus a few columns of ours.
class IOS6MessageDb : public AbsIOSMessageDb
{
public:
    // Where the database lies below the folder's "file-relay" root.
    static const char *const kDbRelativePath;
    // The message database of a source folder (local database, cache or copied phone files).
    static QString dbPathIn(const QDir &folder);

    // mmc: the phone's mobile country code, empty when unknown. countryCode: a lower-case short
    // code ("us") that, when not empty, is the phone's country instead of the mmc's: it formats
    // addresses stored without a country and the numbers of the address book. Opens nothing.
    IOS6MessageDb(const QDir &folder, const QString &mmc, bool localMode,
                  const QString &countryCode = QString());
    ~IOS6MessageDb() override;

    // Opens the database, creating it from the local schema when the file is missing and, in
    // local mode, adding the columns an older local database lacks. Throws std::runtime_error.
    void openCheck() override;
    void chats(MsgData &data) override;
    // chats(), but a chat's newest date (chat->last) is left as stored: where the table does not
    // keep it, working it out takes a pass over every message, which a listing of messages does
    // without.
    void chatsUndated(MsgData &data);
    // chatId <= 0 loads every chat's messages.
    void messages(MsgData &data, qint64 chatId) override;
    int type() const override { return kIOS6; }

    // Only then can group and system items be stored here.
    bool isItemTypeEnabled() const;
    bool isHandleBelong2Chat(qint64 chatId, qint64 handleId);
    bool isAttaOfMessage(qint64 messageId, qint64 attachmentId);

    // Row id of the first matching row, 0 when none.
    qint64 findChat(const QString &guid);
    qint64 findHandle(const _MsgHandle &handle);
    qint64 findMessage(const QString &guid);
    // 0 without a query when the database keeps no logical hashes.
    qint64 findMessageHash(const _MsgMessage &msg);
    qint64 findAttachment(const _MsgAttachment &atta);

    void joinChatHandle(qint64 chatId, qint64 handleId);
    void joinChatMessage(qint64 chatId, qint64 messageId);
    void joinMessageAtta(qint64 messageId, qint64 attachmentId);

    // Raises the chat's newest-message date; never lowers it. No effect without that column.
    void updateChatLastDate21(qint64 chatId, int date);
    void updateChatLastHandle(qint64 chatId, const QString &handleId);

    // Each returns the new row id; a constraint violation throws.
    qint64 insertChatAndHandles(const _MsgChat &chat);
    qint64 insertHandle(const _MsgHandle &handle);
    // handleId and otherHandleId are row ids in this database (0: none); an empty logicHash
    // stores the message's own logical hash.
    qint64 insertMessage(const _MsgMessage &msg, qint64 handleId, qint64 otherHandleId,
                         const QString &logicHash);
    qint64 insertAttachment(const _MsgAttachment &atta);
    // Deletes the message with its joins, and its chat when it was the chat's last message.
    void deleteMessage(const _MsgMessage *msg);

    const QDir &folder() const { return m_folder; }
    // The "file-relay" folder: root of the mirrored phone file system.
    const QString &root() const { return m_root; }
    const QString &dbPath() const { return m_dbPath; }
    bool localMode() const { return m_localMode; }
    // Table name to its stored CREATE text; filled by openCheck().
    const QHash<QString, QString> &tableSql() const { return m_tableSql; }
    bool tableSqlContains(const QString &table, const QString &text,
                          Qt::CaseSensitivity cs = Qt::CaseSensitive) const;

    // The attachment's path below the file-relay root as the phone's filename names it: the
    // leading "/" or "~/" (the phone user's home, var/mobile) goes and characters the extraction
    // never writes in names are dropped. Not checked for safety; see resolveAttachmentPath.
    static QString attachmentRelativePath(const QString &filename);
    // The absolute path of the attachment below root, or "" when the name would lead outside it.
    static QString resolveAttachmentPath(const QString &root, const QString &filename);
    QString resolveAttachmentPath(const QString &filename) const;

    // What messages() reads with, for a reader that walks the rows its own way
    // (IOS6MessageStream). The join rows of the messages shown of chat chatId (every chat when
    // 0): "chat_id" and the given columns of the message, as "m".
    Sqlite3Sql messageRowsSql(const QString &messageColumns, qint64 chatId) const;
    // The attachment rows of messages of chat chatId (every chat when 0), with "message_id".
    static Sqlite3Sql attachmentRowsSql(qint64 chatId);
    static Sqlite3RecordReader<_MsgMessage> messageRowReader();
    static Sqlite3RecordReader<_MsgAttachment> attachmentRowReader();
    // Fills msg from the cursor's message row (rowid already read) and works out its body.
    static void readMessage(Sqlite3RecordReader<_MsgMessage> &reader, const Sqlite3Cursor &c,
                            qint64 rowid, _MsgMessage &msg);
    // Points msg at its sender and other party among the handles of d.
    static void linkHandles(const __MsgData &d, _MsgMessage &msg);
    // Fills atta from the cursor's attachment row, with where its file lies.
    void readAttachment(Sqlite3RecordReader<_MsgAttachment> &reader, const Sqlite3Cursor &c,
                        _MsgAttachment &atta) const;

private:
    class HandleReader;
    class MessageInsert;

    void readChats(MsgData &data, bool dated);
    void createFromSchema();
    void requireTables();
    void upgradeLocalColumns();
    void registerFunctions();
    void readTableSql();
    qint64 firstRowId(const Sqlite3Sql &sql);
    // The country of addresses stored without one.
    _CountryInfo defaultCountry();
    bool messageSqlContains(const char *text);
    // The attachment insert of this table: the columns every layout has as ?1 to ?8, then those
    // it has of user_info, transfer_name and total_bytes.
    QByteArray attachmentInsertSql();
    void execute(const Sqlite3Sql &sql);
    // Runs sql, an insert of two row ids into a join table, through its kept statement.
    void joinRows(const QByteArray &sql, qint64 first, qint64 second);

    const QDir m_folder;
    const QString m_mmc;
    const QString m_countryCode;
    const bool m_localMode;
    const QString m_root;
    const QString m_dbPath;
    std::unique_ptr<CountryLibDb> m_countryLib;
    std::unique_ptr<IOSContactsMemDb> m_contacts;
    QHash<QString, QString> m_tableSql;
    QHash<QString, bool> m_messageSqlContains;
    // Built on the first insert after the table was read, since it follows the table's columns.
    std::unique_ptr<MessageInsert> m_messageInsert;
    QByteArray m_attachmentInsert;
};
