#include "mobiledevice/imobiledevicelink.h"

#include "mobiledevice/abslockdownsession.h"
#include "mobiledevice/absserviceconnection.h"
#include "mobiledevice/mobiledevicelog.h"

#include <libimobiledevice/libimobiledevice.h>
#include <libimobiledevice/lockdown.h>
#include <libimobiledevice/service.h>
#include <usbmuxd.h>

#include <QMutexLocker>

#include <climits>
#include <cstdlib>

namespace {

const char *const kClientLabel = "textlink";

using DevicePtr = std::shared_ptr<idevice_private>;

LinkResult resultOf(lockdownd_error_t error)
{
    switch (error) {
    case LOCKDOWN_E_SUCCESS:
        return LinkResult::Ok;
    case LOCKDOWN_E_PASSWORD_PROTECTED:
        return LinkResult::Locked;
    case LOCKDOWN_E_PAIRING_DIALOG_RESPONSE_PENDING:
        return LinkResult::TrustPending;
    case LOCKDOWN_E_USER_DENIED_PAIRING:
        return LinkResult::TrustRefused;
    case LOCKDOWN_E_MUX_ERROR:
        return LinkResult::NoDevice;
    default:
        return LinkResult::Failed;
    }
}

void setStatus(_LinkStatus &status, LinkResult result, int code, const char *step)
{
    status.result = result;
    status.code = code;
    status.step = QString::fromLatin1(step);
}

class ServiceConnection : public AbsServiceConnection
{
public:
    ServiceConnection(DevicePtr device, service_client_t client)
        : m_device(std::move(device)), m_client(client)
    {}
    ~ServiceConnection() override { service_client_free(m_client); }

    qint64 send(const char *data, qint64 size) override
    {
        uint32_t sent = 0;
        const auto chunk = static_cast<uint32_t>(qMin<qint64>(size, INT_MAX));
        if (service_send(m_client, data, chunk, &sent) != SERVICE_E_SUCCESS)
            return -1;
        return sent;
    }

    qint64 receive(char *buffer, qint64 size, int timeoutMs) override
    {
        uint32_t received = 0;
        const auto chunk = static_cast<uint32_t>(qMin<qint64>(size, INT_MAX));
        // The library knows no "wait for ever"; a day is as good.
        const unsigned int timeout =
            timeoutMs > 0 ? static_cast<unsigned int>(timeoutMs) : 24u * 3600u * 1000u;
        const service_error_t error =
            service_receive_with_timeout(m_client, buffer, chunk, &received, timeout);
        if (received > 0)
            return received;
        if (error == SERVICE_E_TIMEOUT || error == SERVICE_E_SUCCESS)
            return 0;
        // The multiplexer reports a closed connection as a failed receive.
        return -1;
    }

private:
    // The service talks through the device handle, which must outlive it.
    DevicePtr m_device;
    service_client_t m_client;
};

class LockdownSession : public AbsLockdownSession
{
public:
    LockdownSession(DevicePtr device, lockdownd_client_t client)
        : m_device(std::move(device)), m_client(client)
    {}
    ~LockdownSession() override { lockdownd_client_free(m_client); }

    QPlist value(const QString &domain, const QString &key) override
    {
        const QByteArray d = domain.toUtf8();
        const QByteArray k = key.toUtf8();
        plist_t node = nullptr;
        const lockdownd_error_t error =
            lockdownd_get_value(m_client, domain.isEmpty() ? nullptr : d.constData(),
                                key.isEmpty() ? nullptr : k.constData(), &node);
        if (error != LOCKDOWN_E_SUCCESS) {
            qCDebug(lcMobileDevice) << "no value" << domain << key << "error" << error;
            return QPlist();
        }
        return QPlist(node, true);
    }

    std::unique_ptr<AbsServiceConnection> startService(const QString &name,
                                                       _LinkStatus &status) override
    {
        lockdownd_service_descriptor_t descriptor = nullptr;
        const lockdownd_error_t error =
            lockdownd_start_service(m_client, name.toUtf8().constData(), &descriptor);
        if (error != LOCKDOWN_E_SUCCESS) {
            setStatus(status, resultOf(error), error, "lockdownd_start_service");
            return nullptr;
        }
        service_client_t client = nullptr;
        const service_error_t serviceError =
            service_client_new(m_device.get(), descriptor, &client);
        lockdownd_service_descriptor_free(descriptor);
        if (serviceError != SERVICE_E_SUCCESS) {
            setStatus(status, LinkResult::Failed, serviceError, "service_client_new");
            return nullptr;
        }
        setStatus(status, LinkResult::Ok, 0, "");
        return std::make_unique<ServiceConnection>(m_device, client);
    }

private:
    DevicePtr m_device;
    lockdownd_client_t m_client;
};

} // namespace

