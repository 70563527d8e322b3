#pragma once

#include "itunes/keybaginfo.h"
#include "itunes/keyderivation.h"
#include "itunes/manifestdbreader.h"
#include "itunes/mbdbparser.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

// One backup folder of an iPhone in either layout: Manifest.plist (device information, keybag),
// Manifest.mbdb (the file list) and the stored files named by MBDBParser::getFileHashName in the
// folder itself; or, from iOS 10 on, Manifest.db (the file list, itself encrypted in encrypted
// backups of iOS 10.2 on) and the stored files in two-hex-digit sub-folders. Errors are thrown as
// std::runtime_error with a text for the user.
class BackupManifest : public QObject
{
    Q_OBJECT

public:
    enum class Layout { Mbdb, ManifestDb };
    enum class StoredFile { Present, Missing, Link };

    struct _InfoPlist
    {
        QString uniqueDeviceID;
        QString deviceName;
        // Local time.
        QDateTime date;
        QString productType;
        QString productVersion;
        QString serialNumber;
        bool isEncrypted = false;
        QByteArray backupKeyBag;
        // The wrapped key of an encrypted Manifest.db, after four bytes of protection class.
        QByteArray manifestKey;
        // Status.plist says the backup finished; an unfinished one is still read.
        bool complete = false;
    };

    // One node of the phone's file tree, all domains merged. A node owns its children.
    struct _FileNode
    {
        QString name;
        // Empty for the nodes the tree builder makes up (the root, "Applications", missing
        // parent folders).
        MBDBParser::_MBDBItem item;
        // The stored file's path inside the backup folder; empty for folders.
        QString storedName;
        _FileNode *parent = nullptr;
        std::vector<std::unique_ptr<_FileNode>> children;

        bool isFolder() const { return item.isFolder(); }
        // The first child of that name, or null.
        const _FileNode *child(const QString &childName,
                               Qt::CaseSensitivity cs = Qt::CaseInsensitive) const;
        // The node's path from the root, "/"-separated, without a leading "/".
        QString fullPath() const;
    };

    // (total bytes, bytes done, user data) after every piece of a copy.
    using CopyProgress = void (*)(qint64 total, qint64 done, void *userData);

    explicit BackupManifest(const QString &folder, QObject *parent = nullptr);
    ~BackupManifest() override;

    // Reads Manifest.plist, or Info.plist in a modern folder without one (a plain backup), and
    // Status.plist. Throws when it is missing, unreadable or holds no dictionary.
    void readManifestInfo();
    // Builds the file tree from the file list once; records whose domain or path could lead out
    // of an extraction folder are left out, and so are links. An encrypted Manifest.db is
    // decrypted into a private temporary file that is removed before this returns. Errors of the
    // file list readers propagate.
    void parseInfo();

    // Copies the node's stored file to destination, decrypting it in an encrypted backup. The
    // file appears under its name only when the copy is complete; a failed copy leaves nothing
    // there. The destination's times are set to the record's modified time.
    void copyFile(const _FileNode *node, const QString &destination, void *userData = nullptr,
                  CopyProgress progress = nullptr) const;
    // Copies a node and everything below it into folder (a folder node becomes a sub-folder of
    // its name). Nothing is ever written outside folder; stored files missing from the backup
    // are skipped. Returns the number of files copied.
    int extractNode(const _FileNode *node, const QString &folder) const;
    // Where extractNode puts node when extracting base into folder: the names below base made
    // file-name safe; "" when the result would not lie inside folder.
    static QString targetPath(const QString &folder, const _FileNode *base, const _FileNode *node);

    // False for a wrong password; throws std::runtime_error for a damaged keybag.
    bool setPasscode(const QString &password);
    // As setPasscode, but a wrong password throws InvalidPasswordError. The checkpoint is called
    // during the key derivation and may throw to cancel it.
    void unlock(const QString &password, const KeyDerivation::Checkpoint &checkpoint = {});
    bool isUnlocked() const { return !m_keybag.isEmpty(); }

    // MD5 of the folder's absolute path; equal values mean the same backup.
    QString dirPathMd5() const;
    QString path() const { return m_folder.absolutePath(); }
    const QDir &folder() const { return m_folder; }
    const _InfoPlist &info() const { return m_info; }
    bool isEncrypted() const { return m_info.isEncrypted; }
    QString displayName() const { return m_displayName; }
    const _FileNode &root() const { return m_root; }
    // The node at a "/"-separated path (case-insensitive), or null.
    const _FileNode *findNode(const QString &path) const;
    Layout layout() const { return m_layout; }
    // Whether the node's stored file is there as a regular file. A stored file (or its folder)
    // that is a symbolic link is never read: it could name anything on this computer.
    StoredFile storedFile(const _FileNode *node) const;

    // Where the phone-management software keeps its backups, one sub-folder per backup.
    static QDir iTunesBackupDir();
    // True for a folder holding Manifest.plist and Manifest.mbdb, or Manifest.db and
    // Manifest.plist or Info.plist.
    static bool isBackupFolder(const QDir &folder);
    // The layout of a backup folder; Mbdb when it holds no Manifest.db.
    static Layout layoutOf(const QDir &folder);

private:
    QString makeDisplayName() const;
    void readInfoPlist(_InfoPlist &info) const;
    void readStatus(_InfoPlist &info) const;
    std::vector<ManifestDbReader::Entry> mbdbEntries() const;
    std::vector<ManifestDbReader::Entry> manifestDbEntries() const;
    void decryptManifestDb(QIODevice &target) const;
    void buildTree(const std::vector<ManifestDbReader::Entry> &entries);
    QByteArray fileKey(const MBDBParser::_MBDBItem &item, const QString &storedName) const;
    // storedName: how errors and the log name the file.
    void copyStream(QIODevice &source, QIODevice &target, const MBDBParser::_MBDBItem &item,
                    const QString &storedName, void *userData, CopyProgress progress) const;
    _FileNode *nodeFor(const QString &fullPath, QHash<QString, _FileNode *> &nodes);

    _InfoPlist m_info;
    QString m_displayName;
    QDir m_folder;
    Layout m_layout = Layout::Mbdb;
    _FileNode m_root;
    _KeybagInfo m_keybag;
};
