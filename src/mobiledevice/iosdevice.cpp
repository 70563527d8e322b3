#include "mobiledevice/iosdevice.h"

#include "frame/appdirs.h"
#include "frame/filenames.h"
#include "mobiledevice/abslockdownsession.h"
#include "mobiledevice/mobiledevice.h"

#include <QRegularExpression>

#include <algorithm>
#include <memory>

namespace {

const QStringList kTopLevelKeys = {QStringLiteral("DeviceName"), QStringLiteral("ProductVersion"),
                                   QStringLiteral("ProductType"),
                                   QStringLiteral("MobileSubscriberCountryCode")};

} // namespace

IOSDevice::IOSDevice(AbsDeviceLink &link, const _DeviceConnection &connection)
    : m_link(link), m_connection(connection)
{}

IOSDevice::~IOSDevice() = default;

void IOSDevice::takeTopLevel(const QList<QPlist> &values)
{
    m_name = values.value(0).toString();
    m_productVersion = values.value(1).toString();
    m_productType = values.value(2).toString();
    // Kept as the user may already have picked one.
    if (values.size() > 3 && !values.at(3).toString().isEmpty())
        m_countryCode = values.at(3).toString();
}

void IOSDevice::readValues(AbsProgress *progress)
{
    const std::unique_ptr<AbsLockdownSession> session = device_open(*this, progress);
    QList<QPlist> top;
    for (const QString &key : kTopLevelKeys)
        top.append(session->value(QString(), key));
    takeTopLevel(top);
    m_backupEncrypted = CFType(session->value(QStringLiteral("com.apple.mobile.backup"),
                                              QStringLiteral("WillEncrypt")))
                            .CFNumberBool(false);
    const CFType usage = session->value(QStringLiteral("com.apple.disk_usage"), QString());
    const qint64 total = CFType(usage.get(QStringLiteral("TotalDataCapacity"))).CFNumberInt64(-1);
    const qint64 available =
        CFType(usage.get(QStringLiteral("AmountDataAvailable"))).CFNumberInt64(-1);
    m_usedBytes = total >= 0 && available >= 0 && total >= available ? total - available : -1;
}

bool IOSDevice::readPublicValues()
{
    _LinkStatus status;
    const std::unique_ptr<AbsLockdownSession> session =
        m_link.openSession(m_connection, false, status);
    if (!session)
        return false;
    QList<QPlist> top;
    for (const QString &key : kTopLevelKeys.mid(0, 3))
        top.append(session->value(QString(), key));
    takeTopLevel(top);
    return true;
}

QList<int> IOSDevice::versionList() const
{
    static const QRegularExpression number(QStringLiteral("\\.?(\\d+)"));
    QList<int> numbers;
    for (const QRegularExpressionMatch &match : number.globalMatch(m_productVersion))
        numbers.append(match.captured(1).toInt());
    return numbers;
}

bool IOSDevice::usesFileRelay() const
{
    const QList<int> version = versionList();
    return version.isEmpty() || (version.first() >= 5 && version.first() <= 7);
}

QDir IOSDevice::cacheDir() const
{
    QDir dir = cacheDirOf(udid());
    dir.mkpath(QStringLiteral("."));
    return dir;
}

QDir IOSDevice::cacheDirOf(const QString &udid)
{
    // The identifier comes from outside: it must stay one folder name of its own.
    QString name = g_formatFileName(udid);
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
        name = g_pathHash(udid);
    return QDir(g_dataSaveDir().filePath(QStringLiteral("ios_cache/") + name));
}

QList<_DeviceConnection> IOSDevice::connectedPhones(AbsDeviceLink &link)
{
    QList<_DeviceConnection> phones;
    for (const _DeviceConnection &device : link.devices()) {
        auto known = std::find_if(phones.begin(), phones.end(), [&device](const auto &phone) {
            return phone.udid == device.udid;
        });
        if (known == phones.end())
            phones.append(device);
        else if (!device.network)
            known->network = false;
    }
    return phones;
}

bool IOSDevice::findConnection(AbsDeviceLink &link, const QString &udid, _DeviceConnection &device)
{
    for (const _DeviceConnection &phone : connectedPhones(link)) {
        if (phone.udid == udid) {
            device = phone;
            return true;
        }
    }
    return false;
}
