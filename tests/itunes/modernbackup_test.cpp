#include "fixtures/modernbackupwriter.h"
#include "itunes/backupmanifest.h"
#include "itunes/backupunlockthread.h"
#include "itunes/invalidpassworderror.h"
#include "itunes/itunesimport.h"
#include "model/msgattachment.h"
#include "model/msgdata.h"
#include "model/msgmessage.h"
#include "must.h"
#include "phonebackupsample.h"
#include "recordingprogress.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>

namespace {

using Quirks = ModernBackupWriter::Quirks;

const QByteArray kPassword = PhoneBackupSample::kPassword;

QStringList leftoverTemporaries()
{
    return QDir::temp().entryList({QStringLiteral("textlink-*.db")}, QDir::Files);
}

struct Variant
{
    const char *name;
    // 0: plain; otherwise the SHA-256 rounds (-1: an iOS 10.0/10.1 keybag without them).
    int firstStage;
    Quirks quirks;
};

Quirks quirks(std::function<void(Quirks &)> set)
{
    Quirks q;
    set(q);
    return q;
}

class ModernBackup : public ::testing::Test
{
protected:
    ModernBackupWriter writer(int firstStage) const
    {
        ModernBackupWriter w(m_sample.device);
        if (firstStage != 0)
            w.setPassword(kPassword, firstStage < 0 ? 0 : static_cast<quint32>(firstStage), 20);
        return w;
    }

    std::unique_ptr<BackupManifest> open(const QString &path, bool encrypted)
    {
        auto backup = std::make_unique<BackupManifest>(path);
        backup->readManifestInfo();
        if (encrypted)
            backup->unlock(QString::fromLatin1(kPassword));
        return backup;
    }

    QTemporaryDir m_dir;
    const QString m_path = m_dir.filePath(QStringLiteral("backup"));
    const PhoneBackupSample m_sample;
};

} // namespace

// Every form real phones write loads the same history, attachments included; the decrypted file
// list never outlives the reading.
TEST_F(ModernBackup, EveryVariantLoadsTheWholeHistory)
{
    const QList<Variant> variants{
        {"plain", 0, Quirks()},
        {"plain, Info.plist only, keys in records", 0, quirks([](Quirks &q) {
             q.withoutManifestPlist = true;
             q.keysInPlainBackup = true;
             q.plainSizeExtra = 1000;
         })},
        {"encrypted", 300, Quirks()},
        {"encrypted as iOS 10.3 wrote it", 300, quirks([](Quirks &q) {
             q.unpaddedManifest = true;
             q.fileFlagsZero = true;
             q.withoutProtectionClass = true;
             q.inlineKeys = false;
         })},
        {"encrypted, inline keys", 300, quirks([](Quirks &q) { q.inlineKeys = true; })},
        {"encrypted iOS 10.0", -1, Quirks()},
    };
    const QStringList before = leftoverTemporaries();
    for (const Variant &v : variants) {
        SCOPED_TRACE(v.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("b"));
        m_sample.writeModern(path, writer(v.firstStage).setQuirks(v.quirks));
        const auto backup = open(path, v.firstStage != 0);
        EXPECT_EQ(backup->layout(), BackupManifest::Layout::ManifestDb);
        EXPECT_EQ(backup->info().deviceName, m_sample.device.deviceName);
        RecordingProgress progress;
        ITunesImport import(*backup, QDir(dir.filePath(QStringLiteral("cache"))), progress);
        MsgData data;
        ASSERT_TRUE(import.run([&progress](QThread &w) { return progress.run(w); }, data))
            << progress.endText().toStdString();
        QStringList texts;
        for (const _MsgMessage *m : data.messages())
            texts << m->text();
        texts.sort();
        EXPECT_EQ(texts, m_sample.texts());
        ASSERT_EQ(data.p()->attachments.size(), 1);
        const _MsgAttachment *photo = *data.p()->attachments.cbegin();
        EXPECT_EQ(readAll(photo->localPath), m_sample.photo);
        EXPECT_EQ(import.missingAttachments(), 0);
        EXPECT_EQ(leftoverTemporaries(), before);
    }
}

// Status.plist tells whether the backup finished; an unfinished one is still read.
TEST_F(ModernBackup, UnfinishedBackupIsListedIncompleteAndStillOpens)
{
    for (const QString &state : {QStringLiteral("finished"), QStringLiteral("uploading")}) {
        QTemporaryDir dir;
        Quirks q;
        q.snapshotState = state;
        m_sample.writeModern(dir.path(), writer(0).setQuirks(q));
        const auto backup = open(dir.path(), false);
        EXPECT_EQ(backup->info().complete, state == QLatin1String("finished"));
        backup->parseInfo();
        EXPECT_NE(backup->findNode(QStringLiteral("Library/SMS/sms.db")), nullptr);
    }
}

