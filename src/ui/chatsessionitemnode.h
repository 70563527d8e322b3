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
    // The newest message of the conversation (for its entry's date and snippet); null while it
    // has none. Looked up once the messages are there (a source lists its chats before it loads
    // their messages); nodes are rebuilt whenever messages go.
    const _MsgMessage *lastMessage() const;

    const _MsgChatMerge merge;

private:
    mutable const _MsgMessage *m_lastMessage = nullptr;
};
