#include "itunes/manifestdbreader.h"

#include "frame/translation.h"
#include "itunes/ituneslog.h"
#include "itunes/mbfilerecord.h"
#include "model/sqlite3cursor.h"
#include "model/sqlite3db.h"

#include <QRegularExpression>

#include <stdexcept>

namespace {

constexpr quint16 kDefaultFileMode = 0x81A4;
constexpr quint16 kDefaultFolderMode = 0x41ED;

MBDBParser::_MBDBBinary binary(const QString &text)
{
    MBDBParser::_MBDBBinary out;
    const QByteArray data = text.toUtf8();
    if (!data.isEmpty() && data.size() <= 0xFFFE) {
        out.length = static_cast<quint16>(data.size());
        out.data = data;
    }
    return out;
}

// The kind of a row: its flags, or for flags 0 (seen in real backups) the type in its mode.
int kindOf(int flags, quint16 mode)
{
    if (flags != 0)
        return flags;
    switch (mode & MBFileRecord::kTypeMask) {
    case MBFileRecord::kRegular:
        return ManifestDbReader::kFile;
    case MBFileRecord::kFolder:
        return ManifestDbReader::kFolder;
    case MBFileRecord::kLink:
        return ManifestDbReader::kLink;
    default:
        return 0;
    }
}

} // namespace

std::optional<ManifestDbReader::Entry> ManifestDbReader::entryOf(const QString &fileId,
                                                                 const QString &domain,
                                                                 const QString &relativePath,
                                                                 int flags, const QByteArray &file)
{
    static const QRegularExpression id(QStringLiteral("^[0-9a-f]{40}$"));
    MBDBParser::_MBDBItem base;
    base.domain = binary(domain);
    base.path = binary(relativePath);
    const std::optional<MBDBParser::_MBDBItem> parsed = MBFileRecord::parse(file, base);
    Entry entry;
    entry.item = parsed.value_or(base);
    const int kind = kindOf(flags, entry.item.mode);
    const quint16 type = entry.item.mode & MBFileRecord::kTypeMask;
    if (kind == kLink || type == MBFileRecord::kLink) {
        qCInfo(lcItunes) << "leaving out link" << domain << relativePath;
        return std::nullopt;
    }
    if (kind == kFolder) {
        if (type == 0)
            entry.item.mode = kDefaultFolderMode;
        entry.item.size = 0;
        return entry;
    }
    if (kind != kFile || (type != 0 && type != MBFileRecord::kRegular)) {
        qCWarning(lcItunes) << "leaving out row of unknown kind" << flags << domain << relativePath;
        return std::nullopt;
    }
    // The id becomes a path inside the backup folder: only its own form is accepted.
    if (!id.match(fileId).hasMatch()) {
        qCWarning(lcItunes) << "leaving out row with malformed file id" << domain << relativePath;
        return std::nullopt;
    }
    if (type == 0)
        entry.item.mode = kDefaultFileMode;
    entry.storedName = fileId.left(2) + QLatin1Char('/') + fileId;
    return entry;
}

std::vector<ManifestDbReader::Entry> ManifestDbReader::read(const QString &dbPath)
{
    Sqlite3DB db;
    db.openThrow(dbPath, Sqlite3DB::kOpenReadOnly);
    if (db.tbInfo(QStringLiteral("Files")).isEmpty())
        throw std::runtime_error(g_tr("IDS_MANIFEST_DB_NO_FILES_%1").arg(dbPath).toStdString());
    Sqlite3Cursor cursor = db.queryThrow(
        QStringLiteral("select fileID, domain, relativePath, flags, file from Files"));
    std::vector<Entry> entries;
    while (cursor.moveNext()) {
        std::optional<Entry> entry =
            entryOf(cursor.getText(0), cursor.getText(1), cursor.getText(2), cursor.getInt(3),
                    cursor.getBlob(4));
        if (entry)
            entries.push_back(std::move(*entry));
    }
    return entries;
}