// An offloaded attachment: the message stays, the attachment is counted and marked missing.
TEST_F(ModernBackup, AttachmentMissingFromBackupIsCountedNotFatal)
{
    ModernBackupWriter w = writer(0);
    w.addMissingFile(QStringLiteral("HomeDomain"), QStringLiteral("Library/SMS/Drafts/x.plist"));
    m_sample.writeModern(m_path, w);
    QFile::remove(QDir(m_path).filePath([&] {
        const QString id = ModernBackupWriter::fileId(
            QStringLiteral("MediaDomain"),
            QStringLiteral("Library/SMS/Attachments/4a/10/") + m_sample.photoName);
        return id.left(2) + QLatin1Char('/') + id;
    }()));
    const auto backup = open(m_path, false);
    RecordingProgress progress;
    ITunesImport import(*backup, QDir(m_dir.filePath(QStringLiteral("cache"))), progress);
    MsgData data;
    ASSERT_TRUE(import.run([&progress](QThread &w) { return progress.run(w); }, data));
    EXPECT_EQ(data.messages().size(), m_sample.texts().size());
    EXPECT_EQ(import.missingAttachments(), 1);
    EXPECT_TRUE((*data.p()->attachments.cbegin())->localPath.isEmpty());
}

// A stored file, or the sub-folder holding it, that is a link is never read: it could name any
// file of this computer.
TEST_F(ModernBackup, LinkedStoredFilesAreNeverRead)
{
    QTemporaryDir outside;
    const QString secret = outside.filePath(QStringLiteral("secret"));
    writeFile(secret, "not the phone's");
    for (const bool linkFolder : {false, true}) {
        SCOPED_TRACE(linkFolder ? "linked folder" : "linked file");
        QTemporaryDir dir;
        ModernBackupWriter w = writer(0);
        w.addFile(QStringLiteral("HomeDomain"), QStringLiteral("Library/SMS/a.txt"), "phone");
        ASSERT_TRUE(w.write(dir.path()));
        const QString id = ModernBackupWriter::fileId(QStringLiteral("HomeDomain"),
                                                      QStringLiteral("Library/SMS/a.txt"));
        const QString sub = dir.filePath(id.left(2));
        if (linkFolder) {
            QDir(sub).removeRecursively();
            QDir().mkpath(outside.filePath(QStringLiteral("f")));
            QFile::copy(secret, outside.filePath(QStringLiteral("f/")) + id);
            ASSERT_EQ(::symlink(QFile::encodeName(outside.filePath(QStringLiteral("f"))),
                                QFile::encodeName(sub)),
                      0);
        } else {
            QFile::remove(sub + QLatin1Char('/') + id);
            ASSERT_EQ(::symlink(QFile::encodeName(secret),
                                QFile::encodeName(sub + QLatin1Char('/') + id)),
                      0);
        }
        const auto backup = open(dir.path(), false);
        backup->parseInfo();
        const BackupManifest::_FileNode *node =
            must(backup->findNode(QStringLiteral("Library/SMS/a.txt")));
        EXPECT_EQ(backup->storedFile(node), BackupManifest::StoredFile::Link);
        QTemporaryDir target;
        EXPECT_EQ(backup->extractNode(backup->findNode(QStringLiteral("Library")), target.path()),
                  0);
        EXPECT_ANY_THROW(backup->copyFile(node, target.filePath(QStringLiteral("x"))));
        EXPECT_FALSE(QFile::exists(target.filePath(QStringLiteral("x"))));
    }
}

// The derivation runs in a worker: a wrong password is told apart, a cancel stops it.
TEST_F(ModernBackup, UnlockWorkerReportsWrongPasswordAndStopsOnCancel)
{
    m_sample.writeModern(m_path, writer(300000));
    BackupManifest backup(m_path);
    backup.readManifestInfo();
    {
        RecordingProgress progress;
        BackupUnlockThread worker(backup, QStringLiteral("wrong"), progress);
        EXPECT_FALSE(progress.run(worker));
        EXPECT_TRUE(worker.wrongPassword());
        EXPECT_EQ(progress.endText(), QStringLiteral("Invalid password."));
    }
    {
        RecordingProgress progress;
        progress.cancelAtUpdate(2);
        BackupUnlockThread worker(backup, QString::fromLatin1(kPassword), progress);
        EXPECT_FALSE(progress.run(worker));
        EXPECT_FALSE(worker.failed());
        EXPECT_FALSE(backup.isUnlocked());
    }
}
