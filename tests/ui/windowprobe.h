#pragma once

#include "ui/abstreeitemmodel.h"

#include <QList>
#include <QStringList>

class MainWindow;

// What the desktop tests read from and do to the main window, as a user sees and clicks it.

// The titles of tree nodes, in order.
QStringList titles(const QList<AbsTreeItemModel::_ItemNode *> &nodes);
// The texts of the messages the list shows now.
QStringList shownTexts(const MainWindow &window);
// Makes node the tree's current item, as a click on it does, and lets the source it chose load.
void select(MainWindow &window, AbsTreeItemModel::_ItemNode *node);
