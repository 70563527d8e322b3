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
    const MsgData data = source.load();
    g_printMessages(context.output(), g_selectMessages(data, chat));
    return 0;
}
