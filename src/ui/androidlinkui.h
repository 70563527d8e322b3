#pragma once

#include "android/adbdevice.h"
#include "android/androiddevice.h"

#include <QHash>
#include <QObject>

#include <functional>
#include <memory>

class AndroidMonitor;
class ItemModelMain;
class QWidget;
class _AbsDBItemNode;
class _AndroidDeviceItemNode;
struct _MsgMessage;

// The main window's Android flows: the device monitor, connecting by USB or Wi-Fi, loading a
// phone into its cache and the source tree, and transferring messages to a loaded phone.
class AndroidLinkUi : public QObject
{
    Q_OBJECT
public:
    // showNode: shows a phone node just (re)loaded.
    AndroidLinkUi(QWidget &window, ItemModelMain &tree,
                  std::function<void(_AbsDBItemNode *)> showNode);
    ~AndroidLinkUi() override;

    // Starts polling adb and, ten seconds later, hints at USB debugging when no phone showed up.
    void startMonitor();
    void connectWifi();
    void androidDeviceLoad(AndroidDevice device);
    // source: the node the messages come from; a phone is not offered as its own target.
    void restore2android(const QList<_MsgMessage *> &messages, _AbsDBItemNode *source);

public Q_SLOTS:
    void androidDeviceConnected(const AdbDevice &device);
    void androidDeviceDisconnected(const QString &serial);
    void androidUsbTips();

private:
    _AndroidDeviceItemNode *findNode(const QString &deviceId) const;
    void removeNodeOf(const AndroidDevice &device);

    QWidget &m_window;
    ItemModelMain &m_tree;
    std::function<void(_AbsDBItemNode *)> m_showNode;
    std::unique_ptr<AndroidMonitor> m_monitor;
    QHash<QString, AndroidDevice> m_devices; // loaded phones by devId()
};
