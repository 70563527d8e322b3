#include "model/sqlite3transaction.h"

#include "model/modellog.h"
#include "model/sqlite3db.h"

#include <exception>

Sqlite3Transaction::Sqlite3Transaction(Sqlite3DB &db) : m_db(db)
{
    m_db.beginTran();
}

Sqlite3Transaction::~Sqlite3Transaction()
{
    if (m_committed)
        return;
    // A destructor may run while an exception unwinds: a failing rollback is logged, not thrown.
    try {
        m_db.rollbackTran();
    } catch (const std::exception &e) {
        qCWarning(lcModel) << "rollback failed:" << e.what();
    }
}

void Sqlite3Transaction::commit()
{
    m_db.commitTran();
    m_committed = true;
}
