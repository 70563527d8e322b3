#include "cli/savecommand.h"

#include "cli/cliargs.h"
#include "cli/clicontext.h"
#include "cli/clisource.h"
#include "cli/messagerecords.h"
#include "frame/appdirs.h"
#include "frame/consoleprogress.h"
#include "frame/filenames.h"
#include "frame/translation.h"
#include "localdb/backupsmsthread.h"

#include <QJsonObject>
#include <QRegularExpression>
#include <QTextStream>

#include <stdexcept>

namespace {

const QRegularExpression &forbiddenNameChars()
{
    static const QRegularExpression forbidden(QStringLiteral("[\\\\/:*?\"<>|]"));
    return forbidden;
}

} // namespace

bool SaveCommand::isValidDbName(const QString &name)
{
    const QRegularExpression &forbidden = forbiddenNameChars();
    const QString trimmed = name.trimmed();
    return !trimmed.isEmpty() && trimmed != QLatin1String(".") && trimmed != QLatin1String("..") &&
           !name.contains(forbidden) && name.toUtf8().size() <= kMaxFileNameBytes;
}

std::string SaveCommand::invalidNameText(const QString &name)
{
    if (name.contains(forbiddenNameChars()))
        return g_tr("IDS_INVALID_LOCALDB_NAME").toStdString();
    return g_tr("IDS_CLI_INVALID_DB_NAME_%1").arg(kMaxFileNameBytes).toStdString();
}

QDir SaveCommand::databaseFolder(const QString &name)
{
    const QDir root = g_localDbDir();
    const QStringList existing = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &folder : existing) {
        if (folder.compare(name, Qt::CaseInsensitive) == 0)
            return QDir(root.filePath(folder));
    }
    return QDir(root.filePath(name));
}

int SaveCommand::run(CliContext &context, const QStringList &args)
{
    QStringList rest = args;
    const QString name = g_takeOption(rest, QStringLiteral("--to"));
    const QString chat = g_takeOption(rest, QStringLiteral("--chat"));
    expectArgCount(rest, 1, 1);
    if (name.isNull())
        throw CliUsageError("save: --to NAME is required");
    if (!isValidDbName(name))
        throw CliUsageError(invalidNameText(name));

    CliSource source(rest.first());
    const MsgData data = source.load();
    const QList<_MsgMessage *> messages = g_selectMessages(data, chat);
    const QDir folder = databaseFolder(name);

    ConsoleProgress progress(context.progressOutput());
    BackupSMSThread worker(messages, folder, QString(), progress);
    // Nothing reads the messages after the save.
    worker.releaseWritten(data);
    CliContext::runWorker(progress, worker);

    context.output().setColumns({QStringLiteral("database"), QStringLiteral("processed"),
                                 QStringLiteral("saved"), QStringLiteral("path")});
    if (context.isJson()) {
        context.output().record({{QStringLiteral("database"), folder.dirName()},
                                 {QStringLiteral("processed"), worker.processedCount()},
                                 {QStringLiteral("saved"), worker.insertedCount()},
                                 {QStringLiteral("path"), folder.absolutePath()}});
    }
    return 0;
}
