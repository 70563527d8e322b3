#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// One statement prepared once and run many times, its values bound straight from the caller's
// data: no SQL text, value list or statement look-up per run. A save repeats a handful of inserts
// and look-ups for every message, where building those each time cost more than SQLite's work.
// Obtained from Sqlite3DB::repeatStmt, which finalises it when the connection closes.
class Sqlite3RepeatStmt
{
public:
    // Prepares sql (one statement) on db; throws Sqlite3Exception.
    Sqlite3RepeatStmt(sqlite3 *db, const QByteArray &sql);
    ~Sqlite3RepeatStmt();
    Sqlite3RepeatStmt(const Sqlite3RepeatStmt &) = delete;
    Sqlite3RepeatStmt &operator=(const Sqlite3RepeatStmt &) = delete;

    // Placeholders count from 1, as in SQLite. A value stays bound until bound again, so a run
    // binds every placeholder. Throws Sqlite3Exception for an index out of range.
    void bindNull(int index);
    void bindInt64(int index, qint64 value);
    // A null string binds empty text, never NULL.
    void bindText(int index, const QString &value);
    // Text already in UTF-8; copied, so utf8 need not outlive the call.
    void bindUtf8(int index, QByteArrayView utf8);
    // Empty bytes bind an empty blob, never NULL.
    void bindBlob(int index, const QByteArray &value);

    // Runs the statement to its end and rewinds it. Throws Sqlite3Exception.
    void execute();
    // Runs the statement and returns the first column of its first row as an integer, 0 when it
    // yields no row; rewinds it. Throws Sqlite3Exception.
    qint64 firstInt64();
    int parameterCount() const;

private:
    struct Finalizer
    {
        void operator()(sqlite3_stmt *stmt) const;
    };

    void check(int rc) const;
    // Rewinds after a run; a failed step throws its error once the statement is rewound.
    void finish(int rc);

    sqlite3 *m_db;
    std::unique_ptr<sqlite3_stmt, Finalizer> m_stmt;
    // The text last bound to each placeholder, which SQLite reads in place.
    std::vector<QByteArray> m_texts;
};
