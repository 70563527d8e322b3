#include "clitest.h"

#include "fixtures/modernbackupwriter.h"
#include "phonebackupsample.h"
#include "testfiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

using ::testing::EndsWith;

const QString kHome = QStringLiteral("HomeDomain");

class ModernBackupCli : public CliTest
{
protected:
    ModernBackupWriter encryptedWriter() const
    {
        ModernBackupWriter writer(m_sample.device);
        writer.setPassword(PhoneBackupSample::kPassword, 500, 20);
        return writer;
    }

    QTemporaryDir m_dir;
    const QString m_backup = m_dir.filePath(QStringLiteral("00008030-000A1B2C3D4E5F60"));
    const PhoneBackupSample m_sample;
};

} // namespace

TEST_F(ModernBackupCli, ListsModernBackupsWithLayoutAndCompleteness)
{
    ModernBackupWriter::Quirks unfinished;
    unfinished.snapshotState = QStringLiteral("moving");
    m_sample.writeModern(m_backup, encryptedWriter().setQuirks(unfinished));
    const QList<QJsonObject> listed = ok({"backups", "--dir", m_dir.path()});
    ASSERT_EQ(listed.size(), 1);
    EXPECT_EQ(only(listed.first(),
                   {"layout", "complete", "encrypted", "device_name", "udid", "ios_version"}),
              (QJsonObject{{"layout", "manifest-db"},
                           {"complete", false},
                           {"encrypted", true},
                           {"device_name", m_sample.device.deviceName},
                           {"udid", m_sample.device.udid},
                           {"ios_version", m_sample.device.productVersion}}));
}

TEST_F(ModernBackupCli, EncryptedImportOnceThenNothingNewAndWrongPasswordRefused)
{
    m_sample.writeModern(m_backup, encryptedWriter());
    EXPECT_THAT(failure({"import-backup", m_backup, "--password", "guess"}),
                EndsWith("Invalid password.\n"));

    const QStringList args{"import-backup", m_backup, "--password", PhoneBackupSample::kPassword,
                           "--to",          "Anna"};
    const QStringList keys = {"saved", "missing_attachments"};
    EXPECT_EQ(only(ok(args).value(0), keys),
              (QJsonObject{{"saved", int(m_sample.texts().size())}, {"missing_attachments", 0}}));
    EXPECT_EQ(only(ok(args).value(0), keys),
              (QJsonObject{{"saved", 0}, {"missing_attachments", 0}}));

    const QStringList photos = strs(attachmentsOf(ok({"messages", "Anna"})), "local_path");
    ASSERT_EQ(photos.size(), 1);
    EXPECT_EQ(readAll(photos.first()), m_sample.photo);
}

// A hostile file list: rows leading out of the cache, links, a malformed id that names a path,
// and a row whose stored file is missing. The messages still import; nothing lands outside.
TEST_F(ModernBackupCli, HostileFileListWritesNothingOutsideTheCache)
{
    QTemporaryDir outside;
    const QString victim = outside.filePath(QStringLiteral("victim"));
    const QByteArray record =
        ModernBackupWriter::fileRecord(0x81A4, 4, 1500000000, {}, std::nullopt, false);
    ModernBackupWriter writer(m_sample.device);
    const auto row = [&writer, &record](const QString &path, int flags = 1,
                                        const QString &id = QString()) {
        // A malformed id gets no stored file: the writer would put it where the id points.
        if (id.isEmpty())
            writer.addRawRow(ModernBackupWriter::fileId(kHome, path), kHome, path, flags, record,
                             QByteArray("evil"));
        else
            writer.addRawRow(id, kHome, path, flags, record);
    };
    row(QStringLiteral("Library/SMS/../../../../escaped"));
    row(QStringLiteral("/tmp/absolute-from-backup"));
    row(QStringLiteral("Library/SMS/link"), 4);
    row(QStringLiteral("Library/SMS/odd-id"), 1, QStringLiteral("../../") + victim);
    writer.addLink(kHome, QStringLiteral("Library/SMS/Attachments/ln"), victim);
    writer.addMissingFile(kHome, QStringLiteral("Library/SMS/gone.db"));
    m_sample.writeModern(m_backup, writer);

    EXPECT_EQ(ok({"import-backup", m_backup, "--to", "Plain"}).value(0).value("saved").toInt(),
              m_sample.texts().size());
    EXPECT_EQ(ok({"messages", "Plain"}).size(), m_sample.texts().size());
    EXPECT_FALSE(QFile::exists(victim));
    EXPECT_FALSE(QFile::exists(QStringLiteral("/tmp/absolute-from-backup")));
    EXPECT_TRUE(QDir(outside.path()).isEmpty());
    // Only the real files reach the cache: no row above left a file anywhere.
    for (const QString &root : {m_data.path(), m_dir.path()}) {
        QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString name = QFileInfo(it.next()).fileName();
            for (const char *bad : {"escaped", "absolute-from-backup", "link", "odd-id", "ln"})
                EXPECT_NE(name, QLatin1String(bad)) << it.filePath().toStdString();
        }
    }
}
