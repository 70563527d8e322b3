#pragma once

#include <QString>
#include <QStringList>

#include <stdexcept>

class CliContext;

// A usage mistake on the command line: reported with the verb's usage, exit status 2.
class CliUsageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// One verb of the command line. run() returns the exit status; operation failures are thrown as
// std::runtime_error with the operation's own message (exit status 1).
class CliCommand
{
public:
    virtual ~CliCommand();

    virtual QString name() const = 0;
    // One line: the verb's arguments, e.g. "SOURCE [--chat ID]".
    virtual QString usage() const = 0;
    virtual QString summary() const = 0;
    virtual int run(CliContext &context, const QStringList &args) = 0;

protected:
    // Fails with a usage error unless args has between min and max entries.
    void expectArgCount(const QStringList &args, int min, int max) const;
};
