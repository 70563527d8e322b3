#include "errortext.h"
#include "fields.h"
#include "fixtures/backupwriter.h"
#include "fixtures/cryptofixtures.h"
#include "itunes/backupmanifest.h"
#include "itunes/invalidpassworderror.h"
#include "must.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include <stdexcept>

namespace {

const QString kSmsPath = QStringLiteral("Library/SMS/sms.db");

class BackupManifestTest : public ::testing::Test
{
protected:
    QString write(const BackupWriter &writer, const QString &name = QString())
    {
        const QString folder = m_dir.filePath(name.isEmpty() ? writer.device().udid : name);
        EXPECT_TRUE(writer.write(folder));
        return folder;
    }

    // Files whose sizes sit on and around the block and chunk boundaries of the copy.
    static QList<QByteArray> boundaryContents()
    {
        QList<QByteArray> contents;
        for (const int size : {1, 15, 16, 17, 100, 8191, 8192, 8193, 20000})
            contents << g_fixtureBytes(size, static_cast<quint32>(size));
        return contents;
    }

    static BackupWriter withBoundaryFiles(BackupWriter writer)
    {
        const QList<QByteArray> contents = boundaryContents();
        for (const QByteArray &content : contents)
            writer.addFile("HomeDomain", QStringLiteral("Library/SMS/f%1").arg(content.size()),
                           content);
        return writer;
    }

    // Copies every boundary file out and compares it with what was put in.
    void expectByteIdenticalCopies(const BackupManifest &backup)
    {
        for (const QByteArray &content : boundaryContents()) {
            const QString name = QStringLiteral("f%1").arg(content.size());
            const BackupManifest::_FileNode *node = must(backup.findNode("Library/SMS/" + name));
            const QString target = m_out.filePath(name);
            backup.copyFile(node, target);
            EXPECT_EQ(readAll(target), content) << name.toStdString();
        }
    }

    QTemporaryDir m_dir;
    QTemporaryDir m_out;
};

} // namespace

TEST_F(BackupManifestTest, ReadsDeviceInformationAndNamesTheBackup)
{
    BackupWriter writer;
    const QString folder = write(writer);
    BackupManifest backup(folder);
    backup.readManifestInfo();
    const BackupManifest::_InfoPlist &info = backup.info();
    EXPECT_EQ(fields(info.uniqueDeviceID, info.deviceName, info.productType, info.productVersion,
                     info.serialNumber, info.isEncrypted, info.backupKeyBag),
              fields(writer.device().udid, "Test iPhone", "iPhone10,3", "12.4.1",
                     writer.device().serialNumber, false, ""));
    EXPECT_EQ(info.date.toUTC(), writer.device().date);
    EXPECT_EQ(info.date.timeSpec(), Qt::LocalTime);
    // A folder named exactly after the device shows as the device.
    EXPECT_EQ(backup.displayName(), "Test iPhone");

    BackupManifest renamed(write(writer, writer.device().udid + "-20190814"));
    renamed.readManifestInfo();
    EXPECT_EQ(renamed.displayName(), "Test iPhone-20190814");
    BackupManifest other(write(writer, "Old phone"));
    other.readManifestInfo();
    EXPECT_EQ(other.displayName(), "Test iPhone-Old phone");

    // Without an identifier nothing may be "replaced" inside the folder name.
    BackupWriter::DeviceInfo anonymous;
    anonymous.udid.clear();
    BackupManifest noId(write(BackupWriter(anonymous), "plain"));
    noId.readManifestInfo();
    EXPECT_EQ(noId.displayName(), "Test iPhone-plain");
}

TEST_F(BackupManifestTest, DateFallsBackToTheStatusWhenTheManifestHasNone)
{
    BackupWriter::DeviceInfo device;
    BackupWriter writer(device);
    const QString folder = write(writer);
    QByteArray plist = writer.manifestPlist();
    const int start = plist.indexOf("\t<key>Date</key>");
    plist.remove(start, plist.indexOf("</date>\n", start) + 8 - start);
    writeFile(folder + "/Manifest.plist", plist);

    BackupManifest backup(folder);
    backup.readManifestInfo();
    EXPECT_EQ(backup.info().date.toUTC(), device.date);
}

