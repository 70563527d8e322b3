#include "errortext.h"
#include "fixtures/mbdbwriter.h"
#include "itunes/mbdbparser.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QTemporaryDir>

#include <stdexcept>

namespace {

QString sha1Name(const QString &text)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha1).toHex());
}

class MbdbParserTest : public ::testing::Test
{
protected:
    QString write(const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("Manifest.mbdb"));
        writeFile(path, bytes);
        return path;
    }

    // A small manifest: a folder, a file with everything set, a symbolic link, and a file in an
    // application's domain whose path is not ASCII.
    static QList<MbdbWriter::Record> sampleRecords()
    {
        MbdbWriter::Record sms = MbdbWriter::file("HomeDomain", "Library/SMS/sms.db", "database");
        sms.encryptionKey = QByteArray(44, '\x11');
        sms.inode = 0x0000000100000002ULL;
        sms.userId = 501;
        sms.groupId = 502;
        sms.modifiedTime = 1400000001;
        sms.accessedTime = 1400000002;
        sms.createdTime = 1400000003;
        sms.protectionClass = 3;
        sms.properties = {{QByteArray("com.apple.assetsd.dbRebuildUuid"), QByteArray("1234")},
                          {QByteArray("flag"), std::nullopt}};
        MbdbWriter::Record link = MbdbWriter::file("HomeDomain", "Library/link", QByteArray());
        link.linkTarget = QByteArray("/private/var/target");
        link.mode = 0xA1ED;
        return {MbdbWriter::folder("HomeDomain", "Library/SMS"), sms, link,
                MbdbWriter::file("AppDomain-com.example.app", QString::fromUtf8("Documents/é.txt"),
                                 "hi")};
    }

    static QByteArray manifest(const QList<MbdbWriter::Record> &records)
    {
        MbdbWriter writer;
        for (const MbdbWriter::Record &record : records)
            writer.add(record);
        return writer.data();
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(MbdbParserTest, ReadsBackWhatWasWritten)
{
    const MBDBParser::ItemMap items = MBDBParser::parse(write(manifest(sampleRecords())));
    ASSERT_EQ(items.size(), 4);

    const MBDBParser::_MBDBItem folder = items.value(sha1Name("HomeDomain-Library/SMS"));
    EXPECT_EQ(folder.path.toString(), "Library/SMS");
    EXPECT_EQ(folder.mode, 0x41C0);
    EXPECT_TRUE(folder.isFolder());
    EXPECT_FALSE(folder.dataHash.isValid());
    EXPECT_EQ(folder.dataHash.length, 0xFFFF);

    const MBDBParser::_MBDBItem sms = items.value(sha1Name("HomeDomain-Library/SMS/sms.db"));
    EXPECT_EQ(sms.domain.toString(), "HomeDomain");
    EXPECT_EQ(sms.dataHash.data, QCryptographicHash::hash("database", QCryptographicHash::Sha1));
    EXPECT_EQ(sms.encryptionKey.data, QByteArray(44, '\x11'));
    EXPECT_EQ((QList<quint64>{sms.mode, sms.inodeHigh, sms.inodeLow, sms.userId, sms.groupId,
                              sms.modifiedTime, sms.accessedTime, sms.createdTime, sms.size,
                              quint64(sms.protectionClass)}),
              (QList<quint64>{0x81A4, 1, 2, 501, 502, 1400000001, 1400000002, 1400000003, 8, 3}));
    EXPECT_FALSE(sms.isFolder());
    ASSERT_EQ(sms.properties.size(), 2);
    EXPECT_EQ(sms.properties[0].name.toString(), "com.apple.assetsd.dbRebuildUuid");
    EXPECT_EQ(sms.properties[0].value.data, QByteArray("1234"));
    EXPECT_FALSE(sms.properties[1].value.isValid());

    // Size 0 but a link target: not a folder.
    const MBDBParser::_MBDBItem link = items.value(sha1Name("HomeDomain-Library/link"));
    EXPECT_EQ(link.linkTarget.toString(), "/private/var/target");
    EXPECT_FALSE(link.isFolder());

    const QString appName =
        sha1Name(QString::fromUtf8("AppDomain-com.example.app-Documents/é.txt"));
    ASSERT_TRUE(items.contains(appName));
    EXPECT_EQ(items.value(appName).path.toString(), QString::fromUtf8("Documents/é.txt"));
    for (auto it = items.cbegin(); it != items.cend(); ++it)
        EXPECT_EQ(it.value().backupFileName(), it.key());
}

TEST_F(MbdbParserTest, StoredFileNames)
{
    // The well-known name of the message database in every backup.
    EXPECT_EQ(MBDBParser::getFileHashName("HomeDomain", "Library/SMS/sms.db"),
              "3d0d7e5fb2ce288813306e4d4636395e047a3d28");
    const QString name = MBDBParser::getFileHashName("MediaDomain", QString::fromUtf8("Ä/ß"));
    EXPECT_EQ(name, sha1Name(QString::fromUtf8("MediaDomain-Ä/ß")));
    EXPECT_EQ(name.size(), 40);
    EXPECT_EQ(name, name.toLower());
    EXPECT_EQ(MBDBParser::getFileHashName("HomeDomain", ""), sha1Name("HomeDomain-"));
}

TEST_F(MbdbParserTest, AbsentAndEmptyStringsAreAlike)
{
    MbdbWriter::Record record = MbdbWriter::file("HomeDomain", "a", "x");
    record.linkTarget = QByteArray();    // length 0
    record.encryptionKey = std::nullopt; // 0xFFFF
    MbdbWriter writer;
    writer.add(record);
    writer.add(MbdbWriter::file("HomeDomain", "b", "y")); // must still be found after them
    const MBDBParser::ItemMap items = MBDBParser::parse(write(writer.data()));
    ASSERT_EQ(items.size(), 2);
    const MBDBParser::_MBDBItem item = items.value(sha1Name("HomeDomain-a"));
    EXPECT_FALSE(item.linkTarget.isValid());
    EXPECT_FALSE(item.encryptionKey.isValid());
    EXPECT_EQ(item.linkTarget.toString(), "");
    EXPECT_EQ(item.encryptionKey.toString(), "");
    EXPECT_EQ(items.value(sha1Name("HomeDomain-b")).size, 1u);
}

TEST_F(MbdbParserTest, HeaderOnlyAndDuplicates)
{
    EXPECT_TRUE(MBDBParser::parse(write(MbdbWriter().data())).isEmpty());

    MbdbWriter writer;
    writer.add(MbdbWriter::file("HomeDomain", "same", "first"));
    writer.add(MbdbWriter::file("HomeDomain", "same", "second, longer"));
    const MBDBParser::ItemMap items = MBDBParser::parse(write(writer.data()));
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items.cbegin().value().size, 14u);
}

