#pragma once

#include <QString>
#include <QVariant>
#include <QVector>

struct sqlite3_stmt;

// SQL text with the values of its "?" placeholders, in order. Values are always bound, never
// spliced into the text, so quotes and NUL bytes in them are harmless.
class Sqlite3Sql
{
public:
    Sqlite3Sql() = default;
    // Implicit on purpose: queryThrow("select ...") reads naturally at the call sites.
    Sqlite3Sql(const char *sql);
    Sqlite3Sql(const QString &sql);

    Sqlite3Sql &addTextParam(const QString &value);
    Sqlite3Sql &addIntParam(int value);
    Sqlite3Sql &addInt64Param(qint64 value);
    Sqlite3Sql &addBlobParam(const QByteArray &value);
    Sqlite3Sql &addNullParam();
    // An invalid variant binds NULL; QString text, QByteArray a blob, integers and booleans a
    // 64-bit integer, floating point a real; anything else its text form.
    Sqlite3Sql &addParam(const QVariant &value);

    Sqlite3Sql &appendSql(const QString &sql);

    const QString &sql() const { return m_sql; }
    const QVector<QVariant> &params() const { return m_params; }

    // Binds every value to stmt; returns the first SQLite error code, or 0. A count that does not
    // match the placeholders is SQLITE_RANGE.
    int bindTo(sqlite3_stmt *stmt) const;

private:
    QString m_sql;
    QVector<QVariant> m_params;
};
