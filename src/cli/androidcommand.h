#pragma once

#include "cli/clicommand.h"

// Android phones: the attached ones, loading one into its cache, transferring messages to one.
class AndroidCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("android"); }
    QString usage() const override
    {
        return QStringLiteral("devices | load SERIAL | transfer SOURCE --to SERIAL [--chat ID]");
    }
    QString summary() const override
    {
        return QStringLiteral("attached phones (serial, state, line); load into the phone's cache "
                              "(device, uid, processed, loaded, deleted, path); transfer "
                              "(sent, skipped, failed)");
    }
    int run(CliContext &context, const QStringList &args) override;

private:
    static int devices(CliContext &context, const QStringList &args);
    static int load(CliContext &context, const QStringList &args);
    static int transfer(CliContext &context, const QStringList &args);
};
