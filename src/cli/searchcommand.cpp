#include "cli/searchcommand.h"

#include "cli/clicontext.h"
#include "cli/clisource.h"
#include "cli/messagerecords.h"
#include "model/msgmessage.h"

int SearchCommand::run(CliContext &context, const QStringList &args)
{
    expectArgCount(args, 2, 2);
    const QString &keyword = args.at(1);
    if (keyword.isEmpty())
        throw CliUsageError("search: the keyword is empty");
    CliSource source(args.first());
    const MsgData data = source.load();
    QList<_MsgMessage *> found;
    for (_MsgMessage *message : g_selectMessages(data, QString())) {
        if (message->summary().contains(keyword, Qt::CaseInsensitive))
            found << message;
    }
    g_printMessages(context.output(), found);
    return 0;
}
