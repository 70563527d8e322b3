#pragma once

#include "android/absandroidconnectthread.h"

// Connects to a phone over the network through the companion's control port.
class AndroidConnectWithWiFiThread : public AbsAndroidConnectThread
{
    Q_OBJECT
public:
    AndroidConnectWithWiFiThread(const QString &host, int port, AbsProgress &progress,
                                 QObject *parent = nullptr);
};
