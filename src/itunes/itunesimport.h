#pragma once

#include "model/msgdata.h"

#include <QDir>
#include <QSharedPointer>
#include <QString>

#include <functional>

class AbsIOSMessageDb;
class AbsProgress;
class BackupManifest;
class QThread;

// Loading the messages of a backup, as the desktop and the command line both do it: build the
// backup's file tree, extract its messages and address book into the cache folder (a worker run
// behind the caller's progress display), then open the cached message database with the reader
// its layout needs and load everything from it.
class ITunesImport
{
public:
    // Starts the worker, waits until it has ended and tells whether it reported success.
    using WorkerRunner = std::function<bool(QThread &worker)>;

    // backup: its information read (readManifestInfo) and, when encrypted, unlocked; it must
    // outlive this object. The cache folder is the backup's default one.
    ITunesImport(BackupManifest &backup, AbsProgress &progress);
    ITunesImport(BackupManifest &backup, const QDir &cacheFolder, AbsProgress &progress);

    // Extracts into the cache. False when the extraction did not succeed: its error went to the
    // progress, or the user cancelled. A locked backup or a damaged manifest throws
    // std::runtime_error.
    bool extract(const WorkerRunner &runWorker);
    // The cached message database, opened by the reader of its layout. countryCode: the phone's
    // country as a lower-case short code; empty takes the one the phone's own database names most
    // often (a backup carries no country, and the address book keeps numbers in national form).
    // Throws std::runtime_error.
    QSharedPointer<AbsIOSMessageDb> openMessageDb(const QString &countryCode = QString()) const;
    // extract(), then every chat and message of the cached database into data. Attachments whose
    // file is not in the backup (a partial backup, a file kept only online) stay with their
    // message, marked missing (no local path) and counted.
    bool run(const WorkerRunner &runWorker, MsgData &data);
    // Attachments the last run() found missing.
    int missingAttachments() const { return m_missingAttachments; }
    // Clears the local path of every attachment whose file does not exist; returns how many.
    static int markMissingAttachments(MsgData &data);

    const QDir &cacheDir() const { return m_cacheDir; }

    // The local database a backup's messages are saved into unless the user names another: the
    // device name followed by "_Backup", made usable as a folder name.
    static QString defaultDbName(const BackupManifest &backup);
    // The most common non-empty country of the addresses in a phone's message database, lower
    // case; "" when it names none. Throws std::runtime_error when the file cannot be read.
    static QString phoneCountryCode(const QString &dbPath);
    // The message database below a cache folder, opened by the reader of its layout (see
    // openMessageDb).
    static QSharedPointer<AbsIOSMessageDb> openCachedDb(const QDir &cacheFolder,
                                                        const QString &countryCode = QString());

private:
    BackupManifest &m_backup;
    const QDir m_cacheDir;
    AbsProgress &m_progress;
    int m_missingAttachments = 0;
};
