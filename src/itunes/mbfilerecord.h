#pragma once

#include "itunes/mbdbparser.h"

#include <QByteArray>

#include <optional>

// The "file" column of a Manifest.db row: a keyed archive (binary or XML property list) whose
// root object describes one file of the phone. Read into the same record the Manifest.mbdb reader
// fills, so that everything above the file list works the same for both layouts.
class MBFileRecord
{
public:
    // Fills mode, size, times, owner, inode, protection class, symbolic-link target and the
    // 44-byte encryption key field (4-byte class prefix and wrapped key) of item. Values may be
    // held inline or by reference ($objects index); a missing ProtectionClass is taken from the
    // key's little-endian class prefix. Nothing when the data is no keyed archive or its root is
    // no dictionary; the fields of item are then unchanged.
    static std::optional<MBDBParser::_MBDBItem> parse(const QByteArray &blob,
                                                      const MBDBParser::_MBDBItem &base);

    // Mode type bits of a regular file, a folder and a symbolic link.
    static constexpr quint16 kTypeMask = 0xF000;
    static constexpr quint16 kRegular = 0x8000;
    static constexpr quint16 kFolder = 0x4000;
    static constexpr quint16 kLink = 0xA000;
};
