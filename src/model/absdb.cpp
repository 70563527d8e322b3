#include "model/absdb.h"

#include "model/modellog.h"

#include <exception>

AbsDb::AbsDb() = default;

AbsDb::~AbsDb() = default;

qint64 AbsDb::insertSqlRow(const Sqlite3Row &row, const QString &table, const QSet<QString> &skip)
{
    openCheck();
    executeThrow(row.insertSql(table, skip));
    return lastInsertId();
}

void AbsDb::beginEdit()
{
    openCheck();
    // The connection may have been closed and opened again since: only a live transaction counts.
    if (m_editing && inTransaction()) {
        qCWarning(lcModel) << "beginEdit while editing" << path();
        return;
    }
    beginTran();
    m_editing = true;
}

void AbsDb::endEdit(bool commit)
{
    openCheck();
    if (!m_editing)
        return;
    m_editing = false;
    if (!commit) {
        rollbackTran();
        return;
    }
    // Without a live transaction the commit throws: SQLite dropped the changes (an error rolled
    // them back, or the connection was closed), and that must not pass for a success.
    try {
        commitTran();
    } catch (const std::exception &) {
        try {
            rollbackTran();
        } catch (const std::exception &e) {
            qCWarning(lcModel) << "rollback after failed commit failed:" << e.what();
        }
        throw;
    }
}
