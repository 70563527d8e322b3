#include "itunes/phonedbcopy.h"

#include "frame/appdirs.h"
#include "frame/filenames.h"
#include "frame/translation.h"
#include "iosdb/ios6messagedb.h"
#include "itunes/ituneslog.h"
#include "model/msgattachment.h"
#include "model/msgdata.h"
#include "model/sqlite3cursor.h"
#include "model/sqlite3db.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <sqlite3.h>

#include <limits>
#include <memory>
#include <stdexcept>

namespace {

const char *const kLibrary = "file-relay/var/mobile/Library/";
const char *const kDbFiles[] = {"SMS/sms.db", "AddressBook/AddressBook.sqlitedb",
                                "AddressBook/AddressBookImages.sqlitedb"};

struct SqliteCloser
{
    void operator()(sqlite3 *db) const { sqlite3_close_v2(db); }
};
struct StmtFinalizer
{
    void operator()(sqlite3_stmt *stmt) const { sqlite3_finalize(stmt); }
};
using SqliteHandle = std::unique_ptr<sqlite3, SqliteCloser>;
using StmtHandle = std::unique_ptr<sqlite3_stmt, StmtFinalizer>;

SqliteHandle openRaw(const QString &path, int flags)
{
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr);
    SqliteHandle handle(db);
    if (rc != SQLITE_OK)
        throw std::runtime_error(g_tr("IDS_DB_DAMAGED_%1_%2")
                                     .arg(path, QString::fromUtf8(sqlite3_errstr(rc)))
                                     .toStdString());
    return handle;
}

StmtHandle prepare(sqlite3 *db, const QString &sql)
{
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr);
    return StmtHandle(stmt);
}

QString quoted(const QString &name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

// Copies the rows of one table that can still be read, in row-id order. A damaged page fails the
// step; reading resumes past it, skipping ever larger row-id ranges until rows come again or the
// table is past its end.
void salvageTable(sqlite3 *from, sqlite3 *to, const QString &table)
{
    const StmtHandle read =
        prepare(from, QStringLiteral("select rowid, * from %1 where rowid > ? order by rowid")
                          .arg(quoted(table)));
    if (!read)
        return;
    const int columns = sqlite3_column_count(read.get());
    QStringList marks;
    for (int i = 0; i < columns; ++i)
        marks << QStringLiteral("?");
    QStringList names{QStringLiteral("rowid")};
    for (int i = 1; i < columns; ++i)
        names << quoted(QString::fromUtf8(sqlite3_column_name(read.get(), i)));
    const StmtHandle write = prepare(
        to, QStringLiteral("insert or ignore into %1(%2) values(%3)")
                .arg(quoted(table), names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
    if (!write)
        return;
    sqlite3_int64 last = std::numeric_limits<sqlite3_int64>::min();
    sqlite3_int64 skip = 1;
    constexpr sqlite3_int64 kLastSkip = sqlite3_int64(1) << 48;
    while (skip <= kLastSkip) {
        sqlite3_reset(read.get());
        sqlite3_bind_int64(read.get(), 1, last);
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(read.get())) == SQLITE_ROW) {
            for (int i = 0; i < columns; ++i)
                sqlite3_bind_value(write.get(), i + 1, sqlite3_column_value(read.get(), i));
            sqlite3_step(write.get());
            sqlite3_reset(write.get());
            last = sqlite3_column_int64(read.get(), 0);
            skip = 1;
        }
        if (rc == SQLITE_DONE)
            return;
        if (last > std::numeric_limits<sqlite3_int64>::max() - skip)
            return;
        last = last == std::numeric_limits<sqlite3_int64>::min() ? skip : last + skip;
        skip *= 2;
    }
}

} // namespace

namespace {

QString copyTemplate()
{
    const QDir parent(g_dataSaveDir().filePath(QStringLiteral("phone_copy")));
    parent.mkpath(QStringLiteral("."));
    return parent.filePath(QStringLiteral("copy-XXXXXX"));
}

} // namespace

PhoneDbCopy::PhoneDbCopy(const QDir &source)
    : m_source(source), m_folder(copyTemplate()), m_copy(m_folder.path())
{}

PhoneDbCopy::~PhoneDbCopy() = default;

QString PhoneDbCopy::dbPath() const
{
    return IOS6MessageDb::dbPathIn(m_copy);
}

void PhoneDbCopy::make()
{
    if (!m_folder.isValid())
        throw std::runtime_error(
            g_tr("IDS_CANNOT_CREATE_FOLDER").arg(m_folder.path()).toStdString());
    for (const char *file : kDbFiles) {
        const QString relative = QLatin1String(kLibrary) + QLatin1String(file);
        copyDbFile(relative);
        copyDbFile(relative + QStringLiteral("-wal"));
    }
}

void PhoneDbCopy::copyDbFile(const QString &relativePath) const
{
    const QString from = m_source.filePath(relativePath);
    const QFileInfo info(from);
    if (!info.exists() && !info.isSymLink())
        return;
    if (!g_isPlainFile(from)) {
        qCWarning(lcItunes) << "not a regular file, not read:" << from;
        return;
    }
    const QString to = m_copy.filePath(relativePath);
    QFile source(from);
    if (!QDir().mkpath(QFileInfo(to).absolutePath()) || !source.copy(to))
        throw std::runtime_error(
            g_tr("IDS_CANNOT_COPY_%1_%2").arg(from, source.errorString()).toStdString());
    // The contacts lookup is rebuilt only when the address book is newer than it.
    QFile copied(to);
    if (copied.open(QIODevice::ReadWrite))
        copied.setFileTime(info.lastModified(), QFileDevice::FileModificationTime);
}

