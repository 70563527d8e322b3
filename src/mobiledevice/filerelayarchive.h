#pragma once

#include <QDir>
#include <QString>

class AbsProgress;

// Unpacks the archive a phone's file relay sends (cpio, gzip'd or not; libarchive reads every
// format it knows). Only folders and regular files are written, and only below the target folder:
// entries whose path is absolute or climbs out with "..", links, devices and FIFOs are skipped.
class FileRelayArchive
{
public:
    struct _Result
    {
        int files = 0;
        int folders = 0;
        int skipped = 0;
    };

    // Writes the entries below folder (made when missing). progress, when given, shows each entry
    // and is checked for a cancel (throws kUserCancelled). A damaged or truncated archive throws
    // std::runtime_error; the file being written then is removed, so that no half file remains.
    static _Result extract(const QString &archivePath, const QDir &folder,
                           AbsProgress *progress = nullptr);

    // The entry's path as it is written below the target folder: without a leading "./" and
    // without the characters : * ? " < > |. Empty when the entry must not be written (absolute,
    // a ".." component, or nothing left).
    static QString cleanEntryPath(const QString &path);
};
