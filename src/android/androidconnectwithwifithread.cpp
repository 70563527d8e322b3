#include "android/androidconnectwithwifithread.h"

#include "frame/absprogress.h"

AndroidConnectWithWiFiThread::AndroidConnectWithWiFiThread(const QString &host, int port,
                                                           AbsProgress &progress, QObject *parent)
    : AbsAndroidConnectThread(progress, "Wi-Fi connection", parent)
{
    m_device.wifi = true;
    m_device.host = host;
    m_device.port = port;
}
