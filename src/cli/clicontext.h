#pragma once

#include "cli/clioutput.h"
#include "frame/consoleprogress.h"

#include <QString>

class QThread;

// What every verb shares: the global options and the output.
class CliContext
{
public:
    CliContext(bool json, bool quiet);

    CliOutput &output() { return m_output; }
    bool isJson() const { return m_output.isJson(); }
    // No progress bar on stderr.
    bool isQuiet() const { return m_quiet; }
    // How a verb's progress shows: a bar, status lines, or nothing with --quiet.
    ConsoleProgress::Output progressOutput() const { return progressOutput(m_quiet); }
    static ConsoleProgress::Output progressOutput(bool quiet);

    // Runs a worker that reports through progress to its end. Its failure is thrown with the
    // worker's own text; its success text goes to stderr, since stdout carries the records.
    static void runWorker(ConsoleProgress &progress, QThread &worker);

private:
    CliOutput m_output;
    bool m_quiet;
};
