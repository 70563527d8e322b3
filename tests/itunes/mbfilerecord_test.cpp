#include "itunes/manifestdbreader.h"
#include "itunes/mbfilerecord.h"
#include "model/qplist.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QDir>

namespace {

QByteArray seed(const char *name)
{
    return readAll(QDir(QStringLiteral(TEXTLINK_TEST_DATA_DIR "/mbfile")).filePath(name));
}

} // namespace

// Records written by another implementation of keyed archives (the seed corpus): each form a
// phone uses reads to the same fields.
TEST(MBFileRecord, ReadsEveryFormPhonesWrite)
{
    struct Case
    {
        const char *file;
        quint16 mode;
        quint64 size;
        int protectionClass;
        int keyBytes;
        bool link;
    };
    const QList<Case> cases{{"plain_file.bplist", 0100644, 5, 0, 0, false},
                            {"key_by_reference.bplist", 0100644, 5, 3, 44, false},
                            // No ProtectionClass: the key's little-endian prefix names it.
                            {"key_inline_no_class.bplist", 0100644, 5, 3, 44, false},
                            {"folder.bplist", 040755, 0, 0, 0, false},
                            {"link.bplist", 0120755, 0, 0, 0, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        const QByteArray blob = seed(c.file);
        ASSERT_FALSE(blob.isEmpty());
        const std::optional<MBDBParser::_MBDBItem> item =
            MBFileRecord::parse(blob, MBDBParser::_MBDBItem());
        ASSERT_TRUE(item.has_value());
        EXPECT_EQ(item->mode, c.mode);
        EXPECT_EQ(item->size, c.size);
        EXPECT_EQ(item->modifiedTime, 1500000000u);
        EXPECT_EQ(item->protectionClass, c.protectionClass);
        EXPECT_EQ(item->encryptionKey.data.size(), c.keyBytes);
        EXPECT_EQ(item->isLink(), c.link);
        EXPECT_EQ(item->isFolder(), c.mode == 040755);
    }
    // A string holding a zero byte once aborted the program inside libplist.
    const QByteArray zeroByte = seed("crash_string_with_zero_byte.bplist");
    ASSERT_FALSE(zeroByte.isEmpty());
    EXPECT_TRUE(MBFileRecord::parse(zeroByte, {}).has_value());
    const QString key = QPlist::fromFileBin(zeroByte)
                            .get(QStringLiteral("$objects"))
                            .at(1)
                            .get(QStringLiteral("EncryptionKey"))
                            .toString();
    EXPECT_TRUE(key.contains(QChar(0))) << key.size();
    // A record cut short, or not an archive at all, is no record.
    EXPECT_FALSE(MBFileRecord::parse(seed("plain_file.bplist").left(40), {}).has_value());
    EXPECT_FALSE(MBFileRecord::parse("bplist00", {}).has_value());
}

// What a row becomes: only its own kind of id names a stored file; links and unknown kinds are
// left out; flags 0 is decided by the record's mode.
TEST(ManifestDbReader, RowKindsAndIds)
{
    const QString id = QStringLiteral("3d0d7e5fb2ce288813306e4d4636395e047a3d28");
    struct Case
    {
        const char *name;
        QString fileId;
        int flags;
        const char *record;
        bool kept;
        const char *stored;
    };
    const QList<Case> cases{
        {"file", id, 1, "plain_file.bplist", true, "3d/3d0d7e5fb2ce288813306e4d4636395e047a3d28"},
        {"flags 0, mode says file", id, 0, "plain_file.bplist", true,
         "3d/3d0d7e5fb2ce288813306e4d4636395e047a3d28"},
        {"flags 0, mode says folder", id, 0, "folder.bplist", true, ""},
        {"folder", id, 2, "folder.bplist", true, ""},
        {"link row", id, 4, "link.bplist", false, ""},
        {"file row whose record is a link", id, 1, "link.bplist", false, ""},
        {"unknown flags", id, 16, "plain_file.bplist", false, ""},
        {"id naming a path", QStringLiteral("../../etc/passwd"), 1, "plain_file.bplist", false, ""},
        {"upper-case id", id.toUpper(), 1, "plain_file.bplist", false, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<ManifestDbReader::Entry> entry = ManifestDbReader::entryOf(
            c.fileId, QStringLiteral("HomeDomain"), QStringLiteral("Library/SMS/sms.db"), c.flags,
            seed(c.record));
        ASSERT_EQ(entry.has_value(), c.kept);
        if (entry) {
            EXPECT_EQ(entry->storedName, QLatin1String(c.stored));
        }
    }
}
