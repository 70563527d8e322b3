#include "model/absdbedit.h"

#include "model/absdb.h"
#include "model/modellog.h"

#include <exception>

AbsDbEdit::AbsDbEdit(AbsDb &db) : m_db(db)
{
    m_db.beginEdit();
}

AbsDbEdit::~AbsDbEdit()
{
    // May run while an exception unwinds: a failing rollback is logged, not thrown.
    try {
        rollback();
    } catch (const std::exception &e) {
        qCWarning(lcModel) << "rollback failed:" << e.what() << m_db.path();
    }
}

void AbsDbEdit::commit()
{
    m_open = false;
    m_db.endEdit(true);
}

void AbsDbEdit::rollback()
{
    if (!m_open)
        return;
    m_open = false;
    if (m_db.isOpen())
        m_db.endEdit(false);
}