TEST_F(BackupManifestTest, FileTreeMergesDomainsOnce)
{
    BackupWriter writer;
    writer.addFile("HomeDomain", kSmsPath, "sms")
        .addFile("MediaDomain", "Library/SMS/Attachments/ab/IMG_0001.jpg", "jpeg")
        .addFile("HomeDomain", "Library/Notes/notes.db", "home")
        .addFile("MediaDomain", "Library/Notes/notes.db", "media")
        .addFile("AppDomain-com.example.app", "Documents/a.txt", "app");
    // A file whose folders have no records of their own.
    writer.addRawRecord(MbdbWriter::file("CameraRollDomain", "Media/DCIM/100APPLE/x.jpg", "x"),
                        QByteArray("x"));
    BackupManifest backup(write(writer));
    backup.parseInfo();
    backup.parseInfo();

    const BackupManifest::_FileNode &root = backup.root();
    QStringList top;
    for (const auto &child : root.children)
        top << child->name;
    top.sort();
    EXPECT_EQ(top, QStringList({"Applications", "Library", "Media"}));

    const BackupManifest::_FileNode *sms = must(backup.findNode("library/sms"));
    EXPECT_TRUE(sms->isFolder());
    EXPECT_EQ(sms->children.size(), 2u);
    EXPECT_NE(backup.findNode("Library/SMS/Attachments/ab/IMG_0001.jpg"), nullptr);
    EXPECT_EQ(backup.findNode(kSmsPath)->fullPath(), kSmsPath);

    const BackupManifest::_FileNode *notes = must(backup.findNode("Library/Notes/notes.db"));
    EXPECT_EQ(notes->item.domain.toString(), "HomeDomain");
    EXPECT_EQ(backup.findNode("Library/Notes")->children.size(), 1u);

    EXPECT_NE(backup.findNode("Applications/com.example.app/Documents/a.txt"), nullptr);
    const BackupManifest::_FileNode *orphan = must(backup.findNode("Media/DCIM/100APPLE/x.jpg"));
    EXPECT_EQ(orphan->item.domain.toString(), "CameraRollDomain");
}

TEST_F(BackupManifestTest, PlainCopiesAreByteIdenticalWithTimesAndProgress)
{
    BackupManifest backup(write(withBoundaryFiles(BackupWriter())));
    backup.readManifestInfo();
    backup.parseInfo();
    expectByteIdenticalCopies(backup);

    const BackupManifest::_FileNode *node = backup.findNode("Library/SMS/f20000");
    QList<QPair<qint64, qint64>> calls;
    const QString target = m_out.filePath("progress");
    backup.copyFile(node, target, &calls, [](qint64 total, qint64 done, void *data) {
        static_cast<QList<QPair<qint64, qint64>> *>(data)->append({total, done});
    });
    ASSERT_EQ(calls.size(), 3);
    EXPECT_EQ(calls.last(), qMakePair(qint64(20000), qint64(20000)));
    EXPECT_EQ(QFileInfo(target).lastModified().toSecsSinceEpoch(), node->item.modifiedTime);
}

TEST_F(BackupManifestTest, EncryptedCopiesDecryptAndLoseTheirPadding)
{
    BackupWriter writer = withBoundaryFiles(BackupWriter());
    writer.setPassword("s3cret pässword");
    const QString folder = write(writer);
    BackupManifest backup(folder);
    backup.readManifestInfo();
    EXPECT_TRUE(backup.isEncrypted());
    EXPECT_FALSE(backup.info().backupKeyBag.isEmpty());
    backup.parseInfo();
    ASSERT_TRUE(backup.setPasscode(QString::fromUtf8("s3cret pässword")));
    expectByteIdenticalCopies(backup);

    // The stored files really are cipher text with a whole padding block on exact multiples.
    const QString stored = BackupWriter::storedName("HomeDomain", "Library/SMS/f16");
    EXPECT_EQ(QFileInfo(folder + "/" + stored).size(), 32);
    EXPECT_NE(readAll(folder + "/" + stored).left(16), g_fixtureBytes(16, 16));
}

