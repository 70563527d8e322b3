#include "ui/chatsessionitemnode.h"

#include "model/msgchat.h"
#include "model/msgfunctions.h"
#include "model/msgmessage.h"
#include "ui/itemnodetype.h"

namespace {

QString titleOf(const _MsgChatMerge &merge)
{
    return merge.chats.isEmpty() ? QString() : merge.chats.first()->displayName(false);
}

} // namespace

_ChatSessionItemNode::_ChatSessionItemNode(const _MsgChatMerge &merge)
    : AbsTreeItemModel::_ItemNode(ITEMNODE_CHAT_SESSION, titleOf(merge)), merge(merge)
{}

const _MsgMessage *_ChatSessionItemNode::lastMessage() const
{
    if (m_lastMessage)
        return m_lastMessage;
    for (const _MsgMessage *message : merge.messages()) {
        if (!m_lastMessage || compareMsgMessageAsc(m_lastMessage, message))
            m_lastMessage = message;
    }
    return m_lastMessage;
}

_MsgChat *_ChatSessionItemNode::firstChat() const
{
    return merge.chats.isEmpty() ? nullptr : merge.chats.first();
}
