#include "android/androidconnectwithusbthread.h"

#include "android/adbhelper.h"
#include "frame/absprogress.h"
#include "frame/appdirs.h"
#include "frame/translation.h"

#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace {

const char *const kPackage = "com.quorvandale.textlink";
const char *const kPackageResource = ":/res/com.quorvandale.textlink.apk";
constexpr int kAfterInstallMs = 5000;

// The bundled package copied into the data folder, where adb can read it.
QString copyPackage()
{
    if (!QFile::exists(QString::fromLatin1(kPackageResource)))
        throw std::runtime_error("this build carries no companion package to install.");
    const QString target =
        g_dataSaveDir().filePath(QFileInfo(QString::fromLatin1(kPackageResource)).fileName());
    QFile::remove(target);
    if (!QFile::copy(QString::fromLatin1(kPackageResource), target))
        throw std::runtime_error(QStringLiteral("Create %1 error.").arg(target).toStdString());
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    return target;
}

} // namespace

AndroidConnectWithUSBThread::AndroidConnectWithUSBThread(const QString &serial,
                                                         AbsProgress &progress, QObject *parent)
    : AbsAndroidConnectThread(progress, "USB connection", parent)
{
    m_device.serial = serial;
    m_device.wifi = false;
}

bool AndroidConnectWithUSBThread::ensureInstalled()
{
    progress().invokeUpdateProgress(g_tr("IDS_CHECKING_APK_INSTALL"), -1, QString());
    const AdbHelper adb;
    const QSet<QString> packages = adb.packages(m_device.serial);
    // An empty listing means the listing failed: the install is not tried then.
    if (packages.isEmpty() || packages.contains(QString::fromLatin1(kPackage)))
        return true;
    if (progress().isFinishedWithoutSuccess())
        return false;
    try {
        adb.install(m_device.serial, copyPackage());
        QThread::msleep(kAfterInstallMs);
    } catch (const std::exception &e) {
        progress().invokeErrorOccurred(g_tr("IDS_ANDROID_INSTALL_APP_FAILED") +
                                       QString::fromUtf8(e.what()));
        return false;
    }
    return true;
}

bool AndroidConnectWithUSBThread::prepare()
{
    return ensureInstalled() && !progress().isFinishedWithoutSuccess();
}

QString AndroidConnectWithUSBThread::errorText(const std::exception &e) const
{
    return g_tr("IDS_ANDROID_CONNECT_FAILED_STEPS") + ProgressWorker::errorText(e);
}
