#include "clitest.h"

#include "phonebackupsample.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

namespace {

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

    const CliResult first = cli({"import-backup", m_backup, "--password-file", pwFile});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    ASSERT_EQ(first.jsonLines().size(), 1);
    const QJsonObject saved = first.jsonLines().first();
    EXPECT_EQ(str(saved, "database"), QStringLiteral("Anna's iPhone_Backup"));
    EXPECT_EQ(saved.value("saved").toInt(), m_sample.contactOfText.size());

    const QList<QJsonObject> messages = ok({"messages", "Anna's iPhone_Backup"});
    ASSERT_EQ(messages.size(), m_sample.contactOfText.size());
    // Contact names and the decrypted photo are checked where the import itself is tested; here
    // the photo must have been copied into the local database.
    QStringList texts;
    QStringList photos;
    for (const QJsonObject &m : messages) {
        texts << str(m, "text");
        for (const QJsonValue &a : m.value("attachments").toArray())
            photos << str(a.toObject(), "local_path");
    }
    ASSERT_EQ(photos.size(), 1);
    EXPECT_EQ(readAll(photos.first()), m_sample.photo);
    EXPECT_TRUE(photos.first().startsWith(m_data.path()));
    texts.sort();
    EXPECT_EQ(texts, printedTexts(m_sample));

    // The second import neither reads the backup's files again nor adds anything.
    ruinStoredFiles();
    const CliResult second = cli({"import-backup", m_backup, "--password",
                                  PhoneBackupSample::kPassword, "--to", "anna's iphone_backup"});
    ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
    ASSERT_EQ(second.jsonLines().size(), 1);
    EXPECT_EQ(str(second.jsonLines().first(), "database"), QStringLiteral("Anna's iPhone_Backup"));
    EXPECT_EQ(second.jsonLines().first().value("saved").toInt(), 0);
    EXPECT_EQ(cli({"messages", "Anna's iPhone_Backup"}).jsonLines().size(), messages.size());
}

TEST_F(ImportBackup, EncryptedBackupNeedsTheRightPassword)
{
    m_sample.write(m_backup, true);
    const CliResult wrong = cli({"import-backup", m_backup, "--password", "guess"});
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_EQ(lastLine(wrong.err), QStringLiteral("textlink-cli: Invalid password."));

    const CliResult none = cli({"import-backup", m_backup});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.err.contains("--password")) << none.err.toStdString();

    // The line end is not part of the password, but every other byte is.
    const QString pwFile = m_dir.filePath(QStringLiteral("pw.txt"));
    writeFile(pwFile, QByteArray(PhoneBackupSample::kPassword) + " \n");
    EXPECT_EQ(cli({"import-backup", m_backup, "--password-file", pwFile}).exitCode, 1);

    const CliResult both =
        cli({"import-backup", m_backup, "--password", "a", "--password-file", pwFile});
    EXPECT_EQ(both.exitCode, 2);

    // As a source an encrypted backup is refused with directions.
    const CliResult source = cli({"messages", m_backup});
    EXPECT_EQ(source.exitCode, 1);
    EXPECT_TRUE(source.err.contains("import-backup")) << source.err.toStdString();
    EXPECT_FALSE(QDir(m_data.filePath(QStringLiteral("itunes_cache"))).exists());
    EXPECT_TRUE(cli({"sources"}).jsonLines().isEmpty());
}

TEST_F(ImportBackup, PlainBackupIsReadAsASource)
{
    m_sample.write(m_backup, false);
    QStringList texts;
    for (const QJsonObject &m : ok({"messages", m_backup}))
        texts << str(m, "text");
    texts.sort();
    EXPECT_EQ(texts, printedTexts(m_sample));

    // Read from the cache the second time: the backup's own files are not needed again.
    ruinStoredFiles();
    EXPECT_EQ(ok({"chats", m_backup}).size(), 3);

    // Nothing was saved anywhere by reading.
    EXPECT_TRUE(cli({"sources"}).jsonLines().isEmpty());

    const CliResult notBackup = cli({"import-backup", m_dir.path()});
    EXPECT_EQ(notBackup.exitCode, 1);
    EXPECT_TRUE(notBackup.err.contains("Manifest.plist")) << notBackup.err.toStdString();
}
