#include "scripteddevicelink.h"

#include "errortext.h"
#include "frame/translation.h"
#include "itunes/backupmanifest.h"
#include "mobiledevice/backup2tool.h"
#include "mobiledevice/iosdevice.h"
#include "mobiledevice/iosdeviceimport.h"
#include "mobiledevice/iosmobilebackupthread.h"
#include "model/absiosmessagedb.h"
#include "model/msgdata.h"
#include "model/msgmessage.h"
#include "msgtexts.h"
#include "phonebackupsample.h"
#include "recordingprogress.h"
#include "recordingsteps.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

QByteArray recorded(const char *name)
{
    return readAll(QStringLiteral(TEXTLINK_TEST_DATA_DIR "/idevicebackup2/") + QLatin1String(name));
}

// A stand-in for the backup tool: a shell script run with the tool's arguments
// (-u UDID backup ROOT).
QString writeTool(const QTemporaryDir &dir, const QByteArray &body)
{
    const QString path = dir.filePath(QStringLiteral("backup-tool"));
    writeFile(path, "#!/bin/sh\n" + body);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

TEST(BackupTool, ProgressFollowsTheBarsOfRecordedOutput)
{
    const QByteArray output = recorded("backup-success.txt");
    ASSERT_FALSE(output.isEmpty());
    // Fed as the tool writes it, piece by piece: each piece keeps the last value seen.
    QList<int> seen;
    int value = -1;
    for (const QByteArray &piece : output.split('\r')) {
        value = backup2tool::parseProgress(piece, value);
        if (seen.isEmpty() || seen.last() != value)
            seen << value;
    }
    EXPECT_EQ(seen, (QList<int>{-1, 0, 3, 27, 64, 100, 42, 88}));
    EXPECT_EQ(backup2tool::parseProgress(output, -1), 88);
    EXPECT_EQ(backup2tool::parseProgress("Sending 'x' (12%)", 5), 5);
}

TEST(BackupTool, SuccessNeedsTheToolsWordAndExitStatus)
{
    const struct
    {
        const char *file;
        int exitCode;
        bool success;
        const char *lastWords;
    } cases[] = {{"backup-success.txt", 0, true, "Backup Successful."},
                 {"backup-success.txt", 1, false, "Backup Successful."},
                 {"backup-nospace.txt", 0, false, "Received 80 files from device."}};
    for (const auto &c : cases) {
        const QByteArray output = recorded(c.file);
        EXPECT_EQ(backup2tool::succeeded(output, c.exitCode), c.success) << c.file << c.exitCode;
        EXPECT_EQ(backup2tool::lastWords(output), QString::fromLatin1(c.lastWords)) << c.file;
    }
}

TEST(BackupTool, DurationEstimateFromDiskUsage)
{
    const qint64 mib = 1024 * 1024;
    EXPECT_EQ(backup2tool::estimateSeconds(5 * 1024 * mib), 153);
    EXPECT_EQ(backup2tool::estimateSeconds(mib - 1), 60);
    EXPECT_EQ(backup2tool::estimateSeconds(-1), 60);
    EXPECT_EQ(backup2tool::estimateSeconds(100 * mib), 3);
}

TEST(BackupTool, ArgumentsNameThePhoneTheWayAndTheRoot)
{
    ScriptedDeviceLink link;
    const IOSDevice usb(link, {QStringLiteral("abc"), false});
    const IOSDevice wifi(link, {QStringLiteral("abc"), true});
    EXPECT_EQ(backup2tool(usb, QDir(QStringLiteral("/tmp/r"))).arguments({}),
              (QStringList{"-u", "abc", "backup", "/tmp/r"}));
    EXPECT_EQ(backup2tool(wifi, QDir(QStringLiteral("/tmp/r"))).arguments({}),
              (QStringList{"-u", "abc", "-n", "backup", "/tmp/r"}));
}

TEST(BackupTool, FailingToolThrowsItsLastWords)
{
    QTemporaryDir dir;
    ScriptedDeviceLink link;
    link.toolProgram =
        writeTool(dir, "cat '" TEXTLINK_TEST_DATA_DIR "/idevicebackup2/backup-nospace.txt'\n"
                       "echo 'ERROR: Backup failed' >&2\nexit 1\n");
    const IOSDevice device(link, {QStringLiteral("abc"), false});
    backup2tool tool(device, QDir(dir.path()));
    EXPECT_EQ(errorText([&tool] { tool.runThrow({}); }),
              g_tr("IDS_IOS_BACKUP_FAILED_%1").arg(QStringLiteral("ERROR: Backup failed")));
}

TEST(BackupTool, MissingToolIsAClearError)
{
    ScriptedDeviceLink link;
    link.toolProgram = QStringLiteral("/nonexistent/idevicebackup2");
    const IOSDevice device(link, {QStringLiteral("abc"), false});
    backup2tool tool(device, QDir(QStringLiteral("/tmp")));
    EXPECT_THROW(tool.runThrow({}), std::runtime_error);
}

TEST(BackupTool, CancelStopsTheTool)
{
    QTemporaryDir dir;
    ScriptedDeviceLink link;
    const QString pidFile = dir.filePath(QStringLiteral("pid"));
    link.toolProgram = writeTool(dir, "echo $$ > '" + pidFile.toUtf8() + "'\nexec sleep 600\n");
    const IOSDevice device(link, {QStringLiteral("abc"), false});
    RecordingProgress progress;
    // The first update is the thread's status; the second comes from the running tool.
    progress.cancelAtUpdate(2);
    IOSMobileBackupThread worker(device, progress, dir.filePath(QStringLiteral("root")));
    progress.run(worker);
    EXPECT_TRUE(progress.isFinishedWithoutSuccess());
    const QByteArray pid = readAll(pidFile).trimmed();
    ASSERT_FALSE(pid.isEmpty());
    const QString proc = QStringLiteral("/proc/") + QString::fromLatin1(pid);
    // Killed and reaped: the process is gone.
    EXPECT_FALSE(QFileInfo::exists(proc));
}

// A tool that "backs up" by copying a prepared backup to where the real one writes.
struct BackedUpPhone
{
    QTemporaryDir dir;
    PhoneBackupSample sample;
    ScriptedDeviceLink link;
    IOSDevice device{link, {sample.device.udid, false}};

    explicit BackedUpPhone(bool encrypted)
    {
        const QString prepared = dir.filePath(QStringLiteral("prepared"));
        sample.write(prepared, encrypted);
        link.values[QStringLiteral("/ProductVersion")] =
            QPlist::fromString(sample.device.productVersion);
        link.toolProgram = writeTool(dir, "cp -R '" + prepared.toUtf8() +
                                              "' \"$4/$2\"\necho 'Backup Successful.'\n");
        device.readValues(nullptr);
    }
};

TEST(DeviceBackup, EncryptedBackupAsksThePasswordAndIsRead)
{
    BackedUpPhone phone(true);
    IOSDeviceImport import(phone.device, phone.dir.filePath(QStringLiteral("root")));
    int asked = 0;
    ASSERT_TRUE(import.fetch(g_recordingSteps(), [&asked](BackupManifest &) {
        ++asked;
        return QString::fromLatin1(PhoneBackupSample::kPassword);
    }));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(import.backupPath(),
              phone.dir.filePath(QStringLiteral("root/") + phone.sample.device.udid));
    MsgData data;
    import.openMessageDb()->messages(data, 0);
    EXPECT_EQ(sortedTexts(data.messages()), phone.sample.texts());
}

TEST(DeviceBackup, NoPasswordGivenEndsWithoutReading)
{
    BackedUpPhone phone(true);
    IOSDeviceImport import(phone.device, phone.dir.filePath(QStringLiteral("root")));
    EXPECT_FALSE(import.fetch(g_recordingSteps(), [](BackupManifest &) { return QString(); }));
}

TEST(DeviceBackup, OnlyAFinishedBackupOfTheSameVersionIsReused)
{
    QTemporaryDir dir;
    PhoneBackupSample sample;
    sample.write(dir.path(), false);
    const QDir backup(dir.path());
    EXPECT_TRUE(IOSMobileBackupThread::isReusableBackup(backup, sample.device.productVersion));
    EXPECT_FALSE(IOSMobileBackupThread::isReusableBackup(backup, QStringLiteral("99.0")));
    QFile::remove(backup.filePath(QStringLiteral("Status.plist")));
    EXPECT_FALSE(IOSMobileBackupThread::isReusableBackup(backup, sample.device.productVersion));
}

} // namespace
