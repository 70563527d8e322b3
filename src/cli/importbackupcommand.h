#pragma once

#include "cli/clicommand.h"

class BackupManifest;

// Imports the messages of an iPhone backup into a local database: extraction into the backup's
// cache, loading, and saving as the save verb does.
class ImportBackupCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("import-backup"); }
    QString usage() const override
    {
        return QStringLiteral("BACKUP [--to NAME] [--password PW | --password-file FILE]");
    }
    QString summary() const override
    {
        return QStringLiteral("import an iPhone backup into local database NAME "
                              "(default: device name + \"_Backup\")");
    }
    int run(CliContext &context, const QStringList &args) override;

    // The password in a password file: its bytes as UTF-8, without the line end an editor adds.
    // Throws std::runtime_error when the file cannot be read.
    static QString readPasswordFile(const QString &path);

private:
    static QString password(QStringList &args);
    static void openBackup(CliContext &context, BackupManifest &backup, const QString &password);
};
