#include "cli/deletecommand.h"

#include "cli/cliargs.h"
#include "cli/clicontext.h"
#include "cli/clisource.h"
#include "cli/messagerecords.h"
#include "export/deletemmsthread.h"
#include "frame/consoleprogress.h"
#include "frame/translation.h"
#include "model/msgdata.h"

#include <QJsonObject>
#include <QSet>
#include <QTextStream>

#include <stdexcept>

DeleteCommand::Request DeleteCommand::parse(const QStringList &args)
{
    Request request;
    QStringList rest = args;
    request.chat = g_takeOption(rest, QStringLiteral("--chat"));
    bool messageOption = false;
    QStringList positional;
    for (qsizetype i = 0; i < rest.size(); ++i) {
        const QString &arg = rest.at(i);
        if (arg == QLatin1String("--message")) {
            messageOption = true;
            // The row ids follow up to the next option; "3,4" is read as "3 4".
            for (; i + 1 < rest.size() && !rest.at(i + 1).startsWith(QLatin1String("--")); ++i) {
                for (const QString &part :
                     rest.at(i + 1).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                    bool ok = false;
                    const qint64 rowid = part.toLongLong(&ok);
                    if (!ok || rowid <= 0)
                        throw CliUsageError(QStringLiteral("delete: \"%1\" is not a row id")
                                                .arg(part)
                                                .toStdString());
                    request.rowids << rowid;
                }
            }
        } else if (arg.startsWith(QLatin1String("--"))) {
            throw CliUsageError(QStringLiteral("delete: unknown option %1").arg(arg).toStdString());
        } else {
            positional << arg;
        }
    }
    if (positional.size() != 1)
        throw CliUsageError("delete: exactly one SOURCE is needed (put it before --message)");
    if (messageOption == !request.chat.isNull())
        throw CliUsageError("delete: give either --message ROWID... or --chat ID");
    if (messageOption && request.rowids.isEmpty())
        throw CliUsageError("delete: --message needs at least one row id");
    request.source = positional.first();
    return request;
}

QList<_MsgMessage *> DeleteCommand::messagesByRowId(const MsgData &data,
                                                    const QList<qint64> &rowids)
{
    QList<_MsgMessage *> messages;
    QSet<qint64> seen;
    for (const qint64 rowid : rowids) {
        if (seen.contains(rowid))
            continue;
        seen.insert(rowid);
        _MsgMessage *message = data.p()->messages.value(rowid);
        if (!message)
            throw std::runtime_error(g_tr("IDS_CLI_UNKNOWN_MESSAGE_%1").arg(rowid).toStdString());
        messages << message;
    }
    return messages;
}

int DeleteCommand::run(CliContext &context, const QStringList &args)
{
    const Request request = parse(args);
    CliSource source(request.source);
    if (!source.isLocalDatabase())
        throw std::runtime_error(
            g_tr("IDS_CLI_DELETE_LOCAL_ONLY_%1").arg(request.source).toStdString());
    const MsgData data = request.chat.isNull() ? source.load() : source.load(request.chat);
    const QList<_MsgMessage *> messages = request.chat.isNull()
                                              ? messagesByRowId(data, request.rowids)
                                              : g_selectMessages(data, request.chat);

    ConsoleProgress progress(context.progressOutput());
    DeleteMMSThread worker(source.folder(), messages, progress);
    CliContext::runWorker(progress, worker);

    context.output().setColumns(
        {QStringLiteral("deleted"), QStringLiteral("files_removed"), QStringLiteral("path")});
    context.output().record({{QStringLiteral("deleted"), worker.deletedCount()},
                             {QStringLiteral("files_removed"), worker.removedFileCount()},
                             {QStringLiteral("path"), source.folder().absolutePath()}});
    return 0;
}
