#include "ui/rootdeviceitemnode.h"

#include "ui/itemnodetype.h"

_RootDeviceItemNode::_RootDeviceItemNode(const QString &title)
    : AbsTreeItemModel::_ItemNode(ITEMNODE_ROOT_DEVICE, title)
{}

int _RootDeviceItemNode::deviceCount(int type) const
{
    int count = 0;
    for (const _ItemNode *node : children()) {
        if (node->type == type)
            ++count;
    }
    return count;
}
