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
#include <QTemporaryFile>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
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

using Entry = ManifestDbReader::Entry;

bool entryLess(const Entry *a, const Entry *b)
{
    const int byDomain = QString::compare(a->item.domain.toString(), b->item.domain.toString());
    return byDomain != 0 ? byDomain < 0 : a->item.path.toString() < b->item.path.toString();
}

const QString kManifestDb = QStringLiteral("Manifest.db");
const QString kManifestPlist = QStringLiteral("Manifest.plist");
const QString kInfoPlist = QStringLiteral("Info.plist");
const QByteArray kSqliteMagic("SQLite format 3", 16);
// Bytes 16-17 of an SQLite file: its page size, 1 standing for 65536.
constexpr int kPageSizeOffset = 16;
constexpr int kAesBlock = 16;

// Opens a file for reading without following a symbolic link in its last component.
void openNoFollow(QFile &file, const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        fail("IDS_BACKUP_FILE_READ_FAILED", path, QString::fromLocal8Bit(std::strerror(errno)));
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        fail("IDS_BACKUP_FILE_READ_FAILED", path, file.errorString());
    }
}

qint64 sqlitePageSize(const QByteArray &header)
{
    if (header.size() < kPageSizeOffset + 2 || !header.startsWith(kSqliteMagic))
        return 0;
    const quint16 size = qFromBigEndian<quint16>(header.constData() + kPageSizeOffset);
    return size == 1 ? 65536 : size;
}

// How many bytes at the end of a decrypted Manifest.db are padding. A file of whole pages has
// none (real encrypted backups come that way); otherwise a valid PKCS#7 tail is dropped.
int manifestPadding(qint64 length, qint64 pageSize, const QByteArray &tail)
{
    if (length % pageSize == 0 || tail.isEmpty())
        return 0;
    const int n = static_cast<quint8>(tail.back());
    if (n < 1 || n > kAesBlock || n > tail.size())
        return 0;
    for (int i = tail.size() - n; i < tail.size(); ++i) {
        if (static_cast<quint8>(tail.at(i)) != n)
            return 0;
    }
    return n;
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

bool isLinkAt(const QString &path, bool &exists)
{
    struct stat st;
    exists = ::lstat(QFile::encodeName(path).constData(), &st) == 0;
    return exists && S_ISLNK(st.st_mode);
}

bool isMadeUp(const BackupManifest::_FileNode &node)
{
    return !node.item.domain.isValid();
}

QString plistString(const QPlist &dict, const char *key)
{
    return dict.get(QLatin1String(key)).toString();
}

// The phone's description stands in Info.plist and in Manifest.plist's "Lockdown", spelled
// differently in each.
struct DeviceField
{
    const char *infoKey;
    const char *lockdownKey;
    QString BackupManifest::_InfoPlist::*field;
};

const DeviceField kDeviceFields[] = {
    {"Unique Identifier", "UniqueDeviceID", &BackupManifest::_InfoPlist::uniqueDeviceID},
    {"Device Name", "DeviceName", &BackupManifest::_InfoPlist::deviceName},
    {"Product Type", "ProductType", &BackupManifest::_InfoPlist::productType},
    {"Product Version", "ProductVersion", &BackupManifest::_InfoPlist::productVersion},
    {"Serial Number", "SerialNumber", &BackupManifest::_InfoPlist::serialNumber},
};

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
    m_layout = layoutOf(m_folder);
    const QString file = m_folder.filePath(kManifestPlist);
    _InfoPlist info;
    if (!QFileInfo::exists(file)) {
        // Plain modern backups come without Manifest.plist: Info.plist describes them.
        if (m_layout != Layout::ManifestDb || !m_folder.exists(kInfoPlist))
            fail("IDS_CANNOT_FIND_FILE", QDir::toNativeSeparators(file));
        readInfoPlist(info);
    } else {
        const QPlist plist = QPlist::fromFile(file);
        if (!plist.isDict())
            fail("IDS_MANIFEST_PLIST_NO_DICT", QDir::toNativeSeparators(file));
        const QPlist lockdown = plist.get(QStringLiteral("Lockdown"));
        for (const DeviceField &f : kDeviceFields)
            info.*f.field = plistString(lockdown, f.lockdownKey);
        info.date = plist.get(QStringLiteral("Date")).toDate();
        info.isEncrypted = plist.get(QStringLiteral("IsEncrypted")).toBool();
        info.backupKeyBag = plist.get(QStringLiteral("BackupKeyBag")).toData();
        info.manifestKey = plist.get(QStringLiteral("ManifestKey")).toData();
    }
    readStatus(info);
    info.date = info.date.isValid() ? info.date.toLocalTime() : QDateTime();
    m_info = info;
    m_displayName = makeDisplayName();
}

void BackupManifest::readInfoPlist(_InfoPlist &info) const
{
    const QString file = m_folder.filePath(kInfoPlist);
    const QPlist plist = QPlist::fromFile(file);
    if (!plist.isDict())
        fail("IDS_MANIFEST_PLIST_NO_DICT", QDir::toNativeSeparators(file));
    for (const DeviceField &f : kDeviceFields)
        info.*f.field = plistString(plist, f.infoKey);
    info.date = plist.get(QStringLiteral("Last Backup Date")).toDate();
}

