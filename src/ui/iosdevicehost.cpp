#include "ui/iosdevicehost.h"

#include "frame/absprogress.h"
#include "frame/progresstask.h"
#include "frame/translation.h"
#include "itunes/backupmanifest.h"
#include "itunes/itunescachesmsthread.h"
#include "itunes/phonedbcopy.h"
#include "mobiledevice/imobiledevicelink.h"
#include "mobiledevice/iosdevice.h"
#include "mobiledevice/iosdeviceimport.h"
#include "mobiledevice/iosdevicemonitor.h"
#include "model/absiosmessagedb.h"
#include "ui/desktopcontroller.h"
#include "ui/iosdeviceitemnode.h"
#include "ui/itemmodelmain.h"
#include "ui/itemnodetype.h"
#include "ui/passcodedlg.h"
#include "ui/progressform.h"
#include "ui/rootdeviceitemnode.h"
#include "ui/tips.h"
#include "ui/uilogging.h"

#include <QThread>

#include <stdexcept>

IOSDeviceHost::IOSDeviceHost(ItemModelMain &model, QWidget *window,
                             std::unique_ptr<AbsDeviceLink> link)
    : QObject(window)
    , m_model(model)
    , m_window(window)
    , m_link(link ? std::move(link) : std::make_unique<IMobileDeviceLink>())
    , m_monitor(std::make_unique<IOSDeviceMonitor>(*m_link))
{
    connect(m_monitor.get(), &IOSDeviceMonitor::deviceConnected, this,
            &IOSDeviceHost::iosDeviceConnected);
    connect(m_monitor.get(), &IOSDeviceMonitor::deviceDisconnected, this,
            &IOSDeviceHost::iosDeviceDisconnected);
}

IOSDeviceHost::~IOSDeviceHost()
{
    m_monitor->stop();
}

void IOSDeviceHost::start()
{
    if (!m_monitor->start())
        qCInfo(lcUi) << "connected iPhones will not be seen: no device multiplexer";
}

void IOSDeviceHost::iosDeviceConnected(const QString &udid, bool)
{
    m_pending.append(udid);
    if (m_busy)
        return;
    m_busy = true;
    while (!m_pending.isEmpty())
        readDevice(m_pending.takeFirst());
    m_busy = false;
}

void IOSDeviceHost::iosDeviceDisconnected(const QString &udid)
{
    m_pending.removeAll(udid);
    if (_IOSDeviceItemNode *node = findNode(udid)) {
        Q_EMIT deviceRemoving(node);
        m_model.removeNode(node);
        Q_EMIT deviceRemoved();
    }
}

_IOSDeviceItemNode *IOSDeviceHost::findNode(const QString &udid) const
{
    for (AbsTreeItemModel::_ItemNode *node : m_model.devicesRoot()->children()) {
        if (node->type != ITEMNODE_IOS_DEVICE)
            continue;
        auto *device = static_cast<_IOSDeviceItemNode *>(node);
        if (device->deviceId == udid)
            return device;
    }
    return nullptr;
}

namespace {

// Runs one step behind a progress dialog of its own.
bool runStep(QWidget *window,
             const std::function<bool(AbsProgress &, const IOSDeviceImport::WorkerRunner &)> &step)
{
    ProgressForm form(QString(), window);
    return step(form.progress(), [&form](QThread &worker) { return form.runWorker(worker); });
}

} // namespace

void IOSDeviceHost::readDevice(const QString &udid)
{
    _DeviceConnection connection;
    if (findNode(udid) || !m_monitor->connection(udid, connection))
        return;
    Tips::info(g_tr("IDS_IOS_PASSCODE_NOTE"));
    try {
        IOSDevice device(*m_link, connection);
        // Reading the values may wait for the user to unlock the phone and trust this computer.
        const bool read = runStep(
            m_window, [&device](AbsProgress &progress, const IOSDeviceImport::WorkerRunner &run) {
                ProgressTask reader(progress, lcUi, "reading the phone",
                                    [&device](AbsProgress &p) { device.readValues(&p); });
                return run(reader);
            });
        if (!read)
            return;
        IOSDeviceImport import(device);
        const auto askPassword = [this](BackupManifest &backup) {
            PasscodeDlg passcode(&backup, m_window);
            return passcode.exec() == QDialog::Accepted ? QStringLiteral("") : QString();
        };
        const auto step = [this](const auto &work) { return runStep(m_window, work); };
        if (!import.fetch(step, askPassword))
            return;
        // A damaged database is read only when the user asks to salvage it.
        const bool damaged =
            !PhoneDbCopy::damageOf(ITunesCacheSMSThread::smsDbPath(device.cacheDir())).isEmpty();
        const QSharedPointer<AbsMessageDb> db =
            damaged ? DesktopController::openPhoneFolder(device.cacheDir().absolutePath(), true)
                    : import.openMessageDb();
        if (!db)
            return;
        const QString name = device.name().isEmpty() ? udid : device.name();
        // Its chats and messages are read in the background once the window shows it.
        Q_EMIT deviceAdded(m_model.addIOSDevice(db, name, udid));
    } catch (const std::exception &e) {
        qCWarning(lcUi) << "iPhone not read:" << udid << e.what();
        Tips::error(QString::fromUtf8(e.what()));
    }
}
