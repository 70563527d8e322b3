#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QSharedPointer>
#include <QString>

class Sqlite3Stmt;

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
    int getInt(int index) const;
    qint64 getInt64(int index) const;
    QString getText(int index) const;
    // getText(index), but previous itself when the text equals it: records read from many rows
    // then share one copy of a value that repeats (a service, an account) instead of holding one
    // each.
    QString getText(int index, const QString &previous) const;
    QByteArray getBlob(int index) const;
    // The text's bytes (see Sqlite3Stmt::utf8At), valid until the cursor moves.
    QByteArrayView getUtf8(int index) const;
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
