#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class AbsDeviceLink;
class IOSDeviceMonitor;
class ItemModelMain;
class QWidget;
class _IOSDeviceItemNode;

// Keeps the Devices branch of the source tree in step with the connected iPhones: a phone that
// connects is read (trust, then a backup or the file relay, then its messages) behind progress
// dialogs and added under its name; one that goes away is removed.
class IOSDeviceHost : public QObject
{
    Q_OBJECT
public:
    // link: the device link to use; the libimobiledevice one when null.
    IOSDeviceHost(ItemModelMain &model, QWidget *window,
                  std::unique_ptr<AbsDeviceLink> link = nullptr);
    ~IOSDeviceHost() override;

    // Starts listening; phones connected already are read too.
    void start();

Q_SIGNALS:
    void deviceAdded(_IOSDeviceItemNode *node);
    // Emitted before the node is removed, while it is still valid.
    void deviceRemoving(_IOSDeviceItemNode *node);
    void deviceRemoved();

private Q_SLOTS:
    void iosDeviceConnected(const QString &udid, bool network);
    void iosDeviceDisconnected(const QString &udid);

private:
    void readDevice(const QString &udid);
    _IOSDeviceItemNode *findNode(const QString &udid) const;

    ItemModelMain &m_model;
    QWidget *m_window;
    std::unique_ptr<AbsDeviceLink> m_link;
    std::unique_ptr<IOSDeviceMonitor> m_monitor;
    // Phones that connected while another was being read (the dialogs run event loops).
    QStringList m_pending;
    bool m_busy = false;
};
