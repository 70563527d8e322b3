#pragma once

#include "mobiledevice/absdevicelink.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

// Turns the link's device events into signals on the thread this object lives in. A phone that
// is reachable over USB and Wi-Fi at once is one phone: it is connected when its first way
// appears and disconnected when its last goes.
class IOSDeviceMonitor : public QObject
{
    Q_OBJECT
public:
    // link: not owned; it must outlive the monitor.
    explicit IOSDeviceMonitor(AbsDeviceLink &link, QObject *parent = nullptr);
    ~IOSDeviceMonitor() override;

    // Starts listening; phones already connected are announced too. False when the device
    // multiplexer cannot be reached (no phone will be seen).
    bool start();
    void stop();

    // How the phone is reached best (USB before Wi-Fi); false when it is not connected.
    bool connection(const QString &udid, _DeviceConnection &device) const;

Q_SIGNALS:
    void deviceConnected(const QString &udid, bool network);
    void deviceDisconnected(const QString &udid);

private:
    void handle(const _DeviceEvent &event);

    AbsDeviceLink &m_link;
    // The ways each connected phone is reached (true: network).
    QHash<QString, QSet<bool>> m_ways;
};
