#include "iosdb/ios6messagedb.h"

#include "frame/filenames.h"
#include "frame/translation.h"
#include "iosdb/ios6dblog.h"
#include "iosdb/ioscontactphoneinfo.h"
#include "iosdb/ioscontactsmemdb.h"
#include "model/countrylibdb.h"
#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msgdata.h"
#include "model/msghandle.h"
#include "model/msgidentity.h"
#include "model/msgmessage.h"
#include "model/sqlite3cursor.h"
#include "model/sqlite3row.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include <sqlite3.h>

#include <optional>
#include <stdexcept>

const char *const IOS6MessageDb::kDbRelativePath = "var/mobile/Library/SMS/sms.db";

QString IOS6MessageDb::dbPathIn(const QDir &folder)
{
    return QDir(folder.filePath(QStringLiteral("file-relay")))
        .filePath(QString::fromLatin1(kDbRelativePath));
}

namespace {

const QString kChat = QStringLiteral("chat");
const QString kHandle = QStringLiteral("handle");
const QString kMessage = QStringLiteral("message");
const QString kAttachment = QStringLiteral("attachment");

// The phone's triggers call these when messages and attachments go; without them such deletes
// fail. Files are never deleted through them.
void returnZero(sqlite3_context *context, int, sqlite3_value **)
{
    sqlite3_result_int(context, 0);
}

struct UpgradeStep
{
    const char *column;
    const char *sql;
};

// The columns an older local database lacks, in the order they are added.
const UpgradeStep kMessageUpgrades[] = {
    {"is_audio_message", "ALTER TABLE message ADD COLUMN is_audio_message INTEGER DEFAULT 0;"},
    {"is_played", "ALTER TABLE message ADD COLUMN is_played INTEGER DEFAULT 0;"},
    {"date_played", "ALTER TABLE message ADD COLUMN date_played INTEGER;"},
    {"item_type", "ALTER TABLE message ADD COLUMN item_type INTEGER DEFAULT 0;"},
    {"other_handle", "ALTER TABLE message ADD COLUMN other_handle INTEGER DEFAULT -1;"},
    {"group_title", "ALTER TABLE message ADD COLUMN group_title TEXT;"},
    {"group_action_type", "ALTER TABLE message ADD COLUMN group_action_type INTEGER DEFAULT 0;"},
    {"share_status", "ALTER TABLE message ADD COLUMN share_status INTEGER;"},
    {"share_direction", "ALTER TABLE message ADD COLUMN share_direction INTEGER;"},
    {"is_expirable", "ALTER TABLE message ADD COLUMN is_expirable INTEGER DEFAULT 0;"},
    {"expire_state", "ALTER TABLE message ADD COLUMN expire_state INTEGER DEFAULT 0;"},
    {"message_action_type",
     "ALTER TABLE message ADD COLUMN message_action_type INTEGER DEFAULT 0;"},
    {"logic_hash", "ALTER TABLE message ADD COLUMN logic_hash TEXT;"},
};

void readMessageRow(const Sqlite3Cursor &c, _MsgMessage &m)
{
    m.rowid = c.getInt64(QStringLiteral("rowid"));
    m.guid = c.getText(QStringLiteral("guid"));
    m.text = c.getText(QStringLiteral("text"));
    m.replace = c.getInt(QStringLiteral("replace"));
    m.service_center = c.getText(QStringLiteral("service_center"));
    m.handle_id = c.getInt64(QStringLiteral("handle_id"));
    m.subject = c.getText(QStringLiteral("subject"));
    m.country = c.getText(QStringLiteral("country"));
    m.attributedBody = c.getBlob(QStringLiteral("attributedBody"));
    m.version = c.getInt(QStringLiteral("version"));
    m.type = c.getInt(QStringLiteral("type"));
    m.service = c.getText(QStringLiteral("service"));
    m.account = c.getText(QStringLiteral("account"));
    m.account_guid = c.getText(QStringLiteral("account_guid"));
    m.error = c.getInt(QStringLiteral("error"));
    m.date = c.getInt(QStringLiteral("date"));
    m.date_read = c.getInt(QStringLiteral("date_read"));
    m.date_delivered = c.getInt(QStringLiteral("date_delivered"));
    m.is_delivered = c.getInt(QStringLiteral("is_delivered"));
    m.is_finished = c.getInt(QStringLiteral("is_finished"));
    m.is_emote = c.getInt(QStringLiteral("is_emote"));
    m.is_from_me = c.getInt(QStringLiteral("is_from_me"));
    m.is_empty = c.getInt(QStringLiteral("is_empty"));
    m.is_delayed = c.getInt(QStringLiteral("is_delayed"));
    m.is_auto_reply = c.getInt(QStringLiteral("is_auto_reply"));
    m.is_prepared = c.getInt(QStringLiteral("is_prepared"));
    m.is_read = c.getInt(QStringLiteral("is_read"));
    m.is_system_message = c.getInt(QStringLiteral("is_system_message"));
    m.is_sent = c.getInt(QStringLiteral("is_sent"));
    m.has_dd_results = c.getInt(QStringLiteral("has_dd_results"));
    m.is_service_message = c.getInt(QStringLiteral("is_service_message"));
    m.is_forward = c.getInt(QStringLiteral("is_forward"));
    m.was_downgraded = c.getInt(QStringLiteral("was_downgraded"));
    m.is_archive = c.getInt(QStringLiteral("is_archive"));
    m.cache_has_attachments = c.getInt(QStringLiteral("cache_has_attachments"));
    m.cache_roomnames = c.getText(QStringLiteral("cache_roomnames"));
    m.was_data_detected = c.getInt(QStringLiteral("was_data_detected"));
    m.was_deduplicated = c.getInt(QStringLiteral("was_deduplicated"));
    m.is_audio_message = c.getInt(QStringLiteral("is_audio_message"));
    m.is_played = c.getInt(QStringLiteral("is_played"));
    m.date_played = c.getInt(QStringLiteral("date_played"));
    m.item_type = c.getInt(QStringLiteral("item_type"));
    // A phone without the column has no other party; the record's "none" is -1, not 0.
    m.other_handle =
        c.hasColumn(QStringLiteral("other_handle")) ? c.getInt(QStringLiteral("other_handle")) : -1;
    m.group_title = c.getText(QStringLiteral("group_title"));
    m.group_action_type = c.getInt(QStringLiteral("group_action_type"));
    m.share_status = c.getInt(QStringLiteral("share_status"));
    m.share_direction = c.getInt(QStringLiteral("share_direction"));
    m.is_expirable = c.getInt(QStringLiteral("is_expirable"));
    m.expire_state = c.getInt(QStringLiteral("expire_state"));
    m.message_action_type = c.getInt(QStringLiteral("message_action_type"));
}

void readChatRow(const Sqlite3Cursor &c, _MsgChat &chat)
{
    chat.rowid = c.getInt64(QStringLiteral("rowid"));
    chat.guid = c.getText(QStringLiteral("guid"));
    chat.style = c.getInt(QStringLiteral("style"));
    chat.state = c.getInt(QStringLiteral("state"));
    chat.account_id = c.getText(QStringLiteral("account_id"));
    chat.properties = c.getBlob(QStringLiteral("properties"));
    chat.chat_identifier = c.getText(QStringLiteral("chat_identifier"));
    chat.service_name = c.getText(QStringLiteral("service_name"));
    chat.room_name = c.getText(QStringLiteral("room_name"));
    chat.account_login = c.getText(QStringLiteral("account_login"));
    chat.is_archived = c.getInt(QStringLiteral("is_archived"));
    chat.last_addressed_handle = c.getText(QStringLiteral("last_addressed_handle"));
    chat.display_name = c.getText(QStringLiteral("display_name"));
    chat.last = c.getInt(QStringLiteral("_last"));
    chat.group_id = c.getText(QStringLiteral("group_id"));
}

void readAttachmentRow(const Sqlite3Cursor &c, _MsgAttachment &a)
{
    a.rowid = c.getInt64(QStringLiteral("rowid"));
    a.guid = c.getText(QStringLiteral("guid"));
    a.created_date = c.getInt(QStringLiteral("created_date"));
    a.start_date = c.getInt(QStringLiteral("start_date"));
    a.filename = c.getText(QStringLiteral("filename"));
    a.uti = c.getText(QStringLiteral("uti"));
    a.mime_type = c.getText(QStringLiteral("mime_type"));
    a.transfer_state = c.getInt(QStringLiteral("transfer_state"));
    a.is_outgoing = c.getInt(QStringLiteral("is_outgoing"));
    a.user_info = c.getBlob(QStringLiteral("user_info"));
    a.transfer_name = c.getText(QStringLiteral("transfer_name"));
    a.total_bytes = c.getInt(QStringLiteral("total_bytes"));
}

} // namespace

