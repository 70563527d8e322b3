#include "iosdb/ios6messagedb.h"

#include "frame/filenames.h"
#include "frame/translation.h"
#include "iosdb/ioscontactphoneinfo.h"
#include "iosdb/ioscontactsmemdb.h"
#include "iosdb/iosdblog.h"
#include "iosdb/messagebody.h"
#include "model/countrylibdb.h"
#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msgdata.h"
#include "model/msgfunctions.h"
#include "model/msghandle.h"
#include "model/msgidentity.h"
#include "model/msgmessage.h"
#include "model/msgreactions.h"
#include "model/sqlite3cursor.h"
#include "model/sqlite3recordreader.h"
#include "model/sqlite3repeatstmt.h"
#include "model/sqlite3row.h"
#include "model/sqlite3transaction.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include <sqlite3.h>

#include <optional>
#include <stdexcept>
#include <type_traits>
#include <variant>
#include <vector>

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

// Typed access to a message's value for one column, one kind per value type: a member whose type
// changes stops compiling in the table below instead of being written as NULL.
struct IntColumn
{
    int (*get)(const _MsgMessage &);
    void (*set)(_MsgMessage &, int);
};
struct Int64Column
{
    qint64 (*get)(const _MsgMessage &);
    void (*set)(_MsgMessage &, qint64);
};
struct TextColumn
{
    const QString &(*get)(const _MsgMessage &);
    void (*set)(_MsgMessage &, const QString &);
};
// guid and text, held compactly and written as the UTF-8 they hold.
struct CompactTextColumn
{
    const MsgCompactText &(*get)(const _MsgMessage &);
    void (*set)(_MsgMessage &, QByteArrayView);
};
struct BytesColumn
{
    const QByteArray &(*get)(const _MsgMessage &);
    void (*set)(_MsgMessage &, const QByteArray &);
};

// A column type that a visit below does not handle fails the build.
template <typename> constexpr bool kUnhandledColumn = false;

#define TL_PLAIN_COLUMN(Kind, Type, field)                                                         \
    Kind                                                                                           \
    {                                                                                              \
        [](const _MsgMessage &m) -> const Type & {                                                 \
            static_assert(std::is_same_v<decltype(_MsgMessage::field), Type>);                     \
            return m.field;                                                                        \
        },                                                                                         \
            [](_MsgMessage &m, const Type &v) { m.field = v; }                                     \
    }
#define TL_INT_COLUMN(Kind, Type, field)                                                           \
    Kind                                                                                           \
    {                                                                                              \
        [](const _MsgMessage &m) -> Type {                                                         \
            static_assert(std::is_same_v<decltype(_MsgMessage::field), Type>);                     \
            return m.field;                                                                        \
        },                                                                                         \
            [](_MsgMessage &m, Type v) { m.field = v; }                                            \
    }
#define TL_INT(field) TL_INT_COLUMN(IntColumn, int, field)
#define TL_INT64(field) TL_INT_COLUMN(Int64Column, qint64, field)
#define TL_BYTES(field) TL_PLAIN_COLUMN(BytesColumn, QByteArray, field)
// A flag bit: any stored value other than 0 reads as set.
#define TL_FLAG(field)                                                                             \
    IntColumn                                                                                      \
    {                                                                                              \
        [](const _MsgMessage &m) -> int { return m.field; },                                       \
            [](_MsgMessage &m, int v) { m.field = v != 0; }                                        \
    }
// A value held out of line, reached through its getter and setter.
#define TL_EXTRA(Kind, Type, field, setter)                                                        \
    Kind                                                                                           \
    {                                                                                              \
        [](const _MsgMessage &m) -> const Type & { return m.field(); },                            \
            [](_MsgMessage &m, const Type &v) { m.setter(v); }                                     \
    }
#define TL_EXTRA_TEXT(field, setter) TL_EXTRA(TextColumn, QString, field, setter)
#define TL_COMPACT_TEXT(field, setter)                                                             \
    CompactTextColumn                                                                              \
    {                                                                                              \
        [](const _MsgMessage &m) -> const MsgCompactText & { return m.field(); },                  \
            [](_MsgMessage &m, QByteArrayView v) { m.setter(MsgCompactText(v)); }                  \
    }
#define TL_EXTRA_BYTES(field, setter) TL_EXTRA(BytesColumn, QByteArray, field, setter)

