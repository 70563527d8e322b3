#include "model/sqlite3sql.h"

#include <sqlite3.h>

namespace {

// The one byte handed to SQLite for empty values: a null pointer would bind NULL instead.
const char kEmpty[] = "";

int bindValue(sqlite3_stmt *stmt, int index, const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return sqlite3_bind_null(stmt, index);
    switch (value.typeId()) {
    case QMetaType::QString: {
        const QByteArray utf8 = value.toString().toUtf8();
        return sqlite3_bind_text64(stmt, index, utf8.isEmpty() ? kEmpty : utf8.constData(),
                                   sqlite3_uint64(utf8.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
    }
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return sqlite3_bind_blob64(stmt, index, bytes.isEmpty() ? kEmpty : bytes.constData(),
                                   sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT);
    }
    case QMetaType::Bool:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return sqlite3_bind_int64(stmt, index, value.toLongLong());
    case QMetaType::Float:
    case QMetaType::Double:
        return sqlite3_bind_double(stmt, index, value.toDouble());
    default:
        return bindValue(stmt, index, QVariant(value.toString()));
    }
}

} // namespace

Sqlite3Sql::Sqlite3Sql(const char *sql) : m_sql(QString::fromUtf8(sql)) {}

Sqlite3Sql::Sqlite3Sql(const QString &sql) : m_sql(sql) {}

Sqlite3Sql &Sqlite3Sql::addTextParam(const QString &value)
{
    // A null QString still binds as text: callers that mean NULL say so with addNullParam.
    return addParam(QVariant(value.isNull() ? QStringLiteral("") : value));
}

Sqlite3Sql &Sqlite3Sql::addIntParam(int value)
{
    return addParam(QVariant(value));
}

Sqlite3Sql &Sqlite3Sql::addInt64Param(qint64 value)
{
    return addParam(QVariant(value));
}

Sqlite3Sql &Sqlite3Sql::addBlobParam(const QByteArray &value)
{
    return addParam(QVariant(value));
}

Sqlite3Sql &Sqlite3Sql::addNullParam()
{
    return addParam(QVariant());
}

Sqlite3Sql &Sqlite3Sql::addParam(const QVariant &value)
{
    m_params.append(value);
    return *this;
}

Sqlite3Sql &Sqlite3Sql::appendSql(const QString &sql)
{
    m_sql += sql;
    return *this;
}

int Sqlite3Sql::bindTo(sqlite3_stmt *stmt) const
{
    if (sqlite3_bind_parameter_count(stmt) != m_params.size())
        return SQLITE_RANGE;
    for (int i = 0; i < m_params.size(); ++i) {
        const int rc = bindValue(stmt, i + 1, m_params.at(i));
        if (rc != SQLITE_OK)
            return rc;
    }
    return SQLITE_OK;
}
