#include "model/sqlite3cursor.h"

#include "model/sqlite3stmt.h"

#include <utility>

Sqlite3Cursor::Sqlite3Cursor(QSharedPointer<Sqlite3Stmt> stmt) : m_stmt(std::move(stmt)) {}

bool Sqlite3Cursor::moveNext()
{
    return m_stmt && m_stmt->step();
}

int Sqlite3Cursor::columnIndex(const QString &column) const
{
    return m_stmt ? m_stmt->columnIndex(column) : -1;
}

int Sqlite3Cursor::getInt(const QString &column) const
{
    return getInt(columnIndex(column));
}

qint64 Sqlite3Cursor::getInt64(const QString &column) const
{
    return getInt64(columnIndex(column));
}

QString Sqlite3Cursor::getText(const QString &column) const
{
    return getText(columnIndex(column));
}

QByteArray Sqlite3Cursor::getBlob(const QString &column) const
{
    return getBlob(columnIndex(column));
}

quint64 Sqlite3Cursor::layoutId() const
{
    return m_stmt ? m_stmt->layoutId() : 0;
}

bool Sqlite3Cursor::hasColumn(const QString &column) const
{
    return columnIndex(column) >= 0;
}

int Sqlite3Cursor::columnCount() const
{
    return m_stmt ? m_stmt->columnCount() : 0;
}

int Sqlite3Cursor::count() const
{
    return m_stmt ? m_stmt->countRows() : 0;
}
