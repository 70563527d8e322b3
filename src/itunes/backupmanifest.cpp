#include "itunes/backupmanifest.h"

#include "frame/appdirs.h"
#include "frame/filenames.h"
#include "frame/translation.h"
#include "itunes/aescbcdecryptor.h"
#include "itunes/invalidpassworderror.h"
#include "itunes/ituneslog.h"
#include "itunes/keybag.h"
#include "model/qplist.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

#include <algorithm>
#include <stdexcept>

#include <utime.h>

namespace {

constexpr qint64 kChunkSize = 8192;
// The manifest's key field starts with four bytes of protection class before the wrapped key.
constexpr int kKeyFieldPrefix = 4;
const QString kAppDomainPrefix = QStringLiteral("AppDomain-");
const QString kApplications = QStringLiteral("Applications");

[[noreturn]] void fail(const char *key, const QString &arg1, const QString &arg2 = QString())
{
    QString text = g_tr(key).arg(arg1);
    if (!arg2.isNull())
        text = text.arg(arg2);
    throw std::runtime_error(text.toStdString());
}

bool itemLess(const MBDBParser::_MBDBItem *a, const MBDBParser::_MBDBItem *b)
{
    const int byDomain = QString::compare(a->domain.toString(), b->domain.toString());
    return byDomain != 0 ? byDomain < 0 : a->path.toString() < b->path.toString();
}

// The record's place in the merged tree: applications get a folder of their own.
QString treePath(const MBDBParser::_MBDBItem &item)
{
    const QString domain = item.domain.toString();
    const QString path = item.path.toString();
    if (!domain.startsWith(kAppDomainPrefix))
        return path;
    QString full = kApplications + QLatin1Char('/') + domain.mid(kAppDomainPrefix.size());
    if (!path.isEmpty())
        full += QLatin1Char('/') + path;
    return full;
}

// Components that would name the folder itself or its parent, or nothing at all, can only come
// from a damaged or hostile manifest; such records are left out of the tree.
bool hasPlainComponents(const QString &fullPath)
{
    const QStringList parts = fullPath.split(QLatin1Char('/'));
    return std::none_of(parts.cbegin(), parts.cend(), [](const QString &part) {
        return part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..");
    });
}

bool isMadeUp(const BackupManifest::_FileNode &node)
{
    return !node.item.domain.isValid();
}

QString plistString(const QPlist &dict, const char *key)
{
    return dict.get(QLatin1String(key)).toString();
}

void setFileTimes(const QString &path, quint32 secs)
{
    struct utimbuf times;
    times.actime = static_cast<time_t>(secs);
    times.modtime = static_cast<time_t>(secs);
    if (::utime(QFile::encodeName(path).constData(), &times) != 0)
        qCWarning(lcItunes) << "cannot set the file times of" << path;
}

} // namespace

const BackupManifest::_FileNode *BackupManifest::_FileNode::child(const QString &childName,
                                                                  Qt::CaseSensitivity cs) const
{
    for (const auto &node : children) {
        if (node->name.compare(childName, cs) == 0)
            return node.get();
    }
    return nullptr;
}

QString BackupManifest::_FileNode::fullPath() const
{
    QStringList parts;
    for (const _FileNode *node = this; node && node->parent; node = node->parent)
        parts.prepend(node->name);
    return parts.join(QLatin1Char('/'));
}

BackupManifest::BackupManifest(const QString &folder, QObject *parent)
    : QObject(parent), m_folder(QDir(folder).absolutePath())
{}

BackupManifest::~BackupManifest() = default;

void BackupManifest::readManifestInfo()
{
    const QString file = m_folder.filePath(QStringLiteral("Manifest.plist"));
    if (!QFileInfo::exists(file))
        fail("IDS_CANNOT_FIND_FILE", QDir::toNativeSeparators(file));
    const QPlist plist = QPlist::fromFile(file);
    if (!plist.isDict())
        fail("IDS_MANIFEST_PLIST_NO_DICT", QDir::toNativeSeparators(file));

    _InfoPlist info;
    const QPlist lockdown = plist.get(QStringLiteral("Lockdown"));
    info.uniqueDeviceID = plistString(lockdown, "UniqueDeviceID");
    info.deviceName = plistString(lockdown, "DeviceName");
    info.productType = plistString(lockdown, "ProductType");
    info.productVersion = plistString(lockdown, "ProductVersion");
    info.serialNumber = plistString(lockdown, "SerialNumber");
    QDateTime date = plist.get(QStringLiteral("Date")).toDate();
    if (!date.isValid()) {
        // Some writers keep the date of the last backup only in the backup's status.
        const QString status = m_folder.filePath(QStringLiteral("Status.plist"));
        try {
            if (QFileInfo::exists(status))
                date = QPlist::fromFile(status).get(QStringLiteral("Date")).toDate();
        } catch (const std::runtime_error &e) {
            qCWarning(lcItunes) << "ignoring" << status << ":" << e.what();
        }
    }
    info.date = date.isValid() ? date.toLocalTime() : QDateTime();
    info.isEncrypted = plist.get(QStringLiteral("IsEncrypted")).toBool();
    info.backupKeyBag = plist.get(QStringLiteral("BackupKeyBag")).toData();
    m_info = info;
    m_displayName = makeDisplayName();
}

