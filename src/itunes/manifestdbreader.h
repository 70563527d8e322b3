#pragma once

#include "itunes/mbdbparser.h"

#include <QString>

#include <optional>
#include <vector>

// Reads the file list of a modern backup folder (the Files table of Manifest.db, iOS 10 on) into
// the records the Manifest.mbdb reader makes, each with the place of its stored file. Rows that
// name no usable stored file, links and rows of unknown kind are left out and logged: links are
// never followed nor written.
class ManifestDbReader
{
public:
    struct Entry
    {
        MBDBParser::_MBDBItem item;
        // "<id[0..1]>/<id>" for a file, empty for a folder.
        QString storedName;
    };

    // The kinds of the flags column.
    static constexpr int kFile = 1;
    static constexpr int kFolder = 2;
    static constexpr int kLink = 4;

    // dbPath: a plain (decrypted) Manifest.db. Throws std::runtime_error naming the file when it
    // cannot be read or has no Files table.
    static std::vector<Entry> read(const QString &dbPath);

    // One row; nothing when it is to be left out.
    static std::optional<Entry> entryOf(const QString &fileId, const QString &domain,
                                        const QString &relativePath, int flags,
                                        const QByteArray &file);
};
