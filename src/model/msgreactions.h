#pragma once

#include <QList>
#include <QString>

#include <utility>
#include <vector>

class __MsgData;
struct _MsgMessage;

// Reactions, removals of reactions and replies of later phones: they refer to other messages
// by guid. Linking them makes a reaction part of its target (not a message of its own) and
// points a reply at the message it answers.
class MsgReactions
{
public:
    // Links the records of data afresh (a source loaded chat by chat is linked after each load).
    // A removal cancels the same sender's earlier reaction of its kind; reactions and removals
    // whose target is loaded are no longer shown alone, yet stay records of data (saved like any
    // message).
    static void link(__MsgData &data);
    // Each reply among data's records with the loaded message it answers; writes nothing, for a
    // caller whose records may be read elsewhere meanwhile (it sets replyTarget itself).
    using ReplyLinks = std::vector<std::pair<_MsgMessage *, _MsgMessage *>>;
    static ReplyLinks replyLinks(const __MsgData &data);

    static bool isReactionType(int associatedType);
    static bool isRemovalType(int associatedType);
    // "love", "like", "dislike", "laugh", "emphasize", "question", "emoji" or "sticker"; empty
    // for no reaction.
    static QString kindName(int associatedType);
    // The reactions to target still in force, oldest first: a removal cancels the same sender's
    // earlier reaction of its kind.
    static QList<_MsgMessage *> standing(const _MsgMessage &target);
    // The guid of the message a reaction names ("p:0/GUID", "bp:GUID" or a bare guid).
    static QString targetGuid(const QString &associated);
    // What a reaction shows under its target: a symbol and who reacted ("♥ Leo Park").
    static QString badge(const _MsgMessage &reaction);
    // A reaction or removal whose target is not loaded, as a line of its own
    // ("Leo Park loved a message").
    static QString sentence(const _MsgMessage &reaction);
    // The badges of the reactions in force, comma-separated; empty when there are none.
    static QString badgeLine(const _MsgMessage &target);
    // The start of a message's text as a reply quotes it.
    static QString quote(const _MsgMessage &msg);
    // Who reacted or wrote: the contact's name, the address, or "You".
    static QString senderName(const _MsgMessage &msg);
};
