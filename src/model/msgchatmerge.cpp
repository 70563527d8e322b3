#include "model/msgchatmerge.h"

#include "model/msgchat.h"

QList<_MsgMessage *> _MsgChatMerge::messages() const
{
    QList<_MsgMessage *> result;
    for (const _MsgChat *chat : chats)
        result += chat->messageMap.values();
    return result;
}
