#pragma once

#include "mobiledevice/linkstatus.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

class AbsLockdownSession;

// One phone as the device multiplexer lists it.
struct _DeviceConnection
{
    QString udid;
    // Reached over Wi-Fi sync rather than USB.
    bool network = false;
};

struct _DeviceEvent
{
    enum Type { Added, Removed, Paired };
    Type type = Added;
    _DeviceConnection device;
};

// Everything TextLink asks of the phones' link layer: the connected phones and their events,
// lockdown sessions (values, services) and the backup tool. The real one runs over
// libimobiledevice and usbmuxd; tests run a scripted one.
class AbsDeviceLink
{
public:
    using EventHandler = std::function<void(const _DeviceEvent &)>;

    virtual ~AbsDeviceLink();

    // The connected phones; empty when the multiplexer does not run.
    virtual QList<_DeviceConnection> devices() = 0;
    // Starts delivering events to handler (from any thread), or stops with an empty handler.
    // False when the multiplexer cannot be reached.
    virtual bool setEventHandler(EventHandler handler) = 0;
    // Whether this computer keeps a pairing record for the phone; asks the phone nothing.
    virtual bool isPaired(const QString &udid) = 0;
    // A lockdown session. With pair, the phone is paired first when needed (it then asks its user
    // to trust this computer) and the session is a trusted one; without, only the values a phone
    // tells anyone (name, type, version, identifier) can be read. Null with the reason in status
    // on failure.
    virtual std::unique_ptr<AbsLockdownSession> openSession(const _DeviceConnection &device,
                                                            bool pair, _LinkStatus &status) = 0;
    // The program that backs a phone up (the command line of idevicebackup2).
    virtual QString backupToolProgram() const = 0;
};
