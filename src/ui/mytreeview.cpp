#include "ui/mytreeview.h"

MyTreeView::MyTreeView(QWidget *parent) : QTreeView(parent) {}

void MyTreeView::contextMenuEvent(QContextMenuEvent *event)
{
    Q_EMIT createContextMenu();
    QTreeView::contextMenuEvent(event);
}

void MyTreeView::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    Q_EMIT onSelectionChanged(selected, deselected);
    QTreeView::selectionChanged(selected, deselected);
}