IMobileDeviceLink::IMobileDeviceLink() = default;

IMobileDeviceLink::~IMobileDeviceLink()
{
    setEventHandler(EventHandler());
}

QList<_DeviceConnection> IMobileDeviceLink::devices()
{
    QList<_DeviceConnection> found;
    idevice_info_t *list = nullptr;
    int count = 0;
    if (idevice_get_device_list_extended(&list, &count) != IDEVICE_E_SUCCESS) {
        qCInfo(lcMobileDevice) << "no device multiplexer to ask for phones";
        return found;
    }
    for (int i = 0; i < count; ++i) {
        found.append({QString::fromUtf8(list[i]->udid), list[i]->conn_type == CONNECTION_NETWORK});
    }
    idevice_device_list_extended_free(list);
    return found;
}

bool IMobileDeviceLink::setEventHandler(EventHandler handler)
{
    const bool wanted = static_cast<bool>(handler);
    // Unsubscribing waits for a running callback, which takes the mutex: never hold it here.
    if (!wanted && m_subscribed) {
        idevice_event_unsubscribe();
        m_subscribed = false;
    }
    {
        QMutexLocker lock(&m_handlerMutex);
        m_handler = std::move(handler);
    }
    if (wanted && !m_subscribed) {
        const auto callback = [](const idevice_event_t *event, void *self) {
            onEvent(event, self);
        };
        m_subscribed = idevice_event_subscribe(callback, this) == IDEVICE_E_SUCCESS;
        if (!m_subscribed)
            qCInfo(lcMobileDevice) << "cannot listen for phones: no device multiplexer";
    }
    return !wanted || m_subscribed;
}

void IMobileDeviceLink::onEvent(const void *data, void *self)
{
    const auto *event = static_cast<const idevice_event_t *>(data);
    auto *link = static_cast<IMobileDeviceLink *>(self);
    _DeviceEvent converted;
    switch (event->event) {
    case IDEVICE_DEVICE_ADD:
        converted.type = _DeviceEvent::Added;
        break;
    case IDEVICE_DEVICE_REMOVE:
        converted.type = _DeviceEvent::Removed;
        break;
    case IDEVICE_DEVICE_PAIRED:
        converted.type = _DeviceEvent::Paired;
        break;
    default:
        return;
    }
    converted.device = {QString::fromUtf8(event->udid), event->conn_type == CONNECTION_NETWORK};
    QMutexLocker lock(&link->m_handlerMutex);
    if (link->m_handler)
        link->m_handler(converted);
}

bool IMobileDeviceLink::isPaired(const QString &udid)
{
    char *record = nullptr;
    uint32_t size = 0;
    const bool found =
        usbmuxd_read_pair_record(udid.toUtf8().constData(), &record, &size) == 0 && record;
    std::free(record);
    return found;
}

std::unique_ptr<AbsLockdownSession> IMobileDeviceLink::openSession(const _DeviceConnection &device,
                                                                   bool pair, _LinkStatus &status)
{
    idevice_t handle = nullptr;
    const auto lookup = device.network ? IDEVICE_LOOKUP_NETWORK : IDEVICE_LOOKUP_USBMUX;
    const idevice_error_t error =
        idevice_new_with_options(&handle, device.udid.toUtf8().constData(), lookup);
    if (error != IDEVICE_E_SUCCESS) {
        setStatus(status, LinkResult::NoDevice, error, "idevice_new_with_options");
        return nullptr;
    }
    DevicePtr shared(handle, [](idevice_t d) { idevice_free(d); });
    lockdownd_client_t client = nullptr;
    // The handshake pairs when needed, validates the pairing and starts a trusted session.
    const lockdownd_error_t lockdownError =
        pair ? lockdownd_client_new_with_handshake(handle, &client, kClientLabel)
             : lockdownd_client_new(handle, &client, kClientLabel);
    if (lockdownError != LOCKDOWN_E_SUCCESS) {
        setStatus(status, resultOf(lockdownError), lockdownError,
                  pair ? "lockdownd_client_new_with_handshake" : "lockdownd_client_new");
        return nullptr;
    }
    setStatus(status, LinkResult::Ok, 0, "");
    return std::make_unique<LockdownSession>(std::move(shared), client);
}

QString IMobileDeviceLink::backupToolProgram() const
{
    return QStringLiteral("idevicebackup2");
}