// One column of the message table as this program reads, writes and adds it. A column with an
// added type is one older local databases lack: it is added to them on opening and written only
// where the table has it.
struct MessageColumn
{
    enum class Write {
        Value,       // the member's value
        Date,        // the member's value; read in seconds or nanoseconds alike
        UnlessEmpty, // left to the column's default when the text or bytes are empty
        Computed,    // a value insertMessage works out (row ids of this database, the hash)
        Never,       // read only
    };
    using Access = std::variant<std::monostate, IntColumn, Int64Column, TextColumn,
                                CompactTextColumn, BytesColumn>;

    const char *name;
    Access access;
    Write write = Write::Value;
    const char *addedType = nullptr;
    int missing = 0; // read when the table lacks the column
};

using W = MessageColumn::Write;

// The message columns in the phone's order, then those older local databases lack in the order
// they are added.
const std::vector<MessageColumn> &messageColumns()
{
    static const std::vector<MessageColumn> columns = {
        {"rowid", TL_INT64(rowid), W::Never},
        {"guid", TL_COMPACT_TEXT(compactGuid, setGuid)},
        {"text", TL_COMPACT_TEXT(compactText, setText)},
        {"replace", TL_INT(replace)},
        {"service_center", TL_EXTRA_TEXT(service_center, setServiceCenter), W::UnlessEmpty},
        {"handle_id", TL_INT64(handle_id), W::Computed},
        {"subject", TL_EXTRA_TEXT(subject, setSubject), W::UnlessEmpty},
        {"country", TL_EXTRA_TEXT(country, setCountry), W::UnlessEmpty},
        {"attributedBody", TL_BYTES(attributedBody), W::UnlessEmpty},
        {"version", TL_INT(version)},
        {"type", TL_INT(type)},
        {"service", TL_EXTRA_TEXT(service, setService)},
        {"account", TL_EXTRA_TEXT(account, setAccount)},
        {"account_guid", TL_EXTRA_TEXT(account_guid, setAccountGuid)},
        {"error", TL_INT(error)},
        {"date", TL_INT(date), W::Date},
        {"date_read", TL_INT(date_read), W::Date},
        {"date_delivered", TL_INT(date_delivered), W::Date},
        {"is_delivered", TL_FLAG(is_delivered)},
        {"is_finished", TL_FLAG(is_finished)},
        {"is_emote", TL_FLAG(is_emote)},
        {"is_from_me", TL_FLAG(is_from_me)},
        {"is_empty", TL_FLAG(is_empty)},
        {"is_delayed", TL_FLAG(is_delayed)},
        {"is_auto_reply", TL_FLAG(is_auto_reply)},
        {"is_prepared", TL_FLAG(is_prepared)},
        {"is_read", TL_FLAG(is_read)},
        {"is_system_message", TL_FLAG(is_system_message)},
        {"is_sent", TL_FLAG(is_sent)},
        {"has_dd_results", TL_FLAG(has_dd_results)},
        {"is_service_message", TL_FLAG(is_service_message)},
        {"is_forward", TL_FLAG(is_forward)},
        {"was_downgraded", TL_FLAG(was_downgraded)},
        {"is_archive", TL_FLAG(is_archive)},
        {"cache_has_attachments", TL_FLAG(cache_has_attachments)},
        {"cache_roomnames", TL_EXTRA_TEXT(cache_roomnames, setCacheRoomnames)},
        {"was_data_detected", TL_FLAG(was_data_detected)},
        {"was_deduplicated", TL_FLAG(was_deduplicated)},
        {"is_audio_message", TL_FLAG(is_audio_message), W::Value, "INTEGER DEFAULT 0"},
        {"is_played", TL_FLAG(is_played), W::Value, "INTEGER DEFAULT 0"},
        {"date_played", TL_INT(date_played), W::Date, "INTEGER"},
        {"item_type", TL_INT(item_type), W::Value, "INTEGER DEFAULT 0"},
        // A phone without the column has no other party; the record's "none" is -1, not 0.
        {"other_handle", TL_INT(other_handle), W::Computed, "INTEGER DEFAULT -1", -1},
        {"group_title", TL_EXTRA_TEXT(group_title, setGroupTitle), W::UnlessEmpty, "TEXT"},
        {"group_action_type", TL_INT(group_action_type), W::Value, "INTEGER DEFAULT 0"},
        {"share_status", TL_INT(share_status), W::Value, "INTEGER"},
        {"share_direction", TL_INT(share_direction), W::Value, "INTEGER"},
        {"is_expirable", TL_FLAG(is_expirable), W::Value, "INTEGER DEFAULT 0"},
        {"expire_state", TL_INT(expire_state), W::Value, "INTEGER DEFAULT 0"},
        {"message_action_type", TL_INT(message_action_type), W::Value, "INTEGER DEFAULT 0"},
        {"logic_hash", std::monostate(), W::Computed, "TEXT"},
        {"associated_message_guid",
         TL_EXTRA_TEXT(associated_message_guid, setAssociatedMessageGuid), W::UnlessEmpty, "TEXT"},
        {"associated_message_type", TL_INT(associated_message_type), W::Value, "INTEGER DEFAULT 0"},
        {"associated_message_emoji",
         TL_EXTRA_TEXT(associated_message_emoji, setAssociatedMessageEmoji), W::UnlessEmpty,
         "TEXT"},
        {"thread_originator_guid", TL_EXTRA_TEXT(thread_originator_guid, setThreadOriginatorGuid),
         W::UnlessEmpty, "TEXT"},
        {"date_edited", TL_INT(date_edited), W::Date, "INTEGER DEFAULT 0"},
        {"message_summary_info", TL_EXTRA_BYTES(message_summary_info, setMessageSummaryInfo),
         W::UnlessEmpty, "BLOB"},
    };
    return columns;
}

