#pragma once

#include <QItemSelection>
#include <QTreeView>

// The message list's view. The list has columns and a sortable header, so it is a flat tree view
// (no root decoration, whole rows selected) rather than a one-column list.
class MyListView : public QTreeView
{
    Q_OBJECT
public:
    explicit MyListView(QWidget *parent = nullptr);

    // Rows of the selection in the order the user selected them.
    QList<int> selectedRowsInOrder() const;

Q_SIGNALS:
    void createContextMenu();
    void onSelectionChanged(const QItemSelection &selected, const QItemSelection &deselected);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void selectionChanged(const QItemSelection &selected,
                          const QItemSelection &deselected) override;
};
