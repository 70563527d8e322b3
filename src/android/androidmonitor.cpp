#include "android/androidmonitor.h"

#include "android/adbhelper.h"
#include "android/androidlog.h"

#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

#include <exception>

namespace {
constexpr int kPollIntervalMs = 3000;
constexpr int kSleepStepMs = 100;
} // namespace

AndroidMonitor::AndroidMonitor(QObject *parent) : QObject(parent) {}

AndroidMonitor::~AndroidMonitor()
{
    qCDebug(lcAndroid, "%s", "~AndroidMonitor begin");
    m_stop = true;
    if (m_future.isValid()) {
        m_future.waitForFinished();
        AdbHelper().killServer();
    }
    qCDebug(lcAndroid, "%s", "~AndroidMonitor end");
}

void AndroidMonitor::initialize()
{
    m_future = QtConcurrent::run([this] { listen(); });
}

void AndroidMonitor::poll(const QList<AdbDevice> &devices)
{
    QSet<QString> current;
    for (const AdbDevice &device : devices) {
        current.insert(device.serial);
        if (!m_serials.contains(device.serial)) {
            m_serials.insert(device.serial);
            Q_EMIT deviceConnected(device);
        }
    }
    const QSet<QString> known = m_serials;
    for (const QString &serial : known) {
        if (!current.contains(serial)) {
            m_serials.remove(serial);
            Q_EMIT deviceDisconnected(serial);
        }
    }
    m_serialCount.storeRelaxed(int(m_serials.size()));
}

void AndroidMonitor::listen()
{
    while (!m_stop) {
        try {
            poll(AdbHelper().devices());
        } catch (const std::exception &e) {
            // adb missing or complaining: the next poll tries again.
            qCDebug(lcAndroid) << "device listing failed:" << e.what();
        }
        // Sleeps in short steps so that closing the window does not wait a whole interval.
        for (int slept = 0; slept < kPollIntervalMs && !m_stop; slept += kSleepStepMs)
            QThread::msleep(kSleepStepMs);
    }
}
