#pragma once

#include "android/androiddevice.h"
#include "frame/progressworker.h"

class AbsProgress;

// What both ways of connecting share: the companion's hello, which describes the phone.
class AbsAndroidConnectThread : public ProgressWorker
{
    Q_OBJECT
public:
    // The phone as the companion described it; complete after a successful run.
    const AndroidDevice &device() const { return m_device; }

protected:
    // what names the way of connecting in the log.
    AbsAndroidConnectThread(AbsProgress &progress, const char *what, QObject *parent);

    // Readies the phone for the handshake. False ends the run: the user cancelled, or the
    // failure has been reported already.
    virtual bool prepare() { return true; }

    AndroidDevice m_device;

private:
    void work() final;
    // Asks the device2 service for the phone's description; throws on any failure, including a
    // companion too old.
    void handshake();
};
