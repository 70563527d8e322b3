#include "model/sqlite3stmtcache.h"

#include "model/sqlite3stmt.h"

#include <utility>

Sqlite3StmtCache::Sqlite3StmtCache(int capacity) : m_capacity(capacity) {}

Sqlite3StmtCache::~Sqlite3StmtCache() = default;

std::unique_ptr<Sqlite3Stmt> Sqlite3StmtCache::take(const QString &sql)
{
    const auto it = m_idle.find(sql);
    if (it == m_idle.end())
        return nullptr;
    std::unique_ptr<Sqlite3Stmt> stmt = std::move(it->second);
    m_idle.erase(it);
    return stmt;
}

void Sqlite3StmtCache::put(std::unique_ptr<Sqlite3Stmt> stmt)
{
    if (!stmt || m_capacity <= 0)
        return;
    // Rewound at once: a statement left inside its rows would keep its read transaction open.
    stmt->reset();
    const QString &sql = stmt->sql().sql();
    if (m_idle.count(sql) != 0)
        return;
    // The texts a program repeats are few; past the bound, any one may go.
    if (int(m_idle.size()) >= m_capacity)
        m_idle.erase(m_idle.begin());
    m_idle.emplace(sql, std::move(stmt));
}

void Sqlite3StmtCache::clear()
{
    m_idle.clear();
}
