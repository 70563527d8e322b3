#include "android/androiddevice.h"

#include "android/adbhelper.h"
#include "android/androidlog.h"
#include "android/simpleprotocol.h"
#include "frame/appdirs.h"
#include "frame/filenames.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QThread>
#include <QUrl>

#include <atomic>
#include <stdexcept>

namespace {

constexpr int kConnectAttemptMs = 5000;
constexpr int kControlConnectMs = 10000;
const char *const kCompanionReceiver = "com.quorvandale.textlink/.AdbSyncBroadcastReceiver";

[[noreturn]] void fail(const QString &text)
{
    throw std::runtime_error(text.toStdString());
}

int toInt(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : 0;
}

} // namespace

QString AndroidDevice::devId() const
{
    return wifi ? uid : serial;
}

QString AndroidDevice::displayName() const
{
    QString name = manufacturer;
    if (!model.isEmpty())
        name += QLatin1Char(' ') + model;
    return name.trimmed();
}

QDir AndroidDevice::cacheDir() const
{
    // The IMEI comes from the phone: it names a folder only when it cannot lead elsewhere.
    const QString name =
        imei.isEmpty() || g_formatFileName(imei) != imei || imei.startsWith(QLatin1Char('.'))
            ? g_pathHash(imei)
            : imei;
    const QDir dir(g_dataSaveDir().filePath(QStringLiteral("android_cache/") + name));
    if (!dir.exists())
        QDir().mkpath(dir.absolutePath());
    return dir;
}

void AndroidDevice::parseInfo(const QString &info)
{
    static const QRegularExpression pair(QStringLiteral("([^=;]+)=([^=;]+);?"));
    auto it = pair.globalMatch(info);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        const QString key = match.captured(1);
        const QString value = match.captured(2);
        if (key == QLatin1String("version"))
            version = toInt(value);
        else if (key == QLatin1String("model"))
            model = value;
        else if (key == QLatin1String("manufacturer"))
            manufacturer = value;
        else if (key == QLatin1String("imei"))
            imei = value;
        else if (key == QLatin1String("uid"))
            uid = value;
        else if (key == QLatin1String("sdk"))
            sdk = value;
        else if (key == QLatin1String("sdk_id"))
            sdkId = toInt(value);
        else if (key == QLatin1String("root"))
            root = toInt(value) != 0;
        else if (key == QLatin1String("storage1"))
            storage1 = value;
        else if (key == QLatin1String("mmc"))
            mmc = value;
    }
}

std::unique_ptr<QTcpSocket> AndroidDevice::triggerService(const QString &url, int timeout) const
{
    constexpr int kAttempts = 3;
    QUrl address(url);
    for (int attempt = 1;; ++attempt) {
        try {
            return wifi ? triggerWiFiService(address.toString(), timeout)
                        : triggerUSBService(address.toString(), timeout);
        } catch (const ServiceNotStarted &e) {
            // Ports are picked without knowing what else listens on the phone; another program
            // of ours started in the same second picks the same ones, hence the random step.
            if (attempt == kAttempts)
                throw;
            qCInfo(lcAndroid) << "service did not start, another port:" << e.what();
            address.setPort(portAlloc() + int(QRandomGenerator::global()->bounded(1, 100)) * 100);
        }
    }
}

std::unique_ptr<QTcpSocket> AndroidDevice::triggerUSBService(const QString &url, int timeout) const
{
    const AdbHelper adb;
    try {
        adb.trigger(serial, QStringLiteral("broadcast"), QString::fromLatin1(kCompanionReceiver),
                    QString(), url, {}, QString());
    } catch (const std::runtime_error &e) {
        throw ServiceNotStarted(e.what());
    }
    const int servicePort = QUrl(url).port();
    adb.forward(serial, servicePort, servicePort);

    QElapsedTimer clock;
    clock.start();
    while (true) {
        if (clock.elapsed() > timeout)
            fail(QStringLiteral("start %1 failed.").arg(url));
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(QStringLiteral("127.0.0.1"), quint16(servicePort));
        if (!socket->waitForConnected(kConnectAttemptMs)) {
            // Refused at once while the service is not up yet: do not spin.
            QThread::msleep(100);
            continue;
        }
        try {
            simpleprotocol::readFeedback(*socket, QStringLiteral("$ready:"), kConnectAttemptMs);
            return socket;
        } catch (const std::exception &) {
            qCInfo(lcAndroid, "connect %s failed, try again...", qPrintable(url));
        }
    }
}

std::unique_ptr<QTcpSocket> AndroidDevice::triggerWiFiService(const QString &url, int timeout) const
{
    {
        QTcpSocket control;
        control.connectToHost(host, quint16(port));
        if (!control.waitForConnected(kControlConnectMs))
            fail(QStringLiteral("can not connect %1:%2.").arg(host).arg(port));
        simpleprotocol::sendCommand(control, url, QString(), true, simpleprotocol::kIdleTimeoutMs);
        const QString reply = simpleprotocol::readCommand(control, simpleprotocol::kIdleTimeoutMs);
        if (reply.startsWith(QLatin1Char('0'))) {
            throw ServiceNotStarted(QStringLiteral("start %1 failed.%2")
                                        .arg(url, simpleprotocol::fromBase64(reply.mid(1)))
                                        .toStdString());
        }
    }
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(host, quint16(QUrl(url).port()));
    if (!socket->waitForConnected(timeout))
        fail(QStringLiteral("connec %1 failed.").arg(url));
    simpleprotocol::readFeedback(*socket, QStringLiteral("$ready:"), timeout);
    return socket;
}

int portAlloc(const QTime &now, int &counter)
{
    if (counter % 100 == 0)
        counter = 1;
    return counter++ + 10000 + now.second() * 100 + (now.minute() % 4) * 10000;
}

int portAlloc()
{
    static std::atomic_int counter{1};
    int value = counter.load();
    const int port = portAlloc(QTime::currentTime(), value);
    counter.store(value);
    return port;
}
