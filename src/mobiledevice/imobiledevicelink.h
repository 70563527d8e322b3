#pragma once

#include "mobiledevice/absdevicelink.h"

#include <QMutex>

// The device link over libimobiledevice and usbmuxd: USB and Wi-Fi sync phones, pairing through
// lockdown, services over the multiplexer, and Debian's idevicebackup2 as the backup tool.
class IMobileDeviceLink : public AbsDeviceLink
{
public:
    IMobileDeviceLink();
    ~IMobileDeviceLink() override;

    QList<_DeviceConnection> devices() override;
    bool setEventHandler(EventHandler handler) override;
    bool isPaired(const QString &udid) override;
    std::unique_ptr<AbsLockdownSession> openSession(const _DeviceConnection &device, bool pair,
                                                    _LinkStatus &status) override;
    QString backupToolProgram() const override;

private:
    static void onEvent(const void *event, void *self);

    QMutex m_handlerMutex;
    EventHandler m_handler;
    bool m_subscribed = false;
};
