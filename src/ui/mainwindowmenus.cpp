#include "ui/mainwindowmenus.h"

#include "frame/translation.h"
#include "ui/itemnodetype.h"
#include "ui/mainwindow.h"

#include <QAction>
#include <QIcon>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace {

void addMenuCommand(QMenu &menu, MainWindow *window, const char *key, void (MainWindow::*slot)(),
                    bool enabled)
{
    QAction *action = menu.addAction(g_tr(key));
    action->setEnabled(enabled);
    QObject::connect(action, &QAction::triggered, window, slot);
}

// A toolbar look for a menu command: its picture and a short label under it.
void dressForToolBar(QAction *action, const char *icon, const char *shortKey)
{
    action->setIcon(QIcon(QStringLiteral(":/res/%1.svg").arg(QLatin1String(icon))));
    action->setIconText(g_tr(shortKey));
}

} // namespace

MainWindowMenus::MainWindowMenus(MainWindow &window) : m_window(window)
{
    QMenu *file = window.menuBar()->addMenu(g_tr("IDS_MENU_FILE"));
    m_backup = addCommand(file, "actionBackup", "IDS_MI_BACKUP", &MainWindow::miBackup);
    m_i2a = addCommand(file, "actionI2A", "IDS_MI_I2A", &MainWindow::miI2A);
    m_db2a = addCommand(file, "actionDb2A", "IDS_MI_DB2A", &MainWindow::miDb2A);
    file->addSeparator();
    m_extract = addCommand(file, "actionExtract", "IDS_MI_EXTRACT", &MainWindow::miExtractMedia);
    m_export = addCommand(file, "actionExport", "IDS_MI_EXPORT", &MainWindow::miExport);
    m_print = addCommand(file, "actionPrint", "IDS_MI_PRINT", &MainWindow::miPrint);
    m_delete = addCommand(file, "actionDelete", "IDS_MI_DELETE", &MainWindow::miDel);
    file->addSeparator();
    m_import =
        addCommand(file, "actionImportItunes", "IDS_MI_IMPORT_ITUNES", &MainWindow::miImportItunes);
    addCommand(file, "actionOpenDbFolder", "IDS_MI_OPEN_DB_FOLDER", &MainWindow::miOpenDbFolder);
    QAction *exit = file->addAction(g_tr("IDS_MI_EXIT"));
    exit->setObjectName(QStringLiteral("actionExit"));
    exit->setShortcut(QKeySequence::Quit);
    QObject::connect(exit, &QAction::triggered, &window, &QWidget::close);

    QMenu *search = window.menuBar()->addMenu(g_tr("IDS_MENU_SEARCH"));
    addCommand(search, "actionFind", "IDS_MI_FIND", &MainWindow::findMessages)
        ->setShortcut(QKeySequence::Find);
    addCommand(search, "actionFindNext", "IDS_MI_FIND_NEXT", &MainWindow::findNext)
        ->setShortcut(QKeySequence(Qt::Key_F3));
    addCommand(search, "actionFindPrevious", "IDS_MI_FIND_PREVIOUS", &MainWindow::findPrevious)
        ->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));

    QMenu *tools = window.menuBar()->addMenu(g_tr("IDS_MENU_TOOLS"));
    addCommand(tools, "actionCheckUpdate", "IDS_MI_CHECK_UPDATE", &MainWindow::checkForUpdate);
    addCommand(tools, "actionClearCache", "IDS_MI_CLEAR_CACHE", &MainWindow::miClearCache);
    addCommand(tools, "actionConnectWifi", "IDS_MI_CONNECT_WIFI", &MainWindow::miConnectWifi);

    QMenu *help = window.menuBar()->addMenu(g_tr("IDS_MENU_HELP"));
    addCommand(help, "actionHelp", "IDS_MI_HELP", &MainWindow::showHelp);
    addCommand(help, "actionFeedback", "IDS_MI_FEEDBACK", &MainWindow::showFeedback);
    QAction *about = addCommand(help, "actionAbout", "IDS_MENU_ABOUT", &MainWindow::showAbout);
    about->setMenuRole(QAction::AboutRole);

    m_import->setShortcut(QKeySequence::Open);
    m_export->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    m_print->setShortcut(QKeySequence::Print);
    m_delete->setShortcut(QKeySequence::Delete);
    buildToolBar();
}

QAction *MainWindowMenus::addCommand(QMenu *menu, const char *objectName, const char *textKey,
                                     Slot slot)
{
    QAction *action = menu->addAction(g_tr(textKey));
    action->setObjectName(QLatin1String(objectName));
    QObject::connect(action, &QAction::triggered, &m_window, slot);
    return action;
}

void MainWindowMenus::buildToolBar()
{
    dressForToolBar(m_import, "tb-import", "IDS_TB_IMPORT");
    dressForToolBar(m_backup, "tb-backup", "IDS_TB_BACKUP");
    dressForToolBar(m_i2a, "tb-transfer", "IDS_TB_I2A");
    dressForToolBar(m_db2a, "tb-transfer", "IDS_TB_DB2A");
    dressForToolBar(m_extract, "tb-extract", "IDS_TB_EXTRACT");
    dressForToolBar(m_export, "tb-export", "IDS_TB_EXPORT");
    dressForToolBar(m_print, "tb-print", "IDS_TB_PRINT");
    dressForToolBar(m_delete, "tb-delete", "IDS_TB_DELETE");

    QToolBar *toolbar = m_window.addToolBar(g_tr("IDS_MENU_FILE"));
    toolbar->setObjectName(QStringLiteral("toolBarMain"));
    toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar->setMovable(false);
    toolbar->addAction(m_import);
    toolbar->addSeparator();
    toolbar->addActions({m_backup, m_i2a, m_db2a});
    toolbar->addSeparator();
    toolbar->addActions({m_extract, m_export, m_print, m_delete});
}

