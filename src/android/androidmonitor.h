#pragma once

#include "android/adbdevice.h"

#include <QFuture>
#include <QObject>
#include <QSet>
#include <QString>

#include <atomic>

// Polls adb's device listing every three seconds on the global thread pool and reports serials
// that appear and disappear. A phone that stays attached is reported once, whatever its state.
class AndroidMonitor : public QObject
{
    Q_OBJECT
public:
    explicit AndroidMonitor(QObject *parent = nullptr);
    // Stops the loop, waits for it and stops the adb server.
    ~AndroidMonitor() override;

    void initialize();
    // How many serials are currently reported as attached; safe from any thread.
    int deviceCount() const { return m_serialCount.loadRelaxed(); }

    // One poll: compares a listing with the serials known so far and emits the changes.
    void poll(const QList<AdbDevice> &devices);

Q_SIGNALS:
    void deviceConnected(const AdbDevice &device);
    void deviceDisconnected(QString serial);

private:
    void listen();

    std::atomic_bool m_stop{false};
    QSet<QString> m_serials;
    QAtomicInt m_serialCount;
    QFuture<void> m_future;
};
