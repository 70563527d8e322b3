#include "mobiledevice/mobiledevice.h"

#include "frame/absprogress.h"
#include "frame/translation.h"
#include "mobiledevice/absdevicelink.h"
#include "mobiledevice/abslockdownsession.h"
#include "mobiledevice/absserviceconnection.h"
#include "mobiledevice/iosdevice.h"
#include "mobiledevice/mobiledevicelog.h"

#include <QThread>
#include <QtEndian>

#include <stdexcept>

namespace {

constexpr int kLengthTimeoutMs = 60 * 1000;
constexpr int kRequestTimeoutMs = 60 * 1000;
// The phone gathers the databases before it answers, which can take long.
constexpr int kFileRelayAnswerTimeoutMs = 3600 * 1000;
constexpr int kContextChars = 800;

[[noreturn]] void fail(const QString &text)
{
    throw std::runtime_error(text.toStdString());
}

QString contextText(const CFType &message)
{
    return message.isNull() ? QString() : message.toXml().left(kContextChars);
}

QString withContext(const QString &text, const CFType &context)
{
    return context.isNull() ? text : text + QLatin1Char('\n') + contextText(context);
}

// The error of a failed lockdown request, as the user should read it.
QString linkErrorText(const IOSDevice &device, const _LinkStatus &status)
{
    switch (status.result) {
    case LinkResult::NoDevice:
        return g_tr("IDS_IOS_NOT_CONNECTED_%1").arg(device.udid());
    case LinkResult::Locked:
    case LinkResult::TrustPending:
        return g_tr("IDS_IOS_UNLOCK_AND_TRUST");
    case LinkResult::TrustRefused:
        return g_tr("IDS_IOS_TRUST_REFUSED");
    default:
        return g_tr("IDS_IOS_SESSION_FAILED_%1")
            .arg(QStringLiteral("%1(%2)").arg(status.step).arg(status.code));
    }
}

// Sleeps in short steps so that a cancel is noticed soon.
void waitForUser(AbsProgress &progress, int intervalMs)
{
    constexpr int kStepMs = 100;
    for (int waited = 0; waited < intervalMs; waited += kStepMs) {
        progress.throwIfCancelled();
        QThread::msleep(static_cast<unsigned long>(qMin(kStepMs, intervalMs - waited)));
    }
    progress.throwIfCancelled();
}

std::unique_ptr<AbsLockdownSession> openSession(const IOSDevice &device, bool pair,
                                                AbsProgress *progress, const _TrustRetry &retry)
{
    for (int attempt = 1;; ++attempt) {
        _LinkStatus status;
        std::unique_ptr<AbsLockdownSession> session =
            device.link().openSession(device.connection(), pair, status);
        if (session)
            return session;
        qCInfo(lcMobileDevice) << "lockdown" << device.udid() << status.step << status.code
                               << "attempt" << attempt;
        const bool waitable =
            status.result == LinkResult::Locked || status.result == LinkResult::TrustPending;
        if (!waitable || !progress)
            fail(linkErrorText(device, status));
        if (attempt >= retry.attempts)
            fail(g_tr("IDS_IOS_TRUST_TIMEOUT"));
        progress->invokeUpdateProgress(g_tr("IDS_IOS_UNLOCK_AND_TRUST"), -1, QString());
        waitForUser(*progress, retry.intervalMs);
    }
}

} // namespace

std::unique_ptr<AbsLockdownSession> device_open(const IOSDevice &device, AbsProgress *progress,
                                                const _TrustRetry &retry)
{
    return openSession(device, true, progress, retry);
}

QList<CFType> mobiledevice_info(const IOSDevice &device, const QStringList &keys,
                                const QString &domain, AbsProgress *progress)
{
    const std::unique_ptr<AbsLockdownSession> session = device_open(device, progress);
    QList<CFType> values;
    for (const QString &key : keys)
        values.append(session->value(domain, key));
    return values;
}

