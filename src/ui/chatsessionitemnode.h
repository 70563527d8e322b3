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
    // The newest message of the conversation (for its entry's date and snippet); null when it
    // has none.
    const _MsgMessage *lastMessage() const { return m_lastMessage; }

    const _MsgChatMerge merge;

private:
    const _MsgMessage *m_lastMessage = nullptr;
};
