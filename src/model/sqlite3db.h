#pragma once

#include "model/sqlite3cursor.h"
#include "model/sqlite3sql.h"
#include "model/sqlitecol.h"

#include <QHash>
#include <QSharedPointer>
#include <QString>

#include <memory>
#include <unordered_map>

struct sqlite3;
class Sqlite3RepeatStmt;
class Sqlite3Stmt;
class Sqlite3StmtCache;

// The version of this database layer; start-up refuses any other.
int sqlite_qt_version();

// One SQLite connection. Operations ending in Throw, and the transaction calls, throw
// Sqlite3Exception; exec() reports through its result instead.
class Sqlite3DB
{
public:
    // The SQLite open flags callers pass (SQLITE_OPEN_READONLY, _READWRITE, _CREATE).
    static constexpr int kOpenReadOnly = 1;
    static constexpr int kOpenReadWrite = 2;
    static constexpr int kOpenCreate = 4;
    // How long a statement waits for another connection's lock before giving up.
    static constexpr int kBusyTimeoutMs = 5000;

    Sqlite3DB();
    virtual ~Sqlite3DB();
    Sqlite3DB(const Sqlite3DB &) = delete;
    Sqlite3DB &operator=(const Sqlite3DB &) = delete;

    // Opens path (closing any file open before). Without the create flag a missing file is an
    // error rather than a new empty database.
    void openThrow(const QString &path, int flags);
    // The handle becomes null and the statements kept for reuse are finalised. Returns false when
    // cursors still hold statements: the connection then really closes when the last of them
    // goes, and those cursors stay readable until then.
    bool close();
    bool isOpen() const { return m_db != nullptr; }
    // The raw connection for SQLite calls of its own (sqlite3_create_function_v2); null while
    // closed.
    sqlite3 *handle() const { return m_db; }
    // The path given to openThrow.
    const QString &path() const { return m_path; }

    // SQL with bound values reuses the statement prepared for the same text earlier, once the
    // cursors of that earlier run are gone: repeated look-ups and inserts skip the preparing.
    Sqlite3Cursor queryThrow(const Sqlite3Sql &sql);
    void executeThrow(const Sqlite3Sql &sql);
    // The statement of that text (one statement), prepared on the first call and kept until the
    // connection closes, for SQL run for every row of a large write. Throws Sqlite3Exception.
    Sqlite3RepeatStmt &repeatStmt(const QByteArray &sql);
    // Runs SQL text of any number of statements; returns SQLite's result code (0 = success) and
    // fills error with SQLite's message otherwise.
    int exec(const QString &sql, QString &error);

    // Begins a write transaction (waiting up to kBusyTimeoutMs for another writer to finish).
    void beginTran();
    void commitTran();
    // Does nothing when no transaction is open (SQLite may have rolled it back on an error).
    void rollbackTran();
    bool inTransaction() const;

    qint64 lastInsertId() const;
    // Rows changed by the last insert, update or delete.
    int changes() const;
    // The table's columns by name; empty for a table that does not exist.
    QHash<QString, _SqliteCol> tbInfo(const QString &table);
    // Statements waiting for reuse (for tests and diagnostics).
    int cachedStatementCount() const;

private:
    sqlite3 *openHandle() const;
    // A statement for sql with its values bound: a waiting one of the same text, or a new one.
    std::unique_ptr<Sqlite3Stmt> preparedStatement(const Sqlite3Sql &sql);

    sqlite3 *m_db = nullptr;
    // Shared with the cursors' statements only weakly: one outliving close() is finalised when
    // its cursors go instead of returning to a cache of a connection that is gone.
    QSharedPointer<Sqlite3StmtCache> m_cache;
    std::unordered_map<QByteArray, std::unique_ptr<Sqlite3RepeatStmt>> m_repeatStmts;
    QString m_path;
};
