#include "ui/abstreeitemmodel.h"

#include <algorithm>

namespace {

using NodeList = std::vector<std::unique_ptr<AbsTreeItemModel::_ItemNode>>;

int findRow(const NodeList &list, const AbsTreeItemModel::_ItemNode *node)
{
    const auto it = std::find_if(list.begin(), list.end(),
                                 [node](const auto &entry) { return entry.get() == node; });
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void collect(const QList<AbsTreeItemModel::_ItemNode *> &list,
             QList<AbsTreeItemModel::_ItemNode *> &out)
{
    for (AbsTreeItemModel::_ItemNode *node : list) {
        out.append(node);
        collect(node->children(), out);
    }
}

} // namespace

AbsTreeItemModel::_ItemNode::_ItemNode(int type, const QString &title) : type(type), title(title) {}

AbsTreeItemModel::_ItemNode::~_ItemNode() = default;

AbsTreeItemModel::_ItemNode *AbsTreeItemModel::_ItemNode::child(int row) const
{
    if (row < 0 || row >= childCount())
        return nullptr;
    return m_children[static_cast<size_t>(row)].get();
}

int AbsTreeItemModel::_ItemNode::rowOf(const _ItemNode *node) const
{
    return findRow(m_children, node);
}

QList<AbsTreeItemModel::_ItemNode *> AbsTreeItemModel::_ItemNode::children() const
{
    QList<_ItemNode *> list;
    for (const auto &node : m_children)
        list.append(node.get());
    return list;
}

AbsTreeItemModel::AbsTreeItemModel(QObject *parent) : QAbstractItemModel(parent) {}

AbsTreeItemModel::~AbsTreeItemModel() = default;

QModelIndex AbsTreeItemModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column < 0 || column >= columnCount(parent) || row < 0)
        return {};
    const NodeList &list = childList(nodeOf(parent));
    if (row >= static_cast<int>(list.size()))
        return {};
    return createIndex(row, column, list[static_cast<size_t>(row)].get());
}

QModelIndex AbsTreeItemModel::parent(const QModelIndex &index) const
{
    const _ItemNode *node = nodeOf(index);
    if (!node || !node->parent)
        return {};
    return indexOfItemNode(node->parent);
}

int AbsTreeItemModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return static_cast<int>(childList(nodeOf(parent)).size());
}

int AbsTreeItemModel::columnCount(const QModelIndex &) const
{
    return 1;
}

AbsTreeItemModel::_ItemNode *AbsTreeItemModel::nodeOf(const QModelIndex &index)
{
    return index.isValid() ? static_cast<_ItemNode *>(index.internalPointer()) : nullptr;
}

QModelIndex AbsTreeItemModel::indexOfItemNode(const _ItemNode *node) const
{
    if (!node)
        return {};
    const int row = rowInParent(node);
    if (row < 0)
        return {};
    // The parent chain must lead back to this model's top level.
    if (node->parent && !indexOfItemNode(node->parent).isValid())
        return {};
    return createIndex(row, 0, const_cast<_ItemNode *>(node));
}

QList<AbsTreeItemModel::_ItemNode *> AbsTreeItemModel::nodes() const
{
    QList<_ItemNode *> list;
    collect(topLevelNodes(), list);
    return list;
}

QList<AbsTreeItemModel::_ItemNode *> AbsTreeItemModel::topLevelNodes() const
{
    QList<_ItemNode *> list;
    for (const auto &node : m_topLevel)
        list.append(node.get());
    return list;
}

AbsTreeItemModel::_ItemNode *AbsTreeItemModel::appendNode(_ItemNode *parent,
                                                          std::unique_ptr<_ItemNode> node)
{
    NodeList &list = childList(parent);
    const int row = static_cast<int>(list.size());
    beginInsertRows(indexOfItemNode(parent), row, row);
    node->parent = parent;
    list.push_back(std::move(node));
    endInsertRows();
    return list.back().get();
}

void AbsTreeItemModel::appendNodes(_ItemNode *parent, std::vector<std::unique_ptr<_ItemNode>> nodes)
{
    if (nodes.empty())
        return;
    NodeList &list = childList(parent);
    const int first = static_cast<int>(list.size());
    beginInsertRows(indexOfItemNode(parent), first, first + static_cast<int>(nodes.size()) - 1);
    for (std::unique_ptr<_ItemNode> &node : nodes) {
        node->parent = parent;
        list.push_back(std::move(node));
    }
    endInsertRows();
}

void AbsTreeItemModel::clearChilds(_ItemNode *node)
{
    NodeList &list = childList(node);
    if (list.empty())
        return;
    beginRemoveRows(indexOfItemNode(node), 0, static_cast<int>(list.size()) - 1);
    // Moved out first so that the views never see half-deleted nodes.
    NodeList removed;
    removed.swap(list);
    endRemoveRows();
}

void AbsTreeItemModel::removeNode(_ItemNode *node)
{
    if (!node)
        return;
    const int row = rowInParent(node);
    if (row < 0)
        return;
    clearChilds(node);
    NodeList &list = childList(node->parent);
    beginRemoveRows(indexOfItemNode(node->parent), row, row);
    std::unique_ptr<_ItemNode> removed = std::move(list[static_cast<size_t>(row)]);
    list.erase(list.begin() + row);
    endRemoveRows();
}

void AbsTreeItemModel::invokeDataChanged(_ItemNode *node)
{
    const QModelIndex first = indexOfItemNode(node);
    if (!first.isValid())
        return;
    const QModelIndex last =
        node->childCount() > 0 ? indexOfItemNode(node->child(node->childCount() - 1)) : first;
    Q_EMIT dataChanged(first, last);
}

void AbsTreeItemModel::contentsUpdate()
{
    Q_EMIT layoutAboutToBeChanged();
    Q_EMIT layoutChanged();
}

NodeList &AbsTreeItemModel::childList(_ItemNode *node)
{
    return node ? node->m_children : m_topLevel;
}

const NodeList &AbsTreeItemModel::childList(const _ItemNode *node) const
{
    return node ? node->m_children : m_topLevel;
}

int AbsTreeItemModel::rowInParent(const _ItemNode *node) const
{
    return findRow(childList(node->parent), node);
}
