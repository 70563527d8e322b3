#pragma once

#include "ui/abstreeitemmodel.h"

#include <QList>
#include <QStringList>

class MainWindow;
class QAction;

// What the desktop tests read from and do to the main window, as a user sees and clicks it.

// The titles of tree nodes, in order.
QStringList titles(const QList<AbsTreeItemModel::_ItemNode *> &nodes);
// The texts of the messages the list shows now.
QStringList shownTexts(const MainWindow &window);
// The window's action of that object name; fails the calling test when there is none.
QAction *action(const MainWindow &window, const char *name);
// Answers the next "choose a local database" dialog: types name (unless it is null) and presses
// button. offered, when given, receives the names the dialog listed, then its preset name.
void answerLocalDbForm(const QString &name, const char *button = "btnOK",
                       QStringList *offered = nullptr);
// Makes node the tree's current item, as a click on it does, and lets the source it chose load.
void select(MainWindow &window, AbsTreeItemModel::_ItemNode *node);
