#pragma once

#include "model/absmessagedb.h"
#include "model/msgdata.h"
#include "ui/abstreeitemmodel.h"

#include <QSharedPointer>

// A node that stands for a message source: it shares the source and owns the records loaded from
// it, which the chat nodes below it and the message list point into.
class _AbsDBItemNode : public AbsTreeItemModel::_ItemNode
{
public:
    _AbsDBItemNode(int type, const QString &title, QSharedPointer<AbsMessageDb> db)
        : AbsTreeItemModel::_ItemNode(type, title), db(std::move(db))
    {}

    QSharedPointer<AbsMessageDb> db;
    MsgData data;
    // True once data holds the messages too, not only the chats.
    bool messagesLoaded = false;
};