// Reads handle rows into data: formats the address by its country and names it from the address
// book. Countries are looked up once per code, not once per handle.
class IOS6MessageDb::HandleReader
{
public:
    HandleReader(IOS6MessageDb &db, MsgData &data) : m_db(db), m_data(data) {}

    // The handle of the row, read and added when data does not hold it yet.
    _MsgHandle *read(const Sqlite3Cursor &c)
    {
        const qint64 rowid = c.getInt64(QStringLiteral("rowid"));
        if (_MsgHandle *known = m_data.p()->handles.value(rowid))
            return known;
        auto handle = std::make_unique<_MsgHandle>();
        handle->rowid = rowid;
        handle->id = c.getText(QStringLiteral("id"));
        handle->country = c.getText(QStringLiteral("country"));
        handle->service = c.getText(QStringLiteral("service"));
        handle->uncanonicalized_id = c.getText(QStringLiteral("uncanonicalized_id"));
        handle->_ct_name = c.getText(QStringLiteral("_ct_name"));
        handle->_photo = c.getBlob(QStringLiteral("_photo"));
        format(*handle);
        nameFromContacts(*handle);
        _MsgHandle *owned = handle.release();
        m_data.p()->handles.insert(rowid, owned);
        return owned;
    }

private:
    void format(_MsgHandle &handle)
    {
        if (handle.country.isEmpty()) {
            if (!m_default)
                m_default = m_db.defaultCountry();
            handle.country = m_default->sn.toLower();
            handle.id = m_default->formatNumber(handle.id);
            return;
        }
        auto it = m_countries.constFind(handle.country);
        if (it == m_countries.constEnd())
            it = m_countries.insert(handle.country, m_db.m_countryLib->infoByCode(handle.country));
        handle.id = it->formatNumber(handle.id);
    }

