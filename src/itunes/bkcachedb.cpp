#include "itunes/bkcachedb.h"

#include "frame/translation.h"
#include "itunes/ituneslog.h"
#include "model/absdbedit.h"
#include "model/sqlite3cursor.h"

#include <QFile>
#include <QFileInfo>

#include <exception>
#include <stdexcept>

BkCacheDb::BkCacheDb(const QString &path) : m_filePath(path) {}

BkCacheDb::~BkCacheDb()
{
    try {
        commit();
    } catch (const std::exception &e) {
        qCWarning(lcItunes) << "cannot commit the backup cache record" << m_filePath << e.what();
    }
}

void BkCacheDb::openCheck()
{
    if (isOpen())
        return;
    // A guard left from a connection closed without commit or discard has nothing to end.
    m_edit.reset();
    if (QFileInfo::exists(m_filePath)) {
        openThrow(m_filePath, kOpenReadWrite);
    } else {
        createFromSchema();
    }
    m_edit = std::make_unique<AbsDbEdit>(*this);
}

void BkCacheDb::createFromSchema()
{
    QFile script(QStringLiteral(":/res/cache_db.sql"));
    if (!script.open(QIODevice::ReadOnly))
        throw std::runtime_error(
            g_tr("IDS_CACHE_DB_SCHEMA_READ_%1").arg(script.errorString()).toStdString());
    openThrow(m_filePath, kOpenReadWrite | kOpenCreate);
    QString error;
    if (exec(QString::fromUtf8(script.readAll()), error) != 0) {
        close();
        // A file without its table would be taken for a valid, empty record next time.
        QFile::remove(m_filePath);
        throw std::runtime_error(g_tr("IDS_CACHE_DB_CREATE_%1").arg(error).toStdString());
    }
}

qint64 BkCacheDb::fileDateSecs(const QString &fileName)
{
    openCheck();
    Sqlite3Cursor cursor = queryThrow(
        Sqlite3Sql("select last_date from manifest where file_name=?").addTextParam(fileName));
    return cursor.moveNext() ? cursor.getInt64(0) : kNoDate;
}

void BkCacheDb::setFileDate(const QString &fileName, qint64 secs)
{
    const qint64 known = fileDateSecs(fileName);
    if (known == kNoDate) {
        executeThrow(Sqlite3Sql("insert into manifest(file_name,last_date) values(?,?)")
                         .addTextParam(fileName)
                         .addInt64Param(secs));
    } else if (known != secs) {
        executeThrow(Sqlite3Sql("update manifest set last_date=? where file_name=?")
                         .addInt64Param(secs)
                         .addTextParam(fileName));
    }
}

void BkCacheDb::remove(const QString &fileName)
{
    openCheck();
    executeThrow(Sqlite3Sql("delete from manifest where file_name=?").addTextParam(fileName));
}

void BkCacheDb::commit()
{
    if (!isOpen())
        return;
    if (m_edit) {
        m_edit->commit();
        m_edit.reset();
    }
    close();
}

void BkCacheDb::discard()
{
    if (!isOpen())
        return;
    if (m_edit) {
        const std::unique_ptr<AbsDbEdit> edit = std::move(m_edit);
        edit->rollback();
    }
    close();
}
