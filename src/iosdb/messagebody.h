#pragma once

struct _MsgMessage;

// Completes a message read from a later phone's database: the text from the archived body when
// the text column is empty, and whether it was edited or taken back, from its edit history.
class MessageBody
{
public:
    static void complete(_MsgMessage &msg);
};
