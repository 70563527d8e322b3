#include "itunes/backupunlockthread.h"

#include "frame/absprogress.h"
#include "frame/translation.h"
#include "itunes/backupmanifest.h"
#include "itunes/invalidpassworderror.h"
#include "itunes/ituneslog.h"

#include <exception>

BackupUnlockThread::BackupUnlockThread(BackupManifest &backup, const QString &password,
                                       AbsProgress &progress, WrongPassword wrongPassword,
                                       QObject *parent)
    : QThread(parent)
    , m_backup(backup)
    , m_password(password)
    , m_progress(progress)
    , m_wrongPasswordIs(wrongPassword)
{}

void BackupUnlockThread::run()
{
    m_wrongPassword = false;
    m_failed = false;
    try {
        m_progress.invokeUpdateProgress(g_tr("IDS_DERIVING_BACKUP_KEY"), 0, QString());
        m_backup.unlock(m_password, [this](quint64 done, quint64 total) {
            m_progress.throwIfCancelled();
            m_progress.invokeUpdateProgress(QString(), static_cast<int>(done * 100 / total),
                                            QString());
        });
        m_progress.invokeSucceed(QString());
    } catch (int code) {
        if (code != kUserCancelled)
            throw;
        qCInfo(lcItunes) << "backup unlock cancelled";
    } catch (const InvalidPasswordError &e) {
        m_wrongPassword = true;
        if (m_wrongPasswordIs == WrongPassword::Result) {
            m_progress.invokeSucceed(QString());
            return;
        }
        m_failed = true;
        m_progress.invokeErrorOccurred(QString::fromUtf8(e.what()));
    } catch (const std::exception &e) {
        qCWarning(lcItunes) << "backup unlock failed:" << e.what();
        m_failed = true;
        m_progress.invokeErrorOccurred(QString::fromUtf8(e.what()));
    }
}
