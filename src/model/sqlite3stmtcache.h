#pragma once

#include <QHashFunctions>
#include <QString>

#include <memory>
#include <unordered_map>

class Sqlite3Stmt;

// Prepared statements of one connection waiting, rewound, to run their SQL text again. Preparing
// costs more than running for the small inserts and look-ups a save repeats for every message.
// Holds at most one statement per text and a bounded number in all.
class Sqlite3StmtCache
{
public:
    static constexpr int kDefaultCapacity = 64;

    explicit Sqlite3StmtCache(int capacity = kDefaultCapacity);
    ~Sqlite3StmtCache();
    Sqlite3StmtCache(const Sqlite3StmtCache &) = delete;
    Sqlite3StmtCache &operator=(const Sqlite3StmtCache &) = delete;

    // The waiting statement of that text, now owned by the caller; null when none waits.
    std::unique_ptr<Sqlite3Stmt> take(const QString &sql);
    // Rewinds stmt and keeps it for the next take() of its text. When one of that text already
    // waits, or the cache is full, a statement is finalised instead.
    void put(std::unique_ptr<Sqlite3Stmt> stmt);
    // Finalises every waiting statement.
    void clear();
    int size() const { return int(m_idle.size()); }

private:
    struct TextHash
    {
        size_t operator()(const QString &text) const { return qHash(text); }
    };

    const int m_capacity;
    std::unordered_map<QString, std::unique_ptr<Sqlite3Stmt>, TextHash> m_idle;
};
