#pragma once

#include <QList>

#include <memory>

class MainWindow;
class QAction;
class QMenu;
class QToolBar;

// The window's menu bar, toolbar and context menus, wired to the window's command slots, and the
// rules that enable the commands acting on the current source.
class MainWindowMenus
{
public:
    // Builds the menu bar and the toolbar of window.
    explicit MainWindowMenus(MainWindow &window);

    // Enables the source commands for the current source's node type (0 for none), given how
    // many iPhones and Android phones are connected.
    void updateState(int sourceType, int iPhones, int androids);
    // The menu for a node of the source tree (its type and its parent's); null when it has none.
    std::unique_ptr<QMenu> treeContextMenu(int nodeType, int parentType, bool android) const;
    // The menu for the selected messages of a source of that type; null when it has none.
    std::unique_ptr<QMenu> smsContextMenu(int sourceType, bool android) const;

    // The commands that act on the current source, in toolbar order.
    QList<QAction *> sourceActions() const;

private:
    using Slot = void (MainWindow::*)();
    QAction *addCommand(QMenu *menu, const char *objectName, const char *textKey, Slot slot);
    void buildToolBar();

    MainWindow &m_window;
    QAction *m_import = nullptr;
    QAction *m_backup = nullptr;
    QAction *m_i2a = nullptr;
    QAction *m_db2a = nullptr;
    QAction *m_extract = nullptr;
    QAction *m_export = nullptr;
    QAction *m_print = nullptr;
    QAction *m_delete = nullptr;
};
