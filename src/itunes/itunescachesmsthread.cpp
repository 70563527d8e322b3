#include "itunes/itunescachesmsthread.h"

#include "iosdb/ios6messagedb.h"

#include "frame/absprogress.h"
#include "frame/appdirs.h"
#include "frame/filenames.h"
#include "frame/translation.h"
#include "itunes/bkcachedb.h"
#include "itunes/ituneslog.h"

#include <QFileInfo>

#include <exception>
#include <stdexcept>
#include <vector>

namespace {

const char *const kLibraryRelativePath = "file-relay/var/mobile/Library";
const char *const kCacheDbName = "manifest.db";
// The status comes long before any measurable share of the work.
constexpr int kStartValue = 99;
constexpr quint16 kModeTypeMask = 0xF000;
constexpr quint16 kModeDirectory = 0x4000;

// The manifest marks folders by their mode; an empty regular file must not become a folder just
// because it has no size. Nodes the tree builder made up have no mode and are folders by nature.
bool isFolderNode(const BackupManifest::_FileNode &node)
{
    if (!node.children.empty())
        return true;
    const quint16 type = node.item.mode & kModeTypeMask;
    return type == 0 ? node.isFolder() : type == kModeDirectory;
}

} // namespace

ITunesCacheSMSThread::ITunesCacheSMSThread(const BackupManifest &backup, AbsProgress &progress,
                                           QObject *parent)
    : ITunesCacheSMSThread(backup, defaultCacheDir(backup), progress, parent)
{}

ITunesCacheSMSThread::ITunesCacheSMSThread(const BackupManifest &backup, const QDir &cacheFolder,
                                           AbsProgress &progress, QObject *parent)
    : ProgressWorker(progress, lcItunes, "backup extraction", parent)
    , m_backup(backup)
    , m_cacheDir(cacheFolder.absolutePath())
{}

ITunesCacheSMSThread::~ITunesCacheSMSThread() = default;

QDir ITunesCacheSMSThread::defaultCacheDir(const BackupManifest &backup)
{
    return QDir(g_dataSaveDir().filePath(QStringLiteral("itunes_cache/") + backup.dirPathMd5()));
}

QString ITunesCacheSMSThread::smsDbPath(const QDir &cacheFolder)
{
    return IOS6MessageDb::dbPathIn(cacheFolder);
}

void ITunesCacheSMSThread::work()
{
    m_copied = 0;
    m_unchanged = 0;
    m_failed = 0;
    progress().invokeUpdateProgress(g_tr("IDS_LOADING_ITUNES_BACKUP"), kStartValue, QString());
    const BackupManifest::_FileNode *sms = nullptr;
    const BackupManifest::_FileNode *addressBook = nullptr;
    if (const BackupManifest::_FileNode *library =
            m_backup.root().child(QStringLiteral("Library"))) {
        for (const auto &child : library->children) {
            if (!sms && child->name.compare(QLatin1String("SMS"), Qt::CaseInsensitive) == 0)
                sms = child.get();
            else if (!addressBook &&
                     child->name.compare(QLatin1String("AddressBook"), Qt::CaseInsensitive) == 0)
                addressBook = child.get();
            if (sms && addressBook)
                break;
        }
    }
    if (!sms) {
        progress().invokeErrorOccurred(g_tr("IDS_NOT_CONTAIN_SMS_DB_IN_ITUNES_BACKUP"));
        return;
    }

    const QString library = m_cacheDir.filePath(QLatin1String(kLibraryRelativePath));
    if (!QDir().mkpath(library))
        throw std::runtime_error(g_tr("IDS_CANNOT_CREATE_FOLDER").arg(library).toStdString());
    m_cacheDb = std::make_unique<BkCacheDb>(m_cacheDir.filePath(QLatin1String(kCacheDbName)));
    copyTree(sms, library);
    if (addressBook)
        copyTree(addressBook, library);
    // Committed before success is reported: the caller reads the cache as soon as it hears.
    m_cacheDb->commit();
    m_cacheDb.reset();
    qCInfo(lcItunes) << "backup extracted to" << m_cacheDir.absolutePath() << m_copied
                     << "files copied," << m_unchanged << "unchanged," << m_failed << "failed";
    progress().invokeSucceed(QString());
}

void ITunesCacheSMSThread::copyTree(const BackupManifest::_FileNode *base, const QString &folder)
{
    // An explicit stack keeps deep trees from exhausting the call stack; children are pushed in
    // reverse so that they are copied in their order.
    std::vector<const BackupManifest::_FileNode *> pending{base};
    while (!pending.empty()) {
        const BackupManifest::_FileNode *node = pending.back();
        pending.pop_back();
        progress().invokeUpdateProgress(QString(), -1,
                                        g_tr("IDS_CACHING_BACKUP_FILE_%1").arg(node->name));
        progress().throwIfCancelled();
        const QString target = BackupManifest::targetPath(folder, base, node);
        if (target.isEmpty()) {
            qCWarning(lcItunes) << "not extracting" << node->fullPath() << "outside" << folder;
            continue;
        }
        if (isFolderNode(*node)) {
            if (!QDir().mkpath(target)) {
                // The folder of the messages themselves is needed; any folder below it (a path
                // too long for the file system, say) is left out with what it holds.
                if (node == base)
                    throw std::runtime_error(
                        g_tr("IDS_CANNOT_CREATE_FOLDER").arg(target).toStdString());
                ++m_failed;
                qCWarning(lcItunes) << "not extracted: cannot create" << target;
                continue;
            }
            for (auto it = node->children.rbegin(); it != node->children.rend(); ++it)
                pending.push_back(it->get());
        } else {
            copyFileOrSkip(node, target);
        }
    }
}

void ITunesCacheSMSThread::copyFileOrSkip(const BackupManifest::_FileNode *node,
                                          const QString &target)
{
    // Without the message database there is nothing to read; any other file (an attachment
    // with a name the file system refuses, a damaged one) is left out and the rest goes on.
    if (node->name.startsWith(QLatin1String("sms.db"), Qt::CaseInsensitive)) {
        copyFile(node, target);
        return;
    }
    try {
        copyFile(node, target);
    } catch (const std::runtime_error &e) {
        ++m_failed;
        qCWarning(lcItunes) << "not extracted:" << node->fullPath() << e.what();
    }
}

void ITunesCacheSMSThread::copyFile(const BackupManifest::_FileNode *node, const QString &target)
{
    const QString &storedName = node->storedName;
    const qint64 modified = node->item.modifiedTime;
    // The cached copy must still be there: a record alone does not bring a deleted file back.
    if (m_cacheDb->fileDateSecs(storedName) == modified && QFileInfo(target).isFile()) {
        ++m_unchanged;
        return;
    }
    // Missing stored files are normal (partial backups); links are never read.
    if (m_backup.storedFile(node) != BackupManifest::StoredFile::Present)
        return;
    m_backup.copyFile(node, target);
    m_cacheDb->setFileDate(storedName, modified);
    ++m_copied;
}

void ITunesCacheSMSThread::rollback(bool)
{
    // No half-extracted cache may ever pass for a complete one.
    if (m_cacheDb) {
        try {
            m_cacheDb->discard();
        } catch (const std::exception &e) {
            qCWarning(lcItunes) << "closing the cache record:" << e.what();
        }
        m_cacheDb.reset();
    }
    if (!g_delDirCascade(m_cacheDir.absolutePath()))
        qCWarning(lcItunes) << "cannot delete the cache folder" << m_cacheDir.absolutePath();
}
