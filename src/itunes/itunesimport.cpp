#include "itunes/itunesimport.h"

#include "frame/absprogress.h"
#include "frame/abstips.h"
#include "frame/errortext.h"
#include "frame/filenames.h"
#include "frame/translation.h"
#include "iosdb/ios5messagedb.h"
#include "iosdb/ios6messagedb.h"
#include "itunes/backupmanifest.h"
#include "itunes/itunescachesmsthread.h"
#include "itunes/ituneslog.h"
#include "itunes/phonedbcopy.h"
#include "model/absiosmessagedb.h"
#include "model/msgattachment.h"
#include "model/sqlite3cursor.h"
#include "model/sqlite3db.h"

#include <QFileInfo>

#include <stdexcept>

namespace {

// Where each layout keeps an address's country: the iOS 6 handles, the iOS 5 group members, and
// the messages themselves as a last resort.
const char *const kCountryTables[] = {"handle", "group_member", "message"};

} // namespace

ITunesImport::ITunesImport(BackupManifest &backup, AbsProgress &progress)
    : ITunesImport(backup, ITunesCacheSMSThread::defaultCacheDir(backup), progress)
{}

ITunesImport::ITunesImport(BackupManifest &backup, const QDir &cacheFolder, AbsProgress &progress)
    : m_backup(backup), m_cacheDir(cacheFolder.absolutePath()), m_progress(progress)
{}

bool ITunesImport::extract(const WorkerRunner &runWorker)
{
    if (m_backup.isEncrypted() && !m_backup.isUnlocked())
        throw std::runtime_error(
            g_tr("IDS_BACKUP_NEEDS_PASSWORD_%1").arg(m_backup.displayName()).toStdString());
    m_backup.parseInfo();
    ITunesCacheSMSThread worker(m_backup, m_cacheDir, m_progress);
    const bool succeeded = runWorker(worker) && !m_progress.isFinishedWithoutSuccess();
    worker.wait();
    // Left out, not fatal: yet the user hears of it, not only the log.
    if (succeeded && worker.failedCount() > 0) {
        AbsTips::instance().warning(g_tr("IDS_BACKUP_FILES_LEFT_OUT_%1_%2")
                                        .arg(worker.failedCount())
                                        .arg(m_backup.displayName()));
    }
    return succeeded;
}

QSharedPointer<AbsIOSMessageDb> ITunesImport::openMessageDb(const QString &countryCode) const
{
    return openCachedDb(m_cacheDir, countryCode);
}

bool ITunesImport::run(const WorkerRunner &runWorker, MsgData &data)
{
    if (!extract(runWorker))
        return false;
    const QString dbPath = ITunesCacheSMSThread::smsDbPath(m_cacheDir);
    // A damaged database would be read in part without a word; it is refused or salvaged.
    const QString damage = PhoneDbCopy::damageOf(dbPath);
    if (!damage.isEmpty()) {
        const QString problem = g_oneLine(damage);
        const bool salvage =
            m_damaged == Damaged::Salvage ||
            (m_damaged == Damaged::Ask &&
             AbsTips::instance().question(
                 g_tr("IDS_BACKUP_DB_DAMAGED_SALVAGE_%1_%2").arg(m_backup.path(), problem)));
        if (!salvage) {
            throw std::runtime_error(
                g_tr("IDS_BACKUP_DB_DAMAGED_%1_%2").arg(m_backup.path(), problem).toStdString());
        }
        salvageInto(data);
        m_missingAttachments = markMissingAttachments(data);
        return true;
    }
    if (!PhoneDbCopy::isMessageDb(dbPath))
        throw std::runtime_error(
            g_tr("IDS_NOT_A_MESSAGE_DB_%1").arg(m_backup.path()).toStdString());
    const QSharedPointer<AbsIOSMessageDb> db = openMessageDb();
    db->messages(data, 0);
    db->close();
    m_missingAttachments = markMissingAttachments(data);
    if (m_missingAttachments > 0)
        qCInfo(lcItunes) << m_missingAttachments << "attachments are not in the backup";
    return true;
}

void ITunesImport::salvageInto(MsgData &data) const
{
    // Salvaged from a copy: the cache keeps the backup's file, and the next run asks again.
    PhoneDbCopy copy(m_cacheDir);
    copy.make();
    copy.salvage();
    if (!PhoneDbCopy::isMessageDb(copy.dbPath()))
        throw std::runtime_error(
            g_tr("IDS_NOT_A_MESSAGE_DB_%1").arg(m_backup.path()).toStdString());
    const QSharedPointer<AbsIOSMessageDb> db = openCachedDb(copy.folder());
    db->messages(data, 0);
    db->close();
    copy.restoreAttachmentPaths(data);
    AbsTips::instance().info(
        g_tr("IDS_BACKUP_DB_SALVAGED_%1_%2").arg(m_backup.path()).arg(data.messages().size()));
}

int ITunesImport::markMissingAttachments(MsgData &data)
{
    int missing = 0;
    for (_MsgAttachment *attachment : std::as_const(data.p()->attachments)) {
        if (!attachment->localPath.isEmpty() && QFileInfo(attachment->localPath).isFile())
            continue;
        attachment->localPath.clear();
        ++missing;
    }
    return missing;
}

QString ITunesImport::defaultDbName(const BackupManifest &backup)
{
    QString device = g_formatFileName(backup.info().deviceName);
    if (device.isEmpty())
        device = g_formatFileName(backup.displayName());
    return device + QStringLiteral("_Backup");
}

QString ITunesImport::phoneCountryCode(const QString &dbPath)
{
    Sqlite3DB db;
    db.openThrow(dbPath, Sqlite3DB::kOpenReadWrite);
    for (const char *table : kCountryTables) {
        const QString name = QString::fromLatin1(table);
        if (!db.tbInfo(name).contains(QStringLiteral("country")))
            continue;
        // Ties go to the alphabetically first code, so that the answer never depends on row
        // order.
        Sqlite3Cursor cursor = db.queryThrow(
            QStringLiteral("select lower(trim(country)) as code, count(*) as n from %1 "
                           "where trim(ifnull(country,'')) <> '' group by code "
                           "order by n desc, code limit 1")
                .arg(name));
        if (cursor.moveNext())
            return cursor.getText(QStringLiteral("code"));
    }
    return QString();
}

QSharedPointer<AbsIOSMessageDb> ITunesImport::openCachedDb(const QDir &cacheFolder,
                                                           const QString &countryCode)
{
    const QString dbPath = ITunesCacheSMSThread::smsDbPath(cacheFolder);
    const int type = AbsIOSMessageDb::checkDbType(dbPath);
    const QString country = countryCode.isEmpty() ? phoneCountryCode(dbPath) : countryCode;
    qCInfo(lcItunes) << "cached message database" << dbPath << "layout" << type << "country"
                     << country;
    if (type == AbsIOSMessageDb::kIOS6)
        return QSharedPointer<IOS6MessageDb>::create(cacheFolder, QString(), false, country);
    if (type == AbsIOSMessageDb::kIOS5)
        return QSharedPointer<IOS5MessageDb>::create(cacheFolder, QString(), country);
    throw std::runtime_error(g_tr("IDS_INVALID_IOS_DB").toStdString());
}
