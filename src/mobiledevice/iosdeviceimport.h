#pragma once

#include "itunes/itunesimport.h"

#include <QSharedPointer>
#include <QString>

#include <functional>
#include <memory>

class AbsIOSMessageDb;
class AbsProgress;
class BackupManifest;
class IOSDevice;

// Bringing a connected phone's messages onto this computer, as the desktop and the command line
// both do it, one step per worker, each behind a progress display of its own:
// - iOS 5 to 7, or an unknown version: fetch() runs the file relay into the device's cache folder;
// - later versions: fetch() backs the phone up, then extracts the backup's messages into the
//   same cache folder, unlocking an encrypted backup with the password the caller supplies.
// Afterwards openMessageDb() reads the cached database.
class IOSDeviceImport
{
public:
    using WorkerRunner = ITunesImport::WorkerRunner;
    // Runs one step: gets a progress display for it and the runner of its worker; true when the
    // step succeeded.
    using StepRunner =
        std::function<bool(const std::function<bool(AbsProgress &, const WorkerRunner &)> &)>;
    // The password of an encrypted backup; a null text gives up.
    using PasswordAsk = std::function<QString(BackupManifest &)>;

    // device: its values read; it must outlive this object. backupRoot: where a backup goes; the
    // temporary backup root when empty.
    explicit IOSDeviceImport(IOSDevice &device, const QString &backupRoot = QString());
    ~IOSDeviceImport();

    // False when a step failed (its error went to its progress) or was cancelled, or the password
    // was not given. Throws std::runtime_error for failures outside the workers.
    bool fetch(const StepRunner &runStep, const PasswordAsk &askPassword);
    // Only the backup; its folder is backupPath() afterwards.
    bool backup(AbsProgress &progress, const WorkerRunner &runWorker);
    QString backupPath() const { return m_backupPath; }

    // The cached message database, read with the phone's country.
    QSharedPointer<AbsIOSMessageDb> openMessageDb() const;
    // The phone's country as a lower-case short code ("us"); empty when unknown.
    QString countryCode() const;

private:
    bool relay(AbsProgress &progress, const WorkerRunner &runWorker);
    bool extractBackup(AbsProgress &progress, const WorkerRunner &runWorker,
                       BackupManifest &backup);

    IOSDevice &m_device;
    const QString m_backupRoot;
    QString m_backupPath;
};
