#pragma once

#include "model/sqlite3sql.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

// One prepared statement with its parameters bound, and the lookup of its result columns by name.
// Shared by the copies of a cursor; finalised when the last of them goes.
class Sqlite3Stmt
{
public:
    // Prepares and binds sql on db; throws Sqlite3Exception. Text holding more than one statement
    // is refused, since everything after the first would silently not run.
    Sqlite3Stmt(sqlite3 *db, const Sqlite3Sql &sql);
    ~Sqlite3Stmt();
    Sqlite3Stmt(const Sqlite3Stmt &) = delete;
    Sqlite3Stmt &operator=(const Sqlite3Stmt &) = delete;

    // Steps to the next row; false once the rows are exhausted, and false ever after (SQLite
    // would otherwise start the statement again). Throws Sqlite3Exception.
    bool step();
    // Runs the statement to its end, for statements whose rows nobody reads.
    void runToEnd();
    // Rewinds the statement and drops its parameter values, releasing whatever it holds of the
    // database, so that it can wait unused for the next run of the same text.
    void reset();
    // Rewinds the statement and binds the values of sql, whose text must be the one prepared.
    // Throws Sqlite3Exception when the values do not fit the placeholders.
    void rebind(const Sqlite3Sql &sql);
    bool hasRow() const { return m_hasRow; }
    // The text prepared, with the values last bound.
    const Sqlite3Sql &sql() const { return m_sql; }

    // Position of a result column, matching the name without regard to case; -1 when absent.
    int columnIndex(const QString &name) const;
    int columnCount() const { return m_columnCount; }
    // Changes whenever the result columns may have changed (another statement, or this one
    // prepared again by SQLite after a schema change), so that readers caching column positions
    // know when to look them up again. Never 0.
    quint64 layoutId() const { return m_layoutId; }

    // Values of the current row; 0 or empty when there is no current row or no such column.
    int intAt(int index) const;
    qint64 int64At(int index) const;
    QString textAt(int index) const;
    // textAt(), but previous itself (sharing its memory) when the text equals it.
    QString textAt(int index, const QString &previous) const;
    QByteArray blobAt(int index) const;
    // The text's bytes as SQLite holds them (UTF-8, not checked), valid until the statement moves
    // on; empty for NULL.
    QByteArrayView utf8At(int index) const;

    // Number of rows the whole query yields, counted on a fresh statement so that the position of
    // this one does not move.
    int countRows() const;

private:
    struct Finalizer
    {
        void operator()(sqlite3_stmt *stmt) const;
    };

    void prepare(const QByteArray &utf8);
    void bind(const Sqlite3Sql &sql);
    void buildColumnIndex();
    void checkReprepared();
    // Inline, as the value readers below: they run for every column of every row.
    bool readable(int index) const { return m_hasRow && index >= 0 && index < m_columnCount; }

    sqlite3 *m_db;
    Sqlite3Sql m_sql;
    std::unique_ptr<sqlite3_stmt, Finalizer> m_stmt;
    // Both tables are built once per statement: readers look up dozens of columns on every row.
    QHash<QString, int> m_columns;
    QHash<QString, int> m_lowerColumns;
    int m_columnCount = 0;
    quint64 m_layoutId = 0;
    int m_prepareCount = 0;
    bool m_checkLayout = true;
    bool m_hasRow = false;
    bool m_done = false;
};
