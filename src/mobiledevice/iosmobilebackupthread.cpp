#include "mobiledevice/iosmobilebackupthread.h"

#include "frame/absprogress.h"
#include "frame/appdirs.h"
#include "frame/filenames.h"
#include "frame/translation.h"
#include "mobiledevice/backup2tool.h"
#include "mobiledevice/iosdevice.h"
#include "mobiledevice/mobiledevicelog.h"
#include "model/qplist.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStandardPaths>

#include <stdexcept>

namespace {

const char *const kTempName = "__quorvandale_iosbk_temp";

bool holds(const QDir &folder, const char *name)
{
    return QFileInfo(folder.filePath(QLatin1String(name))).isFile();
}

} // namespace

QDir iosbackup_temp_dir()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(QDir(documents).filePath(QLatin1String(kTempName)));
}

void iosbackup_clear_temp()
{
    g_delDirCascade(iosbackup_temp_dir().absolutePath());
    QFile::remove(g_dataSaveDir().filePath(QLatin1String(kTempName) + QStringLiteral(".path")));
}

IOSMobileBackupThread::IOSMobileBackupThread(const IOSDevice &device, AbsProgress &progress,
                                             const QString &root, QObject *parent)
    : ProgressWorker(progress, lcMobileDevice, "device backup", parent)
    , m_device(device)
    , m_root(root.isEmpty() ? iosbackup_temp_dir() : QDir(QDir(root).absolutePath()))
{}

IOSMobileBackupThread::~IOSMobileBackupThread() = default;

QString IOSMobileBackupThread::backupPath() const
{
    return m_root.filePath(g_formatFileName(m_device.udid()));
}

bool IOSMobileBackupThread::isReusableBackup(const QDir &folder, const QString &productVersion)
{
    if (!holds(folder, "Status.plist") || !holds(folder, "Manifest.plist") ||
        !(holds(folder, "Manifest.mbdb") || holds(folder, "Manifest.db")))
        return false;
    try {
        const QPlist status = QPlist::fromFile(folder.filePath(QStringLiteral("Status.plist")));
        const QPlist manifest = QPlist::fromFile(folder.filePath(QStringLiteral("Manifest.plist")));
        return status.get(QStringLiteral("SnapshotState")).toString() ==
                   QLatin1String("finished") &&
               manifest.get(QStringLiteral("Lockdown"))
                       .get(QStringLiteral("ProductVersion"))
                       .toString() == productVersion;
    } catch (const std::exception &e) {
        qCInfo(lcMobileDevice) << "earlier backup not reusable:" << e.what();
        return false;
    }
}

void IOSMobileBackupThread::backupUpdate(double percent, const QString &, const QString &)
{
    progress().invokeUpdateProgress(QString(), static_cast<int>(percent), QString());
}

void IOSMobileBackupThread::work()
{
    progress().invokeUpdateProgress(g_tr("IDS_BACKING_UP_IOS"), 0, QString());
    if (!m_root.mkpath(QStringLiteral(".")))
        throw std::runtime_error(
            g_tr("create %1 failed. %2").arg(m_root.absolutePath(), QString()).toStdString());
    const QString folder = backupPath();
    if (QFileInfo::exists(folder) && !isReusableBackup(QDir(folder), m_device.productVersion())) {
        qCInfo(lcMobileDevice) << "deleting an unfinished or outdated backup:" << folder;
        g_delDirCascade(folder);
    }
    backup2tool tool(m_device, m_root);
    connect(&tool, &backup2tool::update, this, &IOSMobileBackupThread::backupUpdate,
            Qt::DirectConnection);
    const QMetaObject::Connection cancel = connect(&progress(), &AbsProgress::userCacel, &tool,
                                                   &backup2tool::cancel, Qt::DirectConnection);
    const auto disconnectCancel = qScopeGuard([&cancel] { QObject::disconnect(cancel); });
    // A cancel that came before the connection must still stop the tool.
    if (progress().isFinishedWithoutSuccess())
        tool.cancel();
    tool.runThrow(_backup2tool_req());
    progress().invokeSucceed(QString());
}
