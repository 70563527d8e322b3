#include "fixtures/backupwriter.h"
#include "fixtures/mbdbwriter.h"
#include "itunes/backupmanifest.h"
#include "itunes/bkcachedb.h"
#include "itunes/itunescachesmsthread.h"
#include "phonebackupsample.h"
#include "recordingprogress.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>

namespace {

const QString kCachedSms = QStringLiteral("file-relay/var/mobile/Library/SMS/");
const QString kCachedBook = QStringLiteral("file-relay/var/mobile/Library/AddressBook/");

class CacheTest : public ::testing::Test
{
protected:
    // A backup of the sample phone, its information read and, when encrypted, unlocked.
    std::unique_ptr<BackupManifest> sampleBackup(bool encrypted, quint32 modifiedTime = 1400000000)
    {
        PhoneBackupSample().write(m_backupPath, encrypted, modifiedTime);
        return open(m_backupPath, encrypted);
    }

    std::unique_ptr<BackupManifest> open(const QString &path, bool encrypted)
    {
        auto backup = std::make_unique<BackupManifest>(path);
        backup->readManifestInfo();
        if (encrypted)
            backup->unlock(QString::fromLatin1(PhoneBackupSample::kPassword));
        backup->parseInfo();
        return backup;
    }

    // Runs one extraction into the test's cache folder.
    bool extract(const BackupManifest &backup, RecordingProgress &progress, int *copied = nullptr,
                 int *unchanged = nullptr)
    {
        ITunesCacheSMSThread worker(backup, m_cache, progress);
        const bool ok = progress.run(worker);
        if (copied)
            *copied = worker.copiedCount();
        if (unchanged)
            *unchanged = worker.unchangedCount();
        return ok;
    }

    QString cached(const QString &relative) const { return m_cache.filePath(relative); }

    QTemporaryDir m_dir;
    const QString m_backupPath = m_dir.filePath(QStringLiteral("backup"));
    const QDir m_cache{m_dir.filePath(QStringLiteral("cache"))};
};

} // namespace

TEST(BkCacheDb, RecordsDatesAcrossSessionsOnlyWhenCommitted)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("manifest.db"));
    const QString a = QStringLiteral("0123456789abcdef0123456789abcdef01234567");
    const QString b = QStringLiteral("89abcdef0123456789abcdef0123456789abcdef");
    {
        BkCacheDb db(path);
        EXPECT_FALSE(QFileInfo::exists(path)) << "constructing must not open";
        EXPECT_EQ(db.fileDateSecs(a), BkCacheDb::kNoDate);
        db.setFileDate(a, 1400000000);
        // A file dated at the epoch is still a file that has been extracted.
        db.setFileDate(b, 0);
        db.setFileDate(a, 1500000000);
        EXPECT_EQ(db.fileDateSecs(a), 1500000000);
        EXPECT_EQ(db.fileDateSecs(b), 0);
    }
    {
        BkCacheDb db(path);
        EXPECT_EQ(db.fileDateSecs(a), 1500000000);
        EXPECT_EQ(db.fileDateSecs(b), 0);
        db.remove(b);
        db.setFileDate(a, 1600000000);
        db.discard();
    }
    BkCacheDb db(path);
    EXPECT_EQ(db.fileDateSecs(a), 1500000000);
    EXPECT_EQ(db.fileDateSecs(b), 0) << "a discarded removal must not stick";
    db.remove(b);
    db.commit();
    EXPECT_EQ(BkCacheDb(path).fileDateSecs(b), BkCacheDb::kNoDate);
}

TEST_F(CacheTest, EncryptedBackupIsExtractedDecryptedIntoThePhoneLayout)
{
    const PhoneBackupSample sample;
    const auto backup = sampleBackup(true);
    RecordingProgress progress;
    int copied = 0;
    ASSERT_TRUE(extract(*backup, progress, &copied)) << progress.endText().toStdString();
    EXPECT_EQ(progress.endCount(), 1);
    EXPECT_TRUE(progress.endText().isEmpty());
    ASSERT_FALSE(progress.statuses().isEmpty());
    EXPECT_EQ(progress.statuses().first(), QStringLiteral("Loading iTunes backup..."));
    EXPECT_EQ(progress.values().first(), 99);

    EXPECT_EQ(readAll(cached(kCachedSms + "Attachments/4a/10/" + sample.photoName)), sample.photo);
    EXPECT_TRUE(readAll(cached(kCachedSms + "sms.db")).startsWith("SQLite format 3"));
    EXPECT_TRUE(
        readAll(cached(kCachedBook + "AddressBook.sqlitedb")).startsWith("SQLite format 3"));
    EXPECT_TRUE(QFileInfo::exists(cached(QStringLiteral("manifest.db"))));
    // Everything copied is below the phone layout, apart from the record of what was copied.
    const QStringList files = filesBelow(m_cache.path());
    EXPECT_EQ(files.size(), copied + 1);
    for (const QString &file : files) {
        EXPECT_TRUE(file == QLatin1String("manifest.db") ||
                    file.startsWith(QLatin1String("file-relay/var/mobile/Library/")))
            << file.toStdString();
    }
}