    void nameFromContacts(_MsgHandle &handle)
    {
        if (!m_db.m_contactsOpen)
            return;
        try {
            const _IOSContactPhoneInfo info = m_db.m_contacts->contactInfoByNumber(handle.id);
            handle._ct_name = info.displayName();
            handle._photo = info.photo;
        } catch (const std::exception &e) {
            qCWarning(lcIos6Db) << "IOS6MessageDb::chats, IOSContactsMemDb error." << e.what();
        }
    }

    IOS6MessageDb &m_db;
    MsgData &m_data;
    QHash<QString, _CountryInfo> m_countries;
    std::optional<_CountryInfo> m_default;
};

IOS6MessageDb::IOS6MessageDb(const QDir &folder, const QString &mmc, bool localMode,
                             const QString &countryCode)
    : m_folder(folder)
    , m_mmc(mmc)
    , m_countryCode(countryCode)
    , m_localMode(localMode)
    , m_root(folder.filePath(QStringLiteral("file-relay")))
    , m_dbPath(QDir(m_root).filePath(QString::fromLatin1(kDbRelativePath)))
    , m_countryLib(std::make_unique<CountryLibDb>(mmc))
    , m_contacts(std::make_unique<IOSContactsMemDb>(folder, mmc, countryCode))
{}

_CountryInfo IOS6MessageDb::defaultCountry()
{
    return m_countryCode.isEmpty() ? m_countryLib->defCountryInfo()
                                   : m_countryLib->infoByCode(m_countryCode);
}

IOS6MessageDb::~IOS6MessageDb() = default;

void IOS6MessageDb::openCheck()
{
    if (isOpen())
        return;
    try {
        if (!QFileInfo::exists(m_dbPath)) {
            createFromSchema();
        } else {
            openThrow(m_dbPath, kOpenReadWrite);
            readTableSql();
            requireTables();
            if (m_localMode)
                upgradeLocalColumns();
        }
        registerFunctions();
        readTableSql();
    } catch (...) {
        // Closed again, so that the next use tries afresh instead of reading a half-opened file.
        close();
        m_tableSql.clear();
        throw;
    }
}

