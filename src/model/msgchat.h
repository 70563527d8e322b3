#pragma once

#include "model/msgrecordmap.h"

#include <QByteArray>
#include <QHash>
#include <QString>

struct _MsgHandle;
struct _MsgMessage;

// One conversation. Field names are the columns of the phone's `chat` table. The maps link to
// records owned by the same MsgData and never own them.
struct _MsgChat
{
    qint64 rowid = 0;
    QString guid;   // e.g. "SMS;-;" + address for a one-to-one chat, ";+;" for a group
    int style = 45; // 45 one-to-one, 43 group
    int state = 3;
    QString account_id;
    QByteArray properties;
    QString chat_identifier; // chats with equal identifiers are shown as one conversation
    QString service_name = QStringLiteral("SMS");
    QString room_name;
    QString account_login = QStringLiteral("E:");
    int is_archived = 0;
    QString last_addressed_handle;
    QString display_name; // the name the user gave the chat
    int last = 0;         // date of the newest message, seconds since 2001-01-01 UTC
    QString group_id;
    MsgRecordMap<_MsgHandle> handleMap;   // participants by row id in decimal (iOS 5: address)
    MsgRecordMap<_MsgMessage> messageMap; // messages by row id in decimal

    bool isGroup() const;
    // The user-given name when there is one, else the participants' names joined with ", ";
    // "Unknown" for a chat with neither.
    QString displayName(bool withNumber) const;
};
