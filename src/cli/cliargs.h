#pragma once

#include <QString>
#include <QStringList>

// Removes "name VALUE" from args and returns VALUE; a null text when the option is absent.
// Throws CliUsageError when the value is missing or the option is given twice.
QString g_takeOption(QStringList &args, const QString &name);
