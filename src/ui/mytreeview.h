#pragma once

#include <QItemSelection>
#include <QTreeView>

// A tree view that reports context-menu requests and selection changes as signals: the source
// tree's view, and the base of the message list's.
class MyTreeView : public QTreeView
{
    Q_OBJECT
public:
    explicit MyTreeView(QWidget *parent = nullptr);

Q_SIGNALS:
    void createContextMenu();
    void onSelectionChanged(const QItemSelection &selected, const QItemSelection &deselected);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void selectionChanged(const QItemSelection &selected,
                          const QItemSelection &deselected) override;
};
