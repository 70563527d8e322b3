#pragma once

#include "ui/mytreeview.h"

// The message list's view. The list has columns and a sortable header, so it is a flat tree view
// (no root decoration, whole rows selected) rather than a one-column list.
class MyListView : public MyTreeView
{
    Q_OBJECT
public:
    explicit MyListView(QWidget *parent = nullptr);

    // Rows of the selection in the order the user selected them.
    QList<int> selectedRowsInOrder() const;
};
