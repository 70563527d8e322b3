#include "mobiledevice/iosdeviceimport.h"

#include "frame/absprogress.h"
#include "itunes/backupmanifest.h"
#include "mobiledevice/iosdevice.h"
#include "mobiledevice/iosloadfilerelaythread.h"
#include "mobiledevice/iosmobilebackupthread.h"
#include "mobiledevice/mobiledevicelog.h"
#include "model/absiosmessagedb.h"
#include "model/countrylibdb.h"

#include <stdexcept>

namespace {

// The phone names its network's mobile country code; the readers want the country's short code.
// Empty when unknown: the readers then take the country the phone's own database names most.
QString countryOf(const QString &mcc)
{
    if (mcc.isEmpty())
        return QString();
    try {
        CountryLibDb library(mcc);
        bool found = false;
        const _CountryInfo info = library.infoByMMC(mcc, &found);
        return found ? info.sn.toLower() : QString();
    } catch (const std::exception &e) {
        qCWarning(lcMobileDevice) << "country library unavailable:" << e.what();
        return QString();
    }
}

} // namespace

IOSDeviceImport::IOSDeviceImport(IOSDevice &device, const QString &backupRoot)
    : m_device(device), m_backupRoot(backupRoot)
{}

IOSDeviceImport::~IOSDeviceImport() = default;

bool IOSDeviceImport::fetch(const StepRunner &runStep, const PasswordAsk &askPassword)
{
    if (m_device.usesFileRelay()) {
        return runStep([this](AbsProgress &progress, const WorkerRunner &runWorker) {
            return relay(progress, runWorker);
        });
    }
    const bool backedUp = runStep([this](AbsProgress &progress, const WorkerRunner &runWorker) {
        return backup(progress, runWorker);
    });
    if (!backedUp)
        return false;
    BackupManifest manifest(m_backupPath);
    manifest.readManifestInfo();
    // The phone encrypts its own backups when its owner set a backup password.
    if (manifest.isEncrypted() && !manifest.isUnlocked()) {
        const QString password = askPassword(manifest);
        if (password.isNull())
            return false;
        if (!manifest.isUnlocked())
            manifest.unlock(password);
    }
    return runStep([this, &manifest](AbsProgress &progress, const WorkerRunner &runWorker) {
        return extractBackup(progress, runWorker, manifest);
    });
}

bool IOSDeviceImport::relay(AbsProgress &progress, const WorkerRunner &runWorker)
{
    IOSLoadFileRelayThread worker(m_device, progress);
    const bool succeeded = runWorker(worker);
    worker.wait();
    return succeeded && !progress.isFinishedWithoutSuccess();
}

bool IOSDeviceImport::backup(AbsProgress &progress, const WorkerRunner &runWorker)
{
    IOSMobileBackupThread worker(m_device, progress, m_backupRoot);
    const bool succeeded = runWorker(worker);
    worker.wait();
    m_backupPath = worker.backupPath();
    return succeeded && !progress.isFinishedWithoutSuccess();
}

bool IOSDeviceImport::extractBackup(AbsProgress &progress, const WorkerRunner &runWorker,
                                    BackupManifest &backup)
{
    ITunesImport import(backup, m_device.cacheDir(), progress);
    return import.extract(runWorker);
}

QSharedPointer<AbsIOSMessageDb> IOSDeviceImport::openMessageDb() const
{
    return ITunesImport::openCachedDb(m_device.cacheDir(), countryCode());
}

QString IOSDeviceImport::countryCode() const
{
    return countryOf(m_device.countryCode());
}
