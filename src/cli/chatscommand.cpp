#include "cli/chatscommand.h"

#include "cli/clicontext.h"
#include "cli/clisource.h"
#include "cli/messagerecords.h"
#include "model/msgchat.h"
#include "model/msgchatmerge.h"
#include "model/msgfunctions.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSet>

#include <algorithm>

namespace {

QJsonObject mergeRecord(const _MsgChatMerge &merge)
{
    QStringList participants;
    QString displayName;
    for (const _MsgChat *chat : merge.chats) {
        if (displayName.isEmpty())
            displayName = chat->display_name;
        for (const _MsgHandle *handle : chat->handleMap) {
            if (!participants.contains(handle->id))
                participants << handle->id;
        }
    }
    participants.sort();
    if (displayName.isEmpty() && !merge.chats.isEmpty())
        displayName = merge.chats.first()->displayName(false);
    QSet<const _MsgMessage *> messages;
    // Reactions shown with their targets are not messages of the conversation.
    for (const _MsgMessage *message : merge.messages()) {
        if (message->isShownAlone())
            messages.insert(message);
    }
    return {{QStringLiteral("chat_identifier"),
             merge.chats.isEmpty() ? QString() : merge.chats.first()->chat_identifier},
            {QStringLiteral("display_name"), displayName},
            {QStringLiteral("participants"), QJsonArray::fromStringList(participants)},
            {QStringLiteral("message_count"), messages.size()},
            {QStringLiteral("last"), g_isoDate21(merge.last)}};
}

} // namespace

int ChatsCommand::run(CliContext &context, const QStringList &args)
{
    expectArgCount(args, 1, 1);
    CliSource source(args.first());
    const MsgData data = source.load();
    QList<_MsgChatMerge> merges = data.chatMergeList();
    std::stable_sort(merges.begin(), merges.end(), compareMsgChatMergeLastDesc);

    CliOutput &output = context.output();
    output.setColumns({QStringLiteral("chat_identifier"), QStringLiteral("display_name"),
                       QStringLiteral("participants"), QStringLiteral("message_count"),
                       QStringLiteral("last")});
    for (const _MsgChatMerge &merge : merges)
        output.record(mergeRecord(merge));
    return 0;
}