TEST_F(CacheTest, SecondExtractionCopiesOnlyWhatChanged)
{
    const auto backup = sampleBackup(true);
    RecordingProgress first;
    int copied = 0;
    ASSERT_TRUE(extract(*backup, first, &copied));
    ASSERT_GT(copied, 2);
    const QByteArray record = readAll(cached(QStringLiteral("manifest.db")));

    // Stored files the second run would have to read are ruined: reading one would fail.
    for (const QString &file : QDir(m_backupPath).entryList(QDir::Files)) {
        if (!file.startsWith(QLatin1String("Manifest")) &&
            !file.startsWith(QLatin1String("Status"))) {
            writeFile(QDir(m_backupPath).filePath(file), "ruined");
        }
    }
    RecordingProgress second;
    int copiedAgain = -1;
    int unchanged = 0;
    ASSERT_TRUE(extract(*backup, second, &copiedAgain, &unchanged))
        << second.endText().toStdString();
    EXPECT_EQ(copiedAgain, 0);
    EXPECT_EQ(unchanged, copied);
    EXPECT_EQ(readAll(cached(QStringLiteral("manifest.db"))), record);

    // A cached file that went away is fetched again even though its record is unchanged.
    PhoneBackupSample().write(m_backupPath, true);
    const QString sms = cached(kCachedSms + "sms.db");
    ASSERT_TRUE(QFile::remove(sms));
    RecordingProgress third;
    ASSERT_TRUE(extract(*open(m_backupPath, true), third, &copiedAgain, &unchanged));
    EXPECT_EQ(copiedAgain, 1);
    EXPECT_TRUE(QFileInfo(sms).isFile());

    // A newer backup of the same phone: every record has a new time, every file is copied.
    const auto newer = sampleBackup(true, 1500000000);
    RecordingProgress fourth;
    ASSERT_TRUE(extract(*newer, fourth, &copiedAgain));
    EXPECT_EQ(copiedAgain, copied);
    EXPECT_NE(readAll(cached(QStringLiteral("manifest.db"))), record);
}

TEST_F(CacheTest, CancelAndFailureLeaveNoCacheBehind)
{
    const auto backup = sampleBackup(true);
    RecordingProgress cancelled;
    // Past the status and the first few files, in the middle of the copying.
    cancelled.cancelAtUpdate(5);
    EXPECT_FALSE(extract(*backup, cancelled));
    EXPECT_EQ(cancelled.endCount(), 0) << "a cancel ends without a report";
    EXPECT_FALSE(m_cache.exists());

    // A stored file cut short fails the extraction: nothing of it may pass for a cache.
    BackupWriter::DeviceInfo device;
    BackupWriter writer(device);
    writer.setPassword(PhoneBackupSample::kPassword);
    writer.addFile(QStringLiteral("HomeDomain"), QStringLiteral("Library/SMS/a.txt"), "fine");
    MbdbWriter::Record cut = MbdbWriter::file(
        QStringLiteral("HomeDomain"), QStringLiteral("Library/SMS/sms.db"), QByteArray(100, 'x'));
    cut.encryptionKey = QByteArray(44, '\0');
    cut.protectionClass = 3;
    writer.addRawRecord(cut, QByteArray(7, 'y'));
    const QString broken = m_dir.filePath(QStringLiteral("broken"));
    ASSERT_TRUE(writer.write(broken));
    RecordingProgress failed;
    EXPECT_FALSE(extract(*open(broken, true), failed));
    EXPECT_EQ(failed.callsOf(RecordingProgress::Kind::Error).size(), 1);
    EXPECT_FALSE(m_cache.exists());

    // The next run starts from nothing and completes.
    RecordingProgress again;
    int copied = 0;
    ASSERT_TRUE(extract(*backup, again, &copied)) << again.endText().toStdString();
    EXPECT_GT(copied, 2);
}

