#pragma once

#include "model/msgchatmerge.h"
#include "ui/abstreeitemmodel.h"

// One conversation of its parent source. The chats and messages belong to the parent's MsgData.
class _ChatSessionItemNode : public AbsTreeItemModel::_ItemNode
{
public:
    explicit _ChatSessionItemNode(const _MsgChatMerge &merge);

    // Null for a merge without chats.
    _MsgChat *firstChat() const;

    const _MsgChatMerge merge;
};
