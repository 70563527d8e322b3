#include "clitest.h"

#include "phonebackupsample.h"
#include "testfiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

namespace {

using ::testing::HasSubstr;

// The printed text leaves out the placeholder of an attachment.
QString printed(QString text)
{
    return text.remove(QChar(0xFFFC));
}

QStringList printedTexts(const PhoneBackupSample &sample)
{
    QStringList texts;
    for (const QString &text : sample.texts())
        texts << printed(text);
    texts.sort();
    return texts;
}

QStringList sortedTexts(const QList<QJsonObject> &messages)
{
    QStringList texts = strs(messages, "text");
    texts.sort();
    return texts;
}

QString lastLine(const QString &text)
{
    return text.trimmed().split(QLatin1Char('\n')).last();
}

class ImportBackup : public CliTest
{
protected:
    // The stored files of the backup, every one replaced by bytes no decryption accepts: a run
    // that reads any of them fails.
    void ruinStoredFiles()
    {
        const QDir dir(m_backup);
        for (const QString &file : dir.entryList(QDir::Files)) {
            if (file.size() == 40)
                writeFile(dir.filePath(file), "ruined");
        }
    }

    QTemporaryDir m_dir;
    const QString m_backup = m_dir.filePath(QStringLiteral("backup"));
    const PhoneBackupSample m_sample;
};

} // namespace

TEST_F(ImportBackup, EncryptedBackupImportsCompletelyAndOnlyOnce)
{
    m_sample.write(m_backup, true);
    const QString pwFile = m_dir.filePath(QStringLiteral("pw.txt"));
    writeFile(pwFile, QByteArray(PhoneBackupSample::kPassword) + "\n");

    const QJsonObject saved = ok({"import-backup", m_backup, "--password-file", pwFile}).value(0);
    EXPECT_EQ(only(saved, {"database", "saved"}),
              (QJsonObject{{"database", "Anna's iPhone_Backup"},
                           {"saved", int(m_sample.contactOfText.size())}}));

    const QList<QJsonObject> messages = ok({"messages", "Anna's iPhone_Backup"});
    ASSERT_EQ(messages.size(), m_sample.contactOfText.size());
    // Contact names and the decrypted photo are checked where the import itself is tested; here
    // the photo must have been copied into the local database.
    const QStringList photos = strs(attachmentsOf(messages), "local_path");
    ASSERT_EQ(photos.size(), 1);
    EXPECT_EQ(readAll(photos.first()), m_sample.photo);
    EXPECT_TRUE(photos.first().startsWith(m_data.path()));
    EXPECT_EQ(sortedTexts(messages), printedTexts(m_sample));

    // The second import neither reads the backup's files again nor adds anything.
    ruinStoredFiles();
    const QList<QJsonObject> second =
        ok({"import-backup", m_backup, "--password", PhoneBackupSample::kPassword, "--to",
            "anna's iphone_backup"});
    ASSERT_EQ(second.size(), 1);
    EXPECT_EQ(only(second[0], {"database", "saved"}),
              (QJsonObject{{"database", "Anna's iPhone_Backup"}, {"saved", 0}}));
    EXPECT_EQ(cli({"messages", "Anna's iPhone_Backup"}).jsonLines().size(), messages.size());
}

TEST_F(ImportBackup, EncryptedBackupNeedsTheRightPassword)
{
    m_sample.write(m_backup, true);
    EXPECT_EQ(lastLine(QString::fromStdString(
                  failure({"import-backup", m_backup, "--password", "guess"}))),
              QStringLiteral("textlink-cli: Invalid password."));
    EXPECT_THAT(failure({"import-backup", m_backup}), HasSubstr("--password"));

    // The line end is not part of the password, but every other byte is.
    const QString pwFile = m_dir.filePath(QStringLiteral("pw.txt"));
    writeFile(pwFile, QByteArray(PhoneBackupSample::kPassword) + " \n");
    EXPECT_EQ(cli({"import-backup", m_backup, "--password-file", pwFile}).exitCode, 1);

    failure({"import-backup", m_backup, "--password", "a", "--password-file", pwFile}, 2);

    // As a source an encrypted backup is refused with directions.
    EXPECT_THAT(failure({"messages", m_backup}), HasSubstr("import-backup"));
    EXPECT_FALSE(QDir(m_data.filePath(QStringLiteral("itunes_cache"))).exists());
    EXPECT_TRUE(cli({"sources"}).jsonLines().isEmpty());
}

TEST_F(ImportBackup, PlainBackupIsReadAsASource)
{
    m_sample.write(m_backup, false);
    EXPECT_EQ(sortedTexts(ok({"messages", m_backup})), printedTexts(m_sample));

    // Read from the cache the second time: the backup's own files are not needed again.
    ruinStoredFiles();
    EXPECT_EQ(ok({"chats", m_backup}).size(), 3);

    // Nothing was saved anywhere by reading.
    EXPECT_TRUE(cli({"sources"}).jsonLines().isEmpty());

    EXPECT_THAT(failure({"import-backup", m_dir.path()}), HasSubstr("Manifest.plist"));
}
