#pragma once

#include <QString>

struct _MsgChatMerge;

// Whether a conversation answers a contact search: its title, or any participant's name or
// address, contains the keyword (any letter case). A keyword that looks like a phone number also
// matches by its digits alone, so "5550108" finds "+1 (555) 010-8".
bool g_chatMatchesKeyword(const _MsgChatMerge &merge, const QString &title, const QString &keyword);
