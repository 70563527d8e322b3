#pragma once

#include <QString>

#include <stdexcept>

struct sqlite3;

// A failed database operation. The message is meant for the user: it names the database file and
// carries SQLite's own explanation.
class Sqlite3Exception : public std::runtime_error
{
public:
    Sqlite3Exception(const QString &fileName, const QString &detail, int code);

    // Built from the connection's last error; db may be null.
    static Sqlite3Exception fromHandle(sqlite3 *db, int code);
    // The file name SQLite knows for the main database of db; ":memory:" for an in-memory one.
    static QString fileNameOf(sqlite3 *db);

    // SQLite's result code (SQLITE_CONSTRAINT, SQLITE_BUSY, ...), or SQLITE_MISUSE for errors
    // found by this layer itself.
    int code() const { return m_code; }
    const QString &fileName() const { return m_fileName; }
    const QString &detail() const { return m_detail; }

private:
    QString m_fileName;
    QString m_detail;
    int m_code;
};
