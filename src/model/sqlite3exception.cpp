#include "model/sqlite3exception.h"

#include "frame/translation.h"

#include <sqlite3.h>

Sqlite3Exception::Sqlite3Exception(const QString &fileName, const QString &detail, int code)
    : std::runtime_error(g_tr("IDS_SQLITE_ERROR").arg(fileName, detail).toStdString())
    , m_fileName(fileName)
    , m_detail(detail)
    , m_code(code)
{}

Sqlite3Exception Sqlite3Exception::fromHandle(sqlite3 *db, int code)
{
    const QString detail =
        db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(code));
    return Sqlite3Exception(fileNameOf(db), detail, code);
}

QString Sqlite3Exception::fileNameOf(sqlite3 *db)
{
    const char *name = db ? sqlite3_db_filename(db, "main") : nullptr;
    if (!name || !*name)
        return QStringLiteral(":memory:");
    return QString::fromUtf8(name);
}
