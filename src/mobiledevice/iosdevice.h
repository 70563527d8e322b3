#pragma once

#include "mobiledevice/absdevicelink.h"

#include <QDir>
#include <QList>
#include <QString>

class AbsProgress;
class QPlist;

// One connected iPhone as TextLink knows it: how it is reached and the values read from it.
class IOSDevice
{
public:
    // link: not owned; it must outlive the device.
    IOSDevice(AbsDeviceLink &link, const _DeviceConnection &connection);
    virtual ~IOSDevice();

    // Reads name, identifier, version, type and country in a trusted session (pairing first when
    // needed, see device_open), then the backup and disk-usage values. Throws std::runtime_error.
    void readValues(AbsProgress *progress);
    // Reads only what a phone tells before it trusts this computer (name, type, version); asks
    // nothing of the user. False when the phone cannot be reached.
    bool readPublicValues();

    AbsDeviceLink &link() const { return m_link; }
    const _DeviceConnection &connection() const { return m_connection; }
    const QString &udid() const { return m_connection.udid; }
    const QString &name() const { return m_name; }
    const QString &productVersion() const { return m_productVersion; }
    const QString &productType() const { return m_productType; }
    const QString &countryCode() const { return m_countryCode; }
    void setCountryCode(const QString &code) { m_countryCode = code; }
    // The phone encrypts its backups ("WillEncrypt").
    bool backupEncrypted() const { return m_backupEncrypted; }
    // Bytes in use on the phone; -1 when unknown.
    qint64 usedBytes() const { return m_usedBytes; }

    // The numbers of the version in order (6.1.3 gives 6, 1, 3).
    QList<int> versionList() const;
    // iOS 5, 6 and 7, and phones whose version is unknown, are read through file relay; all
    // others through a backup.
    bool usesFileRelay() const;
    // The data folder's "ios_cache/<identifier>", created when missing.
    QDir cacheDir() const;

    // The cache folder of the phone with that identifier (not created).
    static QDir cacheDirOf(const QString &udid);
    // How the phone with that identifier is connected, USB before Wi-Fi; false when it is not.
    static bool findConnection(AbsDeviceLink &link, const QString &udid, _DeviceConnection &device);
    // Every connected phone once, USB before Wi-Fi, in the order the link lists them.
    static QList<_DeviceConnection> connectedPhones(AbsDeviceLink &link);

private:
    void takeTopLevel(const QList<QPlist> &values);

    AbsDeviceLink &m_link;
    const _DeviceConnection m_connection;
    QString m_name;
    QString m_productVersion;
    QString m_productType;
    QString m_countryCode;
    bool m_backupEncrypted = false;
    qint64 m_usedBytes = -1;
};