QList<QAction *> MainWindowMenus::sourceActions() const
{
    return {m_backup, m_i2a, m_db2a, m_extract, m_export, m_print, m_delete};
}

void MainWindowMenus::updateState(int sourceType, int iPhones, int androids)
{
    const bool iPhone = sourceType == ITEMNODE_IOS_DEVICE;
    const bool localDb = sourceType == ITEMNODE_LOCALDB;
    m_backup->setEnabled(iPhone);
    m_i2a->setEnabled(iPhone && androids > 0 && iPhones > 0);
    m_db2a->setEnabled(localDb && androids > 0);
    m_extract->setEnabled(iPhone || localDb);
    m_export->setEnabled(iPhone || localDb);
    m_print->setEnabled(iPhone || localDb);
    m_delete->setEnabled(localDb);
}

std::unique_ptr<QMenu> MainWindowMenus::treeContextMenu(int nodeType, int parentType,
                                                        bool android) const
{
    auto menu = std::make_unique<QMenu>();
    MainWindow *window = &m_window;
    const auto add = [window, &menu](const char *key, Slot slot, bool enabled = true) {
        addMenuCommand(*menu, window, key, slot, enabled);
    };
    switch (nodeType) {
    case ITEMNODE_ROOT_LOCALDB:
        add("IDS_MI_OPEN_DB_FOLDER", &MainWindow::miOpenDbFolder);
        add("IDS_MI_IMPORT_ITUNES", &MainWindow::miImportItunes);
        break;
    case ITEMNODE_IOS_DEVICE:
        add("IDS_MI_BACKUP", &MainWindow::miBackupAll);
        add("IDS_MI_I2A", &MainWindow::miI2AAll, android);
        add("IDS_MI_EXTRACT", &MainWindow::miExtractMediaAll);
        add("IDS_MI_EXPORT", &MainWindow::miExportAll);
        add("IDS_MI_PRINT", &MainWindow::miPrintAll);
        add("IDS_MI_VIEW_CACHE", &MainWindow::miViewCache);
        add("IDS_MI_DISCONNECT", &MainWindow::miUnmoutDevice);
        break;
    case ITEMNODE_ANDROID_DEVICE:
        add("IDS_MI_VIEW_CACHE", &MainWindow::miViewCache);
        add("IDS_MI_DISCONNECT", &MainWindow::miUnmoutDevice);
        break;
    case ITEMNODE_LOCALDB:
        add("IDS_MI_IMPORT_TO_LOCALDB", &MainWindow::miImportToLocalDb);
        add("IDS_MI_DB2A", &MainWindow::miDb2AAll, android);
        add("IDS_MI_EXTRACT", &MainWindow::miExtractMediaAll);
        add("IDS_MI_EXPORT", &MainWindow::miExportAll);
        add("IDS_MI_PRINT", &MainWindow::miPrintAll);
        add("IDS_MI_DELETE_DB", &MainWindow::miDelAll);
        break;
    case ITEMNODE_CHAT_SESSION:
        if (parentType == ITEMNODE_LOCALDB) {
            add("IDS_MI_DB2A_CHAT", &MainWindow::miDb2AChat, android);
        } else if (parentType == ITEMNODE_IOS_DEVICE) {
            add("IDS_MI_BACKUP_CHAT", &MainWindow::miBackupChat);
            add("IDS_MI_I2A_CHAT", &MainWindow::miI2AChat, android);
        } else {
            return nullptr;
        }
        add("IDS_MI_EXTRACT_CHAT", &MainWindow::miExtractMediaChat);
        add("IDS_MI_EXPORT_CHAT", &MainWindow::miExportChat);
        add("IDS_MI_PRINT_CHAT", &MainWindow::miPrintChat);
        if (parentType == ITEMNODE_LOCALDB)
            add("IDS_MI_DELETE_CHAT", &MainWindow::miDelChat);
        break;
    default:
        return nullptr;
    }
    return menu;
}

std::unique_ptr<QMenu> MainWindowMenus::smsContextMenu(int sourceType, bool android) const
{
    if (sourceType != ITEMNODE_LOCALDB && sourceType != ITEMNODE_IOS_DEVICE)
        return nullptr;
    auto menu = std::make_unique<QMenu>();
    MainWindow *window = &m_window;
    const auto add = [window, &menu](const char *key, Slot slot, bool enabled = true) {
        addMenuCommand(*menu, window, key, slot, enabled);
    };
    if (sourceType == ITEMNODE_LOCALDB) {
        add("IDS_MI_DB2A_SEL", &MainWindow::miDb2ASel, android);
    } else {
        add("IDS_MI_BACKUP_SEL", &MainWindow::miBackupSel);
        add("IDS_MI_I2A_SEL", &MainWindow::miI2ASel, android);
    }
    add("IDS_MI_EXTRACT_SEL", &MainWindow::miExtractMediaSel);
    add("IDS_MI_EXPORT_SEL", &MainWindow::miExportSel);
    add("IDS_MI_PRINT_SEL", &MainWindow::miPrintSel);
    if (sourceType == ITEMNODE_LOCALDB)
        add("IDS_MI_DELETE_SEL", &MainWindow::miDelSel);
    return menu;
}