TEST_F(BackupManifestTest, WrongPasswordIsInvalidPasswordNeverDamage)
{
    BackupWriter writer;
    writer.addFile("HomeDomain", kSmsPath, "messages").setPassword("right");
    BackupManifest backup(write(writer));
    backup.readManifestInfo();
    backup.parseInfo();

    EXPECT_FALSE(backup.setPasscode("wrong"));
    EXPECT_FALSE(backup.isUnlocked());
    EXPECT_EQ(errorText<InvalidPasswordError>([&backup] { backup.unlock("Right"); }),
              QStringLiteral("Invalid password."));
    // Before unlocking, copying would hand out cipher text: it is refused instead.
    const QString target = m_out.filePath("sms.db");
    EXPECT_THROW(backup.copyFile(backup.findNode(kSmsPath), target), std::runtime_error);
    EXPECT_FALSE(QFileInfo::exists(target));

    EXPECT_TRUE(backup.setPasscode("right"));
    backup.copyFile(backup.findNode(kSmsPath), target);
    EXPECT_EQ(readAll(target), "messages");
}

TEST_F(BackupManifestTest, DamagedEncryptedFilesFailWithoutLeavingATarget)
{
    BackupWriter writer;
    writer.addFile("HomeDomain", kSmsPath, g_fixtureBytes(100, 7))
        .addFile("HomeDomain", "Library/SMS/cut.db", g_fixtureBytes(100, 8))
        .setPassword("pw");
    const QString folder = write(writer);
    const QString smsStored = folder + "/" + BackupWriter::storedName("HomeDomain", kSmsPath);
    writeFile(smsStored, readAll(smsStored).chopped(5));
    const QString cutStored =
        folder + "/" + BackupWriter::storedName("HomeDomain", "Library/SMS/cut.db");
    writeFile(cutStored, readAll(cutStored).chopped(16));

    BackupManifest backup(folder);
    backup.readManifestInfo();
    backup.parseInfo();
    ASSERT_TRUE(backup.setPasscode("pw"));

    // An earlier good copy stays as it was when a new copy fails.
    const QString target = m_out.filePath("sms.db");
    writeFile(target, "previous");
    const QString error = errorText([&] { backup.copyFile(backup.findNode(kSmsPath), target); });
    EXPECT_TRUE(error.contains("is damaged") && error.contains(QFileInfo(smsStored).fileName()))
        << qPrintable(error);
    EXPECT_EQ(readAll(target), "previous");

    const QString cutTarget = m_out.filePath("cut.db");
    EXPECT_THROW(backup.copyFile(backup.findNode("Library/SMS/cut.db"), cutTarget),
                 std::runtime_error);
    EXPECT_FALSE(QFileInfo::exists(cutTarget));
    EXPECT_EQ(filesBelow(m_out.path()), QStringList({"sms.db"}));
}

