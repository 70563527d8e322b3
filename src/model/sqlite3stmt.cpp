#include "model/sqlite3stmt.h"

#include "frame/translation.h"
#include "model/sqlite3exception.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>

namespace {

quint64 nextLayoutId()
{
    static std::atomic<quint64> counter{0};
    return ++counter;
}

} // namespace

void Sqlite3Stmt::Finalizer::operator()(sqlite3_stmt *stmt) const
{
    sqlite3_finalize(stmt);
}

Sqlite3Stmt::Sqlite3Stmt(sqlite3 *db, const Sqlite3Sql &sql) : m_db(db), m_sql(sql)
{
    if (!db) {
        throw Sqlite3Exception(Sqlite3Exception::fileNameOf(nullptr), g_tr("IDS_SQLITE_NOT_OPEN"),
                               SQLITE_MISUSE);
    }
    prepare(sql.sql().toUtf8());
    if (!m_stmt) {
        // Empty text or only comments: a statement without rows.
        m_done = true;
        if (!sql.params().isEmpty())
            throw Sqlite3Exception(Sqlite3Exception::fileNameOf(db),
                                   g_tr("IDS_SQLITE_PARAM_COUNT").arg(0).arg(sql.params().size()),
                                   SQLITE_RANGE);
        return;
    }
    bind(sql);
    buildColumnIndex();
}

Sqlite3Stmt::~Sqlite3Stmt() = default;

void Sqlite3Stmt::prepare(const QByteArray &utf8)
{
    const char *tail = nullptr;
    sqlite3_stmt *raw = nullptr;
    int rc = sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &raw, &tail);
    m_stmt.reset(raw);
    if (rc != SQLITE_OK)
        throw Sqlite3Exception::fromHandle(m_db, rc);

    // Whatever follows the first statement must be blank or comments; preparing it tells.
    const int rest = int(utf8.constData() + utf8.size() - tail);
    sqlite3_stmt *extra = nullptr;
    rc = sqlite3_prepare_v2(m_db, tail, rest, &extra, nullptr);
    std::unique_ptr<sqlite3_stmt, Finalizer> extraOwner(extra);
    if (rc != SQLITE_OK)
        throw Sqlite3Exception::fromHandle(m_db, rc);
    if (extra) {
        throw Sqlite3Exception(Sqlite3Exception::fileNameOf(m_db), g_tr("IDS_SQLITE_ONE_STATEMENT"),
                               SQLITE_MISUSE);
    }
}

void Sqlite3Stmt::bind(const Sqlite3Sql &sql)
{
    if (sql.bindTo(m_stmt.get()) == SQLITE_RANGE) {
        throw Sqlite3Exception(Sqlite3Exception::fileNameOf(m_db),
                               g_tr("IDS_SQLITE_PARAM_COUNT")
                                   .arg(sqlite3_bind_parameter_count(m_stmt.get()))
                                   .arg(sql.params().size()),
                               SQLITE_RANGE);
    }
}

void Sqlite3Stmt::reset()
{
    m_hasRow = false;
    m_done = !m_stmt;
    // The values stay referenced by neither side while the statement waits.
    m_sql = Sqlite3Sql(m_sql.sql());
    if (!m_stmt)
        return;
    // The result code repeats the last step's error, which that step already reported.
    sqlite3_reset(m_stmt.get());
    sqlite3_clear_bindings(m_stmt.get());
    m_checkLayout = true;
}

void Sqlite3Stmt::rebind(const Sqlite3Sql &sql)
{
    reset();
    m_sql = sql;
    if (m_stmt)
        bind(sql);
}

