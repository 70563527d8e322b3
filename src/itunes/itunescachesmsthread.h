#pragma once

#include "frame/progressworker.h"
#include "itunes/backupmanifest.h"

#include <QDir>
#include <QString>

#include <memory>

class AbsProgress;
class BkCacheDb;

// Copies the message folder (Library/SMS) and the address book (Library/AddressBook) of a backup
// into the backup's cache folder, below "file-relay/var/mobile/Library", decrypting as it goes.
// Files whose manifest record has not changed since the last extraction are not copied again.
// Any failure or a cancel deletes the whole cache folder, so that no half-extracted cache is
// ever taken for a complete one; the next run extracts everything again.
class ITunesCacheSMSThread : public ProgressWorker
{
    Q_OBJECT
public:
    // The backup's file tree must be built (parseInfo) and, when encrypted, unlocked.
    ITunesCacheSMSThread(const BackupManifest &backup, AbsProgress &progress,
                         QObject *parent = nullptr);
    ITunesCacheSMSThread(const BackupManifest &backup, const QDir &cacheFolder,
                         AbsProgress &progress, QObject *parent = nullptr);
    ~ITunesCacheSMSThread() override;

    // The data folder's "itunes_cache/<dirPathMd5>".
    static QDir defaultCacheDir(const BackupManifest &backup);
    // The cached message database below a cache folder.
    static QString smsDbPath(const QDir &cacheFolder);

    const QDir &cacheDir() const { return m_cacheDir; }
    // Files copied out of the backup by the last run.
    int copiedCount() const { return m_copied; }
    // Files left as they were because the cache already held them.
    int unchangedCount() const { return m_unchanged; }
    // Files other than the message database that could not be extracted (logged, left out).
    int failedCount() const { return m_failed; }

protected:
    void work() override;
    void rollback(bool cancelled) override;

private:
    void copyTree(const BackupManifest::_FileNode *base, const QString &folder);
    void copyFileOrSkip(const BackupManifest::_FileNode *node, const QString &target);
    void copyFile(const BackupManifest::_FileNode *node, const QString &target);

    const BackupManifest &m_backup;
    const QDir m_cacheDir;
    std::unique_ptr<BkCacheDb> m_cacheDb;
    int m_copied = 0;
    int m_unchanged = 0;
    int m_failed = 0;
};
