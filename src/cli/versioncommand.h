#pragma once

#include "cli/clicommand.h"

// Program and library versions.
class VersionCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("version"); }
    QString usage() const override { return QString(); }
    QString summary() const override { return QStringLiteral("program and library versions"); }
    int run(CliContext &context, const QStringList &args) override;
};
