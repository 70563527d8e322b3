#pragma once

#include "cli/clicommand.h"

// The conversations of a source (chats merged by chat identifier), newest first.
class ChatsCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("chats"); }
    QString usage() const override { return QStringLiteral("SOURCE"); }
    QString summary() const override
    {
        return QStringLiteral("conversations, newest first: chat_identifier, display_name, "
                              "participants, message_count, last");
    }
    int run(CliContext &context, const QStringList &args) override;
};
