#pragma once

#include "ui/abstreeitemmodel.h"
#include "ui/desktopcontroller.h"
#include "ui/sourcedisplay.h"
#include "ui/windowsearch.h"

#include <QDir>
#include <QItemSelection>
#include <QList>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class BubbleViewMgr;
class AndroidLinkUi;
class IOSDeviceHost;
class LoadingBar;
class MainWindowMenus;
class SearchBox;
class WindowLayout;
class ItemModelMain;
class ItemModelSms;
class MyListView;
class MyTreeView;
class QLabel;
class QMenu;
class QSplitter;
class QWebEngineView;
class _AbsDBItemNode;
class _LocalDBItemNode;
struct _MsgChat;
struct _MsgMessage;

// The program's window: the source tree, the message list and the conversation pane side by side,
// with the commands that act on the current source, conversation or selected messages.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    // Polls adb for Android phones from now on (the program's start, not every window of tests).
    void startAndroidMonitor();
    // Lists every local database and virtual device of the data folder.
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    ItemModelMain *treeModel() const { return m_treeModel; }
    ItemModelSms *smsModel() const { return m_smsModel; }
    MyTreeView *treeView() const { return m_treeView; }
    MyListView *listView() const { return m_listView; }
    BubbleViewMgr *bubbleView() const { return m_bubbleView; }
    SourceDisplay &display() const { return *m_display; }
    // The conversation shown in the list; null when a whole source is shown.
    _MsgChat *currentChat() const { return m_display->currentChat(); }
    // The node the commands act on: the selected one, else null.
    AbsTreeItemModel::_ItemNode *currentNode() const;

    // Entry of every save command: into a local database the user picks, named after the source
    // by default.
    void backupMessages(const QList<_MsgMessage *> &messages);
    // The same with a given default name (empty: none).
    // successNote: a line added below the success message ("" adds none).
    void backupMessages(const QString &defaultName, const QList<_MsgMessage *> &messages,
                        const QString &successNote = QString());

    // Where the backup dialog looks for backups; the phone software's backup folder unless set.
    void setBackupFolders(const QList<QDir> &folders) { m_backupFolders = folders; }

public Q_SLOTS:
    void onMainTreeSelected(const QItemSelection &selected, const QItemSelection &deselected);
    void onSMSItemSelected(const QItemSelection &selected, const QItemSelection &deselected);
    void onSMSSortIndicatorChanged(int column, Qt::SortOrder order);
    void onMainTreeContextMenu();
    void onSMSContextMenu();
    void searchCotnact();
    void searchMessages() { m_search->stepMessages(true); }
    // Puts the cursor in the message search box; the next or previous match of its keyword.
    void findMessages();
    void findNext() { m_search->stepMessages(true); }
    void findPrevious() { m_search->stepMessages(false); }

    // Menu bar and toolbar: the selection, else the shown conversation, else the whole source.
    void miBackup() { runAuto(Command::Backup); }
    void miI2A() { runAuto(Command::I2A); }
    void miDb2A() { runAuto(Command::Db2A); }
    void miExtractMedia() { runAuto(Command::ExtractMedia); }
    void miExport() { runAuto(Command::Export); }
    void miPrint() { runAuto(Command::Print); }
    void miDel();
    // Every message of the current source.
    void miBackupAll() { runAll(Command::Backup); }
    void miI2AAll() { runAll(Command::I2A); }
    void miDb2AAll() { runAll(Command::Db2A); }
    void miExtractMediaAll() { runAll(Command::ExtractMedia); }
    void miExportAll() { runAll(Command::Export); }
    void miPrintAll() { runAll(Command::Print); }
    void miDelAll();
    // The conversation shown in the list.
    void miBackupChat() { runOn(Command::Backup, shownMessages()); }
    void miI2AChat() { runOn(Command::I2A, shownMessages()); }
    void miDb2AChat() { runOn(Command::Db2A, shownMessages()); }
    void miExtractMediaChat() { runOn(Command::ExtractMedia, shownMessages()); }
    void miExportChat() { runOn(Command::Export, shownMessages()); }
    void miPrintChat() { runOn(Command::Print, shownMessages()); }
    void miDelChat();
    // The selected messages.
    void miBackupSel() { runOn(Command::Backup, selectedMessages()); }
    void miI2ASel() { runOn(Command::I2A, selectedMessages()); }
    void miDb2ASel() { runOn(Command::Db2A, selectedMessages()); }
    void miExtractMediaSel() { runOn(Command::ExtractMedia, selectedMessages()); }
    void miExportSel() { runOn(Command::Export, selectedMessages()); }
    void miPrintSel() { runOn(Command::Print, selectedMessages()); }
    void miDelSel();

    void miImportItunes() { importFromiTunes(QString()); }
    void miImportToLocalDb();
    void miOpenDbFolder();
    void miClearCache() { m_controller->clearCache(); }
    void miConnectWifi();
    void miViewCache();
    void miUnmoutDevice();
    void checkForUpdate() { m_controller->openPage(DesktopController::Page::Update); }
    void showHelp() { m_controller->openPage(DesktopController::Page::Help); }
    void showFeedback() { m_controller->openPage(DesktopController::Page::Feedback); }
    void showAbout();

    // Opens a dropped backup folder (imported), phone folder or message database (shown).
    void openDropped(const QString &path);

