#pragma once

#include "mobiledevice/cftype.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class AbsLockdownSession;
class AbsProgress;
class AbsServiceConnection;
class IOSDevice;

// The operations on a connected phone that the rest of TextLink uses. Failures throw
// std::runtime_error with a text for the user.

// The longest length-prefixed message accepted from a phone; the length comes from the phone and
// must not decide how much memory this program takes.
constexpr quint32 kMaxServiceMessageSize = 64u * 1024u * 1024u;

// How long a locked or not yet trusting phone is waited for.
struct _TrustRetry
{
    int attempts = 60;
    int intervalMs = 2000;
};

// Opens a trusted lockdown session. A locked phone, or one that shows "Trust This Computer?", gets
// the instruction on progress (when given) and is asked again, until it answers, the user cancels
// (throws kUserCancelled) or the attempts run out; without progress it fails at once. A refused
// pairing fails at once.
std::unique_ptr<AbsLockdownSession> device_open(const IOSDevice &device, AbsProgress *progress,
                                                const _TrustRetry &retry = _TrustRetry());

// One value per key in order (an empty key reads the whole domain, an empty domain is the top
// level); a null handle for a missing value. Pairs when needed, as device_open.
QList<CFType> mobiledevice_info(const IOSDevice &device, const QStringList &keys,
                                const QString &domain, AbsProgress *progress = nullptr);

// Starts a service in a trusted session; the connection stays usable after the session ended.
std::unique_ptr<AbsServiceConnection>
mobiledevice_startservice(const IOSDevice &device, const QString &service, AbsProgress *progress);

// Sends the message as a 4-byte big-endian length and the property list (binary or XML). An
// empty serialization sends nothing.
void mobiledevice_sendmsg(AbsServiceConnection &connection, const CFType &message, bool binary,
                          int timeoutMs);
// Receives one message. context: the request it answers, named in error texts (may be null).
// A length above kMaxServiceMessageSize, a short body or a body that is no property list throws.
CFType mobiledevice_recmsg(AbsServiceConnection &connection, const CFType &context, int timeoutMs);
// Send or receive until length bytes have moved, a wait timed out or the link closed; the count
// moved. timeoutMs bounds each wait for data (no limit when 0 or less); a send blocks.
qint64 mobiledevice_send_all(AbsServiceConnection &connection, const char *data, qint64 length);
qint64 mobiledevice_recv_all(AbsServiceConnection &connection, char *buffer, qint64 length,
                             int timeoutMs);

// The file relay service, and the request for sources; the archive follows on the connection.
std::unique_ptr<AbsServiceConnection> mobiledevice_filerelay_start(const IOSDevice &device,
                                                                   AbsProgress *progress);
void mobiledevice_filerelay(AbsServiceConnection &connection, const QStringList &sources);