void IOS6MessageDb::createFromSchema()
{
    QDir().mkpath(QFileInfo(m_dbPath).absolutePath());
    QFile ddl(QStringLiteral(":/res/localmsgdb_ddl.sql"));
    if (!ddl.open(QIODevice::ReadOnly))
        throw std::runtime_error(
            g_tr("IDS_IOS6DB_DDL_READ_ERROR").arg(ddl.errorString()).toStdString());
    const QString script = QString::fromUtf8(ddl.readAll());
    openThrow(m_dbPath, kOpenReadWrite | kOpenCreate);
    QString error;
    if (exec(script, error) != SQLITE_OK) {
        // A half-made file would later pass for an existing database.
        close();
        QFile::remove(m_dbPath);
        throw std::runtime_error(g_tr("IDS_IOS6DB_CREATE_ERROR").arg(error).toStdString());
    }
}

void IOS6MessageDb::requireTables()
{
    static const QStringList required = {kChat,
                                         kHandle,
                                         kMessage,
                                         kAttachment,
                                         QStringLiteral("chat_handle_join"),
                                         QStringLiteral("chat_message_join"),
                                         QStringLiteral("message_attachment_join")};
    QStringList missing;
    for (const QString &table : required) {
        if (!m_tableSql.contains(table))
            missing << table;
    }
    if (!missing.isEmpty()) {
        throw std::runtime_error(
            g_tr("IDS_IOS6DB_MISSING_TABLES")
                .arg(QDir::toNativeSeparators(m_dbPath), missing.join(QStringLiteral(", ")))
                .toStdString());
    }
}

void IOS6MessageDb::upgradeLocalColumns()
{
    QStringList statements;
    if (!tbInfo(kChat).contains(QStringLiteral("group_id")))
        statements << QStringLiteral("ALTER TABLE chat ADD COLUMN group_id TEXT;");
    const auto messageColumns = tbInfo(kMessage);
    for (const UpgradeStep &step : kMessageUpgrades) {
        if (messageColumns.contains(QString::fromLatin1(step.column)))
            continue;
        statements << QString::fromLatin1(step.sql);
        if (qstrcmp(step.column, "logic_hash") == 0)
            statements << QStringLiteral(
                "CREATE INDEX message_idx_logic_hash ON message(logic_hash);");
    }
    for (int i = 0; i < statements.size(); ++i) {
        QString error;
        if (exec(statements.at(i), error) != SQLITE_OK) {
            // The statement's position in the upgrade names it in the report.
            throw std::runtime_error(g_tr("IDS_IOS6DB_UPGRADE_ERROR")
                                         .arg(i + 1)
                                         .arg(statements.at(i), error)
                                         .toStdString());
        }
    }
}

