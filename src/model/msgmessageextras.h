#pragma once

#include <QByteArray>
#include <QSharedData>
#include <QString>

// The message columns most rows leave empty. A message holds them behind one pointer that stays
// null until one is set: a million messages would otherwise carry these empty slots in memory.
struct _MsgMessageExtras : QSharedData
{
    QString service_center;
    QString subject;
    QString cache_roomnames;
    QString group_title;
    QString associated_message_guid;  // a reaction's target: "p:N/GUID", "bp:GUID" or a guid
    QString associated_message_emoji; // the emoji of a 2006 reaction
    QString thread_originator_guid;   // the message a reply answers
    QByteArray message_summary_info;  // edit history and unsent parts (binary property list)
};
