#include "clitest.h"

#include "fixtures/modernbackupwriter.h"
#include "phonebackupsample.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QTemporaryDir>

namespace {

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

    // Every saved message's text and every attachment's bytes, sorted.
    QStringList savedTexts(const QString &db)
    {
        QStringList texts;
        for (const QJsonObject &m : cli({"messages", db}).jsonLines())
            texts << str(m, "text");
        texts.sort();
        return texts;
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
    const QJsonObject row = listed.first();
    EXPECT_EQ(str(row, "layout"), QStringLiteral("manifest-db"));
    EXPECT_EQ(row.value("complete").toBool(true), false);
    EXPECT_EQ(row.value("encrypted").toBool(), true);
    EXPECT_EQ(str(row, "device_name"), m_sample.device.deviceName);
    EXPECT_EQ(str(row, "udid"), m_sample.device.udid);
    EXPECT_EQ(str(row, "ios_version"), m_sample.device.productVersion);
}

TEST_F(ModernBackupCli, EncryptedImportOnceThenNothingNewAndWrongPasswordRefused)
{
    m_sample.writeModern(m_backup, encryptedWriter());
    const CliResult wrong = cli({"import-backup", m_backup, "--password", "guess"});
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_TRUE(wrong.err.trimmed().endsWith(QStringLiteral("Invalid password.")))
        << wrong.err.toStdString();

    const QStringList args{"import-backup", m_backup, "--password", PhoneBackupSample::kPassword,
                           "--to",          "Anna"};
    const CliResult first = cli(args);
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    ASSERT_EQ(first.jsonLines().size(), 1);
    EXPECT_EQ(first.jsonLines().first().value("saved").toInt(), m_sample.texts().size());
    EXPECT_EQ(first.jsonLines().first().value("missing_attachments").toInt(-1), 0);
    const CliResult second = cli(args);
    ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_EQ(second.jsonLines().first().value("saved").toInt(-1), 0);

    int photos = 0;
    for (const QJsonObject &m : cli({"messages", "Anna"}).jsonLines()) {
        for (const QJsonValue &a : m.value("attachments").toArray()) {
            QFile file(str(a.toObject(), "local_path"));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(file.readAll(), m_sample.photo);
            ++photos;
        }
    }
    EXPECT_EQ(photos, 1);
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
    EXPECT_EQ(savedTexts("Plain").size(), m_sample.texts().size());
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
