#pragma once

#include <QAbstractItemModel>
#include <QList>
#include <QString>

#include <memory>
#include <vector>

// A tree model over owned nodes of any kind. Subclasses decide what the nodes show.
//
// A node's row is looked up in its parent's child list whenever an index is made, rather than
// cached in the node: after a sibling is removed a cached row would name the wrong node.
class AbsTreeItemModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    class _ItemNode
    {
    public:
        _ItemNode(int type, const QString &title);
        virtual ~_ItemNode();
        _ItemNode(const _ItemNode &) = delete;
        _ItemNode &operator=(const _ItemNode &) = delete;

        int childCount() const { return static_cast<int>(m_children.size()); }
        _ItemNode *child(int row) const;
        // -1 when node is not a child of this one.
        int rowOf(const _ItemNode *node) const;
        QList<_ItemNode *> children() const;

        const int type;
        QString title;
        _ItemNode *parent = nullptr;

    private:
        friend class AbsTreeItemModel;
        std::vector<std::unique_ptr<_ItemNode>> m_children;
    };

    explicit AbsTreeItemModel(QObject *parent = nullptr);
    ~AbsTreeItemModel() override;

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &index) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;

    // The node behind index; null for an invalid index.
    static _ItemNode *nodeOf(const QModelIndex &index);
    // Invalid when the node is not in this model.
    QModelIndex indexOfItemNode(const _ItemNode *node) const;
    // Every node, depth first, each before its children.
    QList<_ItemNode *> nodes() const;
    QList<_ItemNode *> topLevelNodes() const;

    // Appends node under parent (the top level for null) and returns it.
    _ItemNode *appendNode(_ItemNode *parent, std::unique_ptr<_ItemNode> node);
    // Appends nodes under parent at once: one insertion for the views, however many nodes.
    void appendNodes(_ItemNode *parent, std::vector<std::unique_ptr<_ItemNode>> nodes);
    // Deletes every child of node (of the top level for null).
    void clearChilds(_ItemNode *node);
    // Deletes node with its children; a node not found under its parent is left alone.
    void removeNode(_ItemNode *node);
    void invokeDataChanged(_ItemNode *node);
    void contentsUpdate();

private:
    std::vector<std::unique_ptr<_ItemNode>> &childList(_ItemNode *node);
    const std::vector<std::unique_ptr<_ItemNode>> &childList(const _ItemNode *node) const;
    int rowInParent(const _ItemNode *node) const;

    std::vector<std::unique_ptr<_ItemNode>> m_topLevel;
};
