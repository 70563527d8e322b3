#include "ui/androidlinkui.h"

#include "android/androidconnectwithusbthread.h"
#include "android/androidloadsmsthread.h"
#include "android/androidmonitor.h"
#include "android/androidrestoresmsthread.h"
#include "frame/translation.h"
#include "iosdb/ios6messagedb.h"
#include "model/countrylibdb.h"
#include "ui/androiddeviceitemnode.h"
#include "ui/androidwifiform.h"
#include "ui/countryselform.h"
#include "ui/datasourceselform.h"
#include "ui/itemmodelmain.h"
#include "ui/progressform.h"
#include "ui/rootdeviceitemnode.h"
#include "ui/tips.h"
#include "ui/uilogging.h"

#include <QTimer>

namespace {
constexpr int kUsbHintDelayMs = 10000;
const char *const kUsbDebuggingHowTo = "https://developer.android.com/studio/debug/dev-options";
} // namespace

AndroidLinkUi::AndroidLinkUi(QWidget &window, ItemModelMain &tree,
                             std::function<void(_AbsDBItemNode *)> showNode)
    : m_window(window), m_tree(tree), m_showNode(std::move(showNode))
{}

AndroidLinkUi::~AndroidLinkUi() = default;

void AndroidLinkUi::startMonitor()
{
    qRegisterMetaType<AdbDevice>("AdbDevice");
    m_monitor = std::make_unique<AndroidMonitor>();
    connect(m_monitor.get(), &AndroidMonitor::deviceConnected, this,
            &AndroidLinkUi::androidDeviceConnected);
    connect(m_monitor.get(), &AndroidMonitor::deviceDisconnected, this,
            &AndroidLinkUi::androidDeviceDisconnected);
    m_monitor->initialize();
    QTimer::singleShot(kUsbHintDelayMs, this, &AndroidLinkUi::androidUsbTips);
}

void AndroidLinkUi::androidUsbTips()
{
    if (m_monitor && m_monitor->deviceCount() == 0)
        Tips::info(g_tr("IDS_ANDROID_NOT_FOUND_TIPS_%1").arg(QLatin1String(kUsbDebuggingHowTo)));
}

void AndroidLinkUi::androidDeviceConnected(const AdbDevice &device)
{
    if (!device.isOn())
        Tips::warning(g_tr("IDS_ANDROID_ALLOW_DEBUGGING_%1").arg(device.line));
    ProgressForm progress(QString(), &m_window);
    AndroidConnectWithUSBThread worker(device.serial, progress.progress());
    if (progress.runWorker(worker))
        androidDeviceLoad(worker.device());
}

void AndroidLinkUi::androidDeviceDisconnected(const QString &serial)
{
    if (_AndroidDeviceItemNode *node = findNode(serial))
        m_tree.removeNode(node);
    m_devices.remove(serial);
}

void AndroidLinkUi::connectWifi()
{
    AndroidWIFIForm form(&m_window);
    if (form.exec() != QDialog::Accepted)
        return;
    removeNodeOf(form.device());
    androidDeviceLoad(form.device());
}

void AndroidLinkUi::androidDeviceLoad(AndroidDevice device)
{
    bool known = false;
    if (!device.mmc.isEmpty())
        CountryLibDb(device.mmc).infoByMMC(device.mmc, &known);
    if (!known) {
        if (device.mmc.isEmpty())
            Tips::info(g_tr("IDS_ANDROID_%1_CANT_READ_MMC_NUMBER"));
        CountrySelForm countries(&m_window);
        const QString mcc = countries.execGetMcc();
        if (!mcc.isEmpty())
            device.mmc = mcc;
    }
    ProgressForm progress(QString(), &m_window);
    AndroidLoadSMSThread worker(device, progress.progress());
    if (!progress.runWorker(worker))
        return;
    removeNodeOf(device);
    auto db = QSharedPointer<IOS6MessageDb>::create(device.cacheDir(), device.mmc, true);
    _AndroidDeviceItemNode *node =
        m_tree.addAndroidDevice(db, device.displayName(), device.devId());
    m_devices.insert(device.devId(), device);
    // Its chats and messages are read in the background as it is shown.
    m_showNode(node);
}

void AndroidLinkUi::restore2android(const QList<_MsgMessage *> &messages, _AbsDBItemNode *source)
{
    QList<DataSourceSelForm::_SelItem> targets;
    for (AbsTreeItemModel::_ItemNode *child : m_tree.devicesRoot()->children()) {
        if (child->type == ITEMNODE_ANDROID_DEVICE && child != source)
            targets.append({QStringLiteral(":res/android.png"), child->title, child});
    }
    DataSourceSelForm select(&m_window);
    auto *target = static_cast<_AndroidDeviceItemNode *>(
        select.execSel(g_tr("IDS_SEL_ONE_ANDROID_DEVICE"), targets));
    if (!target || !m_devices.contains(target->deviceId))
        return;
    const AndroidDevice device = m_devices.value(target->deviceId);
    // Only the worker may write the phone's cache while it runs.
    target->db->close();
    ProgressForm progress(QString(), &m_window);
    AndroidRestoreSMSThread worker(device, messages, progress.progress());
    if (!progress.runWorker(worker))
        return;
    m_tree.clearChilds(target);
    target->data = MsgData();
    // Read again, in the background, as it is shown.
    target->messagesLoaded = false;
    m_showNode(target);
}

_AndroidDeviceItemNode *AndroidLinkUi::findNode(const QString &deviceId) const
{
    for (AbsTreeItemModel::_ItemNode *child : m_tree.devicesRoot()->children()) {
        if (child->type != ITEMNODE_ANDROID_DEVICE)
            continue;
        auto *phone = static_cast<_AndroidDeviceItemNode *>(child);
        if (phone->deviceId == deviceId)
            return phone;
    }
    return nullptr;
}

void AndroidLinkUi::removeNodeOf(const AndroidDevice &device)
{
    // A phone is known by its uid whichever way it was reached.
    for (auto it = m_devices.begin(); it != m_devices.end(); ++it) {
        if (it->uid == device.uid) {
            if (_AndroidDeviceItemNode *node = findNode(it.key()))
                m_tree.removeNode(node);
            m_devices.erase(it);
            return;
        }
    }
}
