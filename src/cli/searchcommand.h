#pragma once

#include "cli/clicommand.h"

// The messages of a source whose summary contains a keyword, ignoring case.
class SearchCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("search"); }
    QString usage() const override { return QStringLiteral("SOURCE KEYWORD"); }
    QString summary() const override
    {
        return QStringLiteral("messages containing KEYWORD (any letter case), oldest first");
    }
    int run(CliContext &context, const QStringList &args) override;
};
