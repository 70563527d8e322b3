#pragma once

#include "ui/abstreeitemmodel.h"

#include <QDir>
#include <QItemSelection>
#include <QList>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class AndroidLinkUi;
class BackupManifest;
class BubbleViewMgr;
class IOSDeviceHost;
class ItemModelMain;
class MsgData;
class ItemModelSms;
class MyListView;
class MyTreeView;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
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
    // Lists every local database and virtual device of the data folder.
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    ItemModelMain *treeModel() const { return m_treeModel; }
    ItemModelSms *smsModel() const { return m_smsModel; }
    MyTreeView *treeView() const { return m_treeView; }
    MyListView *listView() const { return m_listView; }
    BubbleViewMgr *bubbleView() const { return m_bubbleView; }
    // The conversation shown in the list; null when a whole source is shown.
    _MsgChat *currentChat() const { return m_currentChat; }
    // The node the commands act on: the selected one, else null.
    AbsTreeItemModel::_ItemNode *currentNode() const;

    // Entry of every save command: into a local database the user picks, named after the source
    // by default.
    void backupMessages(const QList<_MsgMessage *> &messages);
    // The same with a given default name (empty: none).
    // successNote: a line added below the success message ("" adds none).
    void backupMessages(const QString &defaultName, const QList<_MsgMessage *> &messages,
                        const QString &successNote = QString());

    // Polls adb for Android phones from now on (the program's start, not every window of tests).
    void startAndroidMonitor();

    // Where the backup dialog looks for backups; the phone software's backup folder unless set.
    void setBackupFolders(const QList<QDir> &folders) { m_backupFolders = folders; }

public Q_SLOTS:
    void onMainTreeSelected(const QItemSelection &selected, const QItemSelection &deselected);
    void onSMSItemSelected(const QItemSelection &selected, const QItemSelection &deselected);
    void onSMSSortIndicatorChanged(int column, Qt::SortOrder order);
    void onMainTreeContextMenu();
    void onSMSContextMenu();
    void searchCotnact();
    void searchMessages();

    // Menu bar and toolbar: the selection, else the shown conversation, else the whole source.
    void miBackup();
    void miI2A();
    void miDb2A();
    void miExtractMedia();
    void miExport();
    void miPrint();
    void miDel();
    // Every message of the current source.
    void miBackupAll();
    void miI2AAll();
    void miDb2AAll();
    void miExtractMediaAll();
    void miExportAll();
    void miPrintAll();
    void miDelAll();
    // The conversation shown in the list.
    void miBackupChat();
    void miI2AChat();
    void miDb2AChat();
    void miExtractMediaChat();
    void miExportChat();
    void miPrintChat();
    void miDelChat();
    // The selected messages.
    void miBackupSel();
    void miI2ASel();
    void miDb2ASel();
    void miExtractMediaSel();
    void miExportSel();
    void miPrintSel();
    void miDelSel();

    void miImportItunes();
    void miImportToLocalDb();
    void miOpenDbFolder();
    void miClearCache();
    void miConnectWifi();
    void miViewCache();
    void miUnmoutDevice();
    void checkForUpdate();
    void showHelp();
    void showFeedback();
    void showAbout();

protected:
    // The file dialogs of the commands, kept apart so that tests can answer them. Both return ""
    // when the user cancels.
    // Asks where an export goes; chosenFilter receives the filter picked (one of filters).
    virtual QString askExportPath(const QString &title, const QString &proposedPath,
                                  const QStringList &filters, QString *chosenFilter);
    // Asks for an existing folder.
    virtual QString askFolder(const QString &title, const QString &startFolder);

private:
    enum class Command { Backup, I2A, Db2A, ExtractMedia, Export, Print, Del };

    void buildForm();
    void buildMessageList();
    void buildBubblePane(QWidget *parent);
    void buildMenus();
    QAction *addCommand(QMenu *menu, const char *objectName, const char *textKey,
                        void (MainWindow::*slot)());
    void listLocalDbs();
    void listVirtualDevices();
    void startIOSDevices();
    void updateMenuActionState();

    void showNode(AbsTreeItemModel::_ItemNode *node);
    void showLocalDb(_AbsDBItemNode *node);
    void showMessages(const QList<_MsgMessage *> &messages, _MsgChat *chat);
    void resetDisplay();
    void selectNode(AbsTreeItemModel::_ItemNode *node);
    void refreshLocalDb(_LocalDBItemNode *node);
    void deleteLocalDb(_LocalDBItemNode *node);

    // The messages a command form hands on.
    QList<_MsgMessage *> selectedMessages() const;
    QList<_MsgMessage *> allMessagesOfCurrentSource();
    void runAuto(Command command);
    void runAll(Command command);
    void runOn(Command command, const QList<_MsgMessage *> &messages);

    // The operations of the commands; those whose workers are not part of the program yet say so.
    void restore2android(const QList<_MsgMessage *> &messages);
    void extractMediaFiles(const QList<_MsgMessage *> &messages);
    void exportMessages(const QList<_MsgMessage *> &messages);
    void printMMS(const QList<_MsgMessage *> &messages);
    // Deletes the messages from the current local database, then from its records and views.
    // True when the deletion succeeded.
    bool deleteMessages(const QList<_MsgMessage *> &messages);
    void forgetDeletedMessages(_AbsDBItemNode *source, const QList<_MsgMessage *> &messages);
    AbsTreeItemModel::_ItemNode *chatNodeOf(_AbsDBItemNode *source, const QString &chatId) const;
    void importFromiTunes(const QString &localDbName);
    // Extracts and loads a chosen backup's messages into data; false when it did not succeed.
    bool loadBackup(BackupManifest &backup, MsgData &data, int &missingAttachments);
    void notAvailableYet(const char *command);

    // The conversation pane: the bubble view draws into m_webView.
    void showBubble(const QList<_MsgMessage *> &messages);
    void scrollBubbleTo(int row);

    std::unique_ptr<AndroidLinkUi> m_android;
    std::unique_ptr<QMenu> treeContextMenu(AbsTreeItemModel::_ItemNode *node);
    std::unique_ptr<QMenu> smsContextMenu();
    bool androidConnected() const;
    // Runs work, showing a std::exception as an error box; false when it threw.
    bool runGuarded(const std::function<void()> &work);

    ItemModelMain *m_treeModel = nullptr;
    IOSDeviceHost *m_iosHost = nullptr;
    ItemModelSms *m_smsModel = nullptr;
    MyTreeView *m_treeView = nullptr;
    MyListView *m_listView = nullptr;
    QLineEdit *m_txtHandleKeyword = nullptr;
    QLineEdit *m_txtSMSKeyword = nullptr;
    QLabel *m_lbSMSCount = nullptr;
    QLabel *m_lbChatName = nullptr;
    QWebEngineView *m_webView = nullptr;
    BubbleViewMgr *m_bubbleView = nullptr;
    _MsgChat *m_currentChat = nullptr;

    QAction *m_actBackup = nullptr;
    QAction *m_actI2A = nullptr;
    QAction *m_actDb2A = nullptr;
    QAction *m_actExtract = nullptr;
    QAction *m_actExport = nullptr;
    QAction *m_actPrint = nullptr;
    QAction *m_actDelete = nullptr;

    QList<QDir> m_backupFolders;
};
