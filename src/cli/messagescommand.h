#pragma once

#include "cli/clicommand.h"

// The messages of a source or of one conversation, oldest first.
class MessagesCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("messages"); }
    QString usage() const override { return QStringLiteral("SOURCE [--chat ID]"); }
    QString summary() const override
    {
        return QStringLiteral("messages, oldest first, with their attachments");
    }
    int run(CliContext &context, const QStringList &args) override;
};
