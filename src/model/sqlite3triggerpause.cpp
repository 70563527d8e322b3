#include "model/sqlite3triggerpause.h"

#include "model/sqlite3db.h"
#include "model/sqlite3row.h"

Sqlite3TriggerPause::Sqlite3TriggerPause(Sqlite3DB &db, const QString &name) : m_db(db)
{
    Sqlite3Cursor c =
        m_db.queryThrow(Sqlite3Sql("select sql from sqlite_master where type='trigger' and name=?")
                            .addTextParam(name));
    if (!c.moveNext())
        return;
    m_createSql = c.getText(0);
    m_db.executeThrow(QStringLiteral("DROP TRIGGER %1").arg(g_sqlIdentifier(name)));
}

void Sqlite3TriggerPause::restore()
{
    if (m_createSql.isEmpty())
        return;
    m_db.executeThrow(m_createSql);
    m_createSql.clear();
}