void IOS6MessageDb::registerFunctions()
{
    const int flags = SQLITE_ANY;
    sqlite3_create_function_v2(handle(), "delete_attachment_path", 1, flags, nullptr, &returnZero,
                               nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(handle(), "before_delete_attachment_path", 2, flags, nullptr,
                               &returnZero, nullptr, nullptr, nullptr);
}

void IOS6MessageDb::readTableSql()
{
    m_tableSql.clear();
    Sqlite3Cursor c = queryThrow("select * from sqlite_master where type='table'");
    while (c.moveNext())
        m_tableSql.insert(c.getText(QStringLiteral("name")), c.getText(QStringLiteral("sql")));
}

bool IOS6MessageDb::tableSqlContains(const QString &table, const QString &text,
                                     Qt::CaseSensitivity cs) const
{
    return m_tableSql.value(table).contains(text, cs);
}

bool IOS6MessageDb::isItemTypeEnabled() const
{
    return tableSqlContains(kMessage, QStringLiteral("item_type"));
}

void IOS6MessageDb::openContacts()
{
    if (m_contactsOpen)
        return;
    try {
        m_contacts->openCheck();
        // Without an address book in the folder the lookup simply stays closed.
        m_contactsOpen = m_contacts->isOpen();
    } catch (const std::exception &e) {
        // Names are a nicety: the messages load without them.
        qCInfo(lcIos6Db) << "address book not available:" << e.what();
    }
}

void IOS6MessageDb::chats(MsgData &data)
{
    openCheck();
    openContacts();
    __MsgData &d = *data.p();

    Sqlite3Cursor c = queryThrow("select * from chat");
    while (c.moveNext()) {
        const qint64 rowid = c.getInt64(QStringLiteral("rowid"));
        if (d.chats.contains(rowid))
            continue;
        auto chat = std::make_unique<_MsgChat>();
        readChatRow(c, *chat);
        d.chats.insert(rowid, chat.release());
    }

    if (!tableSqlContains(kChat, QStringLiteral("_last INTEGER"), Qt::CaseInsensitive)) {
        c = queryThrow("select chat_id, max(date) as last from ( select cm.chat_id, m.date from "
                       "chat_message_join as cm inner join message as m on "
                       "cm.message_id=m.rowid ) as tmp group by chat_id");
        while (c.moveNext()) {
            if (_MsgChat *chat = d.chats.value(c.getInt64(QStringLiteral("chat_id"))))
                chat->last = c.getInt(QStringLiteral("last"));
        }
    }

    HandleReader handles(*this, data);
    c = queryThrow("select j.chat_id, h.* from chat_handle_join as j inner join handle as h on "
                   "j.handle_id = h.rowid");
    while (c.moveNext()) {
        _MsgHandle *handle = handles.read(c);
        if (_MsgChat *chat = d.chats.value(c.getInt64(QStringLiteral("chat_id"))))
            chat->handleMap.insert(QString::number(handle->rowid), handle);
    }

    // Someone who left a group is no longer joined to it, yet their earlier messages still name
    // them; those handles are loaded too (without joining any chat) so the messages keep a sender.
    Sqlite3Sql named("select * from handle where rowid in (select handle_id from message)");
    if (tableSqlContains(kMessage, QStringLiteral("other_handle")))
        named.appendSql(QStringLiteral(" or rowid in (select other_handle from message)"));
    c = queryThrow(named);
    while (c.moveNext())
        handles.read(c);
}

void IOS6MessageDb::messages(MsgData &data, qint64 chatId)
{
    openCheck();
    chats(data);
    __MsgData &d = *data.p();

    Sqlite3Sql sql("select j.chat_id, m.* from chat_message_join as j inner join message as m on "
                   "j.message_id = m.rowid");
    if (isItemTypeEnabled())
        sql.appendSql(QStringLiteral(" and m.item_type <> 4"));
    if (chatId > 0)
        sql.appendSql(QStringLiteral(" and j.chat_id=%1").arg(chatId));
    Sqlite3Cursor c = queryThrow(sql);
    while (c.moveNext()) {
        // A join row left behind by a chat that is gone has nothing to show the message in.
        _MsgChat *chat = d.chats.value(c.getInt64(QStringLiteral("chat_id")));
        if (!chat)
            continue;
        const qint64 rowid = c.getInt64(QStringLiteral("rowid"));
        _MsgMessage *msg = d.messages.value(rowid);
        if (!msg) {
            auto created = std::make_unique<_MsgMessage>();
            readMessageRow(c, *created);
            created->srcRowId = rowid;
            msg = created.release();
            d.messages.insert(rowid, msg);
        }
        if (_MsgHandle *handle = d.handles.value(msg->handle_id)) {
            msg->handle = handle;
            if (msg->country.isEmpty())
                msg->country = handle->country;
        }
        if (msg->other_handle > 0)
            msg->otherHandle = d.handles.value(msg->other_handle);
        msg->chat = chat;
        chat->messageMap.insert(QString::number(rowid), msg);
    }

    Sqlite3Sql attaSql("select ma.message_id, ma.attachment_id, cm.chat_id, a.* from "
                       "message_attachment_join as ma inner join attachment as a on "
                       "ma.attachment_id=a.rowid inner join chat_message_join as cm on "
                       "ma.message_id=cm.message_id");
    if (chatId > 0)
        attaSql.appendSql(QStringLiteral(" and cm.chat_id=%1").arg(chatId));
    c = queryThrow(attaSql);
    while (c.moveNext()) {
        // Only attachments of loaded messages: the rest would be records nobody reaches.
        _MsgMessage *msg = d.messages.value(c.getInt64(QStringLiteral("message_id")));
        if (!msg)
            continue;
        const qint64 attaId = c.getInt64(QStringLiteral("attachment_id"));
        _MsgAttachment *atta = d.attachments.value(attaId);
        if (!atta) {
            auto created = std::make_unique<_MsgAttachment>();
            readAttachmentRow(c, *created);
            if (!created->filename.isEmpty())
                created->localPath = resolveAttachmentPath(created->filename);
            atta = created.release();
            d.attachments.insert(attaId, atta);
        }
        msg->attachmentMap.insert(QString::number(attaId), atta);
    }
}

QString IOS6MessageDb::attachmentRelativePath(const QString &filename)
{
    static const QRegularExpression leadingSlash(QStringLiteral("^/"));
    static const QRegularExpression home(QStringLiteral("^~/"));
    static const QRegularExpression unusable(QStringLiteral("[\\:*?\"<>|]"));
    QString path = filename;
    path.replace(leadingSlash, QString());
    path.replace(home, QStringLiteral("var/mobile/"));
    path.replace(unusable, QString());
    return path;
}

QString IOS6MessageDb::resolveAttachmentPath(const QString &root, const QString &filename)
{
    const QString relative = attachmentRelativePath(filename);
    // An empty path would name the root folder itself, which is no attachment.
    if (relative.isEmpty())
        return QString();
    return g_safeChildPath(root, relative);
}

QString IOS6MessageDb::resolveAttachmentPath(const QString &filename) const
{
    return resolveAttachmentPath(m_root, filename);
}

bool IOS6MessageDb::isHandleBelong2Chat(qint64 chatId, qint64 handleId)
{
    openCheck();
    Sqlite3Cursor c = queryThrow(
        QStringLiteral("select 1 from chat_handle_join where chat_id=%1 and handle_id=%2")
            .arg(chatId)
            .arg(handleId));
    return c.moveNext();
}

qint64 IOS6MessageDb::firstRowId(const Sqlite3Sql &sql)
{
    openCheck();
    Sqlite3Cursor c = queryThrow(sql);
    return c.moveNext() ? c.getInt64(0) : 0;
}

void IOS6MessageDb::execute(const QString &sql)
{
    openCheck();
    executeThrow(sql);
}

qint64 IOS6MessageDb::findChat(const QString &guid)
{
    return firstRowId(Sqlite3Sql("select rowid from chat where guid=?").addTextParam(guid));
}

qint64 IOS6MessageDb::findHandle(const _MsgHandle &handle)
{
    return firstRowId(Sqlite3Sql("select rowid from handle where id=? and service=?")
                          .addTextParam(handle.id)
                          .addTextParam(handle.service));
}

qint64 IOS6MessageDb::findMessage(const QString &guid)
{
    return firstRowId(Sqlite3Sql("select rowid from message where guid=?").addTextParam(guid));
}

qint64 IOS6MessageDb::findMessageHash(const _MsgMessage &msg)
{
    openCheck();
    if (!tableSqlContains(kMessage, QStringLiteral("logic_hash")))
        return 0;
    return firstRowId(
        Sqlite3Sql("select rowid from message where logic_hash=?").addTextParam(msg.logicalHash()));
}

qint64 IOS6MessageDb::findAttachment(const _MsgAttachment &atta)
{
    return firstRowId(
        Sqlite3Sql("select rowid from attachment where guid=?").addTextParam(atta.guid));
}

void IOS6MessageDb::joinChatHandle(qint64 chatId, qint64 handleId)
{
    execute(QStringLiteral("replace into chat_handle_join(chat_id,handle_id) values(%1,%2)")
                .arg(chatId)
                .arg(handleId));
}

void IOS6MessageDb::joinChatMessage(qint64 chatId, qint64 messageId)
{
    execute(QStringLiteral("replace into chat_message_join(chat_id,message_id) values(%1,%2)")
                .arg(chatId)
                .arg(messageId));
}

void IOS6MessageDb::joinMessageAtta(qint64 messageId, qint64 attachmentId)
{
    execute(QStringLiteral(
                "replace into message_attachment_join(message_id,attachment_id) values(%1,%2)")
                .arg(messageId)
                .arg(attachmentId));
}

void IOS6MessageDb::updateChatLastDate21(qint64 chatId, int date)
{
    openCheck();
    if (!tableSqlContains(kChat, QStringLiteral("_last INTEGER"), Qt::CaseInsensitive))
        return;
    execute(QStringLiteral("update chat set _last=%1 where rowid=%2 and _last < %3")
                .arg(date)
                .arg(chatId)
                .arg(date));
}

void IOS6MessageDb::updateChatLastHandle(qint64 chatId, const QString &handleId)
{
    openCheck();
    executeThrow(Sqlite3Sql("update chat set last_addressed_handle=? where rowid=?")
                     .addTextParam(handleId)
                     .addInt64Param(chatId));
}

qint64 IOS6MessageDb::insertChatAndHandles(const _MsgChat &chat)
{
    openCheck();
    if (chat.service_name != QLatin1String("SMS") && chat.service_name != QLatin1String("iMessage"))
        throw std::runtime_error(
            g_tr("IDS_IOS6DB_INVALID_CHAT").arg(chat.service_name).toStdString());

    Sqlite3Row row;
    row[QStringLiteral("guid")] = chat.guid;
    row[QStringLiteral("style")] = chat.style;
    row[QStringLiteral("state")] = chat.state;
    if (!chat.account_id.isEmpty())
        row[QStringLiteral("account_id")] = chat.account_id;
    row[QStringLiteral("chat_identifier")] = chat.chat_identifier;
    row[QStringLiteral("service_name")] = chat.service_name;
    if (!chat.room_name.isEmpty())
        row[QStringLiteral("room_name")] = chat.room_name;
    row[QStringLiteral("account_login")] = chat.account_login;
    row[QStringLiteral("is_archived")] = chat.is_archived;
    if (tableSqlContains(kChat, QStringLiteral("display_name")) && !chat.display_name.isEmpty())
        row[QStringLiteral("display_name")] = chat.display_name;
    if (tableSqlContains(kChat, QStringLiteral("group_id"))) {
        // Derived from the guid, so saving the same chat again gives it the same group id.
        row[QStringLiteral("group_id")] =
            chat.group_id.isEmpty() ? hashUUID(chat.guid.toUtf8()) : chat.group_id;
    }
    const qint64 chatId = insertSqlRow(row, kChat);

    for (const _MsgHandle *handle : chat.handleMap) {
        qint64 handleId = findHandle(*handle);
        if (handleId == 0)
            handleId = insertHandle(*handle);
        joinChatHandle(chatId, handleId);
    }
    return chatId;
}

qint64 IOS6MessageDb::insertHandle(const _MsgHandle &handle)
{
    openCheck();
    Sqlite3Row row;
    row[QStringLiteral("id")] = handle.id;
    if (!handle.country.isEmpty())
        row[QStringLiteral("country")] = handle.country;
    row[QStringLiteral("service")] = handle.service;
    if (!handle.uncanonicalized_id.isEmpty())
        row[QStringLiteral("uncanonicalized_id")] = handle.uncanonicalized_id;
    if (tableSqlContains(kHandle, QStringLiteral("_ct_name TEXT"), Qt::CaseInsensitive))
        row[QStringLiteral("_ct_name")] = handle._ct_name;
    if (tableSqlContains(kHandle, QStringLiteral("_photo BLOB"), Qt::CaseInsensitive))
        row[QStringLiteral("_photo")] = handle._photo;
    return insertSqlRow(row, kHandle);
}

qint64 IOS6MessageDb::insertMessage(const _MsgMessage &msg, qint64 handleId, qint64 otherHandleId,
                                    const QString &logicHash)
{
    openCheck();
    Sqlite3Row row;
    auto put = [&row](const char *column, const QVariant &value) {
        row[QString::fromLatin1(column)] = value;
    };
    auto putIfText = [&put](const char *column, const QString &value) {
        if (!value.isEmpty())
            put(column, value);
    };
    const QString &create = m_tableSql.value(kMessage);
    auto has = [&create](const char *column) { return create.contains(QLatin1String(column)); };

    put("guid", msg.guid);
    put("text", msg.text);
    put("replace", msg.replace);
    putIfText("service_center", msg.service_center);
    put("handle_id", handleId);
    putIfText("subject", msg.subject);
    putIfText("country", msg.country);
    if (!msg.attributedBody.isEmpty())
        put("attributedBody", msg.attributedBody);
    put("version", msg.version);
    put("type", msg.type);
    put("service", msg.service);
    put("account", msg.account);
    put("account_guid", msg.account_guid);
    put("error", msg.error);
    put("date", msg.date);
    put("date_read", msg.date_read);
    put("date_delivered", msg.date_delivered);
    put("is_delivered", msg.is_delivered);
    put("is_finished", msg.is_finished);
    put("is_emote", msg.is_emote);
    put("is_from_me", msg.is_from_me);
    put("is_empty", msg.is_empty);
    put("is_delayed", msg.is_delayed);
    put("is_auto_reply", msg.is_auto_reply);
    put("is_prepared", msg.is_prepared);
    put("is_read", msg.is_read);
    put("is_system_message", msg.is_system_message);
    put("is_sent", msg.is_sent);
    put("has_dd_results", msg.has_dd_results);
    put("is_service_message", msg.is_service_message);
    put("is_forward", msg.is_forward);
    put("was_downgraded", msg.was_downgraded);
    put("is_archive", msg.is_archive);
    put("cache_has_attachments", msg.cache_has_attachments);
    put("cache_roomnames", msg.cache_roomnames);
    put("was_data_detected", msg.was_data_detected);
    put("was_deduplicated", msg.was_deduplicated);

    const std::pair<const char *, int> optional[] = {{"is_audio_message", msg.is_audio_message},
                                                     {"is_played", msg.is_played},
                                                     {"date_played", msg.date_played},
                                                     {"item_type", msg.item_type}};
    for (const auto &[column, value] : optional) {
        if (has(column))
            put(column, value);
    }
    if (has("other_handle") && otherHandleId > 0)
        put("other_handle", otherHandleId);
    if (has("group_title"))
        putIfText("group_title", msg.group_title);
    const std::pair<const char *, int> later[] = {{"group_action_type", msg.group_action_type},
                                                  {"share_status", msg.share_status},
                                                  {"share_direction", msg.share_direction},
                                                  {"is_expirable", msg.is_expirable},
                                                  {"expire_state", msg.expire_state},
                                                  {"message_action_type", msg.message_action_type}};
    for (const auto &[column, value] : later) {
        if (has(column))
            put(column, value);
    }
    if (has("logic_hash"))
        put("logic_hash", logicHash.isEmpty() ? msg.logicalHash() : logicHash);
    return insertSqlRow(row, kMessage);
}

qint64 IOS6MessageDb::insertAttachment(const _MsgAttachment &atta)
{
    openCheck();
    Sqlite3Row row;
    row[QStringLiteral("guid")] = atta.guid;
    row[QStringLiteral("created_date")] = atta.created_date;
    row[QStringLiteral("start_date")] = atta.start_date;
    row[QStringLiteral("filename")] = atta.filename;
    row[QStringLiteral("uti")] = atta.uti;
    row[QStringLiteral("mime_type")] = atta.mime_type;
    row[QStringLiteral("transfer_state")] = atta.transfer_state;
    row[QStringLiteral("is_outgoing")] = atta.is_outgoing;
    if (tableSqlContains(kAttachment, QStringLiteral("user_info")) && !atta.user_info.isEmpty())
        row[QStringLiteral("user_info")] = atta.user_info;
    if (tableSqlContains(kAttachment, QStringLiteral("transfer_name")) &&
        !atta.transfer_name.isEmpty())
        row[QStringLiteral("transfer_name")] = atta.transfer_name;
    if (tableSqlContains(kAttachment, QStringLiteral("total_bytes")))
        row[QStringLiteral("total_bytes")] = atta.total_bytes;
    return insertSqlRow(row, kAttachment);
}

void IOS6MessageDb::deleteMessage(const _MsgMessage *msg)
{
    if (!msg)
        return;
    openCheck();
    const QString id = QString::number(msg->rowid);
    execute(QStringLiteral("DELETE FROM message WHERE rowid=%1").arg(id));
    execute(QStringLiteral("DELETE FROM chat_message_join where message_id=%1").arg(id));
    execute(QStringLiteral("DELETE FROM message_attachment_join where message_id=%1").arg(id));
    if (!msg->chat)
        return;
    const QString chatId = QString::number(msg->chat->rowid);
    execute(QStringLiteral("DELETE FROM chat WHERE rowid=%1 and (SELECT 1 from chat_message_join "
                           "WHERE chat_id=%2 LIMIT 1) IS NULL")
                .arg(chatId, chatId));
    // A chat that went leaves its participant links behind otherwise, and with them addresses
    // nothing refers to any more.
    execute(QStringLiteral("DELETE FROM chat_handle_join WHERE chat_id=%1 and (SELECT 1 from chat "
                           "WHERE rowid=%1) IS NULL")
                .arg(chatId));
}
