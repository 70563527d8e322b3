#pragma once

#include <QList>

struct _MsgChat;
struct _MsgMessage;

// Chats shown as one conversation because they share a chat identifier (typically the SMS and the
// iMessage chat with one person). Links only; the chats belong to their MsgData.
struct _MsgChatMerge
{
    QList<_MsgChat *> chats;
    int last = 0; // the newest `last` of the chats

    // Every member chat's messages, chat after chat, unsorted.
    QList<_MsgMessage *> messages() const;
};
