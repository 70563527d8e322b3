#include "messageboxcloser.h"
#include "phonebackupsample.h"
#include "textpieces.h"

#include "fixtures/backupwriter.h"
#include "itunes/backupmanifest.h"
#include "ui/loaditunesbackupdlg.h"
#include "ui/passcodedlg.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>

namespace {

void writeBackup(const QString &folder, const QString &deviceName, const QDate &day)
{
    BackupWriter::DeviceInfo device;
    device.deviceName = deviceName;
    device.date = QDateTime(day, QTime(8, 0), Qt::UTC);
    ASSERT_TRUE(BackupWriter(device).write(folder)) << folder.toStdString();
}

QStringList listedNames(const LoadItunesBackupDlg &dialog)
{
    QStringList names;
    for (int row = 0; row < dialog.model().backupCount(); ++row)
        names << dialog.model().backupAt(row)->info().deviceName;
    return names;
}

// Presses the button and returns the texts of the boxes it opened.
QStringList click(QDialog &dialog, const char *button)
{
    MessageBoxCloser closer;
    dialog.findChild<QPushButton *>(QLatin1String(button))->click();
    return closer.texts();
}

} // namespace

TEST(PasscodeDlg, InsistsOnAPasswordAndAcceptsOnlyTheRightOne)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("backup"));
    PhoneBackupSample().write(folder, true);
    BackupManifest backup(folder);
    backup.readManifestInfo();
    ASSERT_TRUE(backup.isEncrypted());

    PasscodeDlg dialog(&backup);
    auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("txtPasscode"));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::FramelessWindowHint));

    EXPECT_EQ(click(dialog, "btnOK"), QStringList({QStringLiteral("Password is required.")}));
    EXPECT_NE(dialog.result(), int(QDialog::Accepted));

    // Any number of wrong tries; each clears the field for the next.
    for (const char *wrong : {"guess", "s3cret pas"}) {
        edit->setText(QLatin1String(wrong));
        EXPECT_EQ(click(dialog, "btnOK"), QStringList({QStringLiteral("Invalid password.")}));
        EXPECT_EQ(edit->text(), QString());
        EXPECT_FALSE(backup.isUnlocked());
        EXPECT_NE(dialog.result(), int(QDialog::Accepted));
    }

    edit->setText(QString::fromLatin1(PhoneBackupSample::kPassword));
    EXPECT_EQ(click(dialog, "btnOK"), QStringList());
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
    EXPECT_TRUE(backup.isUnlocked());
}

TEST(LoadItunesBackupDlg, ListsNewestBackupFirstAndReportsUnreadableOnes)
{
    QTemporaryDir dir;
    const QDir root(dir.filePath(QStringLiteral("Backup")));
    // Written in an order unlike their dates: the list follows the backup date.
    writeBackup(root.filePath("b1"), QStringLiteral("Middle"), QDate(2020, 5, 1));
    writeBackup(root.filePath("b2"), QStringLiteral("Newest"), QDate(2021, 1, 2));
    writeBackup(root.filePath("b3"), QStringLiteral("Oldest"), QDate(2018, 3, 4));
    BackupWriter damaged;
    damaged.setManifestPlistBytes("not a property list");
    ASSERT_TRUE(damaged.write(root.filePath(QStringLiteral("broken"))));
    ASSERT_TRUE(root.mkpath(QStringLiteral("not-a-backup")));

    MessageBoxCloser closer;
    const LoadItunesBackupDlg dialog({root});
    ASSERT_EQ(closer.count(), 1);
    EXPECT_EQ(missingFrom(closer.last().text, {"load ", "broken error. "}), QStringList());
    EXPECT_EQ(listedNames(dialog), QStringList({"Newest", "Middle", "Oldest"}));
    const auto *list = dialog.findChild<QTreeView *>(QStringLiteral("listBackups"));
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->selectionModel()->selectedRows().isEmpty());
}

TEST(LoadItunesBackupDlg, LoadNeedsARowAndAddingRefusesAListedFolder)
{
    QTemporaryDir dir;
    const QDir root(dir.filePath(QStringLiteral("Backup")));
    writeBackup(root.filePath("listed"), QStringLiteral("Listed"), QDate(2020, 5, 1));
    const QString other = dir.filePath(QStringLiteral("elsewhere/copy"));
    writeBackup(other, QStringLiteral("Copied"), QDate(2019, 5, 1));

    LoadItunesBackupDlg dialog({root});
    EXPECT_EQ(click(dialog, "btnLoad"),
              QStringList({QStringLiteral("Please select a backup to continue.")}));
    EXPECT_NE(dialog.result(), int(QDialog::Accepted));

    {
        // Another spelling of a listed folder is still that folder.
        MessageBoxCloser closer;
        EXPECT_FALSE(dialog.addBackupFolder(root.filePath(QStringLiteral("x/../listed/."))));
        EXPECT_EQ(closer.texts(), QStringList{"This backup is already in the list."});
        EXPECT_EQ(dialog.model().backupCount(), 1);
    }
    {
        MessageBoxCloser closer;
        EXPECT_FALSE(dialog.addBackupFolder(dir.filePath(QStringLiteral("missing"))));
        EXPECT_EQ(closer.count(), 1);
        EXPECT_EQ(dialog.model().backupCount(), 1);
    }

    EXPECT_TRUE(dialog.addBackupFolder(other));
    EXPECT_EQ(listedNames(dialog), QStringList({"Listed", "Copied"}));
    // The added backup is selected, so Load takes it.
    EXPECT_EQ(click(dialog, "btnLoad"), QStringList());
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
    ASSERT_NE(dialog.selectedBackup(), nullptr);
    EXPECT_EQ(dialog.selectedBackup()->path(), QDir(other).absolutePath());
}
