#pragma once

#include "mobiledevice/absdevicelink.h"
#include "model/qplist.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>

// A device link whose phone follows a script: the answers of its lockdown sessions, its values,
// and what a started service sends. Records what the code under test sends.
class ScriptedDeviceLink : public AbsDeviceLink
{
public:
    // One step of what a service sends: bytes, a wait that times out, or the end of the line.
    struct Chunk
    {
        enum Kind { Data, Timeout, Closed };
        Kind kind = Data;
        QByteArray data;
    };

    QList<_DeviceConnection> connected;
    QSet<QString> paired;
    // The results of the next trusted sessions, in order; once used up every session opens.
    QList<_LinkStatus> sessionResults;
    // Values by "domain/key" ("/DeviceName" for the top level, "domain/" for a whole domain).
    QMap<QString, QPlist> values;
    // Why the next service does not start; it starts when this is Ok.
    _LinkStatus serviceStatus;
    QList<Chunk> serviceScript;
    QString toolProgram = QStringLiteral("idevicebackup2");

    // What came to the service, and how often things were asked for.
    QByteArray sent;
    QStringList startedServices;
    int trustedSessions = 0;
    int publicSessions = 0;

    // Delivers an event as the multiplexer would, when someone listens.
    void emitEvent(_DeviceEvent::Type type, const QString &udid, bool network);
    bool listening() const { return static_cast<bool>(m_handler); }

    // Script helpers: a service message (4-byte length and the property list), raw bytes.
    static Chunk message(const QPlist &plist);
    static Chunk bytes(const QByteArray &data);
    static Chunk timeout();

    QList<_DeviceConnection> devices() override;
    bool setEventHandler(EventHandler handler) override;
    bool isPaired(const QString &udid) override;
    std::unique_ptr<AbsLockdownSession> openSession(const _DeviceConnection &device, bool pair,
                                                    _LinkStatus &status) override;
    QString backupToolProgram() const override;

private:
    class Session;
    class Connection;

    EventHandler m_handler;
};
