#include "model/sqlite3repeatstmt.h"

#include "frame/translation.h"
#include "model/sqlite3exception.h"

#include <sqlite3.h>

#include <algorithm>

namespace {

// The one byte handed to SQLite for empty values: a null pointer would bind NULL instead.
const char kEmpty[] = "";

} // namespace

void Sqlite3RepeatStmt::Finalizer::operator()(sqlite3_stmt *stmt) const
{
    sqlite3_finalize(stmt);
}

Sqlite3RepeatStmt::Sqlite3RepeatStmt(sqlite3 *db, const QByteArray &sql) : m_db(db)
{
    if (!db) {
        throw Sqlite3Exception(Sqlite3Exception::fileNameOf(nullptr), g_tr("IDS_SQLITE_NOT_OPEN"),
                               SQLITE_MISUSE);
    }
    const char *tail = nullptr;
    sqlite3_stmt *raw = nullptr;
    const int rc = sqlite3_prepare_v3(db, sql.constData(), int(sql.size()),
                                      SQLITE_PREPARE_PERSISTENT, &raw, &tail);
    m_stmt.reset(raw);
    if (rc != SQLITE_OK)
        throw Sqlite3Exception::fromHandle(db, rc);
    // Text after the first statement would silently never run; callers pass one statement.
    if (!m_stmt || QByteArray(tail).trimmed().size() != 0) {
        throw Sqlite3Exception(Sqlite3Exception::fileNameOf(db), g_tr("IDS_SQLITE_ONE_STATEMENT"),
                               SQLITE_MISUSE);
    }
    m_texts.resize(size_t(sqlite3_bind_parameter_count(raw)));
}

Sqlite3RepeatStmt::~Sqlite3RepeatStmt() = default;

void Sqlite3RepeatStmt::check(int rc) const
{
    if (rc != SQLITE_OK)
        throw Sqlite3Exception::fromHandle(m_db, rc);
}

void Sqlite3RepeatStmt::bindNull(int index)
{
    check(sqlite3_bind_null(m_stmt.get(), index));
}

void Sqlite3RepeatStmt::bindInt64(int index, qint64 value)
{
    check(sqlite3_bind_int64(m_stmt.get(), index, value));
}

void Sqlite3RepeatStmt::bindText(int index, const QString &value)
{
    if (index < 1 || index > int(m_texts.size())) {
        check(sqlite3_bind_text64(m_stmt.get(), index, kEmpty, 0, SQLITE_STATIC, SQLITE_UTF8));
        return;
    }
    // Into the placeholder's own buffer, which SQLite reads without copying until the next value
    // is bound there: a save binds half a dozen texts a message, each otherwise allocated twice.
    QByteArray &utf8 = m_texts[size_t(index - 1)];
    const qsizetype size = value.size();
    const auto *units = reinterpret_cast<const char16_t *>(value.constData());
    if (std::all_of(units, units + size, [](char16_t unit) { return unit < 0x80; })) {
        utf8.resize(size);
        std::copy(units, units + size, utf8.data());
    } else {
        utf8 = value.toUtf8();
    }
    check(sqlite3_bind_text64(m_stmt.get(), index, utf8.isEmpty() ? kEmpty : utf8.constData(),
                              sqlite3_uint64(utf8.size()), SQLITE_STATIC, SQLITE_UTF8));
}

void Sqlite3RepeatStmt::bindUtf8(int index, QByteArrayView utf8)
{
    if (index < 1 || index > int(m_texts.size())) {
        check(sqlite3_bind_text64(m_stmt.get(), index, kEmpty, 0, SQLITE_STATIC, SQLITE_UTF8));
        return;
    }
    QByteArray &buffer = m_texts[size_t(index - 1)];
    buffer.resize(utf8.size());
    std::copy(utf8.begin(), utf8.end(), buffer.data());
    check(sqlite3_bind_text64(m_stmt.get(), index, buffer.isEmpty() ? kEmpty : buffer.constData(),
                              sqlite3_uint64(buffer.size()), SQLITE_STATIC, SQLITE_UTF8));
}

void Sqlite3RepeatStmt::bindBlob(int index, const QByteArray &value)
{
    check(sqlite3_bind_blob64(m_stmt.get(), index, value.isEmpty() ? kEmpty : value.constData(),
                              sqlite3_uint64(value.size()), SQLITE_TRANSIENT));
}

void Sqlite3RepeatStmt::finish(int rc)
{
    sqlite3_reset(m_stmt.get());
    if (rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw Sqlite3Exception::fromHandle(m_db, rc);
}

void Sqlite3RepeatStmt::execute()
{
    int rc = SQLITE_ROW;
    while (rc == SQLITE_ROW)
        rc = sqlite3_step(m_stmt.get());
    finish(rc);
}

qint64 Sqlite3RepeatStmt::firstInt64()
{
    const int rc = sqlite3_step(m_stmt.get());
    const qint64 value = rc == SQLITE_ROW ? sqlite3_column_int64(m_stmt.get(), 0) : 0;
    finish(rc);
    return value;
}

int Sqlite3RepeatStmt::parameterCount() const
{
    return sqlite3_bind_parameter_count(m_stmt.get());
}
