#pragma once

#include <QMainWindow>
#include <QString>

class QStandardItem;
class QStandardItemModel;
class QTreeView;

// The program's window: the source tree, the message list and the conversation pane side by side.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    // localDbDir: the folder whose sub-folders are the local databases; empty lists none.
    explicit MainWindow(const QString &localDbDir, QWidget *parent = nullptr);
    ~MainWindow() override;

    QStandardItem *devicesRoot() const;
    QStandardItem *localDbRoot() const;

public Q_SLOTS:
    void showAbout();

private:
    void buildPanes();
    void buildMenus();
    void listLocalDbs(const QString &localDbDir);

    QStandardItemModel *m_sourceModel = nullptr;
    QStandardItem *m_devicesRoot = nullptr;
    QStandardItem *m_localDbRoot = nullptr;
    QTreeView *m_sourceTree = nullptr;
};
