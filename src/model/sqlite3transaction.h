#pragma once

class Sqlite3DB;

// Begins a transaction on construction and rolls it back on destruction unless commit() was
// called, so an exception (or a user's cancel) between the two leaves the database untouched.
class Sqlite3Transaction
{
public:
    explicit Sqlite3Transaction(Sqlite3DB &db);
    ~Sqlite3Transaction();
    Sqlite3Transaction(const Sqlite3Transaction &) = delete;
    Sqlite3Transaction &operator=(const Sqlite3Transaction &) = delete;

    // Throws Sqlite3Exception; the transaction is then rolled back by the destructor.
    void commit();
    bool isCommitted() const { return m_committed; }

private:
    Sqlite3DB &m_db;
    bool m_committed = false;
};
