#pragma once

#include "frame/progressworker.h"

#include <QDir>
#include <QString>

class AbsProgress;
class IOSDevice;

// The temporary backup root: "__quorvandale_iosbk_temp" in the user's documents folder.
QDir iosbackup_temp_dir();
// Deletes the temporary backup root with everything in it, and the data folder's
// "__quorvandale_iosbk_temp.path".
void iosbackup_clear_temp();

// Backs the phone up with the backup tool into root/<identifier>, behind a progress display.
// A backup left there by an earlier run is brought up to date when it is complete and of the
// phone's current version; otherwise it is deleted first.
class IOSMobileBackupThread : public ProgressWorker
{
    Q_OBJECT
public:
    // root: where the backup goes; the temporary backup root when empty.
    IOSMobileBackupThread(const IOSDevice &device, AbsProgress &progress,
                          const QString &root = QString(), QObject *parent = nullptr);
    ~IOSMobileBackupThread() override;

    const QDir &root() const { return m_root; }
    // root()/<identifier>: the backup once the thread succeeded.
    QString backupPath() const;

    // Whether the folder holds a finished backup of a phone on that version.
    static bool isReusableBackup(const QDir &folder, const QString &productVersion);

public Q_SLOTS:
    void backupUpdate(double percent, const QString &status, const QString &text);

protected:
    void work() override;

private:
    const IOSDevice &m_device;
    const QDir m_root;
};
