#pragma once

#include "model/absdb.h"

#include <QtGlobal>

class MsgData;

// A source of messages: the rest of the program loads chats and messages through this without
// knowing where they come from.
class AbsMessageDb : public AbsDb
{
public:
    AbsMessageDb();
    ~AbsMessageDb() override;

    // Adds every chat with its participants to data; records data already holds under the same
    // row id stay as they are.
    virtual void chats(MsgData &data) = 0;
    // Calls chats(data), then adds and links the messages and attachments of chat chatId, or of
    // every chat when chatId is 0.
    virtual void messages(MsgData &data, qint64 chatId) = 0;
};
