#include "itunes/backupunlockthread.h"

#include "frame/absprogress.h"
#include "frame/translation.h"
#include "itunes/backupmanifest.h"
#include "itunes/invalidpassworderror.h"
#include "itunes/ituneslog.h"

BackupUnlockThread::BackupUnlockThread(BackupManifest &backup, const QString &password,
                                       AbsProgress &progress, WrongPassword wrongPassword,
                                       QObject *parent)
    : ProgressWorker(progress, lcItunes, "backup unlock", parent)
    , m_backup(backup)
    , m_password(password)
    , m_wrongPasswordIs(wrongPassword)
{}

void BackupUnlockThread::work()
{
    m_wrongPassword = false;
    progress().invokeUpdateProgress(g_tr("IDS_DERIVING_BACKUP_KEY"), 0, QString());
    try {
        m_backup.unlock(m_password, [this](quint64 done, quint64 total) {
            progress().throwIfCancelled();
            progress().invokeUpdateProgress(QString(), static_cast<int>(done * 100 / total),
                                            QString());
        });
    } catch (const InvalidPasswordError &) {
        m_wrongPassword = true;
        if (m_wrongPasswordIs == WrongPassword::Error)
            throw;
    }
    progress().invokeSucceed(QString());
}