TEST_F(CacheTest, OddRecordsAreHandledSafely)
{
    BackupWriter writer;
    writer.addFile(QStringLiteral("HomeDomain"), QStringLiteral("Library/SMS/sms.db"), "db");
    // An empty regular file is a file, not a folder.
    writer.addFile(QStringLiteral("HomeDomain"), QStringLiteral("Library/SMS/sms.db-wal"), "");
    // Listed but never stored: skipped without failing the rest.
    writer.addRawRecord(MbdbWriter::file(QStringLiteral("HomeDomain"),
                                         QStringLiteral("Library/SMS/lost.jpg"), "gone"));
    // Names that would climb out of the cache.
    writer.addRawRecord(MbdbWriter::file(QStringLiteral("HomeDomain"),
                                         QStringLiteral("Library/SMS/../../../../escaped.txt"),
                                         "evil"),
                        QByteArray("evil"));
    writer.addFile(QStringLiteral("HomeDomain"), QStringLiteral("Library/SMS/Drafts/a:b?.txt"),
                   "draft");
    // Outside the two folders: not extracted.
    writer.addFile(QStringLiteral("HomeDomain"), QStringLiteral("Library/Notes/notes.db"), "n");
    ASSERT_TRUE(writer.write(m_backupPath));

    RecordingProgress progress;
    int copied = 0;
    ASSERT_TRUE(extract(*open(m_backupPath, false), progress, &copied))
        << progress.endText().toStdString();
    EXPECT_EQ(copied, 3);
    EXPECT_EQ(filesBelow(m_dir.path() + QStringLiteral("/cache")),
              (QStringList{kCachedSms + "Drafts/ab.txt", kCachedSms + "sms.db",
                           kCachedSms + "sms.db-wal", QStringLiteral("manifest.db")}));
    EXPECT_TRUE(QFileInfo(cached(kCachedSms + "sms.db-wal")).isFile());
    EXPECT_FALSE(QFileInfo::exists(m_cache.filePath(QStringLiteral("../escaped.txt"))));
    EXPECT_FALSE(QFileInfo::exists(cached(kCachedBook)));
}

// Entries the file system refuses are left out and counted; the rest of the backup is read.
TEST_F(CacheTest, EntriesThatCannotBeWrittenAreLeftOut)
{
    BackupWriter writer;
    writer.addFile(QStringLiteral("HomeDomain"), QStringLiteral("Library/SMS/sms.db"), "db");
    // One name longer than a file name may be: shortened and kept.
    writer.addFile(QStringLiteral("HomeDomain"),
                   QStringLiteral("Library/SMS/Attachments/") + QString(300, 'n') + ".jpg", "n");
    // A path longer than any path may be: no folder of it can be made.
    QStringList deep(20, QString(250, 'd'));
    writer.addFile(QStringLiteral("HomeDomain"),
                   QStringLiteral("Library/SMS/Attachments/") + deep.join('/') + "/x.jpg", "x");
    ASSERT_TRUE(writer.write(m_backupPath));

    RecordingProgress progress;
    const auto backup = open(m_backupPath, false);
    ITunesCacheSMSThread worker(*backup, m_cache, progress);
    ASSERT_TRUE(progress.run(worker)) << progress.endText().toStdString();
    EXPECT_EQ(worker.copiedCount(), 2);
    EXPECT_EQ(worker.failedCount(), 1);
    EXPECT_TRUE(QFileInfo(cached(kCachedSms + "sms.db")).isFile());
}

TEST_F(CacheTest, BackupWithoutMessagesSaysSo)
{
    BackupWriter writer;
    writer.addFile(QStringLiteral("HomeDomain"), QStringLiteral("Library/Notes/notes.db"), "n");
    ASSERT_TRUE(writer.write(m_backupPath));
    RecordingProgress progress;
    EXPECT_FALSE(extract(*open(m_backupPath, false), progress));
    EXPECT_EQ(progress.endText(),
              QStringLiteral("Found no message database file in this iTunes backup."));
    EXPECT_EQ(progress.endCount(), 1);
}
