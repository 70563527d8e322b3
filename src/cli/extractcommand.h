#pragma once

#include "cli/clicommand.h"

// Copies the attachment files of a source (or of one conversation) into a new folder
// "attachments(yyyyMMdd-hhmmss)" inside DIR, as the desktop's extraction does.
class ExtractCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("extract"); }
    QString usage() const override { return QStringLiteral("SOURCE --out DIR [--chat ID]"); }
    QString summary() const override
    {
        return QStringLiteral("copy attachment files into a new folder inside DIR");
    }
    int run(CliContext &context, const QStringList &args) override;
};
