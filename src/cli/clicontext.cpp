#include "cli/clicontext.h"

#include <QTextStream>

#include <stdexcept>

CliContext::CliContext(bool json, bool quiet) : m_output(json), m_quiet(quiet) {}

ConsoleProgress::Output CliContext::progressOutput(bool quiet)
{
    return quiet ? ConsoleProgress::Output::Quiet : ConsoleProgress::Output::Auto;
}

void CliContext::runWorker(ConsoleProgress &progress, QThread &worker)
{
    if (!progress.runWorker(worker))
        throw std::runtime_error(progress.endText().toStdString());
    QTextStream(stderr) << progress.endText() << '\n';
}