QString BackupManifest::makeDisplayName() const
{
    const QString folderName = m_folder.dirName();
    // An empty identifier would "occur" between every two characters of the name.
    if (!m_info.uniqueDeviceID.isEmpty() && folderName.contains(m_info.uniqueDeviceID)) {
        QString name = folderName;
        return name.replace(m_info.uniqueDeviceID, m_info.deviceName);
    }
    if (m_info.deviceName.isEmpty())
        return folderName;
    return m_info.deviceName + QLatin1Char('-') + folderName;
}

void BackupManifest::parseInfo()
{
    if (!m_root.children.empty())
        return;
    const MBDBParser::ItemMap items =
        MBDBParser::parse(m_folder.filePath(QStringLiteral("Manifest.mbdb")));
    std::vector<const MBDBParser::_MBDBItem *> sorted;
    sorted.reserve(static_cast<size_t>(items.size()));
    for (const MBDBParser::_MBDBItem &item : items)
        sorted.push_back(&item);
    std::stable_sort(sorted.begin(), sorted.end(), itemLess);

    QHash<QString, _FileNode *> nodes;
    for (const MBDBParser::_MBDBItem *item : sorted) {
        const QString fullPath = treePath(*item);
        if (fullPath.isEmpty())
            continue; // a domain's own root record
        if (!item->hasSafePath() || !hasPlainComponents(fullPath)) {
            qCWarning(lcItunes) << "skipping manifest record with unsafe path"
                                << item->domain.toString() << item->path.toString();
            continue;
        }
        _FileNode *existing = nodes.value(fullPath);
        if (existing) {
            // The first record of a path wins; a folder made up for a later-sorted child only
            // takes the record that describes it.
            if (isMadeUp(*existing))
                existing->item = *item;
            continue;
        }
        nodeFor(fullPath, nodes)->item = *item;
    }
}

BackupManifest::_FileNode *BackupManifest::nodeFor(const QString &fullPath,
                                                   QHash<QString, _FileNode *> &nodes)
{
    if (fullPath.isEmpty())
        return &m_root;
    if (_FileNode *known = nodes.value(fullPath))
        return known;
    const int slash = fullPath.lastIndexOf(QLatin1Char('/'));
    // Parents missing from the manifest are made up, so that a file never lands at the top of
    // the tree just because its folder has no record of its own.
    _FileNode *parent = slash < 0 ? &m_root : nodeFor(fullPath.left(slash), nodes);
    auto node = std::make_unique<_FileNode>();
    node->name = fullPath.mid(slash + 1);
    node->parent = parent;
    _FileNode *raw = node.get();
    parent->children.push_back(std::move(node));
    nodes.insert(fullPath, raw);
    return raw;
}

const BackupManifest::_FileNode *BackupManifest::findNode(const QString &path) const
{
    const _FileNode *node = &m_root;
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        node = node->child(part);
        if (!node)
            return nullptr;
    }
    return node;
}

QByteArray BackupManifest::fileKey(const MBDBParser::_MBDBItem &item) const
{
    if (!m_info.isEncrypted || !item.encryptionKey.isValid())
        return QByteArray();
    const QString storedName = item.backupFileName();
    if (!isUnlocked())
        fail("IDS_BACKUP_LOCKED", storedName);
    const QByteArray key = unwrapKeyForClass(m_keybag, item.protectionClass,
                                             item.encryptionKey.data.mid(kKeyFieldPrefix));
    // Copying the cipher text as if it were the file would hand out garbage as a success.
    if (key.isEmpty())
        fail("IDS_BACKUP_FILE_KEY_FAILED", storedName);
    return key;
}

