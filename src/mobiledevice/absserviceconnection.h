#pragma once

#include <QtGlobal>

// One open connection to a service on the phone. Closing happens when the object goes.
class AbsServiceConnection
{
public:
    virtual ~AbsServiceConnection();

    // Sends up to size bytes; the count sent, or -1 when the link failed.
    virtual qint64 send(const char *data, qint64 size) = 0;
    // Waits at most timeoutMs (no limit when 0 or less) for data. Returns the count read (more
    // than 0), 0 when the wait timed out, -1 when the phone closed the connection or it failed.
    virtual qint64 receive(char *buffer, qint64 size, int timeoutMs) = 0;
};
