#pragma once

#include "cli/clicommand.h"

// Exports the messages of a source (or of one conversation) to a TXT, DOC or CSV file, or to a
// folder of one PDF or HTML file per chat, with the save dialog's path rules.
class ExportCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("export"); }
    QString usage() const override
    {
        return QStringLiteral("SOURCE --format txt|doc|csv|html|pdf|xml --out PATH [--chat ID]");
    }
    QString summary() const override
    {
        return QStringLiteral("export messages to a file (or a folder of one file per chat)");
    }
    int run(CliContext &context, const QStringList &args) override;
};
