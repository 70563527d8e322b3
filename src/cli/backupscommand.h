#pragma once

#include "cli/clicommand.h"

#include <QJsonObject>

class BackupManifest;

// iPhone backup folders with their device information, newest backup first.
class BackupsCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("backups"); }
    QString usage() const override { return QStringLiteral("[--dir DIR]..."); }
    QString summary() const override
    {
        return QStringLiteral("iPhone backups: display_name, path, date, device_name, udid, "
                              "product_type, ios_version, encrypted");
    }
    int run(CliContext &context, const QStringList &args) override;

private:
    QStringList folders(const QStringList &args) const;
    static QJsonObject record(const BackupManifest &backup);
};
