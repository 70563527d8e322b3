#pragma once

#include "mobiledevice/linkstatus.h"
#include "model/qplist.h"

#include <QString>

#include <memory>

class AbsServiceConnection;

// A lockdown session with one phone: its values and its services. The session ends when the
// object goes; connections to services it started stay usable.
class AbsLockdownSession
{
public:
    virtual ~AbsLockdownSession();

    // The value of key in domain (empty: the top level); an empty key reads the whole domain.
    // A null handle when the phone has no such value.
    virtual QPlist value(const QString &domain, const QString &key) = 0;
    // Null with the reason in status when the service cannot be started.
    virtual std::unique_ptr<AbsServiceConnection> startService(const QString &name,
                                                               _LinkStatus &status) = 0;
};
