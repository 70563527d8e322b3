#pragma once

#include "frame/progressworker.h"

#include <QDir>
#include <QString>

class AbsProgress;
class AbsServiceConnection;
class IOSDevice;

// Fetches the phone's user databases through its file relay service into the device's cache
// folder: the archive is received into "file-relay.cpio" there, then unpacked into "file-relay",
// where the message database lies at "file-relay/var/mobile/Library/SMS/sms.db". An archive
// that stopped arriving before the phone closed the connection is an error and is not unpacked.
class IOSLoadFileRelayThread : public ProgressWorker
{
    Q_OBJECT
public:
    IOSLoadFileRelayThread(const IOSDevice &device, AbsProgress &progress,
                           QObject *parent = nullptr);
    ~IOSLoadFileRelayThread() override;

    // How long one wait for the next block may take before the phone counts as silent.
    void setReceiveTimeout(int ms) { m_receiveTimeoutMs = ms; }

    // Receives the archive from connection into path until the phone closes the connection.
    // Throws std::runtime_error when a wait times out (whether or not data came) or the file
    // cannot be written; kUserCancelled on a cancel.
    static qint64 receiveArchive(AbsServiceConnection &connection, const QString &path,
                                 AbsProgress &progress, int timeoutMs);
    // Replaces the "file-relay" folder below cacheFolder by the archive's content.
    static void unpackArchive(const QString &archivePath, const QDir &cacheFolder,
                              AbsProgress *progress);

protected:
    void work() override;

private:
    const IOSDevice &m_device;
    int m_receiveTimeoutMs = 60 * 1000;
};
