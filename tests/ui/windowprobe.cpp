#include "windowprobe.h"

#include "model/msgmessage.h"
#include "ui/itemmodelmain.h"
#include "ui/itemmodelsms.h"
#include "ui/mainwindow.h"
#include "ui/mytreeview.h"
#include "ui/sourcedisplay.h"

#include <QItemSelectionModel>

QStringList titles(const QList<AbsTreeItemModel::_ItemNode *> &nodes)
{
    QStringList list;
    for (const AbsTreeItemModel::_ItemNode *node : nodes)
        list << node->title;
    return list;
}

QStringList shownTexts(const MainWindow &window)
{
    QStringList texts;
    for (const _MsgMessage *message : window.smsModel()->messages())
        texts << message->text();
    return texts;
}

void select(MainWindow &window, AbsTreeItemModel::_ItemNode *node)
{
    window.treeView()->selectionModel()->setCurrentIndex(window.treeModel()->indexOfItemNode(node),
                                                         QItemSelectionModel::ClearAndSelect);
    window.display().loader().finish();
}
