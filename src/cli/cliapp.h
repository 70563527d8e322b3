#pragma once

#include "cli/clicommand.h"

#include <QStringList>

#include <memory>
#include <vector>

// The command line: global options, then a verb and its arguments.
// Exit status 0 on success, 1 on an error (one line on stderr), 2 on a usage error.
class CliApp
{
public:
    enum ExitStatus { ExitOk = 0, ExitError = 1, ExitUsage = 2 };

    CliApp();
    ~CliApp();

    // args without the program name.
    int run(const QStringList &args);

private:
    CliCommand *find(const QString &verb);
    QString usage() const;

    std::vector<std::unique_ptr<CliCommand>> m_commands;
};
