#pragma once

#include <QString>

#include <vector>

class Sqlite3DB;

// Takes the database's own indexes (those with a stored CREATE text: not the ones behind UNIQUE
// and PRIMARY KEY) out for the rest of the open transaction and builds them again before the
// commit. Building an index over rows that are all in place sorts them once, where keeping it up
// to date inserts every key at a random place: for bulk inserts into a table that starts empty.
// Triggers and views stay in force throughout; they are made again beside the indexes so that
// the schema keeps its order and ends as it began. A rollback restores it as well, since the
// schema change is part of the transaction.
class Sqlite3IndexPause
{
public:
    // Drops the indexes. Throws Sqlite3Exception.
    explicit Sqlite3IndexPause(Sqlite3DB &db);
    Sqlite3IndexPause(const Sqlite3IndexPause &) = delete;
    Sqlite3IndexPause &operator=(const Sqlite3IndexPause &) = delete;

    // Creates the indexes again (once). Throws Sqlite3Exception.
    void restore();

private:
    struct Entry
    {
        QString type; // "index", "trigger" or "view"
        QString name;
        QString sql;
    };

    void drop(const Entry &entry);

    Sqlite3DB &m_db;
    // In schema order.
    std::vector<Entry> m_entries;
};