#undef TL_COMPACT_TEXT
#undef TL_EXTRA_BYTES
#undef TL_EXTRA_TEXT
#undef TL_EXTRA
#undef TL_FLAG
#undef TL_BYTES
#undef TL_INT64
#undef TL_INT
#undef TL_INT_COLUMN
#undef TL_PLAIN_COLUMN

Sqlite3RecordReader<_MsgMessage> messageReader()
{
    std::vector<Sqlite3RecordReader<_MsgMessage>::Field> fields;
    for (const MessageColumn &column : messageColumns()) {
        std::visit(
            [&](const auto &access) {
                using Access = std::decay_t<decltype(access)>;
                if constexpr (std::is_same_v<Access, IntColumn>)
                    fields.emplace_back(column.name, access.set, column.missing,
                                        column.write == W::Date ? &date21FromStored : nullptr);
                else if constexpr (std::is_same_v<Access, Int64Column> ||
                                   std::is_same_v<Access, TextColumn> ||
                                   std::is_same_v<Access, CompactTextColumn> ||
                                   std::is_same_v<Access, BytesColumn>)
                    fields.emplace_back(column.name, access.set);
                else if constexpr (!std::is_same_v<Access, std::monostate>)
                    static_assert(kUnhandledColumn<Access>, "a message column type not read");
            },
            column.access);
    }
    return Sqlite3RecordReader<_MsgMessage>(std::move(fields));
}

// The placeholder of parameter n in an insert; bound NULL, it stands for the column's default
// (fallback, the default's SQL text, or none).
QString placeholder(int n, const QString &fallback)
{
    const QString mark = QStringLiteral("?%1").arg(n);
    return fallback.isEmpty() ? mark : QStringLiteral("coalesce(%1, %2)").arg(mark, fallback);
}

// The SQL text of a column's default, "" when it has none.
QString defaultOf(const QHash<QString, _SqliteCol> &columns, const QString &name)
{
    for (auto it = columns.cbegin(); it != columns.cend(); ++it) {
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it->defaultValue;
    }
    return QString();
}

Sqlite3RecordReader<_MsgChat> chatReader()
{
    return {{"rowid", &_MsgChat::rowid},
            {"guid", &_MsgChat::guid},
            {"style", &_MsgChat::style},
            {"state", &_MsgChat::state},
            {"account_id", &_MsgChat::account_id},
            {"properties", &_MsgChat::properties},
            {"chat_identifier", &_MsgChat::chat_identifier},
            {"service_name", &_MsgChat::service_name},
            {"room_name", &_MsgChat::room_name},
            {"account_login", &_MsgChat::account_login},
            {"is_archived", &_MsgChat::is_archived},
            {"last_addressed_handle", &_MsgChat::last_addressed_handle},
            {"display_name", &_MsgChat::display_name},
            {"_last", &_MsgChat::last},
            {"group_id", &_MsgChat::group_id}};
}