void Sqlite3Stmt::buildColumnIndex()
{
    m_layoutId = nextLayoutId();
    m_prepareCount = sqlite3_stmt_status(m_stmt.get(), SQLITE_STMTSTATUS_REPREPARE, 0);
    m_columns.clear();
    m_lowerColumns.clear();
    m_columnCount = sqlite3_column_count(m_stmt.get());
    m_columns.reserve(m_columnCount);
    m_lowerColumns.reserve(m_columnCount);
    for (int i = 0; i < m_columnCount; ++i) {
        const QString name = QString::fromUtf8(sqlite3_column_name(m_stmt.get(), i));
        // With "select a.*, b.x" a name can repeat; the first one wins, as it does in SQLite.
        if (!m_columns.contains(name))
            m_columns.insert(name, i);
        const QString lower = name.toLower();
        if (!m_lowerColumns.contains(lower))
            m_lowerColumns.insert(lower, i);
    }
}

bool Sqlite3Stmt::step()
{
    if (m_done)
        return false;
    const int rc = sqlite3_step(m_stmt.get());
    if (m_checkLayout)
        checkReprepared();
    if (rc == SQLITE_ROW) {
        m_hasRow = true;
        return true;
    }
    m_hasRow = false;
    m_done = true;
    if (rc != SQLITE_DONE)
        throw Sqlite3Exception::fromHandle(m_db, rc);
    return false;
}

void Sqlite3Stmt::checkReprepared()
{
    // A statement run again after the schema changed ("select *" after "alter table") is
    // prepared anew by its first step and may return other columns than before.
    m_checkLayout = false;
    if (sqlite3_stmt_status(m_stmt.get(), SQLITE_STMTSTATUS_REPREPARE, 0) != m_prepareCount)
        buildColumnIndex();
}

void Sqlite3Stmt::runToEnd()
{
    while (step()) {
    }
}

int Sqlite3Stmt::columnIndex(const QString &name) const
{
    // The exact spelling is the common case and needs no lower-cased copy of the name.
    const auto exact = m_columns.constFind(name);
    if (exact != m_columns.constEnd())
        return exact.value();
    return m_lowerColumns.value(name.toLower(), -1);
}

int Sqlite3Stmt::intAt(int index) const
{
    return readable(index) ? sqlite3_column_int(m_stmt.get(), index) : 0;
}

qint64 Sqlite3Stmt::int64At(int index) const
{
    return readable(index) ? sqlite3_column_int64(m_stmt.get(), index) : 0;
}

QString Sqlite3Stmt::textAt(int index) const
{
    if (!readable(index))
        return QString();
    // The text pointer first, then its length: that order keeps SQLite from converting twice.
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt.get(), index));
    const int bytes = sqlite3_column_bytes(m_stmt.get(), index);
    return text ? QString::fromUtf8(text, bytes) : QString();
}

QString Sqlite3Stmt::textAt(int index, const QString &previous) const
{
    if (!readable(index))
        return QString();
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt.get(), index));
    const int bytes = sqlite3_column_bytes(m_stmt.get(), index);
    if (!text)
        return QString();
    // Compared as Latin-1 only when previous is plain ASCII: then equal bytes mean equal text.
    if (bytes == previous.size() && !previous.isNull() &&
        std::all_of(previous.cbegin(), previous.cend(),
                    [](QChar c) { return c.unicode() < 0x80; }) &&
        QLatin1String(text, bytes) == previous)
        return previous;
    return QString::fromUtf8(text, bytes);
}

QByteArrayView Sqlite3Stmt::utf8At(int index) const
{
    if (!readable(index))
        return {};
    // The text pointer first, then its length: that order keeps SQLite from converting twice.
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt.get(), index));
    const int bytes = sqlite3_column_bytes(m_stmt.get(), index);
    return text ? QByteArrayView(text, bytes) : QByteArrayView();
}

QByteArray Sqlite3Stmt::blobAt(int index) const
{
    if (!readable(index))
        return QByteArray();
    const auto *blob = static_cast<const char *>(sqlite3_column_blob(m_stmt.get(), index));
    const int bytes = sqlite3_column_bytes(m_stmt.get(), index);
    return blob ? QByteArray(blob, bytes) : QByteArray();
}

int Sqlite3Stmt::countRows() const
{
    Sqlite3Stmt fresh(m_db, m_sql);
    int rows = 0;
    while (fresh.step())
        ++rows;
    return rows;
}
