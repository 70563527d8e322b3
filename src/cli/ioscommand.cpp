#include "cli/ioscommand.h"

#include "cli/cliargs.h"
#include "cli/clicontext.h"
#include "frame/consoleprogress.h"
#include "frame/translation.h"
#include "mobiledevice/imobiledevicelink.h"
#include "mobiledevice/iosdevice.h"
#include "mobiledevice/iosdeviceimport.h"

#include <QJsonObject>

#include <stdexcept>

int IosCommand::run(CliContext &context, const QStringList &args)
{
    if (args.isEmpty())
        throw CliUsageError("ios: name a subcommand (devices or backup)");
    IMobileDeviceLink link;
    if (args.first() == QLatin1String("devices")) {
        expectArgCount(args, 1, 1);
        return listDevices(context, link);
    }
    if (args.first() == QLatin1String("backup"))
        return backup(context, link, args.mid(1));
    throw CliUsageError(
        QStringLiteral("ios: unknown subcommand \"%1\"").arg(args.first()).toStdString());
}

int IosCommand::listDevices(CliContext &context, AbsDeviceLink &link)
{
    CliOutput &output = context.output();
    output.setColumns({QStringLiteral("udid"), QStringLiteral("name"),
                       QStringLiteral("product_type"), QStringLiteral("ios_version"),
                       QStringLiteral("connection"), QStringLiteral("paired")});
    for (const _DeviceConnection &connection : IOSDevice::connectedPhones(link)) {
        // Listing asks the phone nothing that needs its trust.
        IOSDevice device(link, connection);
        device.readPublicValues();
        output.record({{QStringLiteral("udid"), device.udid()},
                       {QStringLiteral("name"), device.name()},
                       {QStringLiteral("product_type"), device.productType()},
                       {QStringLiteral("ios_version"), device.productVersion()},
                       {QStringLiteral("connection"),
                        connection.network ? QStringLiteral("network") : QStringLiteral("usb")},
                       {QStringLiteral("paired"), link.isPaired(device.udid())}});
    }
    return 0;
}

int IosCommand::backup(CliContext &context, AbsDeviceLink &link, QStringList args)
{
    const QString dir = g_takeOption(args, QStringLiteral("--dir"));
    if (args.size() != 1)
        throw CliUsageError("ios backup: name one UDID");
    const QString udid = args.first();
    _DeviceConnection connection;
    if (!IOSDevice::findConnection(link, udid, connection))
        throw std::runtime_error(g_tr("IDS_IOS_NOT_CONNECTED_%1").arg(udid).toStdString());

    IOSDevice device(link, connection);
    ConsoleProgress progress(context.progressOutput());
    device.readValues(&progress);
    IOSDeviceImport import(device, dir.isNull() ? QString() : QDir(dir).absolutePath());
    if (!import.backup(progress,
                       [&progress](QThread &worker) { return progress.runWorker(worker); }))
        throw std::runtime_error(progress.endText().toStdString());

    CliOutput &output = context.output();
    output.setColumns({QStringLiteral("path")});
    output.record({{QStringLiteral("path"), import.backupPath()}});
    return 0;
}