void BackupManifest::copyFile(const _FileNode *node, const QString &destination, void *userData,
                              CopyProgress progress) const
{
    const QString storedName = node->item.backupFileName();
    QFile source(m_folder.filePath(storedName));
    if (!source.open(QIODevice::ReadOnly))
        fail("IDS_BACKUP_FILE_READ_FAILED", source.fileName(), source.errorString());
    // Written under a temporary name and renamed at the end, so that a failed copy never
    // leaves a half-written file that a later run would take for a good one.
    QSaveFile target(destination);
    if (!target.open(QIODevice::WriteOnly))
        fail("IDS_BACKUP_FILE_WRITE_FAILED", destination, target.errorString());
    copyStream(source, target, node->item, storedName, userData, progress);
    if (!target.commit())
        fail("IDS_BACKUP_FILE_WRITE_FAILED", destination, target.errorString());
    setFileTimes(destination, node->item.modifiedTime);
}

void BackupManifest::copyStream(QIODevice &source, QIODevice &target,
                                const MBDBParser::_MBDBItem &item, const QString &storedName,
                                void *userData, CopyProgress progress) const
{
    const qint64 total = source.size();
    const QByteArray key = fileKey(item);
    std::unique_ptr<AesCbcDecryptor> decryptor;
    if (!key.isEmpty())
        decryptor = std::make_unique<AesCbcDecryptor>(key, item.size);
    qint64 done = 0;
    quint64 written = 0;
    while (!source.atEnd()) {
        const QByteArray chunk = source.read(kChunkSize);
        if (chunk.isEmpty())
            fail("IDS_BACKUP_FILE_READ_FAILED", storedName, source.errorString());
        QByteArray out = chunk;
        if (decryptor) {
            const std::optional<QByteArray> plain = decryptor->decryptChunk(chunk);
            if (!plain)
                fail("IDS_AES_INVALID_INPUT_LENGTH", storedName);
            out = *plain;
        }
        if (target.write(out) != out.size())
            fail("IDS_BACKUP_FILE_WRITE_FAILED", storedName, target.errorString());
        done += chunk.size();
        written += static_cast<quint64>(out.size());
        if (progress)
            progress(total, done, userData);
    }
    // Decrypted data shorter than the recorded size is a cut-off stored file.
    if (decryptor && written < item.size)
        fail("IDS_BACKUP_FILE_SHORT", storedName);
}

QString BackupManifest::targetPath(const QString &folder, const _FileNode *base,
                                   const _FileNode *node)
{
    QStringList parts;
    const _FileNode *stop = base ? base->parent : nullptr;
    for (const _FileNode *n = node; n && n != stop && n->parent; n = n->parent) {
        const QString name = g_formatFileName(n->name);
        if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
            return QString();
        parts.prepend(name);
    }
    return g_safeChildPath(folder, parts.join(QLatin1Char('/')));
}

int BackupManifest::extractNode(const _FileNode *node, const QString &folder) const
{
    int copied = 0;
    // An explicit stack keeps deep trees from exhausting the call stack.
    std::vector<const _FileNode *> pending{node};
    while (!pending.empty()) {
        const _FileNode *current = pending.back();
        pending.pop_back();
        const QString target = targetPath(folder, node, current);
        if (target.isEmpty()) {
            qCWarning(lcItunes) << "not extracting" << current->fullPath() << "outside" << folder;
            continue;
        }
        if (current->isFolder()) {
            if (!QDir().mkpath(target))
                fail("IDS_CANNOT_CREATE_FOLDER", target);
            for (auto it = current->children.rbegin(); it != current->children.rend(); ++it)
                pending.push_back(it->get());
        } else if (m_folder.exists(current->item.backupFileName())) {
            copyFile(current, target);
            ++copied;
        }
    }
    return copied;
}

bool BackupManifest::setPasscode(const QString &password)
{
    try {
        unlock(password);
        return true;
    } catch (const InvalidPasswordError &) {
        return false;
    }
}

void BackupManifest::unlock(const QString &password)
{
    // A fresh parse each time: a failed attempt may have unwrapped some class keys already.
    m_keybag = _KeybagInfo();
    m_keybag = g_unlockKeybag(m_info.backupKeyBag, password.toUtf8());
}

QString BackupManifest::dirPathMd5() const
{
    return g_pathHash(m_folder.absolutePath());
}

QDir BackupManifest::iTunesBackupDir()
{
    return QDir(QDir(g_osAppDir()).filePath(QStringLiteral("MobileSync/Backup")));
}

bool BackupManifest::isBackupFolder(const QDir &folder)
{
    return folder.exists(QStringLiteral("Manifest.plist")) &&
           folder.exists(QStringLiteral("Manifest.mbdb"));
}
