#include "cli/backupscommand.h"

#include "cli/clicontext.h"
#include "frame/translation.h"
#include "itunes/backupmanifest.h"
#include "itunes/itemmodelloadbk.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>

#include <stdexcept>

int BackupsCommand::run(CliContext &context, const QStringList &args)
{
    ItemModelLoadBk model;
    QList<ItemModelLoadBk::_ScanResult> damaged;
    for (const QString &path : folders(args)) {
        const QDir dir(path);
        // A backup folder named directly is listed as well as a folder of backups.
        const QList<ItemModelLoadBk::_ScanResult> found =
            BackupManifest::isBackupFolder(dir)
                ? QList<ItemModelLoadBk::_ScanResult>{ItemModelLoadBk::readBackup(path)}
                : ItemModelLoadBk::scanBackupsIn(dir);
        for (const ItemModelLoadBk::_ScanResult &result : found) {
            if (result.backup)
                model.addBackup(result.backup);
            else
                damaged.append(result);
        }
    }

    CliOutput &output = context.output();
    output.setColumns({QStringLiteral("display_name"), QStringLiteral("date"),
                       QStringLiteral("device_name"), QStringLiteral("udid"),
                       QStringLiteral("product_type"), QStringLiteral("ios_version"),
                       QStringLiteral("encrypted"), QStringLiteral("complete"),
                       QStringLiteral("layout"), QStringLiteral("path"), QStringLiteral("error")});
    for (int row = 0; row < model.backupCount(); ++row)
        output.record(record(*model.backupAt(row)));
    // Damaged backups come last: they have no date to be ordered by.
    for (const ItemModelLoadBk::_ScanResult &result : damaged) {
        output.record({{QStringLiteral("display_name"), QFileInfo(result.path).fileName()},
                       {QStringLiteral("path"), result.path},
                       {QStringLiteral("error"), result.error}});
    }
    return 0;
}

QStringList BackupsCommand::folders(const QStringList &args) const
{
    QStringList dirs;
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) != QLatin1String("--dir"))
            throw CliUsageError(QStringLiteral("%1: unexpected argument \"%2\"")
                                    .arg(name(), args.at(i))
                                    .toStdString());
        if (++i == args.size())
            throw CliUsageError(
                QStringLiteral("%1: --dir needs a folder").arg(name()).toStdString());
        const QFileInfo info(args.at(i));
        if (!info.isDir())
            throw std::runtime_error(g_tr("IDS_CANNOT_FIND_FILE").arg(args.at(i)).toStdString());
        dirs << info.absoluteFilePath();
    }
    if (args.isEmpty()) {
        // The default folders may simply not exist yet: then there is nothing to list.
        for (const QDir &dir : ItemModelLoadBk::defaultBackupDirs()) {
            if (dir.exists())
                dirs << dir.absolutePath();
        }
    }
    return dirs;
}

QJsonObject BackupsCommand::record(const BackupManifest &backup)
{
    const BackupManifest::_InfoPlist &info = backup.info();
    const QDateTime date = info.date;
    return {{QStringLiteral("display_name"), backup.displayName()},
            {QStringLiteral("path"), backup.path()},
            {QStringLiteral("date"),
             date.isValid() ? QJsonValue(date.toUTC().toString(Qt::ISODate)) : QJsonValue()},
            {QStringLiteral("device_name"), info.deviceName},
            {QStringLiteral("udid"), info.uniqueDeviceID},
            {QStringLiteral("product_type"), info.productType},
            {QStringLiteral("ios_version"), info.productVersion},
            {QStringLiteral("encrypted"), info.isEncrypted},
            {QStringLiteral("complete"), info.complete},
            {QStringLiteral("layout"), backup.layout() == BackupManifest::Layout::ManifestDb
                                           ? QStringLiteral("manifest-db")
                                           : QStringLiteral("mbdb")}};
}