Sqlite3RecordReader<_MsgAttachment> attachmentReader()
{
    return {{"rowid", &_MsgAttachment::rowid},
            {"guid", &_MsgAttachment::guid},
            {"created_date", &_MsgAttachment::created_date, 0, &date21FromStored},
            {"start_date", &_MsgAttachment::start_date, 0, &date21FromStored},
            {"filename", &_MsgAttachment::filename},
            {"uti", &_MsgAttachment::uti},
            {"mime_type", &_MsgAttachment::mime_type},
            {"transfer_state", &_MsgAttachment::transfer_state},
            {"is_outgoing", &_MsgAttachment::is_outgoing},
            {"user_info", &_MsgAttachment::user_info},
            {"transfer_name", &_MsgAttachment::transfer_name},
            {"total_bytes", &_MsgAttachment::total_bytes}};
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
        if (c.layoutId() != m_rowidLayout) {
            m_rowidColumn = c.columnIndex(QStringLiteral("rowid"));
            m_rowidLayout = c.layoutId();
        }
        return __MsgData::insertOrGet(m_data.p()->handles, c.getInt64(m_rowidColumn), [&] {
            auto handle = std::make_unique<_MsgHandle>();
            m_reader.read(c, *handle);
            format(*handle);
            m_db.m_contacts->nameHandle(*handle, "IOS6MessageDb");
            return handle;
        });
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

    IOS6MessageDb &m_db;
    MsgData &m_data;
    QHash<QString, _CountryInfo> m_countries;
    std::optional<_CountryInfo> m_default;
    Sqlite3RecordReader<_MsgHandle> m_reader{
        {"rowid", &_MsgHandle::rowid},
        {"id", &_MsgHandle::id},
        {"country", &_MsgHandle::country},
        {"service", &_MsgHandle::service},
        {"uncanonicalized_id", &_MsgHandle::uncanonicalized_id},
        {"_ct_name", &_MsgHandle::_ct_name},
        {"_photo", &_MsgHandle::_photo}};
    quint64 m_rowidLayout = 0;
    int m_rowidColumn = -1;
};

// The insert of one message row: the column list follows the table, built once, and each
// message's values are bound straight from its members into the one prepared statement.
class IOS6MessageDb::MessageInsert
{
public:
    explicit MessageInsert(IOS6MessageDb &db)
    {
        const auto present = db.tbInfo(kMessage);
        QStringList names;
        QStringList values;
        for (const MessageColumn &column : messageColumns()) {
            if (column.write == W::Never ||
                (column.addedType && !db.messageSqlContains(column.name)))
                continue;
            const QString name = QString::fromLatin1(column.name);
            names << g_sqlIdentifier(name);
            m_columns.push_back(&column);
            values << placeholder(int(m_columns.size()),
                                  mayKeepDefault(column) ? defaultOf(present, name) : QString());
        }
        m_sql = QStringLiteral("insert into message (%1) values (%2)")
                    .arg(names.join(QLatin1Char(',')), values.join(QLatin1Char(',')))
                    .toUtf8();
    }

    qint64 insert(IOS6MessageDb &db, const _MsgMessage &msg, qint64 handleId, qint64 otherHandleId,
                  const QString &logicHash) const
    {
        Sqlite3RepeatStmt &stmt = db.repeatStmt(m_sql);
        for (size_t i = 0; i < m_columns.size(); ++i)
            bind(stmt, int(i) + 1, *m_columns[i], msg, handleId, otherHandleId, logicHash);
        stmt.execute();
        return db.lastInsertId();
    }

private:
    static bool mayKeepDefault(const MessageColumn &column)
    {
        return column.write == W::UnlessEmpty || qstrcmp(column.name, "other_handle") == 0;
    }

    static void bind(Sqlite3RepeatStmt &stmt, int index, const MessageColumn &column,
                     const _MsgMessage &msg, qint64 handleId, qint64 otherHandleId,
                     const QString &logicHash)
    {
        if (column.write == W::Computed) {
            if (qstrcmp(column.name, "handle_id") == 0)
                stmt.bindInt64(index, handleId);
            else if (qstrcmp(column.name, "other_handle") == 0 && otherHandleId > 0)
                stmt.bindInt64(index, otherHandleId);
            else if (qstrcmp(column.name, "logic_hash") == 0)
                stmt.bindText(index, logicHash.isEmpty() ? msg.logicalHash() : logicHash);
            else
                stmt.bindNull(index);
            return;
        }
        const bool keepDefault = column.write == W::UnlessEmpty;
        std::visit(
            [&](const auto &access) {
                using Access = std::decay_t<decltype(access)>;
                if constexpr (std::is_same_v<Access, IntColumn> ||
                              std::is_same_v<Access, Int64Column>) {
                    stmt.bindInt64(index, access.get(msg));
                } else if constexpr (std::is_same_v<Access, TextColumn>) {
                    const QString &value = access.get(msg);
                    if (keepDefault && value.isEmpty())
                        stmt.bindNull(index);
                    else
                        stmt.bindText(index, value);
                } else if constexpr (std::is_same_v<Access, CompactTextColumn>) {
                    const MsgCompactText &value = access.get(msg);
                    MsgCompactText::Buffer buffer;
                    if (keepDefault && value.isEmpty())
                        stmt.bindNull(index);
                    else
                        stmt.bindUtf8(index, value.utf8(buffer));
                } else if constexpr (std::is_same_v<Access, BytesColumn>) {
                    const QByteArray &value = access.get(msg);
                    if (keepDefault && value.isEmpty())
                        stmt.bindNull(index);
                    else
                        stmt.bindBlob(index, value);
                } else if constexpr (std::is_same_v<Access, std::monostate>) {
                    throw std::logic_error(std::string("no value for message column ") +
                                           column.name);
                } else {
                    static_assert(kUnhandledColumn<Access>, "a message column type not written");
                }
            },
            column.access);
    }

