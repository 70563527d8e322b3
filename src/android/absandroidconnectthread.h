#pragma once

#include "android/androiddevice.h"

#include <QThread>

class AbsProgress;

// What both ways of connecting share: the companion's hello, which describes the phone.
class AbsAndroidConnectThread : public QThread
{
    Q_OBJECT
public:
    // The phone as the companion described it; complete after a successful run.
    const AndroidDevice &device() const { return m_device; }

protected:
    AbsAndroidConnectThread(AbsProgress &progress, QObject *parent);

    // Asks the device2 service for the phone's description; throws on any failure, including a
    // companion too old.
    void handshake();

    AbsProgress &m_progress;
    AndroidDevice m_device;
};
