#pragma once

#include "frame/progressworker.h"

#include <QString>

class AbsProgress;
class BackupManifest;

// Unlocks an encrypted backup behind a progress display: the password derivation of modern
// backups takes ten million rounds, so it runs here, shows a status of its own and stops when the
// user cancels. The derived key lives only in memory.
class BackupUnlockThread : public ProgressWorker
{
    Q_OBJECT
public:
    // How a wrong password ends the run: as its error ("Invalid password."), or as a finished
    // attempt whose result the caller reads from wrongPassword() and tells the user itself.
    enum class WrongPassword { Error, Result };

    // backup: its information read; it must outlive the thread and not be used while it runs.
    BackupUnlockThread(BackupManifest &backup, const QString &password, AbsProgress &progress,
                       WrongPassword wrongPassword = WrongPassword::Error,
                       QObject *parent = nullptr);

    // The run ended because the password is wrong (the error reported is "Invalid password.").
    bool wrongPassword() const { return m_wrongPassword; }

protected:
    void work() override;

private:
    BackupManifest &m_backup;
    const QString m_password;
    const WrongPassword m_wrongPasswordIs;
    bool m_wrongPassword = false;
};
