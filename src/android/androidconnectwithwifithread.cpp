#include "android/androidconnectwithwifithread.h"

#include "android/androidlog.h"
#include "frame/absprogress.h"

AndroidConnectWithWiFiThread::AndroidConnectWithWiFiThread(const QString &host, int port,
                                                           AbsProgress &progress, QObject *parent)
    : AbsAndroidConnectThread(progress, parent)
{
    m_device.wifi = true;
    m_device.host = host;
    m_device.port = port;
}

void AndroidConnectWithWiFiThread::run()
{
    try {
        handshake();
        m_progress.invokeSucceed(QString());
    } catch (const std::exception &e) {
        qCWarning(lcAndroid) << "Wi-Fi connection failed:" << e.what();
        m_progress.invokeErrorOccurred(QString::fromUtf8(e.what()));
    }
}
