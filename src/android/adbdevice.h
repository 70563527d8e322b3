#pragma once

#include <QMetaType>
#include <QString>

// One line of adb's device listing.
struct _AdbDevice
{
    QString line;   // the whole line, trimmed
    QString serial; // what every other adb command takes after "-s"
    QString state;  // "device", "offline", "unauthorized", ...

    bool isOn() const;
    // Attached but not usable until the user allows debugging (or the link comes back).
    bool isOff() const;
};

using AdbDevice = _AdbDevice;
Q_DECLARE_METATYPE(AdbDevice)
