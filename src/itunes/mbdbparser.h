#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <cstdint>

// Reads the binary file list of a backup folder ("Manifest.mbdb") and derives the names under
// which the backup stores each file's content.
class MBDBParser
{
public:
    // One length-prefixed string of the manifest.
    struct _MBDBBinary
    {
        // 1..65534: present with this many bytes; 0xFFFF (and 0) mark an absent string.
        quint16 length = 0xFFFF;
        QByteArray data;

        bool isValid() const { return length >= 1 && length <= 0xFFFE; }
        // UTF-8 text when present, else "".
        QString toString() const;
    };

    struct _MBDBProperty
    {
        _MBDBBinary name;
        _MBDBBinary value;
    };

    // One record of the manifest, fields in file order.
    struct _MBDBItem
    {
        _MBDBBinary domain;
        _MBDBBinary path;
        _MBDBBinary linkTarget;
        _MBDBBinary dataHash;
        _MBDBBinary encryptionKey;
        quint16 mode = 0;
        quint32 inodeHigh = 0;
        quint32 inodeLow = 0;
        quint32 userId = 0;
        quint32 groupId = 0;
        quint32 modifiedTime = 0;
        quint32 accessedTime = 0;
        quint32 createdTime = 0;
        quint64 size = 0;
        quint8 protectionClass = 0;
        QList<_MBDBProperty> properties;

        // By the type in the mode when it has one, else by the absence of size and link target.
        bool isFolder() const;
        // A symbolic link: never followed, never written.
        bool isLink() const;
        QString backupFileName() const;
        // False when the domain or the path could lead a file copied out of the backup outside
        // the folder it is copied into (see g_isSafeRelativePath); such records are to be skipped.
        bool hasSafePath() const;
    };

    using ItemMap = QHash<QString, _MBDBItem>;

    // Reads the whole manifest, keyed by stored file name; a later record of the same domain and
    // path replaces an earlier one. Throws std::runtime_error naming the file when it cannot be
    // opened, is not a manifest, or ends inside a record; never returns a partial map.
    static ItemMap parse(const QString &mbdbPath);

    // SHA-1 of the UTF-8 text domain + "-" + path, as 40 lower-case hexadecimal digits.
    static QString getFileHashName(const QString &domain, const QString &path);
};
