#include "cli/clisource.h"

#include "frame/appdirs.h"
#include "frame/translation.h"
#include "iosdb/ios6messagedb.h"
#include "model/absiosmessagedb.h"
#include "model/sqlite3db.h"

#include <QFileInfo>

#include <stdexcept>

namespace {

const char *const kSmsDbRelativePath = "file-relay/var/mobile/Library/SMS/sms.db";

[[noreturn]] void fail(const QString &text)
{
    throw std::runtime_error(text.toStdString());
}

bool holdsSmsDb(const QDir &folder)
{
    return QFileInfo(CliSource::smsDbPath(folder)).isFile();
}

// Only databases this program wrote carry the logical hash. Any other one is read as the phone
// left it: local mode would add the columns of a local database to it on opening.
bool writtenByUs(const QString &dbPath)
{
    Sqlite3DB db;
    db.openThrow(dbPath, Sqlite3DB::kOpenReadOnly);
    return db.tbInfo(QStringLiteral("message")).contains(QStringLiteral("logic_hash"));
}

} // namespace

CliSource::CliSource(const QString &spec)
{
    if (spec.isEmpty())
        fail(g_tr("IDS_CLI_UNKNOWN_SOURCE_%1").arg(spec));
    const QDir localDbs = g_localDbDir();
    const bool plainName = !spec.contains(QLatin1Char('/')) && spec != QLatin1String(".") &&
                           spec != QLatin1String("..");
    if (plainName && holdsSmsDb(QDir(localDbs.filePath(spec)))) {
        m_kind = Kind::LocalDb;
        m_folder = QDir(localDbs.filePath(spec));
    } else if (holdsSmsDb(QDir(spec))) {
        m_kind = Kind::Folder;
        m_folder = QDir(QDir(spec).absolutePath());
    } else if (QFileInfo(QDir(spec).filePath(QStringLiteral("Manifest.plist"))).isFile()) {
        // iPhone backup folders are read after their extraction into the cache; until that path
        // exists here, say so rather than calling the folder unknown.
        fail(g_tr("IDS_CLI_BACKUP_SOURCE_NOT_SUPPORTED_%1").arg(spec));
    } else {
        fail(g_tr("IDS_CLI_UNKNOWN_SOURCE_%1").arg(spec));
    }
    openDb(spec);
}

QString CliSource::smsDbPath(const QDir &folder)
{
    return folder.filePath(QLatin1String(kSmsDbRelativePath));
}

void CliSource::openDb(const QString &spec)
{
    const QString dbPath = smsDbPath(m_folder);
    const int type = AbsIOSMessageDb::checkDbType(dbPath);
    if (type != AbsIOSMessageDb::kIOS6)
        fail(g_tr("IDS_CLI_IOS5_NOT_SUPPORTED_%1").arg(spec));
    m_localDatabase = m_kind == Kind::LocalDb || writtenByUs(dbPath);
    m_db = QSharedPointer<IOS6MessageDb>::create(m_folder, QString(), m_localDatabase);
}

MsgData CliSource::load()
{
    MsgData data;
    m_db->messages(data, 0);
    m_db->close();
    return data;
}
