#pragma once

#include "ui/abstreeitemmodel.h"

// The "Devices" root: connected phones are its children.
class _RootDeviceItemNode : public AbsTreeItemModel::_ItemNode
{
public:
    explicit _RootDeviceItemNode(const QString &title);
    // How many children are of the given node type (iPhones or Android phones).
    int deviceCount(int type) const;
};
