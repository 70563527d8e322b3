#pragma once

#include "itunes/keybaginfo.h"
#include "itunes/mbdbparser.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

// One backup folder of an iPhone: Manifest.plist (device information, keybag), Manifest.mbdb
// (the file list) and the stored files named by MBDBParser::getFileHashName. Errors are thrown as
// std::runtime_error with a text for the user.
class BackupManifest : public QObject
{
    Q_OBJECT

public:
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
    };

    // One node of the phone's file tree, all domains merged. A node owns its children.
    struct _FileNode
    {
        QString name;
        // Empty for the nodes the tree builder makes up (the root, "Applications", missing
        // parent folders).
        MBDBParser::_MBDBItem item;
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

    // Reads Manifest.plist. Throws when it is missing, unreadable or holds no dictionary.
    void readManifestInfo();
    // Builds the file tree from Manifest.mbdb once; records whose domain or path could lead out
    // of an extraction folder are left out. Errors of the manifest parser propagate.
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
    // As setPasscode, but a wrong password throws InvalidPasswordError.
    void unlock(const QString &password);
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

    // Where the phone-management software keeps its backups, one sub-folder per backup.
    static QDir iTunesBackupDir();
    // True for a folder holding both Manifest.plist and Manifest.mbdb.
    static bool isBackupFolder(const QDir &folder);

private:
    QString makeDisplayName() const;
    QByteArray fileKey(const MBDBParser::_MBDBItem &item) const;
    void copyStream(QIODevice &source, QIODevice &target, const MBDBParser::_MBDBItem &item,
                    const QString &storedName, void *userData, CopyProgress progress) const;
    _FileNode *nodeFor(const QString &fullPath, QHash<QString, _FileNode *> &nodes);

    _InfoPlist m_info;
    QString m_displayName;
    QDir m_folder;
    _FileNode m_root;
    _KeybagInfo m_keybag;
};
