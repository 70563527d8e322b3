#include "model/sqlite3indexpause.h"

#include "model/sqlite3db.h"
#include "model/sqlite3row.h"

namespace {

const QString kIndex = QStringLiteral("index");

} // namespace

Sqlite3IndexPause::Sqlite3IndexPause(Sqlite3DB &db) : m_db(db)
{
    {
        // Read to its end and gone before the drops, which a pending read of the schema blocks.
        Sqlite3Cursor c = m_db.queryThrow("select type, name, sql from sqlite_master where type in "
                                          "('index','trigger','view') and sql is not null "
                                          "order by rowid");
        while (c.moveNext())
            m_entries.push_back({c.getText(0), c.getText(1), c.getText(2)});
    }
    for (const Entry &entry : m_entries)
        drop(entry);
    for (const Entry &entry : m_entries) {
        if (entry.type != kIndex)
            m_db.executeThrow(entry.sql);
    }
}

void Sqlite3IndexPause::restore()
{
    for (const Entry &entry : m_entries) {
        if (entry.type != kIndex)
            drop(entry);
    }
    for (const Entry &entry : m_entries)
        m_db.executeThrow(entry.sql);
    m_entries.clear();
}

void Sqlite3IndexPause::drop(const Entry &entry)
{
    m_db.executeThrow(
        QStringLiteral("DROP %1 %2").arg(entry.type.toUpper(), g_sqlIdentifier(entry.name)));
}
