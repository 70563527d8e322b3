#include "messageboxcloser.h"
#include "phonebackupsample.h"

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

void writeBackup(const QString &folder, const QString &deviceName, const QDateTime &date)
{
    BackupWriter::DeviceInfo device;
    device.deviceName = deviceName;
    device.date = date;
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
    QStringList texts;
    if (closer.count() > 0)
        texts << closer.last().text;
    return texts;
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
    writeBackup(root.filePath(QStringLiteral("b1")), QStringLiteral("Middle"),
                QDateTime(QDate(2020, 5, 1), QTime(8, 0), Qt::UTC));
    writeBackup(root.filePath(QStringLiteral("b2")), QStringLiteral("Newest"),
                QDateTime(QDate(2021, 1, 2), QTime(8, 0), Qt::UTC));
    writeBackup(root.filePath(QStringLiteral("b3")), QStringLiteral("Oldest"),
                QDateTime(QDate(2018, 3, 4), QTime(8, 0), Qt::UTC));
    BackupWriter damaged;
    damaged.setManifestPlistBytes("not a property list");
    ASSERT_TRUE(damaged.write(root.filePath(QStringLiteral("broken"))));
    ASSERT_TRUE(root.mkpath(QStringLiteral("not-a-backup")));

    MessageBoxCloser closer;
    const LoadItunesBackupDlg dialog({root});
    ASSERT_EQ(closer.count(), 1);
    EXPECT_TRUE(closer.last().text.contains(QStringLiteral("load ")));
    EXPECT_TRUE(closer.last().text.contains(QStringLiteral("broken error. ")))
        << closer.last().text.toStdString();
    EXPECT_EQ(listedNames(dialog), QStringList({QStringLiteral("Newest"), QStringLiteral("Middle"),
                                                QStringLiteral("Oldest")}));
    const auto *list = dialog.findChild<QTreeView *>(QStringLiteral("listBackups"));
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->selectionModel()->selectedRows().isEmpty());
}

TEST(LoadItunesBackupDlg, LoadNeedsARowAndAddingRefusesAListedFolder)
{
    QTemporaryDir dir;
    const QDir root(dir.filePath(QStringLiteral("Backup")));
    writeBackup(root.filePath(QStringLiteral("listed")), QStringLiteral("Listed"),
                QDateTime(QDate(2020, 5, 1), QTime(8, 0), Qt::UTC));
    const QString other = dir.filePath(QStringLiteral("elsewhere/copy"));
    writeBackup(other, QStringLiteral("Copied"),
                QDateTime(QDate(2019, 5, 1), QTime(8, 0), Qt::UTC));

    LoadItunesBackupDlg dialog({root});
    EXPECT_EQ(click(dialog, "btnLoad"),
              QStringList({QStringLiteral("Please select a backup to continue.")}));
    EXPECT_NE(dialog.result(), int(QDialog::Accepted));

    {
        // Another spelling of a listed folder is still that folder.
        MessageBoxCloser closer;
        EXPECT_FALSE(dialog.addBackupFolder(root.filePath(QStringLiteral("x/../listed/."))));
        ASSERT_EQ(closer.count(), 1);
        EXPECT_EQ(closer.last().text, QStringLiteral("This backup is already in the list."));
        EXPECT_EQ(dialog.model().backupCount(), 1);
    }
    {
        MessageBoxCloser closer;
        EXPECT_FALSE(dialog.addBackupFolder(dir.filePath(QStringLiteral("missing"))));
        EXPECT_EQ(closer.count(), 1);
        EXPECT_EQ(dialog.model().backupCount(), 1);
    }

    EXPECT_TRUE(dialog.addBackupFolder(other));
    EXPECT_EQ(listedNames(dialog),
              QStringList({QStringLiteral("Listed"), QStringLiteral("Copied")}));
    // The added backup is selected, so Load takes it.
    EXPECT_EQ(click(dialog, "btnLoad"), QStringList());
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
    ASSERT_NE(dialog.selectedBackup(), nullptr);
    EXPECT_EQ(dialog.selectedBackup()->path(), QDir(other).absolutePath());
}
