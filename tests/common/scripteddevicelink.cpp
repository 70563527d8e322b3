#include "scripteddevicelink.h"

#include "mobiledevice/abslockdownsession.h"
#include "mobiledevice/absserviceconnection.h"

#include <QtEndian>

#include <cstring>

class ScriptedDeviceLink::Connection : public AbsServiceConnection
{
public:
    explicit Connection(ScriptedDeviceLink &link) : m_link(link) {}

    qint64 send(const char *data, qint64 size) override
    {
        m_link.sent.append(data, size);
        return size;
    }

    qint64 receive(char *buffer, qint64 size, int) override
    {
        QList<Chunk> &script = m_link.serviceScript;
        if (script.isEmpty() || script.first().kind == Chunk::Closed)
            return -1;
        if (script.first().kind == Chunk::Timeout) {
            script.removeFirst();
            return 0;
        }
        QByteArray &data = script.first().data;
        const qint64 n = qMin<qint64>(size, data.size());
        std::memcpy(buffer, data.constData(), static_cast<size_t>(n));
        data.remove(0, n);
        if (data.isEmpty())
            script.removeFirst();
        return n;
    }

private:
    ScriptedDeviceLink &m_link;
};

class ScriptedDeviceLink::Session : public AbsLockdownSession
{
public:
    explicit Session(ScriptedDeviceLink &link) : m_link(link) {}

    QPlist value(const QString &domain, const QString &key) override
    {
        return m_link.values.value(domain + QLatin1Char('/') + key).clone();
    }

    std::unique_ptr<AbsServiceConnection> startService(const QString &name,
                                                       _LinkStatus &status) override
    {
        m_link.startedServices << name;
        status = m_link.serviceStatus;
        if (!status.ok())
            return nullptr;
        return std::make_unique<Connection>(m_link);
    }

private:
    ScriptedDeviceLink &m_link;
};

void ScriptedDeviceLink::emitEvent(_DeviceEvent::Type type, const QString &udid, bool network)
{
    if (m_handler)
        m_handler({type, {udid, network}});
}

ScriptedDeviceLink::Chunk ScriptedDeviceLink::message(const QPlist &plist)
{
    const QByteArray body = plist.toXml().toUtf8();
    char length[4];
    qToBigEndian(static_cast<quint32>(body.size()), length);
    return {Chunk::Data, QByteArray(length, 4) + body};
}

ScriptedDeviceLink::Chunk ScriptedDeviceLink::bytes(const QByteArray &data)
{
    return {Chunk::Data, data};
}

ScriptedDeviceLink::Chunk ScriptedDeviceLink::timeout()
{
    return {Chunk::Timeout, QByteArray()};
}

QList<_DeviceConnection> ScriptedDeviceLink::devices()
{
    return connected;
}

bool ScriptedDeviceLink::setEventHandler(EventHandler handler)
{
    m_handler = std::move(handler);
    return true;
}

bool ScriptedDeviceLink::isPaired(const QString &udid)
{
    return paired.contains(udid);
}

std::unique_ptr<AbsLockdownSession> ScriptedDeviceLink::openSession(const _DeviceConnection &,
                                                                    bool pair, _LinkStatus &status)
{
    if (!pair) {
        ++publicSessions;
        status = _LinkStatus();
        return std::make_unique<Session>(*this);
    }
    ++trustedSessions;
    status = sessionResults.isEmpty() ? _LinkStatus() : sessionResults.takeFirst();
    if (!status.ok())
        return nullptr;
    return std::make_unique<Session>(*this);
}

QString ScriptedDeviceLink::backupToolProgram() const
{
    return toolProgram;
}