public:
    // The file dialogs of the commands, kept apart so that tests can answer them. Both return ""
    // when the user cancels.
    // Asks where an export goes; chosenFilter receives the filter picked (one of filters).
    virtual QString askExportPath(const QString &title, const QString &proposedPath,
                                  const QStringList &filters, QString *chosenFilter);
    // Asks for an existing folder.
    virtual QString askFolder(const QString &title, const QString &startFolder);

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    enum class Command { Backup, I2A, Db2A, ExtractMedia, Export, Print, Del };

    void buildForm();
    void buildMessageList();
    void buildBubblePane(QWidget *parent);
    void startIOSDevices();
    void updateMenuActionState();
    // The title names the source and conversation shown; the hint shows while the tree is empty.
    void updateTitle();
    void updateFirstRunHint();

    void deleteLocalDb(_LocalDBItemNode *node);

    // The messages a command form hands on.
    QList<_MsgMessage *> selectedMessages() const;
    QList<_MsgMessage *> shownMessages() const;
    QList<_MsgMessage *> allMessagesOfCurrentSource();
    void runAuto(Command command);
    void runAll(Command command);
    void runOn(Command command, const QList<_MsgMessage *> &messages);

    // The operations of the commands; those whose workers are not part of the program yet say so.
    void restore2android(const QList<_MsgMessage *> &messages);
    void extractMediaFiles(const QList<_MsgMessage *> &messages)
    {
        m_controller->extractMediaFiles(messages);
    }
    void exportMessages(const QList<_MsgMessage *> &messages)
    {
        m_controller->exportMessages(messages);
    }
    void printMMS(const QList<_MsgMessage *> &messages) { m_controller->printMessages(messages); }
    // Deletes the messages from the current local database, then from its records and views.
    // True when the deletion succeeded.
    bool deleteMessages(const QList<_MsgMessage *> &messages);
    void importFromiTunes(const QString &localDbName);
    void notAvailableYet(const char *command);

    bool androidConnected() const;

    ItemModelMain *m_treeModel = nullptr;
    IOSDeviceHost *m_iosHost = nullptr;
    ItemModelSms *m_smsModel = nullptr;
    MyTreeView *m_treeView = nullptr;
    MyListView *m_listView = nullptr;
    SearchBox *m_contactSearch = nullptr;
    SearchBox *m_messageSearch = nullptr;
    QLabel *m_lbSMSCount = nullptr;
    QLabel *m_lbChatName = nullptr;
    QLabel *m_firstRunHint = nullptr;
    QSplitter *m_splitter = nullptr;
    QWebEngineView *m_webView = nullptr;
    BubbleViewMgr *m_bubbleView = nullptr;
    LoadingBar *m_loadingBar = nullptr;

    std::unique_ptr<MainWindowMenus> m_menus;
    std::unique_ptr<WindowLayout> m_layout;
    std::unique_ptr<WindowSearch> m_search;
    QList<QDir> m_backupFolders;
    std::unique_ptr<DesktopController> m_controller;
    std::unique_ptr<SourceDisplay> m_display;
    std::unique_ptr<AndroidLinkUi> m_android;
};
