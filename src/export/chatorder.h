#pragma once

#include <QHash>
#include <QList>
#include <QString>

struct _MsgChat;
struct _MsgMessage;

// How exports that write one file per chat order and group messages.

// Whether a sorts before b: messages of chats whose identifiers are equal (ignoring case) in
// message order (compareMsgMessageAsc), otherwise by the chats' newest-message date; a message
// without a chat counts as identifier "" and date 0. Not a strict weak ordering (neither is the
// message order it builds on, and two chats with the same date compare equal), so sort with
// g_sortMessagesByChat, never std::sort.
bool compareMsgMessageChatDateAsc(const _MsgMessage *a, const _MsgMessage *b);

// The group a message is exported with: equal for messages of chats whose identifiers differ only
// in letter case; messages without a chat share a key of their own.
QString g_exportChatKey(const _MsgMessage &message);

// Sorts for per-chat exports: conversations oldest first (by the newest message of any chat of the
// group), every group contiguous, its messages in message order. Groups of equal date keep a
// fixed order by their key, so the result does not depend on the input order.
void g_sortMessagesByChat(QList<_MsgMessage *> &messages);

// The place of each chat's group in that order (null: messages without a chat), for lists that
// are put into message order first and then grouped stably by these ranks. chats: every chat of
// the messages exported, each once; the group's date is the newest of its chats among them.
QHash<const _MsgChat *, int> g_chatGroupRanks(const QList<const _MsgChat *> &chats);
