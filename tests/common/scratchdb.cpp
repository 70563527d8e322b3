#include "scratchdb.h"

#include <sqlite3.h>

QString sqlValue(Sqlite3DB &db, const QString &sql)
{
    Sqlite3Cursor cursor = db.queryThrow(sql);
    return cursor.moveNext() ? cursor.getText(0) : QStringLiteral("<none>");
}

QString sqlValue(const QString &path, const QString &sql)
{
    Sqlite3DB db;
    db.openThrow(path, Sqlite3DB::kOpenReadOnly);
    return sqlValue(db, sql);
}

void ScratchDbTest::SetUp()
{
    ASSERT_TRUE(m_dir.isValid());
    m_path = m_dir.filePath(QStringLiteral("test.db"));
    m_db.openThrow(m_path, Sqlite3DB::kOpenReadWrite | Sqlite3DB::kOpenCreate);
}

void ScratchDbTest::run(const QString &sql)
{
    QString error;
    if (m_db.exec(sql, error) != SQLITE_OK)
        ADD_FAILURE() << error.toStdString();
}