TEST_F(MbdbParserTest, TruncatedAtEveryCutThrowsNamingTheFile)
{
    const QList<MbdbWriter::Record> records = sampleRecords();
    const QByteArray data = manifest(records);
    // A cut between records is a shorter, complete manifest.
    QHash<int, int> recordsAtBoundary;
    for (int k = 0; k <= records.size(); ++k)
        recordsAtBoundary.insert(manifest(records.mid(0, k)).size(), k);
    for (int cut = 0; cut <= data.size(); ++cut) {
        SCOPED_TRACE(cut);
        const QString path = write(data.left(cut));
        if (recordsAtBoundary.contains(cut)) {
            EXPECT_EQ(MBDBParser::parse(path).size(), recordsAtBoundary.value(cut));
            continue;
        }
        EXPECT_TRUE(errorText([&] { MBDBParser::parse(path); }).contains(path));
    }
}

TEST_F(MbdbParserTest, RefusesFilesThatAreNoManifest)
{
    const QString missing = m_dir.filePath("nothing-here.mbdb");
    EXPECT_TRUE(errorText([&] { MBDBParser::parse(missing); }).contains(missing));
    EXPECT_THROW(MBDBParser::parse(write("bplist00 not a manifest at all")), std::runtime_error);
    EXPECT_THROW(MBDBParser::parse(write("mbd")), std::runtime_error);
    // A string length promising more bytes than the file holds.
    EXPECT_THROW(MBDBParser::parse(write(QByteArray("mbdb\x05\x00\x7f\xff"
                                                    "abc",
                                                    11))),
                 std::runtime_error);
}

TEST(MbdbPaths, RecordsWithEscapingPathsAreRecognised)
{
    auto item = [](const char *domain, const char *path) {
        MBDBParser::_MBDBItem it;
        it.domain.length = static_cast<quint16>(qstrlen(domain));
        it.domain.data = domain;
        it.path.length = static_cast<quint16>(qstrlen(path));
        it.path.data = path;
        return it;
    };
    EXPECT_TRUE(item("HomeDomain", "Library/SMS/sms.db").hasSafePath());
    EXPECT_TRUE(item("AppDomain-com.example", "Documents/a").hasSafePath());
    EXPECT_FALSE(item("HomeDomain", "../../.bashrc").hasSafePath());
    EXPECT_FALSE(item("HomeDomain", "Library/../../x").hasSafePath());
    EXPECT_FALSE(item("AppDomain-..", "x").hasSafePath());
    EXPECT_FALSE(item("AppDomain-a/../../b", "x").hasSafePath());
    EXPECT_FALSE(item("..", "x").hasSafePath());
}
