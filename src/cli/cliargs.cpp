#include "cli/cliargs.h"

#include "cli/clicommand.h"

QString g_takeOption(QStringList &args, const QString &name)
{
    const int at = args.indexOf(name);
    if (at < 0)
        return QString();
    if (at + 1 >= args.size())
        throw CliUsageError(QStringLiteral("%1 needs a value").arg(name).toStdString());
    const QString value = args.at(at + 1);
    args.remove(at, 2);
    if (args.contains(name))
        throw CliUsageError(QStringLiteral("%1 given twice").arg(name).toStdString());
    // An empty value is still a given option; keep it apart from "absent".
    return value.isNull() ? QString(QLatin1String("")) : value;
}
