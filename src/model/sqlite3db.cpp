#include "model/sqlite3db.h"

#include "frame/translation.h"
#include "model/modellog.h"
#include "model/sqlite3exception.h"
#include "model/sqlite3repeatstmt.h"
#include "model/sqlite3row.h"
#include "model/sqlite3stmt.h"
#include "model/sqlite3stmtcache.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

int sqlite_qt_version()
{
    return 5;
}

static_assert(Sqlite3DB::kOpenReadOnly == SQLITE_OPEN_READONLY, "flags are SQLite's own");
static_assert(Sqlite3DB::kOpenReadWrite == SQLITE_OPEN_READWRITE, "flags are SQLite's own");
static_assert(Sqlite3DB::kOpenCreate == SQLITE_OPEN_CREATE, "flags are SQLite's own");

namespace {

// SQLite's allocation counters take a process-wide lock on every allocation; nothing here reads
// them. Set while the program loads, since SQLite only takes it before its first use.
[[maybe_unused]] const int g_noAllocationCounters = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);

} // namespace

Sqlite3DB::Sqlite3DB() = default;

Sqlite3DB::~Sqlite3DB()
{
    close();
}

void Sqlite3DB::openThrow(const QString &path, int flags)
{
    close();
    const bool inMemory = path.isEmpty() || path == QLatin1String(":memory:");
    if (!(flags & SQLITE_OPEN_CREATE) && !inMemory && !QFileInfo::exists(path)) {
        throw Sqlite3Exception(path, g_tr("IDS_SQLITE_FILE_MISSING").arg(path), SQLITE_CANTOPEN);
    }

    // SQLite's own locks guard a connection used by several threads at once, which this class,
    // with its unguarded statement cache, never allows anyway; they cost a lock per call, and a
    // save makes some sixty calls a message.
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                                   flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        // SQLite hands out a handle even on failure; it carries the message and must be closed.
        const Sqlite3Exception error(
            path,
            db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc)), rc);
        sqlite3_close(db);
        throw error;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    m_db = db;
    m_cache = QSharedPointer<Sqlite3StmtCache>::create();
    m_path = path;
    qCDebug(lcModel) << "opened" << path << "flags" << flags;
}

bool Sqlite3DB::close()
{
    if (!m_db)
        return true;
    sqlite3 *db = m_db;
    m_db = nullptr;
    // Statements waiting for reuse would keep the connection open; those in use by cursors are
    // finalised by their cursors, no longer returning here.
    m_cache.reset();
    m_repeatStmts.clear();
    if (sqlite3_close(db) == SQLITE_OK)
        return true;
    // Cursors still hold statements: hand the connection over to them, it closes with the last.
    qCWarning(lcModel) << "closing" << m_path << "while statements are still open";
    sqlite3_close_v2(db);
    return false;
}

sqlite3 *Sqlite3DB::openHandle() const
{
    if (!m_db) {
        throw Sqlite3Exception(m_path, g_tr("IDS_SQLITE_NOT_OPEN"), SQLITE_MISUSE);
    }
    return m_db;
}

std::unique_ptr<Sqlite3Stmt> Sqlite3DB::preparedStatement(const Sqlite3Sql &sql)
{
    sqlite3 *db = openHandle();
    std::unique_ptr<Sqlite3Stmt> stmt = m_cache->take(sql.sql());
    if (!stmt)
        return std::make_unique<Sqlite3Stmt>(db, sql);
    stmt->rebind(sql);
    return stmt;
}

Sqlite3Cursor Sqlite3DB::queryThrow(const Sqlite3Sql &sql)
{
    // Texts without values are mostly built once (values spliced in, or schema work): caching
    // them would only push out the statements that repeat.
    if (sql.params().isEmpty())
        return Sqlite3Cursor(QSharedPointer<Sqlite3Stmt>::create(openHandle(), sql));
    const QWeakPointer<Sqlite3StmtCache> cache = m_cache;
    return Sqlite3Cursor(
        QSharedPointer<Sqlite3Stmt>(preparedStatement(sql).release(), [cache](Sqlite3Stmt *stmt) {
            std::unique_ptr<Sqlite3Stmt> owned(stmt);
            if (const QSharedPointer<Sqlite3StmtCache> live = cache.toStrongRef())
                live->put(std::move(owned));
        }));
}

void Sqlite3DB::executeThrow(const Sqlite3Sql &sql)
{
    if (sql.params().isEmpty()) {
        Sqlite3Stmt(openHandle(), sql).runToEnd();
        return;
    }
    std::unique_ptr<Sqlite3Stmt> stmt = preparedStatement(sql);
    stmt->runToEnd();
    m_cache->put(std::move(stmt));
}

Sqlite3RepeatStmt &Sqlite3DB::repeatStmt(const QByteArray &sql)
{
    const auto found = m_repeatStmts.find(sql);
    if (found != m_repeatStmts.end())
        return *found->second;
    auto stmt = std::make_unique<Sqlite3RepeatStmt>(openHandle(), sql);
    return *m_repeatStmts.emplace(sql, std::move(stmt)).first->second;
}

int Sqlite3DB::exec(const QString &sql, QString &error)
{
    if (!m_db) {
        error = g_tr("IDS_SQLITE_NOT_OPEN");
        return SQLITE_MISUSE;
    }
    char *message = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK)
        error = QString::fromUtf8(message ? message : sqlite3_errstr(rc));
    sqlite3_free(message);
    return rc;
}

void Sqlite3DB::beginTran()
{
    // Every transaction here writes. Taking the write lock at the start lets a second writer
    // wait for it through the busy time-out; a deferred one would read first and then fail at
    // once with "database is locked", as SQLite will not wait for a lock while holding another.
    executeThrow("begin immediate");
}

void Sqlite3DB::commitTran()
{
    executeThrow("commit");
}

void Sqlite3DB::rollbackTran()
{
    if (inTransaction())
        executeThrow("rollback");
}

bool Sqlite3DB::inTransaction() const
{
    return m_db && sqlite3_get_autocommit(m_db) == 0;
}

qint64 Sqlite3DB::lastInsertId() const
{
    return m_db ? sqlite3_last_insert_rowid(m_db) : 0;
}

int Sqlite3DB::changes() const
{
    return m_db ? sqlite3_changes(m_db) : 0;
}

int Sqlite3DB::cachedStatementCount() const
{
    return m_cache ? m_cache->size() : 0;
}

QHash<QString, _SqliteCol> Sqlite3DB::tbInfo(const QString &table)
{
    Sqlite3Cursor cursor =
        queryThrow(QStringLiteral("pragma table_info(%1)").arg(g_sqlIdentifier(table)));
    QHash<QString, _SqliteCol> columns;
    while (cursor.moveNext()) {
        _SqliteCol col;
        col.name = cursor.getText(QStringLiteral("name"));
        col.type = cursor.getText(QStringLiteral("type"));
        col.notNull = cursor.getInt(QStringLiteral("notnull")) != 0;
        col.defaultValue = cursor.getText(QStringLiteral("dflt_value"));
        col.primaryKey = cursor.getInt(QStringLiteral("pk"));
        columns.insert(col.name, col);
    }
    return columns;
}
