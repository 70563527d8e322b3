#include "mobiledevice/iosloadfilerelaythread.h"

#include "frame/absprogress.h"
#include "frame/filenames.h"
#include "frame/translation.h"
#include "mobiledevice/absserviceconnection.h"
#include "mobiledevice/filerelayarchive.h"
#include "mobiledevice/iosdevice.h"
#include "mobiledevice/mobiledevice.h"
#include "mobiledevice/mobiledevicelog.h"

#include <QFile>

#include <stdexcept>

namespace {

constexpr qint64 kBlockSize = 524288;
constexpr int kReceivingValue = 99;

[[noreturn]] void fail(const QString &text)
{
    throw std::runtime_error(text.toStdString());
}

} // namespace

IOSLoadFileRelayThread::IOSLoadFileRelayThread(const IOSDevice &device, AbsProgress &progress,
                                               QObject *parent)
    : ProgressWorker(progress, lcMobileDevice, "file relay", parent), m_device(device)
{}

IOSLoadFileRelayThread::~IOSLoadFileRelayThread() = default;

void IOSLoadFileRelayThread::work()
{
    progress().invokeUpdateProgress(g_tr("IDS_LOADING_IOS_DATABASES"), 0, QString());
    const QDir cache = m_device.cacheDir();
    const QString archivePath = cache.filePath(QStringLiteral("file-relay.cpio"));
    {
        const std::unique_ptr<AbsServiceConnection> connection =
            mobiledevice_filerelay_start(m_device, &progress());
        mobiledevice_filerelay(*connection, {QStringLiteral("UserDatabases")});
        receiveArchive(*connection, archivePath, progress(), m_receiveTimeoutMs);
    }
    unpackArchive(archivePath, cache, &progress());
    QFile::remove(archivePath);
    progress().invokeSucceed(QString());
}

qint64 IOSLoadFileRelayThread::receiveArchive(AbsServiceConnection &connection, const QString &path,
                                              AbsProgress &progress, int timeoutMs)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        fail(g_tr("create %1 failed. %2").arg(path, file.errorString()));
    QByteArray block(kBlockSize, Qt::Uninitialized);
    qint64 total = 0;
    try {
        for (;;) {
            const qint64 n = connection.receive(block.data(), block.size(), timeoutMs);
            if (n < 0)
                break; // the phone closed the connection: the archive is complete
            if (n == 0) {
                // Silence is no end: what came so far is a part of the archive at best.
                qCWarning(lcMobileDevice) << "file relay stopped after" << total << "bytes";
                fail(g_tr("IDS_IOS_STOPPED_SENDING_%1").arg(total / 1024));
            }
            progress.throwIfCancelled();
            total += n;
            progress.invokeUpdateProgress(QString(), kReceivingValue,
                                          g_tr("Received:%L1KB").arg(total / 1024));
            if (file.write(block.constData(), n) != n)
                fail(g_tr("write %1 failed. %2").arg(path, file.errorString()));
        }
    } catch (...) {
        file.close();
        QFile::remove(path);
        throw;
    }
    file.close();
    qCInfo(lcMobileDevice) << "file relay archive received:" << total << "bytes";
    return total;
}

void IOSLoadFileRelayThread::unpackArchive(const QString &archivePath, const QDir &cacheFolder,
                                           AbsProgress *progress)
{
    // Files of an earlier relay must not mix with this one: a stale journal beside a new
    // database would be replayed into it.
    const QString target = cacheFolder.filePath(QStringLiteral("file-relay"));
    if (!g_delDirCascade(target))
        fail(g_tr("create %1 failed. %2").arg(target, QString()));
    FileRelayArchive::extract(archivePath, QDir(target), progress);
}
