#include "cli/clisource.h"

#include "cli/cliandroid.h"

#include "frame/appdirs.h"
#include "frame/consoleprogress.h"
#include "frame/translation.h"
#include "iosdb/ios6messagedb.h"
#include "itunes/backupmanifest.h"
#include "itunes/itunesimport.h"
#include "model/absiosmessagedb.h"
#include "model/absmessagedb.h"
#include "model/sqlite3db.h"

#include <QFileInfo>

#include <stdexcept>

namespace {

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

CliSource::CliSource(const QString &source)
{
    if (source.isEmpty())
        fail(g_tr("IDS_CLI_UNKNOWN_SOURCE_%1").arg(source));
    if (CliAndroid::isAndroidSource(source)) {
        openAndroid(source);
        return;
    }
    const QDir localDbs = g_localDbDir();
    const bool plainName = !source.contains(QLatin1Char('/')) && source != QLatin1String(".") &&
                           source != QLatin1String("..");
    if (plainName && holdsSmsDb(QDir(localDbs.filePath(source)))) {
        m_kind = Kind::LocalDb;
        m_folder = QDir(localDbs.filePath(source));
    } else if (holdsSmsDb(QDir(source))) {
        m_kind = Kind::Folder;
        m_folder = QDir(QDir(source).absolutePath());
    } else if (QFileInfo(QDir(source).filePath(QStringLiteral("Manifest.plist"))).isFile()) {
        openBackup(source);
        return;
    } else {
        fail(g_tr("IDS_CLI_UNKNOWN_SOURCE_%1").arg(source));
    }
    openDb();
}

void CliSource::openBackup(const QString &source)
{
    m_kind = Kind::Backup;
    BackupManifest backup(source);
    backup.readManifestInfo();
    // A source has no place for a password; the import verb has.
    if (backup.isEncrypted())
        fail(g_tr("IDS_CLI_BACKUP_NEEDS_PASSWORD_%1").arg(source));
    // Read quietly: the verbs reading a source print records, and the extraction of an unchanged
    // backup is quick.
    ConsoleProgress progress(ConsoleProgress::Output::Quiet);
    ITunesImport import(backup, progress);
    if (!import.extract([&progress](QThread &worker) { return progress.runWorker(worker); }))
        fail(progress.endText());
    m_folder = import.cacheDir();
    m_db = import.openMessageDb();
}

void CliSource::openAndroid(const QString &source)
{
    // Connected and loaded quietly, as a backup source is extracted: the verb prints records.
    const CliAndroid::LoadResult phone = CliAndroid::connectAndLoad(source, true);
    m_kind = Kind::Android;
    m_folder = phone.device.cacheDir();
    m_db = QSharedPointer<IOS6MessageDb>::create(m_folder, phone.device.mmc, true);
}

QString CliSource::smsDbPath(const QDir &folder)
{
    return IOS6MessageDb::dbPathIn(folder);
}

void CliSource::openDb()
{
    const QString dbPath = smsDbPath(m_folder);
    m_localDatabase = m_kind == Kind::LocalDb || writtenByUs(dbPath);
    if (m_localDatabase) {
        m_db = QSharedPointer<IOS6MessageDb>::create(m_folder, QString(), true);
        return;
    }
    // A phone's files, copied by hand or by another tool: read them as a backup's cache is read,
    // in whichever layout the phone wrote and with the phone's own country.
    m_db = ITunesImport::openCachedDb(m_folder);
}

MsgData CliSource::load()
{
    MsgData data;
    m_db->messages(data, 0);
    m_db->close();
    return data;
}
