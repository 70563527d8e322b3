#include "cli/clicommand.h"

CliCommand::~CliCommand() = default;

void CliCommand::expectArgCount(const QStringList &args, int min, int max) const
{
    if (args.size() < min)
        throw CliUsageError(QStringLiteral("%1: missing argument").arg(name()).toStdString());
    if (args.size() > max)
        throw CliUsageError(QStringLiteral("%1: unexpected argument \"%2\"")
                                .arg(name(), args.at(max))
                                .toStdString());
}
