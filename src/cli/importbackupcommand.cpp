#include "cli/importbackupcommand.h"

#include "cli/cliargs.h"
#include "cli/clicontext.h"
#include "cli/clisource.h"
#include "cli/messagerecords.h"
#include "cli/savecommand.h"
#include "frame/consoleprogress.h"
#include "frame/translation.h"
#include "itunes/backupmanifest.h"
#include "itunes/backupunlockthread.h"
#include "itunes/itunesimport.h"
#include "localdb/backupsmsthread.h"

#include <QFile>
#include <QJsonObject>
#include <QTextStream>

#include <stdexcept>

QString ImportBackupCommand::readPasswordFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(
            g_tr("IDS_CLI_PASSWORD_FILE_%1_%2").arg(path, file.errorString()).toStdString());
    QByteArray bytes = file.readAll();
    if (bytes.endsWith('\n'))
        bytes.chop(1);
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    return QString::fromUtf8(bytes);
}

QString ImportBackupCommand::password(QStringList &args)
{
    const QString given = g_takeOption(args, QStringLiteral("--password"));
    const QString file = g_takeOption(args, QStringLiteral("--password-file"));
    if (!given.isNull() && !file.isNull())
        throw CliUsageError("import-backup: give either --password or --password-file");
    return file.isNull() ? given : readPasswordFile(file);
}

void ImportBackupCommand::openBackup(CliContext &context, BackupManifest &backup,
                                     const QString &password)
{
    if (!BackupManifest::isBackupFolder(backup.folder()))
        throw std::runtime_error(g_tr("IDS_CLI_NOT_A_BACKUP_%1").arg(backup.path()).toStdString());
    backup.readManifestInfo();
    if (!backup.isEncrypted())
        return;
    if (password.isNull())
        throw std::runtime_error(g_tr("IDS_CLI_NO_BACKUP_PASSWORD").toStdString());
    ConsoleProgress unlocking(context.progressOutput());
    BackupUnlockThread worker(backup, password, unlocking);
    CliContext::runWorker(unlocking, worker);
}

int ImportBackupCommand::run(CliContext &context, const QStringList &args)
{
    QStringList rest = args;
    const QString target = g_takeOption(rest, QStringLiteral("--to"));
    const QString pw = password(rest);
    expectArgCount(rest, 1, 1);
    if (!target.isNull() && !SaveCommand::isValidDbName(target))
        throw CliUsageError(SaveCommand::invalidNameText(target));

    BackupManifest backup(rest.first());
    openBackup(context, backup, pw);
    const QString dbName = target.isNull() ? ITunesImport::defaultDbName(backup) : target;
    if (!SaveCommand::isValidDbName(dbName))
        throw std::runtime_error(SaveCommand::invalidNameText(dbName));

    ConsoleProgress extraction(context.progressOutput());
    ITunesImport import(backup, extraction);
    import.setDamagedPolicy(CliSource::salvageDamaged() ? ITunesImport::Damaged::Salvage
                                                        : ITunesImport::Damaged::Refuse);
    MsgData data;
    if (!import.run([&extraction](QThread &worker) { return extraction.runWorker(worker); }, data))
        throw std::runtime_error(extraction.endText().toStdString());

    const QList<_MsgMessage *> messages = g_selectMessages(data, QString());
    const QDir folder = SaveCommand::databaseFolder(dbName);
    ConsoleProgress saving(context.progressOutput());
    BackupSMSThread worker(messages, folder, QString(), saving);
    // Nothing reads the messages after the save.
    worker.releaseWritten(data);
    CliContext::runWorker(saving, worker);

    CliOutput &output = context.output();
    output.setColumns({QStringLiteral("database"), QStringLiteral("processed"),
                       QStringLiteral("saved"), QStringLiteral("missing_attachments"),
                       QStringLiteral("path")});
    output.record({{QStringLiteral("database"), folder.dirName()},
                   {QStringLiteral("processed"), worker.processedCount()},
                   {QStringLiteral("saved"), worker.insertedCount()},
                   {QStringLiteral("missing_attachments"), import.missingAttachments()},
                   {QStringLiteral("path"), folder.absolutePath()}});
    return 0;
}