void BackupManifest::readStatus(_InfoPlist &info) const
{
    const QString status = m_folder.filePath(QStringLiteral("Status.plist"));
    if (!QFileInfo::exists(status))
        return;
    try {
        const QPlist plist = QPlist::fromFile(status);
        info.complete = plistString(plist, "SnapshotState") == QLatin1String("finished");
        // Some writers keep the date of the last backup only in the backup's status.
        if (!info.date.isValid())
            info.date = plist.get(QStringLiteral("Date")).toDate();
    } catch (const std::runtime_error &e) {
        qCWarning(lcItunes) << "ignoring" << status << ":" << e.what();
    }
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
    buildTree(m_layout == Layout::ManifestDb ? manifestDbEntries() : mbdbEntries());
}

std::vector<Entry> BackupManifest::mbdbEntries() const
{
    const MBDBParser::ItemMap items =
        MBDBParser::parse(m_folder.filePath(QStringLiteral("Manifest.mbdb")));
    std::vector<Entry> entries;
    entries.reserve(static_cast<size_t>(items.size()));
    for (auto it = items.cbegin(); it != items.cend(); ++it)
        entries.push_back({it.value(), it.key()});
    return entries;
}

std::vector<Entry> BackupManifest::manifestDbEntries() const
{
    const QString stored = m_folder.filePath(kManifestDb);
    // Encrypted backups of iOS 10.0 and 10.1 have no ManifestKey: their list is plain.
    if (!m_info.isEncrypted || m_info.manifestKey.isEmpty())
        return ManifestDbReader::read(stored);
    // The plain list holds every file key: it lives only in a private temporary file, removed
    // when this returns or throws.
    QTemporaryFile plain(QDir(QDir::tempPath()).filePath(QStringLiteral("textlink-XXXXXX.db")));
    if (!plain.open())
        fail("IDS_BACKUP_FILE_WRITE_FAILED", plain.fileName(), plain.errorString());
    decryptManifestDb(plain);
    if (!plain.flush())
        fail("IDS_BACKUP_FILE_WRITE_FAILED", plain.fileName(), plain.errorString());
    return ManifestDbReader::read(plain.fileName());
}

void BackupManifest::decryptManifestDb(QIODevice &target) const
{
    if (!isUnlocked())
        fail("IDS_BACKUP_LOCKED", kManifestDb);
    const QByteArray &field = m_info.manifestKey;
    // The class is a little-endian prefix here, unlike the keybag's big-endian numbers.
    const QByteArray key =
        field.size() <= kKeyFieldPrefix
            ? QByteArray()
            : unwrapKeyForClass(m_keybag,
                                static_cast<int>(qFromLittleEndian<quint32>(field.constData())),
                                field.mid(kKeyFieldPrefix));
    if (key.isEmpty())
        fail("IDS_BACKUP_FILE_KEY_FAILED", kManifestDb);
    QFile source;
    openNoFollow(source, m_folder.filePath(kManifestDb));
    // Nothing is cut by size: the file's end is found from its pages and padding.
    AesCbcDecryptor decryptor(key, std::numeric_limits<quint64>::max());
    QByteArray header;
    QByteArray held;
    qint64 length = 0;
    while (!source.atEnd()) {
        const QByteArray chunk = source.read(kChunkSize);
        if (chunk.isEmpty())
            fail("IDS_BACKUP_FILE_READ_FAILED", kManifestDb, source.errorString());
        const std::optional<QByteArray> plain = decryptor.decryptChunk(chunk);
        if (!plain)
            fail("IDS_AES_INVALID_INPUT_LENGTH", kManifestDb);
        if (header.isEmpty())
            header = plain->left(kPageSizeOffset + 2);
        length += plain->size();
        // The last block is held back until the end, where it may turn out to be padding.
        held += *plain;
        const qsizetype ready = held.size() - kAesBlock;
        if (ready > 0) {
            if (target.write(held.constData(), ready) != ready)
                fail("IDS_BACKUP_FILE_WRITE_FAILED", kManifestDb, target.errorString());
            held.remove(0, ready);
        }
    }
    const qint64 pageSize = sqlitePageSize(header);
    // A wrong class key unwraps nothing, so a bad header means a damaged file.
    if (pageSize < 512)
        fail("IDS_MANIFEST_DB_DAMAGED_%1",
             QDir::toNativeSeparators(m_folder.filePath(kManifestDb)));
    held.chop(manifestPadding(length, pageSize, held));
    if (target.write(held) != held.size())
        fail("IDS_BACKUP_FILE_WRITE_FAILED", kManifestDb, target.errorString());
}