std::unique_ptr<AbsServiceConnection>
mobiledevice_startservice(const IOSDevice &device, const QString &service, AbsProgress *progress)
{
    const std::unique_ptr<AbsLockdownSession> session = device_open(device, progress);
    _LinkStatus status;
    std::unique_ptr<AbsServiceConnection> connection = session->startService(service, status);
    if (!connection) {
        qCWarning(lcMobileDevice) << "service" << service << "not started:" << status.step
                                  << status.code;
        if (status.result == LinkResult::NoDevice)
            fail(linkErrorText(device, status));
        fail(g_tr("IDS_IOS_START_SERVICE_FAILED_%1_%2")
                 .arg(service, QStringLiteral("%1=%2").arg(status.step).arg(status.code)));
    }
    return connection;
}

qint64 mobiledevice_send_all(AbsServiceConnection &connection, const char *data, qint64 length)
{
    qint64 sent = 0;
    while (sent < length) {
        const qint64 n = connection.send(data + sent, length - sent);
        if (n <= 0)
            break;
        sent += n;
    }
    return sent;
}

qint64 mobiledevice_recv_all(AbsServiceConnection &connection, char *buffer, qint64 length,
                             int timeoutMs)
{
    qint64 received = 0;
    while (received < length) {
        const qint64 n = connection.receive(buffer + received, length - received, timeoutMs);
        if (n <= 0)
            break;
        received += n;
    }
    return received;
}

void mobiledevice_sendmsg(AbsServiceConnection &connection, const CFType &message, bool binary, int)
{
    const QByteArray body = message.CFPropertyListToBytes(binary ? CFType::kBinary : CFType::kXml);
    if (body.isEmpty())
        return;
    char length[4];
    qToBigEndian(static_cast<quint32>(body.size()), length);
    if (mobiledevice_send_all(connection, length, 4) != 4)
        fail(g_tr("mobiledevice_sendmsg(msg-length) error.\n%1").arg(contextText(message)));
    if (mobiledevice_send_all(connection, body.constData(), body.size()) != body.size())
        fail(g_tr("mobiledevice_sendmsg(msg) error.\n%1").arg(contextText(message)));
}

CFType mobiledevice_recmsg(AbsServiceConnection &connection, const CFType &context, int timeoutMs)
{
    char lengthBytes[4];
    const qint64 got = mobiledevice_recv_all(connection, lengthBytes, 4, kLengthTimeoutMs);
    if (got != 4) {
        fail(withContext(
            g_tr("mobiledevice_recmsg(msg-length) error, received length: %1.").arg(got), context));
    }
    const quint32 length = qFromBigEndian<quint32>(lengthBytes);
    if (length > kMaxServiceMessageSize) {
        qCWarning(lcMobileDevice) << "service message of" << length << "bytes refused";
        fail(withContext(
            g_tr("IDS_IOS_MESSAGE_TOO_LONG_%1_%2").arg(length).arg(kMaxServiceMessageSize),
            context));
    }
    QByteArray body(static_cast<qsizetype>(length), Qt::Uninitialized);
    const qint64 bodyGot = mobiledevice_recv_all(connection, body.data(), length, timeoutMs);
    if (bodyGot != length)
        fail(withContext(g_tr("mobiledevice_recmsg(msg) error, received length: %1.").arg(bodyGot),
                         context));
    const CFType message = CFType::createCFPropertyList(body);
    if (message.isNull())
        fail(withContext(g_tr("IDS_IOS_INVALID_MESSAGE"), context));
    return message;
}

std::unique_ptr<AbsServiceConnection> mobiledevice_filerelay_start(const IOSDevice &device,
                                                                   AbsProgress *progress)
{
    return mobiledevice_startservice(device, QStringLiteral("com.apple.mobile.file_relay"),
                                     progress);
}

void mobiledevice_filerelay(AbsServiceConnection &connection, const QStringList &sources)
{
    CFType request = CFType::createCFDictionary();
    QPlist names = QPlist::newArray();
    for (const QString &source : sources)
        names.push_back(QPlist::fromString(source));
    request.put(QStringLiteral("Sources"), names);
    mobiledevice_sendmsg(connection, request, false, kRequestTimeoutMs);
    const CFType answer = mobiledevice_recmsg(connection, request, kFileRelayAnswerTimeoutMs);
    const QString status = answer.get(QStringLiteral("Status")).toString();
    if (status.compare(QLatin1String("Acknowledged"), Qt::CaseInsensitive) != 0)
        fail(g_tr("invalid feedback.\n%1").arg(answer.toXml()));
}
