#include "ui/desktopcontroller.h"

#include "export/attachmentextractthread.h"
#include "export/deletemmsthread.h"
#include "export/exportmessagesthread.h"
#include "export/exportpaths.h"
#include "frame/appdirs.h"
#include "frame/desktop.h"
#include "frame/errortext.h"
#include "frame/filenames.h"
#include "frame/translation.h"
#include "iosdb/ios6messagedb.h"
#include "itunes/backupmanifest.h"
#include "itunes/itunesimport.h"
#include "itunes/phonecopymessagedb.h"
#include "itunes/phonedbcopy.h"
#include "localdb/backupsmsthread.h"
#include "mobiledevice/iosdevice.h"
#include "mobiledevice/iosmobilebackupthread.h"
#include "model/msgchat.h"
#include "model/msgmessage.h"
#include "ui/droppedsource.h"
#include "ui/iosdeviceitemnode.h"
#include "ui/itemmodelmain.h"
#include "ui/itemnodetype.h"
#include "ui/loaditunesbackupdlg.h"
#include "ui/localdbitemnode.h"
#include "ui/localdbselform.h"
#include "ui/mainwindow.h"
#include "ui/mmsprinter.h"
#include "ui/passcodedlg.h"
#include "ui/progressform.h"
#include "ui/tips.h"
#include "ui/uilogging.h"

#include <QDateTime>
#include <QFileInfo>
#include <QUrl>

#include <exception>
#include <memory>
#include <stdexcept>

namespace {

// The project's pages; opened only when the user asks for them.
constexpr const char *kUpdateUrl = "https://www.quorvandale.com/textlink/download";
constexpr const char *kHelpUrl = "https://www.quorvandale.com/textlink/help";
constexpr const char *kFeedbackUrl = "https://www.quorvandale.com/textlink/support";

// Caches rebuilt from the phones on their next connection, and previews made again when shown.
constexpr const char *kCacheFolders[] = {"ios_cache", "itunes_cache", "android_cache",
                                         "preview_cache"};

} // namespace

DesktopController::DesktopController(MainWindow &window)
    : m_window(window), m_tree(*window.treeModel())
{}

QSharedPointer<AbsMessageDb> DesktopController::localSource(const QString &folder)
{
    return QSharedPointer<AbsMessageDb>(new IOS6MessageDb(QDir(folder), QString(), true));
}

QSharedPointer<AbsMessageDb> DesktopController::openPhoneFolder(const QString &folder, bool own)
{
    const QString dbPath = DroppedSource::smsDbPathIn(folder);
    if (own && PhoneDbCopy::damageOf(dbPath).isEmpty()) {
        if (!PhoneDbCopy::isMessageDb(dbPath))
            throw std::runtime_error(g_tr("IDS_NOT_A_MESSAGE_DB_%1").arg(dbPath).toStdString());
        return QSharedPointer<IOS6MessageDb>::create(QDir(folder), QString(), false);
    }
    auto copy = std::make_unique<PhoneDbCopy>(QDir(folder));
    copy->make();
    const QString damage = copy->damage();
    if (!damage.isEmpty()) {
        if (!Tips::question(
                g_tr("IDS_PHONE_DB_DAMAGED_SALVAGE_%1_%2").arg(dbPath, g_oneLine(damage))))
            return {};
        const int rows = copy->salvage();
        Tips::info(g_tr("IDS_PHONE_DB_SALVAGED_%1_%2").arg(dbPath).arg(rows));
    }
    if (!PhoneDbCopy::isMessageDb(copy->dbPath()))
        throw std::runtime_error(g_tr("IDS_NOT_A_MESSAGE_DB_%1").arg(dbPath).toStdString());
    return QSharedPointer<PhoneCopyMessageDb>::create(std::move(copy));
}

bool DesktopController::runGuarded(const std::function<void()> &work)
{
    try {
        work();
        return true;
    } catch (const std::exception &e) {
        qCWarning(lcUi) << "operation failed:" << e.what();
        Tips::error(QString::fromUtf8(e.what()));
        return false;
    }
}

