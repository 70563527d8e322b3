#include "windowprobe.h"

#include "model/msgmessage.h"
#include "msgtexts.h"
#include "ui/itemmodelmain.h"
#include "ui/itemmodelsms.h"
#include "ui/mainwindow.h"
#include "ui/mytreeview.h"
#include "ui/sourcedisplay.h"

#include "ui/localdbselform.h"
#include "uitestdata.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QPushButton>

QStringList titles(const QList<AbsTreeItemModel::_ItemNode *> &nodes)
{
    QStringList list;
    for (const AbsTreeItemModel::_ItemNode *node : nodes)
        list << node->title;
    return list;
}

QStringList shownTexts(const MainWindow &window)
{
    return textsOf(window.smsModel()->messages());
}

QAction *action(const MainWindow &window, const char *name)
{
    auto *found = window.findChild<QAction *>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

void answerLocalDbForm(const QString &name, const char *button, QStringList *offered)
{
    g_whenModal([=](QWidget *modal) {
        auto *form = qobject_cast<LocalDbSelForm *>(modal);
        if (!form)
            return false;
        auto *names = form->findChild<QComboBox *>(QStringLiteral("cbLocalDbNames"));
        for (int i = 0; offered && i < names->count(); ++i)
            *offered << names->itemText(i);
        if (offered)
            *offered << names->currentText();
        if (!name.isNull())
            names->setEditText(name);
        form->findChild<QPushButton *>(QLatin1String(button))->click();
        return true;
    });
}

void select(MainWindow &window, AbsTreeItemModel::_ItemNode *node)
{
    window.treeView()->selectionModel()->setCurrentIndex(window.treeModel()->indexOfItemNode(node),
                                                         QItemSelectionModel::ClearAndSelect);
    window.display().loader().finish();
}
