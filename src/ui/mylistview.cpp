#include "ui/mylistview.h"

#include <QSet>

MyListView::MyListView(QWidget *parent) : MyTreeView(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
}

QList<int> MyListView::selectedRowsInOrder() const
{
    QList<int> rows;
    QSet<int> seen;
    if (!selectionModel())
        return rows;
    for (const QModelIndex &index : selectionModel()->selectedIndexes()) {
        if (!seen.contains(index.row())) {
            seen.insert(index.row());
            rows.append(index.row());
        }
    }
    return rows;
}

void MyListView::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                             const QList<int> &roles)
{
    // A new colour never changes a row's height or needs an editor updated: repainting what is
    // shown is enough. The views would look at every changed row (its size, its rectangle),
    // which takes a second when a search marks a list of a million rows.
    if (roles == QList<int>{Qt::BackgroundRole}) {
        viewport()->update();
        return;
    }
    MyTreeView::dataChanged(topLeft, bottomRight, roles);
}