void DesktopController::listSources()
{
    const QDir root = g_localDbDir();
    for (const QString &name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        m_tree.addLocalDb(localSource(root.filePath(name)), name);

    const QDir iosRoot(g_dataSaveDir().filePath(QStringLiteral("virtual_ios")));
    for (const QString &name : iosRoot.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString folder = iosRoot.filePath(name);
        _IOSDeviceItemNode *node = m_tree.addIOSDevice(localSource(folder), name, folder);
        runGuarded([this, node] {
            node->db->chats(node->data);
            m_tree.listChats(node);
        });
    }
    const QDir androidRoot(g_dataSaveDir().filePath(QStringLiteral("virtual_android")));
    if (!androidRoot.entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty())
        qCInfo(lcUi) << "virtual Android phones are not listed: no Android support in this build";
}

_LocalDBItemNode *DesktopController::backupMessages(const QString &defaultName,
                                                    const QList<_MsgMessage *> &messages,
                                                    const QString &successNote)
{
    LocalDbSelForm form(m_tree.localDbNames(), defaultName, &m_window);
    const QString name = form.execGetDbName();
    if (name.isEmpty())
        return nullptr;
    _LocalDBItemNode *node = m_tree.findLocalDb(name);
    if (!node)
        node = m_tree.addLocalDb(localSource(g_localDbDir().filePath(name)), name);
    const QDir folder(g_localDbDir().filePath(node->title));
    // Only the worker may write the file while it runs.
    node->db->close();

    ProgressForm progress(QString(), &m_window);
    BackupSMSThread worker(messages, folder, QString(), progress.progress());
    worker.setSuccessNote(successNote);
    return progress.runWorker(worker) ? node : nullptr;
}

_LocalDBItemNode *DesktopController::importBackup(const QString &localDbName,
                                                  const QList<QDir> &backupFolders,
                                                  const QString &preselected)
{
    LoadItunesBackupDlg chooser(backupFolders, &m_window);
    if (!preselected.isEmpty())
        chooser.addBackupFolder(preselected);
    const QSharedPointer<BackupManifest> backup = chooser.execSelect();
    if (!backup)
        return nullptr;
    if (backup->isEncrypted() && !backup->isUnlocked()) {
        PasscodeDlg passcode(backup.data(), &m_window);
        if (passcode.exec() != QDialog::Accepted)
            return nullptr;
    }
    // Holds the loaded records until the save below has written them.
    MsgData data;
    int missing = 0;
    if (!loadBackup(*backup, data, missing))
        return nullptr;
    const QString name = localDbName.isEmpty() ? ITunesImport::defaultDbName(*backup) : localDbName;
    return backupMessages(name, data.messages(),
                          missing > 0 ? g_tr("IDS_MISSING_ATTACHMENTS_%1").arg(missing)
                                      : QString());
}

bool DesktopController::loadBackup(BackupManifest &backup, MsgData &data, int &missingAttachments)
{
    bool loaded = false;
    runGuarded([this, &backup, &data, &loaded, &missingAttachments] {
        ProgressForm progress(QString(), &m_window);
        ITunesImport import(backup, progress.progress());
        loaded =
            import.run([&progress](QThread &worker) { return progress.runWorker(worker); }, data);
        missingAttachments = import.missingAttachments();
    });
    return loaded;
}

void DesktopController::exportMessages(const QList<_MsgMessage *> &messages)
{
    QString filter;
    const QString chosen =
        m_window.askExportPath(g_tr("IDS_SEL_EXPORT_MESSAGES_PATH"),
                               g_defaultExportPath(QDir::homePath(), QDateTime::currentDateTime()),
                               g_exportFileFilters(), &filter);
    if (chosen.isEmpty())
        return;
    // A dialog that reports no filter still names the format by the file's suffix.
    const ExportFileType type = g_exportFileTypeOfFilter(filter).value_or(
        g_exportFileTypeOfName(QFileInfo(chosen).suffix()).value_or(ExportFileType::Txt));
    const QString target = g_exportTargetPath(chosen, type);
    qCInfo(lcUi) << "exporting" << messages.size() << "messages to" << target;

    ProgressForm progress(QString(), &m_window);
    ExportMessagesThread worker(messages, target, g_exportFormatOf(type), progress.progress());
    progress.runWorker(worker);
}

void DesktopController::extractMediaFiles(const QList<_MsgMessage *> &messages)
{
    const QString chosen = m_window.askFolder(
        g_tr("IDS_TITLE_SEL_OUTPUT_FOLDER_EXTRACT_MEDIA_FILES"), QDir::homePath());
    if (chosen.isEmpty())
        return;
    const QString target = g_extractionFolderPath(chosen, QDateTime::currentDateTime());
    qCInfo(lcUi) << "extracting attachments of" << messages.size() << "messages to" << target;

    ProgressForm progress(g_tr("IDS_TITLE_EXTRACT_MEDIA_FILES"), &m_window);
    AttachmentExtractThread worker(progress.progress(), messages, target);
    progress.runWorker(worker);
}

void DesktopController::printMessages(const QList<_MsgMessage *> &messages)
{
    if (messages.isEmpty())
        return;
    MMSPrinter printer;
    printer.printMMS(messages);
}

bool DesktopController::deleteMessages(_AbsDBItemNode *source, const QList<_MsgMessage *> &messages,
                                       EmptiedChats *emptied)
{
    if (!source || source->type != ITEMNODE_LOCALDB || messages.isEmpty())
        return false;
    // Only the worker may write the file while it runs.
    source->db->close();
    ProgressForm progress(QString(), &m_window);
    DeleteMMSThread worker(QDir(g_localDbDir().filePath(source->title)), messages,
                           progress.progress());
    if (!progress.runWorker(worker))
        return false;
    *emptied = source->data.removeMessages(messages);
    return true;
}

bool DesktopController::deleteLocalDb(_LocalDBItemNode *node)
{
    const QString name = node->title;
    const QString root = g_localDbDir().path();
    // The title names a folder directly below the databases folder; anything else (which the
    // name rules exclude) must never lead the deletion elsewhere.
    const QString folder = g_safeChildPath(root, name);
    if (name.contains(QLatin1Char('/')) || folder.isEmpty() ||
        QDir(folder).canonicalPath() == QDir(root).canonicalPath()) {
        qCWarning(lcUi) << "refusing to delete local database folder" << name;
        Tips::error(g_tr("IDS_DEL_LOCALDB_FAILED_%1").arg(name.toHtmlEscaped()));
        return false;
    }
    node->db->close();
    if (!g_delDirCascade(folder)) {
        qCWarning(lcUi) << "local database folder not deleted:" << folder;
        Tips::error(g_tr("IDS_DEL_LOCALDB_FAILED_%1").arg(name.toHtmlEscaped()));
        return false;
    }
    m_tree.removeNode(node);
    Tips::info(g_tr("IDS_DEL_LOCALDB_SUC").arg(name.toHtmlEscaped()));
    return true;
}

void DesktopController::clearCache()
{
    QStringList failed;
    // Backups of connected iPhones are temporary too.
    iosbackup_clear_temp();
    for (const char *name : kCacheFolders) {
        const QString path = g_dataSaveDir().filePath(QLatin1String(name));
        if (!g_delDirCascade(path))
            failed.append(path.toHtmlEscaped());
    }
    if (!failed.isEmpty()) {
        qCWarning(lcUi) << "cache folders not deleted:" << failed;
        Tips::error(g_tr("IDS_CLEAR_CACHE_FAILED_%1").arg(failed.join(QStringLiteral("<br/>"))));
        return;
    }
    Tips::info(g_tr("IDS_SUC_CLEAR_CACHE"));
}

void DesktopController::viewCache(const _AbsDBItemNode *source)
{
    if (!source || source->type != ITEMNODE_IOS_DEVICE) {
        qCInfo(lcUi) << "command not available yet: view cache";
        Tips::info(g_tr("IDS_NOT_AVAILABLE_YET"));
        return;
    }
    // A virtual device is known by its folder, a connected one by its identifier.
    const QString id = static_cast<const _IOSDeviceItemNode *>(source)->deviceId;
    const QString folder = QFileInfo(id).isDir() ? id : IOSDevice::cacheDirOf(id).absolutePath();
    if (!g_openFileOrFolder(folder))
        Tips::error(g_tr("IDS_CANNOT_FIND_FILE").arg(folder));
}

void DesktopController::openPage(Page page)
{
    switch (page) {
    case Page::Update:
        openLink(QLatin1String(kUpdateUrl));
        break;
    case Page::Help:
        openLink(QLatin1String(kHelpUrl));
        break;
    case Page::Feedback:
        openLink(QLatin1String(kFeedbackUrl));
        break;
    }
}

void DesktopController::openLink(const QString &url)
{
    if (g_openLink(url))
        return;
    qCWarning(lcUi) << "no browser opened" << url;
    Tips::warning(g_tr("IDS_NO_BROWSER_FOR_%1").arg(url.toHtmlEscaped()));
}

_AbsDBItemNode *DesktopController::openDropped(const QString &path,
                                               const QList<QDir> &backupFolders)
{
    const DroppedSource dropped(path);
    switch (dropped.kind()) {
    case DroppedSource::Kind::Backup:
        return importBackup(QString(), backupFolders, dropped.path());
    case DroppedSource::Kind::PhoneFolder:
        return addPhoneFolder(QFileInfo(dropped.path()).fileName(), dropped.path(), false);
    case DroppedSource::Kind::MessageDb: {
        const QString folder = DroppedSource::makePhoneFolder(
            dropped.path(), g_dataSaveDir().filePath(QStringLiteral("opened")));
        if (!folder.isEmpty())
            return addPhoneFolder(QFileInfo(dropped.path()).fileName(), folder, true);
        Tips::error(g_tr("IDS_DROP_COPY_FAILED_%1").arg(path.toHtmlEscaped()));
        return nullptr;
    }
    case DroppedSource::Kind::Unknown:
        break;
    }
    Tips::warning(g_tr("IDS_DROP_UNKNOWN_%1").arg(path.toHtmlEscaped()));
    return nullptr;
}

_AbsDBItemNode *DesktopController::addPhoneFolder(const QString &name, const QString &folder,
                                                  bool own)
{
    QSharedPointer<AbsMessageDb> db;
    if (!runGuarded([&db, &folder, own] { db = openPhoneFolder(folder, own); }) || !db)
        return nullptr;
    // Its chats and messages are read in the background once the window shows it.
    return m_tree.addIOSDevice(db, name, folder);
}
