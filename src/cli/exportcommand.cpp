#include "cli/exportcommand.h"

#include "cli/cliargs.h"
#include "cli/clicontext.h"
#include "cli/clisource.h"
#include "cli/messagerecords.h"
#include "export/exporterfactory.h"
#include "export/exportmessagesthread.h"
#include "export/exportpaths.h"
#include "frame/consoleprogress.h"

#include <QDir>
#include <QJsonObject>
#include <QTextStream>

#include <stdexcept>

int ExportCommand::run(CliContext &context, const QStringList &args)
{
    QStringList rest = args;
    const QString formatName = g_takeOption(rest, QStringLiteral("--format"));
    const QString out = g_takeOption(rest, QStringLiteral("--out"));
    const QString chat = g_takeOption(rest, QStringLiteral("--chat"));
    expectArgCount(rest, 1, 1);
    if (formatName.isNull() || out.isEmpty())
        throw CliUsageError("export: --format and --out are required");
    const std::optional<ExportFileType> type = g_exportFileTypeOfName(formatName);
    if (!type)
        throw CliUsageError(
            QStringLiteral("export: unknown format \"%1\"").arg(formatName).toStdString());
    const ExportFormat format = g_exportFormatOf(*type);

    CliSource source(rest.first());
    const MsgData data = source.load();
    const QList<_MsgMessage *> messages = g_selectMessages(data, chat);
    const QString target = QDir::cleanPath(QDir().absoluteFilePath(g_exportTargetPath(out, *type)));

    ConsoleProgress progress(context.progressOutput());
    ExportMessagesThread worker(messages, target, format, progress);
    CliContext::runWorker(progress, worker);

    context.output().setColumns(
        {QStringLiteral("format"), QStringLiteral("messages"), QStringLiteral("path")});
    context.output().record({{QStringLiteral("format"), formatName.toLower()},
                             {QStringLiteral("messages"), worker.exportedCount()},
                             {QStringLiteral("path"), target}});
    return 0;
}
