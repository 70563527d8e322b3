#include "clirunner.h"

#include "fixtures/backupwriter.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

QString writeBackup(const QString &root, const QString &udid, const QString &name, int day,
                    bool encrypted)
{
    BackupWriter::DeviceInfo device;
    device.udid = udid;
    device.deviceName = name;
    device.productType = QStringLiteral("iPhone12,1");
    device.productVersion = QStringLiteral("13.3");
    device.date = QDateTime(QDate(2020, 1, day), QTime(8, 15, 30), Qt::UTC);
    BackupWriter writer(device);
    writer.addFile("HomeDomain", "Library/SMS/sms.db", "db");
    if (encrypted)
        writer.setPassword("pw");
    const QString folder = root + "/" + udid;
    EXPECT_TRUE(writer.write(folder));
    return folder;
}

} // namespace

TEST(CliBackups, ListsBackupsNewestFirstWithDamagedOnesLast)
{
    QTemporaryDir data;
    QTemporaryDir root;
    const QString plain = writeBackup(root.path(), "aaaa", "Plain phone", 3, false);
    const QString locked = writeBackup(root.path(), "bbbb", "Locked phone", 9, true);
    const QString damaged = writeBackup(root.path(), "cccc", "Broken", 5, false);
    writeFile(damaged + "/Manifest.plist", "not a plist");
    QDir().mkpath(root.path() + "/not-a-backup");

    const CliResult result =
        runCli({"--data-dir", data.path(), "--json", "backups", "--dir", root.path()});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QList<QJsonObject> lines = result.jsonLines();
    ASSERT_EQ(lines.size(), 3) << result.out.toStdString();

    const QStringList keys = {"display_name", "path",        "date",      "device_name", "udid",
                              "product_type", "ios_version", "encrypted", "error"};
    EXPECT_EQ(only(lines[0], keys), (QJsonObject{{"display_name", "Locked phone"},
                                                 {"path", QDir(locked).absolutePath()},
                                                 {"date", "2020-01-09T08:15:30Z"},
                                                 {"device_name", "Locked phone"},
                                                 {"udid", "bbbb"},
                                                 {"product_type", "iPhone12,1"},
                                                 {"ios_version", "13.3"},
                                                 {"encrypted", true}}));
    EXPECT_EQ(only(lines[1], {"path", "date", "encrypted"}),
              (QJsonObject{{"path", QDir(plain).absolutePath()},
                           {"date", "2020-01-03T08:15:30Z"},
                           {"encrypted", false}}));

    EXPECT_EQ(str(lines[2], "path"), QDir(damaged).absolutePath());
    EXPECT_TRUE(str(lines[2], "error").contains("Manifest.plist"));

    // One backup folder named directly is listed on its own.
    const CliResult single =
        runCli({"--data-dir", data.path(), "--json", "backups", "--dir", plain});
    EXPECT_EQ(strs(single.jsonLines(), "udid"), QStringList{"aaaa"}) << single.err.toStdString();
}

TEST(CliBackups, MissingFolderAndBadArgumentsFail)
{
    QTemporaryDir data;
    const CliResult missing =
        runCli({"--data-dir", data.path(), "backups", "--dir", data.path() + "/no such folder"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("no such folder")) << missing.err.toStdString();

    EXPECT_EQ(runCli({"--data-dir", data.path(), "backups", "--dir"}).exitCode, 2);
    EXPECT_EQ(runCli({"--data-dir", data.path(), "backups", "extra"}).exitCode, 2);
}
