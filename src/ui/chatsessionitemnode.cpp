#include "ui/chatsessionitemnode.h"

#include "model/msgchat.h"
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

_MsgChat *_ChatSessionItemNode::firstChat() const
{
    return merge.chats.isEmpty() ? nullptr : merge.chats.first();
}
