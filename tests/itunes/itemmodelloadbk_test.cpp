#include "fields.h"
#include "fixtures/backupwriter.h"
#include "itunes/itemmodelloadbk.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QSize>
#include <QTemporaryDir>

namespace {

class ItemModelLoadBkTest : public ::testing::Test
{
protected:
    // A backup of a device with this name, backed up on that day of August 2019.
    QSharedPointer<BackupManifest> backup(const QString &name, int day)
    {
        const QString folder = writeBackup(name, day);
        auto manifest = QSharedPointer<BackupManifest>::create(folder);
        manifest->readManifestInfo();
        return manifest;
    }

    QString writeBackup(const QString &name, int day)
    {
        BackupWriter::DeviceInfo device;
        device.deviceName = name;
        device.date = QDateTime(QDate(2019, 8, day), QTime(12, 0), Qt::UTC);
        const QString folder = m_dir.filePath(name);
        EXPECT_TRUE(BackupWriter(device).write(folder));
        return folder;
    }

    static QStringList names(const ItemModelLoadBk &model)
    {
        QStringList list;
        for (int row = 0; row < model.rowCount(); ++row)
            list << model.backupAt(row)->info().deviceName;
        return list;
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(ItemModelLoadBkTest, NewestFirstAndEqualDatesKeepTheirOrder)
{
    ItemModelLoadBk model;
    QList<int> rows;
    for (const auto &[name, day] :
         QList<QPair<QString, int>>{{"b", 10}, {"c", 5}, {"a", 20}, {"b2", 10}, {"b3", 10}})
        rows << model.addBackup(backup(name, day));
    EXPECT_EQ(rows, (QList<int>{0, 1, 0, 2, 3}));
    EXPECT_EQ(names(model), QStringList({"a", "b", "b2", "b3", "c"}));
    EXPECT_EQ(model.backupAt(5), nullptr);
    EXPECT_EQ(model.backupAt(-1), nullptr);
}

TEST_F(ItemModelLoadBkTest, OneRowPerFolderWhateverThePathText)
{
    ItemModelLoadBk model;
    const auto first = backup("phone", 1);
    ASSERT_EQ(model.addBackup(first), 0);
    auto again = QSharedPointer<BackupManifest>::create(m_dir.path() + "/x/../phone/");
    again->readManifestInfo();
    EXPECT_TRUE(model.contains(*again));
    EXPECT_EQ(model.addBackup(again), -1);
    EXPECT_EQ(model.addBackup(nullptr), -1);
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.rowOf(first->dirPathMd5()), 0);
}

TEST_F(ItemModelLoadBkTest, ScanningSkipsOtherFoldersAndReportsDamage)
{
    writeBackup("older", 1);
    writeBackup("newer", 2);
    QDir().mkpath(m_dir.filePath("photos"));
    writeFile(m_dir.filePath("stray.txt"), QByteArray());
    const QString damaged = writeBackup("damaged", 3);
    writeFile(damaged + "/Manifest.plist", "garbage");

    ItemModelLoadBk model;
    const QList<ItemModelLoadBk::_ScanResult> found = model.addBackupsIn(QDir(m_dir.path()));
    ASSERT_EQ(found.size(), 3);
    EXPECT_EQ(names(model), QStringList({"newer", "older"}));
    int errors = 0;
    for (const ItemModelLoadBk::_ScanResult &result : found) {
        if (result.backup)
            continue;
        ++errors;
        EXPECT_EQ(result.path, QDir(damaged).absolutePath());
        EXPECT_TRUE(result.error.contains("Manifest.plist")) << result.error.toStdString();
    }
    EXPECT_EQ(errors, 1);
    EXPECT_TRUE(ItemModelLoadBk::scanBackupsIn(QDir(m_dir.filePath("missing"))).isEmpty());
}

TEST_F(ItemModelLoadBkTest, RowsShowNameDatePathWithAlternatingBackground)
{
    ItemModelLoadBk model;
    model.addBackup(backup("first", 2));
    model.addBackup(backup("second", 1));
    ASSERT_EQ(model.columnCount(), 3);
    EXPECT_EQ(fields(model.headerData(0, Qt::Horizontal).toString(),
                     model.headerData(1, Qt::Horizontal).toString(),
                     model.headerData(2, Qt::Horizontal).toString()),
              fields("Name", "Backup Date", "Path"));

    const auto shown = model.backupAt(0);
    EXPECT_EQ(model.index(0, 0).data().toString(), shown->displayName());
    EXPECT_EQ(model.index(0, 0).data(Qt::ToolTipRole).toString(), "first-first");
    EXPECT_EQ(model.index(0, 1).data().toString(),
              QLocale::system().toString(shown->info().date, QLocale::ShortFormat));
    EXPECT_EQ(model.index(1, 2).data().toString(),
              QDir::toNativeSeparators(QDir(m_dir.filePath("second")).absolutePath()));
    EXPECT_EQ(model.index(1, 1).data(Qt::SizeHintRole).toSize().height(), 25);
    EXPECT_EQ(model.index(0, 2).data(Qt::BackgroundRole).value<QColor>(), QColor(250, 250, 250));
    EXPECT_EQ(model.index(1, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 255));
    EXPECT_FALSE(model.index(2, 0).isValid());
}
