#include "mobiledevice/iosdevicemonitor.h"

#include "mobiledevice/mobiledevicelog.h"

#include <QMetaObject>
#include <QPointer>

IOSDeviceMonitor::IOSDeviceMonitor(AbsDeviceLink &link, QObject *parent)
    : QObject(parent), m_link(link)
{}

IOSDeviceMonitor::~IOSDeviceMonitor()
{
    stop();
}

bool IOSDeviceMonitor::start()
{
    QPointer<IOSDeviceMonitor> self(this);
    // Events come on the link's own thread; the state and the signals belong to this one.
    return m_link.setEventHandler([self](const _DeviceEvent &event) {
        QMetaObject::invokeMethod(
            self,
            [self, event] {
                if (self)
                    self->handle(event);
            },
            Qt::QueuedConnection);
    });
}

void IOSDeviceMonitor::stop()
{
    m_link.setEventHandler(AbsDeviceLink::EventHandler());
}

bool IOSDeviceMonitor::connection(const QString &udid, _DeviceConnection &device) const
{
    const auto it = m_ways.constFind(udid);
    if (it == m_ways.constEnd() || it->isEmpty())
        return false;
    device = {udid, !it->contains(false)};
    return true;
}

void IOSDeviceMonitor::handle(const _DeviceEvent &event)
{
    const QString &udid = event.device.udid;
    qCInfo(lcMobileDevice) << "device event" << event.type << udid
                           << (event.device.network ? "network" : "usb");
    switch (event.type) {
    case _DeviceEvent::Added: {
        const bool first = m_ways.value(udid).isEmpty();
        m_ways[udid].insert(event.device.network);
        if (first)
            Q_EMIT deviceConnected(udid, event.device.network);
        break;
    }
    case _DeviceEvent::Removed: {
        auto it = m_ways.find(udid);
        if (it == m_ways.end())
            break;
        it->remove(event.device.network);
        if (it->isEmpty()) {
            m_ways.erase(it);
            Q_EMIT deviceDisconnected(udid);
        }
        break;
    }
    case _DeviceEvent::Paired:
        break;
    }
}
