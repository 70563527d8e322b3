#pragma once

#include "android/androiddevice.h"

#include <QString>

// The Android steps the verbs share, as the desktop takes them: connect (USB through adb, or
// Wi-Fi through the companion's control port), then load the phone into its cache database.
class CliAndroid
{
public:
    struct LoadResult
    {
        AndroidDevice device;
        int processed = 0;
        int loaded = 0;
        int deleted = 0;
    };

    // True for "android:SERIAL" and "android-wifi:HOST[:PORT]".
    static bool isAndroidSource(const QString &source);
    // Connects to the phone a source names and loads it. Throws std::runtime_error with the
    // operation's own message.
    static LoadResult connectAndLoad(const QString &source, bool quiet);
    static LoadResult connectAndLoadSerial(const QString &serial, bool quiet);

private:
    static AndroidDevice connectUsb(const QString &serial, bool quiet);
    static AndroidDevice connectWifi(const QString &hostPort, bool quiet);
    static LoadResult load(const AndroidDevice &device, bool quiet);
};
