#pragma once

#include "cli/clioutput.h"

#include <QString>

// What every verb shares: the global options and the output.
class CliContext
{
public:
    CliContext(bool json, bool quiet);

    CliOutput &output() { return m_output; }
    bool isJson() const { return m_output.isJson(); }
    // No progress bar on stderr.
    bool isQuiet() const { return m_quiet; }

private:
    CliOutput m_output;
    bool m_quiet;
};