TEST_F(BackupManifestTest, RecordsLeadingOutsideAreSkippedOnExtraction)
{
    BackupWriter writer;
    writer.addFile("HomeDomain", "Library/SMS/good.txt", "good");
    const QList<QPair<QString, QString>> hostile = {
        {"HomeDomain", "../escape1.txt"},
        {"HomeDomain", "Library/../../escape2.txt"},
        {"HomeDomain", "Library/SMS/../../../escape3.txt"},
        {"HomeDomain", "Library/SMS/.."},
        {"AppDomain-..", "escape4.txt"},
        {"AppDomain-../../x", "escape5.txt"},
        {"..", "escape6.txt"},
        {"HomeDomain", "/tmp/escape7.txt"},
    };
    for (const auto &record : hostile) {
        writer.addRawRecord(MbdbWriter::file(record.first, record.second, "evil"),
                            QByteArray("evil"));
    }
    BackupManifest backup(write(writer));
    backup.parseInfo();

    const QString target = m_out.filePath("extract/inner");
    ASSERT_TRUE(QDir().mkpath(target));
    EXPECT_EQ(backup.extractNode(&backup.root(), target), 1);
    EXPECT_EQ(filesBelow(m_out.path()), QStringList({"extract/inner/Library/SMS/good.txt"}));
    EXPECT_EQ(backup.findNode("Library/SMS")->children.size(), 1u);
    EXPECT_EQ(backup.findNode("Applications"), nullptr);
    // Nothing landed beside the backup either.
    EXPECT_TRUE(filesBelow(m_dir.path()).filter("escape").isEmpty());
}

TEST_F(BackupManifestTest, ExtractingASubtreeKeepsItsOwnFolder)
{
    BackupWriter writer;
    writer.addFile("HomeDomain", kSmsPath, "db")
        .addFile("MediaDomain", "Library/SMS/Attachments/0a/a:b.jpg", "pic")
        .addFile("HomeDomain", "Library/Notes/n.db", "notes");
    BackupManifest backup(write(writer));
    backup.parseInfo();
    EXPECT_EQ(backup.extractNode(backup.findNode("Library/SMS"), m_out.path()), 2);
    // Names are made file-name safe on the way out.
    EXPECT_EQ(filesBelow(m_out.path()), QStringList({"SMS/Attachments/0a/ab.jpg", "SMS/sms.db"}));
}

TEST_F(BackupManifestTest, BrokenManifestFilesAreNamedInTheError)
{
    BackupWriter writer;
    writer.addFile("HomeDomain", kSmsPath, "db");
    const QString folder = write(writer);
    const QString plistPath = QDir::toNativeSeparators(folder + "/Manifest.plist");

    BackupManifest missing(m_dir.filePath("nowhere"));
    EXPECT_EQ(errorText([&] { missing.readManifestInfo(); }),
              "Cannot find " + QDir::toNativeSeparators(m_dir.filePath("nowhere/Manifest.plist")));

    for (const QByteArray &bytes :
         {QByteArray("this is no property list"), QByteArray("bplist00\x01\x02\x03", 11),
          QByteArray("<?xml version=\"1.0\"?><plist><array/></plist>")}) {
        writeFile(plistPath, bytes);
        BackupManifest backup(folder);
        EXPECT_TRUE(errorText([&] { backup.readManifestInfo(); }).contains(plistPath));
    }

    const QString mbdbPath = folder + "/Manifest.mbdb";
    writeFile(mbdbPath, readAll(mbdbPath).chopped(3));
    BackupManifest truncated(folder);
    EXPECT_TRUE(errorText([&] { truncated.parseInfo(); }).contains(mbdbPath));
    EXPECT_TRUE(truncated.root().children.empty());
}

TEST_F(BackupManifestTest, IdentityIsTheAbsoluteFolder)
{
    const QString folder = write(BackupWriter(), "b1");
    const BackupManifest a(folder);
    const BackupManifest b(m_dir.path() + "/./b1/../b1/");
    const BackupManifest c(write(BackupWriter(), "b2"));
    EXPECT_EQ(a.dirPathMd5(), b.dirPathMd5());
    EXPECT_NE(a.dirPathMd5(), c.dirPathMd5());
    EXPECT_EQ(a.dirPathMd5().size(), 32);
    EXPECT_TRUE(BackupManifest::isBackupFolder(QDir(folder)));
    EXPECT_FALSE(BackupManifest::isBackupFolder(QDir(m_dir.path())));
    EXPECT_TRUE(BackupManifest::iTunesBackupDir().absolutePath().endsWith("/MobileSync/Backup"));
}