    QByteArray m_sql;
    // The column each placeholder takes, in order.
    std::vector<const MessageColumn *> m_columns;
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
            if (m_tableSql.isEmpty() && m_localMode) {
                // Left empty by a creation that failed, or being created by another program
                // right now: createFromSchema waits for that one and makes only what is missing.
                close();
                createFromSchema();
                readTableSql();
            }
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
        m_messageSqlContains.clear();
        m_messageInsert.reset();
        m_attachmentInsert.clear();
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
    // Two programs saving into one new database at once: the write lock makes the second wait
    // until the first has made the tables, which it then finds. A failed script is rolled back
    // whole, so that no half-made file passes for a database later.
    Sqlite3Transaction transaction(*this);
    readTableSql();
    if (!m_tableSql.isEmpty()) {
        transaction.commit();
        return;
    }
    QString error;
    if (exec(script, error) != SQLITE_OK)
        throw std::runtime_error(g_tr("IDS_IOS6DB_CREATE_ERROR").arg(error).toStdString());
    transaction.commit();
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
    const auto present = tbInfo(kMessage);
    for (const MessageColumn &column : messageColumns()) {
        if (!column.addedType || present.contains(QString::fromLatin1(column.name)))
            continue;
        statements << QStringLiteral("ALTER TABLE message ADD COLUMN %1 %2;")
                          .arg(QString::fromLatin1(column.name),
                               QString::fromLatin1(column.addedType));
        if (qstrcmp(column.name, "logic_hash") == 0)
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
    m_messageSqlContains.clear();
    m_messageInsert.reset();
    m_attachmentInsert.clear();
    Sqlite3Cursor c = queryThrow("select * from sqlite_master where type='table'");
    while (c.moveNext())
        m_tableSql.insert(c.getText(QStringLiteral("name")), c.getText(QStringLiteral("sql")));
}

bool IOS6MessageDb::tableSqlContains(const QString &table, const QString &text,
                                     Qt::CaseSensitivity cs) const
{
    return m_tableSql.value(table).contains(text, cs);
}

bool IOS6MessageDb::messageSqlContains(const char *text)
{
    // Asked a dozen times for every message saved; the table's text only changes on opening.
    const QString key = QString::fromLatin1(text);
    auto it = m_messageSqlContains.constFind(key);
    if (it == m_messageSqlContains.constEnd())
        it = m_messageSqlContains.insert(key, tableSqlContains(kMessage, key));
    return it.value();
}

bool IOS6MessageDb::isItemTypeEnabled() const
{
    return tableSqlContains(kMessage, QStringLiteral("item_type"));
}

void IOS6MessageDb::chats(MsgData &data)
{
    readChats(data, true);
}

void IOS6MessageDb::chatsUndated(MsgData &data)
{
    readChats(data, false);
}

void IOS6MessageDb::readChats(MsgData &data, bool dated)
{
    openCheck();
    m_contacts->openForReader();
    __MsgData &d = *data.p();

    Sqlite3Cursor c = queryThrow("select * from chat");
    Sqlite3RecordReader<_MsgChat> chatRows = chatReader();
    const int chatRowId = c.columnIndex(QStringLiteral("rowid"));
    while (c.moveNext()) {
        __MsgData::insertOrGet(d.chats, c.getInt64(chatRowId), [&] {
            auto chat = std::make_unique<_MsgChat>();
            chatRows.read(c, *chat);
            return chat;
        });
    }

    if (dated && !tableSqlContains(kChat, QStringLiteral("_last INTEGER"), Qt::CaseInsensitive)) {
        // Each date in its own unit (see date21FromStored), so that a chat mixing them still finds
        // its newest message.
        c = queryThrow("select chat_id, max(case when date >= 10000000000 then date / 1000000000 "
                       "else date end) as last from ( select cm.chat_id, m.date from "
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
    const int joinChatId = c.columnIndex(QStringLiteral("chat_id"));
    while (c.moveNext()) {
        _MsgHandle *handle = handles.read(c);
        if (_MsgChat *chat = d.chats.value(c.getInt64(joinChatId)))
            chat->handleMap.insertRowId(handle->rowid, handle);
    }

    // Someone who left a group is no longer joined to it, yet their earlier messages still name
    // them; those handles are loaded too (without joining any chat) so the messages keep a sender.
    // Only handles joined to no chat are looked for, and they are checked first: other_handle has
    // no index, so when every handle is joined the scan of all messages is skipped (the "+" keeps
    // SQLite from starting at the message lists instead).
    Sqlite3Sql named("select * from handle where rowid not in (select handle_id from "
                     "chat_handle_join) and (+rowid in (select handle_id from message)");
    if (tableSqlContains(kMessage, QStringLiteral("other_handle")))
        named.appendSql(QStringLiteral(" or +rowid in (select other_handle from message)"));
    named.appendSql(QStringLiteral(")"));
    c = queryThrow(named);
    while (c.moveNext())
        handles.read(c);
}

Sqlite3Sql IOS6MessageDb::messageRowsSql(const QString &messageColumns, qint64 chatId) const
{
    Sqlite3Sql sql(QStringLiteral("select j.chat_id, %1 from chat_message_join as j inner join "
                                  "message as m on j.message_id = m.rowid")
                       .arg(messageColumns));
    if (isItemTypeEnabled())
        sql.appendSql(QStringLiteral(" and m.item_type <> 4"));
    if (chatId > 0)
        sql.appendSql(QStringLiteral(" and j.chat_id=%1").arg(chatId));
    return sql;
}

Sqlite3Sql IOS6MessageDb::attachmentRowsSql(qint64 chatId)
{
    Sqlite3Sql sql("select ma.message_id, ma.attachment_id, cm.chat_id, a.* from "
                   "message_attachment_join as ma inner join attachment as a on "
                   "ma.attachment_id=a.rowid inner join chat_message_join as cm on "
                   "ma.message_id=cm.message_id");
    if (chatId > 0)
        sql.appendSql(QStringLiteral(" and cm.chat_id=%1").arg(chatId));
    return sql;
}

Sqlite3RecordReader<_MsgMessage> IOS6MessageDb::messageRowReader()
{
    return messageReader();
}

Sqlite3RecordReader<_MsgAttachment> IOS6MessageDb::attachmentRowReader()
{
    return attachmentReader();
}

void IOS6MessageDb::readMessage(Sqlite3RecordReader<_MsgMessage> &reader, const Sqlite3Cursor &c,
                                qint64 rowid, _MsgMessage &msg)
{
    reader.read(c, msg);
    msg.srcRowId = rowid;
    MessageBody::complete(msg);
}

void IOS6MessageDb::linkHandles(const __MsgData &d, _MsgMessage &msg)
{
    if (_MsgHandle *handle = d.handles.value(msg.handle_id)) {
        msg.handle = handle;
        if (msg.country().isEmpty())
            msg.setCountry(handle->country);
    }
    if (msg.other_handle > 0)
        msg.otherHandle = d.handles.value(msg.other_handle);
}

void IOS6MessageDb::readAttachment(Sqlite3RecordReader<_MsgAttachment> &reader,
                                   const Sqlite3Cursor &c, _MsgAttachment &atta) const
{
    reader.read(c, atta);
    if (!atta.filename.isEmpty())
        atta.localPath = resolveAttachmentPath(atta.filename);
}

void IOS6MessageDb::messages(MsgData &data, qint64 chatId)
{
    openCheck();
    chats(data);
    __MsgData &d = *data.p();

    Sqlite3Cursor c = queryThrow(messageRowsSql(QStringLiteral("m.*"), chatId));
    Sqlite3RecordReader<_MsgMessage> messageRows = messageReader();
    const int chatColumn = c.columnIndex(QStringLiteral("chat_id"));
    const int rowidColumn = c.columnIndex(QStringLiteral("rowid"));
    while (c.moveNext()) {
        // A join row left behind by a chat that is gone has nothing to show the message in.
        _MsgChat *chat = d.chats.value(c.getInt64(chatColumn));
        if (!chat)
            continue;
        const qint64 rowid = c.getInt64(rowidColumn);
        _MsgMessage *msg = __MsgData::insertOrGet(d.messages, rowid, [&] {
            auto created = std::make_unique<_MsgMessage>();
            readMessage(messageRows, c, rowid, *created);
            return created;
        });
        linkHandles(d, *msg);
        msg->chat = chat;
        chat->messageMap.insertRowId(rowid, msg);
    }

    c = queryThrow(attachmentRowsSql(chatId));
    Sqlite3RecordReader<_MsgAttachment> attachmentRows = attachmentReader();
    const int messageColumn = c.columnIndex(QStringLiteral("message_id"));
    const int attachmentColumn = c.columnIndex(QStringLiteral("attachment_id"));
    while (c.moveNext()) {
        // Only attachments of loaded messages: the rest would be records nobody reaches.
        _MsgMessage *msg = d.messages.value(c.getInt64(messageColumn));
        if (!msg)
            continue;
        const qint64 attaId = c.getInt64(attachmentColumn);
        _MsgAttachment *atta = __MsgData::insertOrGet(d.attachments, attaId, [&] {
            auto created = std::make_unique<_MsgAttachment>();
            readAttachment(attachmentRows, c, *created);
            return created;
        });
        msg->attachmentMap.insertRowId(attaId, atta);
    }
    MsgReactions::link(d);
}

QString IOS6MessageDb::attachmentRelativePath(const QString &filename)
{
    // Plain text operations rather than patterns: this runs for every attachment loaded.
    QString path = filename;
    if (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    if (path.startsWith(QLatin1String("~/")))
        path.replace(0, 2, QStringLiteral("var/mobile/"));
    static const QString unusable = QStringLiteral(":*?\"<>|");
    path.removeIf([](QChar c) { return unusable.contains(c); });
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
    Sqlite3Cursor c = queryThrow(Sqlite3Sql("select 1 from chat_handle_join where chat_id=? and "
                                            "handle_id=?")
                                     .addInt64Param(chatId)
                                     .addInt64Param(handleId));
    return c.moveNext();
}

bool IOS6MessageDb::isAttaOfMessage(qint64 messageId, qint64 attachmentId)
{
    openCheck();
    Sqlite3RepeatStmt &stmt = repeatStmt(QByteArrayLiteral(
        "select 1 from message_attachment_join where message_id=? and attachment_id=?"));
    stmt.bindInt64(1, messageId);
    stmt.bindInt64(2, attachmentId);
    return stmt.firstInt64() != 0;
}

qint64 IOS6MessageDb::firstRowId(const Sqlite3Sql &sql)
{
    openCheck();
    Sqlite3Cursor c = queryThrow(sql);
    return c.moveNext() ? c.getInt64(0) : 0;
}

void IOS6MessageDb::execute(const Sqlite3Sql &sql)
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
    openCheck();
    Sqlite3RepeatStmt &stmt =
        repeatStmt(QByteArrayLiteral("select rowid from message where guid=?"));
    stmt.bindText(1, guid);
    return stmt.firstInt64();
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
    openCheck();
    Sqlite3RepeatStmt &stmt =
        repeatStmt(QByteArrayLiteral("select rowid from attachment where guid=?"));
    stmt.bindText(1, atta.guid);
    return stmt.firstInt64();
}

void IOS6MessageDb::joinChatHandle(qint64 chatId, qint64 handleId)
{
    execute(Sqlite3Sql("replace into chat_handle_join(chat_id,handle_id) values(?,?)")
                .addInt64Param(chatId)
                .addInt64Param(handleId));
}

void IOS6MessageDb::joinChatMessage(qint64 chatId, qint64 messageId)
{
    joinRows(QByteArrayLiteral("replace into chat_message_join(chat_id,message_id) values(?,?)"),
             chatId, messageId);
}

void IOS6MessageDb::joinMessageAtta(qint64 messageId, qint64 attachmentId)
{
    joinRows(QByteArrayLiteral(
                 "replace into message_attachment_join(message_id,attachment_id) values(?,?)"),
             messageId, attachmentId);
}

void IOS6MessageDb::joinRows(const QByteArray &sql, qint64 first, qint64 second)
{
    openCheck();
    Sqlite3RepeatStmt &stmt = repeatStmt(sql);
    stmt.bindInt64(1, first);
    stmt.bindInt64(2, second);
    stmt.execute();
}

void IOS6MessageDb::updateChatLastDate21(qint64 chatId, int date)
{
    openCheck();
    if (!tableSqlContains(kChat, QStringLiteral("_last INTEGER"), Qt::CaseInsensitive))
        return;
    execute(Sqlite3Sql("update chat set _last=? where rowid=? and _last < ?")
                .addIntParam(date)
                .addInt64Param(chatId)
                .addIntParam(date));
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
    if (!m_messageInsert)
        m_messageInsert = std::make_unique<MessageInsert>(*this);
    return m_messageInsert->insert(*this, msg, handleId, otherHandleId, logicHash);
}

qint64 IOS6MessageDb::insertAttachment(const _MsgAttachment &atta)
{
    openCheck();
    if (m_attachmentInsert.isEmpty())
        m_attachmentInsert = attachmentInsertSql();
    Sqlite3RepeatStmt &stmt = repeatStmt(m_attachmentInsert);
    stmt.bindText(1, atta.guid);
    stmt.bindInt64(2, atta.created_date);
    stmt.bindInt64(3, atta.start_date);
    stmt.bindText(4, atta.filename);
    stmt.bindText(5, atta.uti);
    stmt.bindText(6, atta.mime_type);
    stmt.bindInt64(7, atta.transfer_state);
    stmt.bindInt64(8, atta.is_outgoing);
    // The columns an older table lacks come last; NULL stands for a value left to the default.
    int index = 9;
    if (tableSqlContains(kAttachment, QStringLiteral("user_info"))) {
        if (atta.user_info.isEmpty())
            stmt.bindNull(index++);
        else
            stmt.bindBlob(index++, atta.user_info);
    }
    if (tableSqlContains(kAttachment, QStringLiteral("transfer_name"))) {
        if (atta.transfer_name.isEmpty())
            stmt.bindNull(index++);
        else
            stmt.bindText(index++, atta.transfer_name);
    }
    if (tableSqlContains(kAttachment, QStringLiteral("total_bytes")))
        stmt.bindInt64(index++, atta.total_bytes);
    stmt.execute();
    return lastInsertId();
}

QByteArray IOS6MessageDb::attachmentInsertSql()
{
    const auto present = tbInfo(kAttachment);
    QStringList names = {QStringLiteral("guid"),
                         QStringLiteral("created_date"),
                         QStringLiteral("start_date"),
                         QStringLiteral("filename"),
                         QStringLiteral("uti"),
                         QStringLiteral("mime_type"),
                         QStringLiteral("transfer_state"),
                         QStringLiteral("is_outgoing")};
    QStringList values;
    for (int i = 1; i <= names.size(); ++i)
        values << QStringLiteral("?%1").arg(i);
    const auto optional = [&](const char *name, bool mayKeepDefault) {
        const QString column = QString::fromLatin1(name);
        if (!tableSqlContains(kAttachment, column))
            return;
        names << column;
        values << placeholder(int(values.size()) + 1,
                              mayKeepDefault ? defaultOf(present, column) : QString());
    };
    optional("user_info", true);
    optional("transfer_name", true);
    optional("total_bytes", false);
    return QStringLiteral("insert into attachment (%1) values (%2)")
        .arg(names.join(QLatin1Char(',')), values.join(QLatin1Char(',')))
        .toUtf8();
}

void IOS6MessageDb::deleteMessage(const _MsgMessage *msg)
{
    if (!msg)
        return;
    openCheck();
    // A message listed in several chats may be the last one of any of them, not only of the chat
    // it is shown under.
    QList<qint64> chatIds;
    Sqlite3Cursor listed =
        queryThrow(Sqlite3Sql("select chat_id from chat_message_join where message_id=?")
                       .addInt64Param(msg->rowid));
    while (listed.moveNext())
        chatIds << listed.getInt64(0);
    if (msg->chat && !chatIds.contains(msg->chat->rowid))
        chatIds << msg->chat->rowid;

    // Bound values, not spliced ones: the statements (with their triggers) are prepared once for
    // a whole deletion instead of once per message.
    const qint64 id = msg->rowid;
    execute(Sqlite3Sql("DELETE FROM message WHERE rowid=?").addInt64Param(id));
    execute(Sqlite3Sql("DELETE FROM chat_message_join where message_id=?").addInt64Param(id));
    execute(Sqlite3Sql("DELETE FROM message_attachment_join where message_id=?").addInt64Param(id));
    for (const qint64 chatId : qAsConst(chatIds)) {
        execute(Sqlite3Sql("DELETE FROM chat WHERE rowid=? and (SELECT 1 from "
                           "chat_message_join WHERE chat_id=? LIMIT 1) IS NULL")
                    .addInt64Param(chatId)
                    .addInt64Param(chatId));
        // A chat that went leaves its participant links behind otherwise, and with them
        // addresses nothing refers to any more.
        execute(Sqlite3Sql("DELETE FROM chat_handle_join WHERE chat_id=?1 and (SELECT 1 from "
                           "chat WHERE rowid=?1) IS NULL")
                    .addInt64Param(chatId));
    }
}
