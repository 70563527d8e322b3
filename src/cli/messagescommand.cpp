#include "cli/messagescommand.h"

#include "cli/cliargs.h"
#include "cli/clicontext.h"
#include "cli/clisource.h"
#include "cli/messagerecords.h"

int MessagesCommand::run(CliContext &context, const QStringList &args)
{
    QStringList rest = args;
    const QString chat = g_takeOption(rest, QStringLiteral("--chat"));
    expectArgCount(rest, 1, 1);
    CliSource source(rest.first());
    // A whole database is listed row by row; one conversation is small enough to load.
    if (chat.isNull()) {
        MessagePrinter printer(context.output());
        if (source.visitMessages(
                [&printer](const _MsgMessage &message) { printer.print(message); }))
            return 0;
    }
    const MsgData data = source.load();
    g_printMessages(context.output(), g_selectMessages(data, chat));
    return 0;
}
