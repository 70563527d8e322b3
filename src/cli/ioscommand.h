#pragma once

#include "cli/clicommand.h"

class AbsDeviceLink;

// `ios devices`: the connected iPhones. `ios backup UDID [--dir DIR]`: backs one up with the
// backup tool and prints where the backup is.
class IosCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("ios"); }
    QString usage() const override { return QStringLiteral("devices | backup UDID [--dir DIR]"); }
    QString summary() const override
    {
        return QStringLiteral("connected iPhones; back one up into DIR (default: a temporary "
                              "folder in Documents)");
    }
    int run(CliContext &context, const QStringList &args) override;

private:
    int listDevices(CliContext &context, AbsDeviceLink &link);
    int backup(CliContext &context, AbsDeviceLink &link, QStringList args);
};
