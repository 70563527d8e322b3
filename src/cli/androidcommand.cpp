#include "cli/androidcommand.h"

#include "android/adbhelper.h"
#include "android/androidrestoresmsthread.h"
#include "cli/cliandroid.h"
#include "cli/cliargs.h"
#include "cli/clicontext.h"
#include "cli/clisource.h"
#include "cli/messagerecords.h"
#include "frame/consoleprogress.h"

#include <QJsonObject>

int AndroidCommand::run(CliContext &context, const QStringList &args)
{
    if (args.isEmpty())
        throw CliUsageError("android: devices, load or transfer expected");
    const QString verb = args.first();
    const QStringList rest = args.mid(1);
    if (verb == QLatin1String("devices"))
        return devices(context, rest);
    if (verb == QLatin1String("load"))
        return load(context, rest);
    if (verb == QLatin1String("transfer"))
        return transfer(context, rest);
    throw CliUsageError(QStringLiteral("android: unknown command \"%1\"").arg(verb).toStdString());
}

int AndroidCommand::devices(CliContext &context, const QStringList &args)
{
    if (!args.isEmpty())
        throw CliUsageError("android devices takes no arguments");
    const QList<AdbDevice> devices = AdbHelper().devices();
    context.output().setColumns(
        {QStringLiteral("serial"), QStringLiteral("state"), QStringLiteral("line")});
    for (const AdbDevice &device : devices) {
        context.output().record({{QStringLiteral("serial"), device.serial},
                                 {QStringLiteral("state"), device.state},
                                 {QStringLiteral("line"), device.line}});
    }
    return 0;
}

int AndroidCommand::load(CliContext &context, const QStringList &args)
{
    if (args.size() != 1)
        throw CliUsageError("android load SERIAL");
    const CliAndroid::LoadResult result =
        CliAndroid::connectAndLoadSerial(args.first(), context.isQuiet());
    context.output().setColumns({QStringLiteral("device"), QStringLiteral("uid"),
                                 QStringLiteral("processed"), QStringLiteral("loaded"),
                                 QStringLiteral("deleted"), QStringLiteral("path")});
    context.output().record({{QStringLiteral("device"), result.device.displayName()},
                             {QStringLiteral("uid"), result.device.uid},
                             {QStringLiteral("processed"), result.processed},
                             {QStringLiteral("loaded"), result.loaded},
                             {QStringLiteral("deleted"), result.deleted},
                             {QStringLiteral("path"), result.device.cacheDir().absolutePath()}});
    return 0;
}

int AndroidCommand::transfer(CliContext &context, const QStringList &args)
{
    QStringList rest = args;
    const QString target = g_takeOption(rest, QStringLiteral("--to"));
    const QString chat = g_takeOption(rest, QStringLiteral("--chat"));
    if (target.isNull() || rest.size() != 1)
        throw CliUsageError("android transfer SOURCE --to SERIAL [--chat ID]");

    CliSource source(rest.first());
    const MsgData data = source.load();
    const QList<_MsgMessage *> messages = g_selectMessages(data, chat);
    // As the desktop offers only loaded phones as targets, the target is loaded first.
    const CliAndroid::LoadResult phone =
        CliAndroid::connectAndLoadSerial(target, context.isQuiet());

    ConsoleProgress progress(context.progressOutput());
    AndroidRestoreSMSThread worker(phone.device, messages, progress);
    CliContext::runWorker(progress, worker);
    context.output().setColumns(
        {QStringLiteral("sent"), QStringLiteral("skipped"), QStringLiteral("failed")});
    context.output().record({{QStringLiteral("sent"), worker.sentCount()},
                             {QStringLiteral("skipped"), worker.skippedCount()},
                             {QStringLiteral("failed"), worker.failedCount()}});
    return 0;
}
