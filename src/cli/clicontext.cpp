#include "cli/clicontext.h"

CliContext::CliContext(bool json, bool quiet) : m_output(json), m_quiet(quiet) {}
