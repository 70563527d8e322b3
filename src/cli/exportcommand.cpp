#include "cli/exportcommand.h"

#include "cli/cliargs.h"
#include "cli/clicontext.h"
#include "cli/clisource.h"
#include "cli/messagerecords.h"
#include "export/exporterfactory.h"
#include "export/exportmessagesthread.h"
#include "export/exportpaths.h"
#include "frame/consoleprogress.h"
#include "iosdb/ios6messagestream.h"

#include <QDir>
#include <QJsonObject>
#include <QTextStream>

#include <memory>
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
    const QString target = QDir::cleanPath(QDir().absoluteFilePath(g_exportTargetPath(out, *type)));
    ConsoleProgress progress(context.progressOutput());
    // A whole source is read one message at a time while it is written, unless it can only be
    // loaded. A salvaged read says how much it found before the export starts.
    const bool streamed = chat.isNull() && !CliSource::salvageDamaged() && source.visitsMessages();
    MsgData data;
    std::unique_ptr<ExportMessagesThread> exporting;
    if (streamed) {
        exporting = std::make_unique<ExportMessagesThread>(
            [&source, format](const auto &total, const auto &write) {
                const bool read = source.visitStream(true, [&](IOS6MessageStream &messages) {
                    ExportMessagesThread::feedFrom(messages, format, total, write);
                });
                if (!read)
                    throw std::logic_error("export: the source cannot be read message by message");
            },
            target, format, progress);
    } else {
        data = source.load();
        exporting = std::make_unique<ExportMessagesThread>(g_selectMessages(data, chat), target,
                                                           format, progress);
    }
    ExportMessagesThread &worker = *exporting;
    CliContext::runWorker(progress, worker);

    context.output().setColumns(
        {QStringLiteral("format"), QStringLiteral("messages"), QStringLiteral("path")});
    context.output().record({{QStringLiteral("format"), formatName.toLower()},
                             {QStringLiteral("messages"), worker.exportedCount()},
                             {QStringLiteral("path"), target}});
    return 0;
}