void BackupManifest::buildTree(const std::vector<Entry> &entries)
{
    std::vector<const Entry *> sorted;
    sorted.reserve(entries.size());
    for (const Entry &entry : entries)
        sorted.push_back(&entry);
    std::stable_sort(sorted.begin(), sorted.end(), entryLess);

    QHash<QString, _FileNode *> nodes;
    for (const Entry *entry : sorted) {
        const MBDBParser::_MBDBItem &item = entry->item;
        const QString fullPath = treePath(item);
        if (fullPath.isEmpty())
            continue; // a domain's own root record
        if (!item.hasSafePath() || !hasPlainComponents(fullPath)) {
            qCWarning(lcItunes) << "skipping manifest record with unsafe path"
                                << item.domain.toString() << item.path.toString();
            continue;
        }
        if (item.isLink()) {
            qCInfo(lcItunes) << "leaving out link" << item.domain.toString()
                             << item.path.toString();
            continue;
        }
        _FileNode *existing = nodes.value(fullPath);
        if (existing) {
            // The first record of a path wins; a folder made up for a later-sorted child only
            // takes the record that describes it.
            if (isMadeUp(*existing)) {
                existing->item = item;
                existing->storedName = entry->storedName;
            }
            continue;
        }
        _FileNode *node = nodeFor(fullPath, nodes);
        node->item = item;
        node->storedName = entry->storedName;
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

QByteArray BackupManifest::fileKey(const MBDBParser::_MBDBItem &item,
                                   const QString &storedName) const
{
    // Plain backups of real phones still carry keys in their records: they mean nothing there.
    if (!m_info.isEncrypted || !item.encryptionKey.isValid())
        return QByteArray();
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
    const QString &storedName = node->storedName;
    if (storedFile(node) != StoredFile::Present)
        fail("IDS_BACKUP_FILE_READ_FAILED", m_folder.filePath(storedName),
             g_tr("IDS_BACKUP_FILE_NOT_REGULAR"));
    QFile source;
    openNoFollow(source, m_folder.filePath(storedName));
    // Written under a temporary name and renamed at the end, so that a failed copy never
    // leaves a half-written file that a later run would take for a good one.
    QSaveFile target(destination);
    if (!target.open(QIODevice::WriteOnly))
        fail("IDS_BACKUP_FILE_WRITE_FAILED", destination, target.errorString());
    // Errors name the stored file by its path in the backup and by what it holds on the phone:
    // the stored name alone is a hash that tells the user nothing.
    const QString shown =
        QStringLiteral("%1 (%2)").arg(m_folder.filePath(storedName), node->fullPath());
    copyStream(source, target, node->item, shown, userData, progress);
    if (!target.commit())
        fail("IDS_BACKUP_FILE_WRITE_FAILED", destination, target.errorString());
    setFileTimes(destination, node->item.modifiedTime);
}

void BackupManifest::copyStream(QIODevice &source, QIODevice &target,
                                const MBDBParser::_MBDBItem &item, const QString &storedName,
                                void *userData, CopyProgress progress) const
{
    const qint64 total = source.size();
    const QByteArray key = fileKey(item, storedName);
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
    if (decryptor && (!decryptor->paddingMatches() || decryptor->bytesDecrypted() == item.size))
        qCInfo(lcItunes) << "stored file" << storedName << "ends without the padding its size"
                         << item.size << "implies";
    // In a plain backup the stored file is the truth; real phones record sizes that differ.
    if (!decryptor && written != item.size)
        qCInfo(lcItunes) << "stored file" << storedName << "has" << written << "bytes, its record"
                         << item.size;
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
        } else if (storedFile(current) == StoredFile::Present) {
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

void BackupManifest::unlock(const QString &password, const KeyDerivation::Checkpoint &checkpoint)
{
    // A fresh parse each time: a failed attempt may have unwrapped some class keys already.
    m_keybag = _KeybagInfo();
    m_keybag = g_unlockKeybag(m_info.backupKeyBag, password.toUtf8(), checkpoint);
}

BackupManifest::StoredFile BackupManifest::storedFile(const _FileNode *node) const
{
    if (!node || node->storedName.isEmpty())
        return StoredFile::Missing;
    // Every component below the backup folder is checked: a linked sub-folder leads out too.
    QString path = m_folder.absolutePath();
    for (const QString &part : node->storedName.split(QLatin1Char('/'))) {
        path += QLatin1Char('/') + part;
        bool exists = false;
        if (isLinkAt(path, exists)) {
            qCWarning(lcItunes) << "not reading" << path << ": it is a symbolic link";
            return StoredFile::Link;
        }
        if (!exists)
            return StoredFile::Missing;
    }
    return QFileInfo(path).isFile() ? StoredFile::Present : StoredFile::Missing;
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
    if (folder.exists(kManifestDb))
        return folder.exists(kManifestPlist) || folder.exists(kInfoPlist);
    return folder.exists(kManifestPlist) && folder.exists(QStringLiteral("Manifest.mbdb"));
}

BackupManifest::Layout BackupManifest::layoutOf(const QDir &folder)
{
    return folder.exists(kManifestDb) ? Layout::ManifestDb : Layout::Mbdb;
}