QString PhoneDbCopy::damageOf(const QString &dbPath)
{
    try {
        const SqliteHandle db = openRaw(dbPath, SQLITE_OPEN_READWRITE);
        const StmtHandle check = prepare(db.get(), QStringLiteral("pragma quick_check(1)"));
        if (!check)
            return QString::fromUtf8(sqlite3_errmsg(db.get()));
        const int rc = sqlite3_step(check.get());
        if (rc != SQLITE_ROW)
            return QString::fromUtf8(sqlite3_errmsg(db.get()));
        const QString result =
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(check.get(), 0)));
        return result == QLatin1String("ok") ? QString() : result;
    } catch (const std::runtime_error &e) {
        return QString::fromUtf8(e.what());
    }
}

bool PhoneDbCopy::isMessageDb(const QString &dbPath)
{
    Sqlite3DB db;
    db.openThrow(dbPath, Sqlite3DB::kOpenReadOnly);
    return !db.tbInfo(QStringLiteral("message")).isEmpty() &&
           (!db.tbInfo(QStringLiteral("chat_message_join")).isEmpty() ||
            !db.tbInfo(QStringLiteral("msg_group")).isEmpty());
}

int PhoneDbCopy::salvage()
{
    const QString damaged = dbPath() + QStringLiteral(".damaged");
    QFile::remove(damaged);
    QFile::remove(dbPath() + QStringLiteral("-shm"));
    if (!QFile::rename(dbPath(), damaged))
        throw std::runtime_error(
            g_tr("IDS_CANNOT_COPY_%1_%2").arg(dbPath(), damaged).toStdString());
    // Pages of the log belong to the damaged file; they are read through it.
    QFile::rename(dbPath() + QStringLiteral("-wal"), damaged + QStringLiteral("-wal"));
    {
        const SqliteHandle from = openRaw(damaged, SQLITE_OPEN_READWRITE);
        const SqliteHandle to = openRaw(dbPath(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        const StmtHandle schema = prepare(
            from.get(), QStringLiteral("select type, name, sql from sqlite_master where sql is "
                                       "not null and name not like 'sqlite_%' order by "
                                       "type='table' desc"));
        if (!schema)
            throw std::runtime_error(
                g_tr("IDS_DB_DAMAGED_%1_%2")
                    .arg(damaged, QString::fromUtf8(sqlite3_errmsg(from.get())))
                    .toStdString());
        sqlite3_exec(to.get(), "begin", nullptr, nullptr, nullptr);
        QStringList later;
        while (sqlite3_step(schema.get()) == SQLITE_ROW) {
            const auto text = [&](int i) {
                return QString::fromUtf8(
                    reinterpret_cast<const char *>(sqlite3_column_text(schema.get(), i)));
            };
            if (text(0) != QLatin1String("table")) {
                later << text(2);
                continue;
            }
            if (sqlite3_exec(to.get(), text(2).toUtf8().constData(), nullptr, nullptr, nullptr) ==
                SQLITE_OK)
                salvageTable(from.get(), to.get(), text(1));
        }
        // Indexes and triggers after the rows; one that fails over damaged rows is left out.
        for (const QString &sql : std::as_const(later))
            sqlite3_exec(to.get(), sql.toUtf8().constData(), nullptr, nullptr, nullptr);
        sqlite3_exec(to.get(), "commit", nullptr, nullptr, nullptr);
    }
    Sqlite3DB db;
    db.openThrow(dbPath(), Sqlite3DB::kOpenReadOnly);
    if (db.tbInfo(QStringLiteral("message")).isEmpty())
        return 0;
    Sqlite3Cursor count = db.queryThrow("select count(*) from message");
    return count.moveNext() ? count.getInt(0) : 0;
}

void PhoneDbCopy::restoreAttachmentPaths(MsgData &data) const
{
    const QString copyRoot = QDir::cleanPath(m_copy.absolutePath()) + QLatin1Char('/');
    const QString sourceRoot = QDir::cleanPath(m_source.absolutePath()) + QLatin1Char('/');
    // The copy holds a handful of files: listed once, they are not asked for one by one.
    QSet<QString> inCopy;
    QDirIterator files(m_copy.absolutePath(), QDir::Files | QDir::Hidden | QDir::System,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = QDir::cleanPath(files.next());
        if (g_isPlainFile(path))
            inCopy.insert(path);
    }
    for (_MsgAttachment *attachment : data.p()->attachments) {
        if (!attachment->localPath.startsWith(copyRoot))
            continue;
        const QString original = sourceRoot + attachment->localPath.mid(copyRoot.size());
        // Files made while reading (the parts of old phones' MMS) exist only in the copy.
        if (!inCopy.contains(attachment->localPath) || g_isPlainFile(original))
            attachment->localPath = original;
    }
}
