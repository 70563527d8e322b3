#pragma once

#include "model/sqlite3stmt.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QSharedPointer>
#include <QString>

// The rows of a query, positioned before the first. Copies share one statement, and with it the
// position: moving one copy moves them all.
class Sqlite3Cursor
{
public:
    // A cursor without rows.
    Sqlite3Cursor() = default;
    explicit Sqlite3Cursor(QSharedPointer<Sqlite3Stmt> stmt);

    // Steps to the next row; false after the last. Throws Sqlite3Exception on a read error.
    bool moveNext();

    // Values of the current row by column name, matched without regard to case. NULL, a column
    // the query did not return, or no current row give 0 or empty.
    int getInt(const QString &column) const;
    qint64 getInt64(const QString &column) const;
    QString getText(const QString &column) const;
    QByteArray getBlob(const QString &column) const;
    // By position, 0 = first column, as columnIndex() gives it: readers of many rows look the
    // names up once per query instead of once per row. -1 or out of range give 0 or empty.
    // Inline: record readers call them for every column of every row.
    int getInt(int index) const { return m_stmt ? m_stmt->intAt(index) : 0; }
    qint64 getInt64(int index) const { return m_stmt ? m_stmt->int64At(index) : 0; }
    QString getText(int index) const { return m_stmt ? m_stmt->textAt(index) : QString(); }
    // getText(index), but previous itself when the text equals it: records read from many rows
    // then share one copy of a value that repeats (a service, an account) instead of holding one
    // each.
    QString getText(int index, const QString &previous) const
    {
        return m_stmt ? m_stmt->textAt(index, previous) : QString();
    }
    QByteArray getBlob(int index) const { return m_stmt ? m_stmt->blobAt(index) : QByteArray(); }
    // The text's bytes (see Sqlite3Stmt::utf8At), valid until the cursor moves.
    QByteArrayView getUtf8(int index) const
    {
        return m_stmt ? m_stmt->utf8At(index) : QByteArrayView();
    }
    // Position of the column, matched without regard to case; -1 when the query lacks it.
    int columnIndex(const QString &column) const;
    // Changes when the positions columnIndex() gave may no longer hold; 0 for a cursor without
    // a statement.
    quint64 layoutId() const;

    bool hasColumn(const QString &column) const;
    int columnCount() const;
    // Number of rows of the whole query, whatever the current position; throws Sqlite3Exception.
    int count() const;

private:
    QSharedPointer<Sqlite3Stmt> m_stmt;
};
