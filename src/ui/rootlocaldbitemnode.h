#pragma once

#include "ui/abstreeitemmodel.h"
#include "ui/itemnodetype.h"

// The "Local Databases" root: one child per local database.
class _RootLocalDBItemNode : public AbsTreeItemModel::_ItemNode
{
public:
    explicit _RootLocalDBItemNode(const QString &title)
        : AbsTreeItemModel::_ItemNode(ITEMNODE_ROOT_LOCALDB, title)
    {}
};
