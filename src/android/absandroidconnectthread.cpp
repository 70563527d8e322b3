#include "android/absandroidconnectthread.h"

#include "android/androidlog.h"
#include "android/simpleprotocol.h"
#include "frame/absprogress.h"
#include "frame/translation.h"

#include <QTcpSocket>

#include <stdexcept>

namespace {
constexpr int kServiceStartMs = 10000;
} // namespace

AbsAndroidConnectThread::AbsAndroidConnectThread(AbsProgress &progress, const char *what,
                                                 QObject *parent)
    : ProgressWorker(progress, lcAndroid, what, parent)
{}

void AbsAndroidConnectThread::work()
{
    if (!prepare())
        return;
    handshake();
    progress().invokeSucceed(QString());
}

void AbsAndroidConnectThread::handshake()
{
    progress().invokeUpdateProgress(g_tr("IDS_GET_ANDROID_DEVICE_INFO"), 99, QString());
    const QString url = QStringLiteral("device2://127.0.0.1:%1").arg(portAlloc());
    const std::unique_ptr<QTcpSocket> socket = m_device.triggerService(url, kServiceStartMs);
    // The prefix is "$hello:"; what follows it is the description.
    const QString info =
        simpleprotocol::readCommand(*socket, simpleprotocol::kIdleTimeoutMs).mid(7);
    simpleprotocol::sendCommand(*socket, QStringLiteral("$bye:"), QString(), true,
                                simpleprotocol::kIdleTimeoutMs);
    socket->disconnectFromHost();
    m_device.parseInfo(info);
    if (m_device.version < AndroidDevice::kMinCompanionVersion) {
        throw std::runtime_error(
            g_tr("IDS_ANDROID_APP_TOO_OLD_%1").arg(QStringLiteral("3.1.10")).toStdString());
    }
}
