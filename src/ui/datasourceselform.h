#pragma once

#include "ui/abstreeitemmodel.h"

#include <QDialog>
#include <QList>
#include <QString>

#include <memory>

namespace Ui {
class DataSourceSelForm;
}

// Lets the user pick one device (or other source) of the tree for a command that needs a target.
class DataSourceSelForm : public QDialog
{
    Q_OBJECT
public:
    struct _SelItem
    {
        QString iconPath;
        QString label;
        AbsTreeItemModel::_ItemNode *value = nullptr; // the tree node the entry stands for
    };

    explicit DataSourceSelForm(QWidget *parent = nullptr);
    ~DataSourceSelForm() override;

    // Runs the dialog; the chosen entry's node, or null when cancelled.
    AbsTreeItemModel::_ItemNode *execSel(const QString &prompt, const QList<_SelItem> &items);

public Q_SLOTS:
    void accept() override;

private:
    std::unique_ptr<Ui::DataSourceSelForm> m_ui;
    QList<_SelItem> m_items;
};
