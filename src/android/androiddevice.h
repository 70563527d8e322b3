#pragma once

#include <QDir>
#include <QString>
#include <QTime>

#include <memory>
#include <stdexcept>

class QTcpSocket;

// One Android phone as the companion describes it, and how to reach its services: through an adb
// port forward (USB) or directly over the network (Wi-Fi).
class AndroidDevice
{
public:
    static constexpr int kWifiControlPort = 44441;
    // The oldest companion this program talks to.
    static constexpr int kMinCompanionVersion = 10;

    QString serial;
    QString uid;
    bool wifi = false;
    QString host;
    int port = kWifiControlPort;
    int version = 0;
    QString model;
    QString manufacturer;
    QString imei;
    QString sdk;
    int sdkId = 0;
    bool root = false;
    QString storage1;
    QString mmc;

    // The key of the phone's tree node: uid over Wi-Fi, else the serial.
    QString devId() const;
    QString displayName() const;
    // "android_cache/IMEI" in the data folder, created when missing. A name that could leave that
    // folder (separators, "..") is replaced by its hash.
    QDir cacheDir() const;

    // Fills the fields named by the pairs of a hello line ("version=12;model=X;...").
    void parseInfo(const QString &info);

    // The companion could not start a service, for instance because its port is taken.
    struct ServiceNotStarted : std::runtime_error
    {
        using std::runtime_error::runtime_error;
    };

    // Asks the companion to start the service of url and returns the connected socket, on which
    // the service has said "$ready:". A service that cannot start on its port is asked for on
    // the next ports before giving up. Throws std::runtime_error.
    std::unique_ptr<QTcpSocket> triggerService(const QString &url, int timeout) const;

private:
    std::unique_ptr<QTcpSocket> triggerUSBService(const QString &url, int timeout) const;
    std::unique_ptr<QTcpSocket> triggerWiFiService(const QString &url, int timeout) const;
};

// A port for the next service: varies with the time so that services of runs close together do
// not meet, and with a process-wide counter for services within one run.
int portAlloc();
int portAlloc(const QTime &now, int &counter);
