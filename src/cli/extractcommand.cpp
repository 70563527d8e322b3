#include "cli/extractcommand.h"

#include "cli/cliargs.h"
#include "cli/clicontext.h"
#include "cli/clisource.h"
#include "cli/messagerecords.h"
#include "export/attachmentextractthread.h"
#include "export/exportpaths.h"
#include "frame/consoleprogress.h"
#include "frame/filenames.h"

#include <QDateTime>
#include <QDir>
#include <QJsonObject>
#include <QTextStream>

#include <stdexcept>

int ExtractCommand::run(CliContext &context, const QStringList &args)
{
    QStringList rest = args;
    const QString out = g_takeOption(rest, QStringLiteral("--out"));
    const QString chat = g_takeOption(rest, QStringLiteral("--chat"));
    expectArgCount(rest, 1, 1);
    if (out.isEmpty())
        throw CliUsageError("extract: --out DIR is required");

    CliSource source(rest.first());
    const MsgData data = source.load();
    const QList<_MsgMessage *> messages = g_selectMessages(data, chat);
    // Two runs within one second would otherwise fill the same folder.
    const QString folder = g_getValidFilePath(
        g_extractionFolderPath(QDir(out).absolutePath(), QDateTime::currentDateTime()));

    ConsoleProgress progress(context.progressOutput());
    AttachmentExtractThread worker(progress, messages, folder);
    CliContext::runWorker(progress, worker);

    context.output().setColumns(
        {QStringLiteral("folder"), QStringLiteral("files"), QStringLiteral("failed")});
    context.output().record({{QStringLiteral("folder"), worker.folder()},
                             {QStringLiteral("files"), worker.copiedCount()},
                             {QStringLiteral("failed"), worker.failedCount()}});
    return 0;
}
