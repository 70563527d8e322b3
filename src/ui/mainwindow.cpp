#include "ui/mainwindow.h"

#include "export/attachmentextractthread.h"
#include "export/deletemmsthread.h"
#include "export/exportmessagesthread.h"
#include "export/exportpaths.h"
#include "frame/appdirs.h"
#include "frame/desktop.h"
#include "frame/filenames.h"
#include "frame/translation.h"
#include "iosdb/ios6messagedb.h"
#include "itunes/backupmanifest.h"
#include "itunes/itemmodelloadbk.h"
#include "itunes/itunesimport.h"
#include "localdb/backupsmsthread.h"
#include "mobiledevice/iosdevice.h"
#include "mobiledevice/iosmobilebackupthread.h"
#include "model/msgchat.h"
#include "model/msgfunctions.h"
#include "model/msgmessage.h"
#include "ui/bubbleviewmgr.h"
#include "ui/chatsessionitemnode.h"
#include "ui/iosdevicehost.h"
#include "ui/iosdeviceitemnode.h"
#include "ui/itemmodelmain.h"
#include "ui/itemmodelsms.h"
#include "ui/itemnodetype.h"
#include "ui/loaditunesbackupdlg.h"
#include "ui/localdbitemnode.h"
#include "ui/localdbselform.h"
#include "ui/mmsprinter.h"
#include "ui/mylistview.h"
#include "ui/mytreeview.h"
#include "ui/passcodedlg.h"
#include "ui/progressform.h"
#include "ui/rootdeviceitemnode.h"
#include "ui/rootlocaldbitemnode.h"
#include "ui/stylesheet.h"
#include "ui/tips.h"
#include "ui/uilogging.h"
#include "ui/wrappedsearch.h"

#include <QCursor>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSet>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineView>

#include <exception>
#include <memory>
#include <vector>

namespace {

constexpr int kSourcePaneWidth = 350;
constexpr int kListPaneWidth = 450;
constexpr int kBubblePaneWidth = 200;
constexpr int kChatNameMaxLength = 25;
constexpr int kDateColumnWidth = 160;
constexpr int kFlagColumnWidth = 50;
constexpr int kContactColumnWidth = 120;

// The project's pages; opened only when the user asks for them.
constexpr const char *kUpdateUrl = "https://www.quorvandale.com/textlink/download";
constexpr const char *kHelpUrl = "https://www.quorvandale.com/textlink/help";
constexpr const char *kFeedbackUrl = "https://www.quorvandale.com/textlink/support";

// Caches rebuilt from the phones on their next connection.
constexpr const char *kCacheFolders[] = {"ios_cache", "itunes_cache", "android_cache"};

QString chatLabel(const _MsgChat *chat)
{
    if (!chat)
        return g_tr("IDS_ALL_MESSAGES");
    const QString name = chat->displayName(false);
    return name.size() > kChatNameMaxLength ? name.left(kChatNameMaxLength) + QStringLiteral("...")
                                            : name;
}

QLineEdit *searchLine(QWidget *parent, QVBoxLayout *layout, const char *editName,
                      const char *buttonName, QPushButton **button)
{
    auto *row = new QHBoxLayout;
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(editName));
    *button = new QPushButton(g_tr("IDS_SEARCH"), parent);
    (*button)->setObjectName(QLatin1String(buttonName));
    row->addWidget(edit);
    row->addWidget(*button);
    layout->addLayout(row);
    return edit;
}

QSharedPointer<AbsMessageDb> localSource(const QString &folder)
{
    return QSharedPointer<AbsMessageDb>(new IOS6MessageDb(QDir(folder), QString(), true));
}

void addMenuCommand(QMenu &menu, MainWindow *window, const char *key, void (MainWindow::*slot)(),
                    bool enabled)
{
    QAction *action = menu.addAction(g_tr(key));
    action->setEnabled(enabled);
    QObject::connect(action, &QAction::triggered, window, slot);
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), m_backupFolders(ItemModelLoadBk::defaultBackupDirs())
{
    setWindowTitle(g_tr("IDS_APP_TITLE"));
    setStyleSheet(getStyleSheet());
    buildForm();
    buildMenus();
    updateMenuActionState();
    listLocalDbs();
    listVirtualDevices();
    startIOSDevices();
    resetDisplay();
    resize(kSourcePaneWidth + kListPaneWidth + kBubblePaneWidth + 200, 640);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildForm()
{
    auto *splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("splitterMain"));
    splitter->setChildrenCollapsible(false);

    auto *treePane = new QWidget(splitter);
    auto *treeLayout = new QVBoxLayout(treePane);
    QPushButton *btnSearchHandle = nullptr;
    m_txtHandleKeyword =
        searchLine(treePane, treeLayout, "txtHandleKeyword", "btnSearchHandle", &btnSearchHandle);
    m_treeView = new MyTreeView(treePane);
    m_treeView->setObjectName(QStringLiteral("treeViewDS"));
    m_treeView->setHeaderHidden(true);
    m_treeView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_treeModel = new ItemModelMain(this);
    m_treeView->setModel(m_treeModel);
    m_treeView->expandAll();
    treeLayout->addWidget(m_treeView);

    auto *listPane = new QWidget(splitter);
    auto *listLayout = new QVBoxLayout(listPane);
    QPushButton *btnSearchSMS = nullptr;
    m_txtSMSKeyword =
        searchLine(listPane, listLayout, "txtSMSKeyword", "btnSearchSMS", &btnSearchSMS);
    m_lbSMSCount = new QLabel(listPane);
    m_lbSMSCount->setObjectName(QStringLiteral("lbSMSCount"));
    m_lbSMSCount->setTextFormat(Qt::PlainText);
    listLayout->addWidget(m_lbSMSCount);
    m_listView = new MyListView(listPane);
    m_listView->setObjectName(QStringLiteral("treeViewSMS"));
    listLayout->addWidget(m_listView);
    buildMessageList();

    buildBubblePane(splitter);
    splitter->setSizes({kSourcePaneWidth, kListPaneWidth, kBubblePaneWidth});
    setCentralWidget(splitter);

    connect(m_treeView, &MyTreeView::onSelectionChanged, this, &MainWindow::onMainTreeSelected);
    connect(m_treeView, &MyTreeView::createContextMenu, this, &MainWindow::onMainTreeContextMenu);
    connect(m_listView, &MyListView::onSelectionChanged, this, &MainWindow::onSMSItemSelected);
    connect(m_listView, &MyListView::createContextMenu, this, &MainWindow::onSMSContextMenu);
    connect(btnSearchHandle, &QPushButton::pressed, this, &MainWindow::searchCotnact);
    connect(m_txtHandleKeyword, &QLineEdit::returnPressed, this, &MainWindow::searchCotnact);
    connect(btnSearchSMS, &QPushButton::pressed, this, &MainWindow::searchMessages);
    connect(m_txtSMSKeyword, &QLineEdit::returnPressed, this, &MainWindow::searchMessages);

    // Left for the update check to fill; links in it open in the browser.
    auto *statusLabel = new QLabel(statusBar());
    statusLabel->setObjectName(QStringLiteral("lbStatusLink"));
    statusLabel->setTextFormat(Qt::RichText);
    statusLabel->setOpenExternalLinks(true);
    statusBar()->setStyleSheet(QStringLiteral("QStatusBar::item{border: 0px}"));
    statusBar()->addWidget(statusLabel);
}

void MainWindow::buildMessageList()
{
    m_smsModel = new ItemModelSms(this);
    m_listView->setModel(m_smsModel);
    m_listView->setSortingEnabled(true);
    QHeaderView *header = m_listView->header();
    header->setSectionsMovable(false);
    header->setSortIndicator(ItemModelSms::ColDate, Qt::AscendingOrder);
    connect(header, &QHeaderView::sortIndicatorChanged, this,
            &MainWindow::onSMSSortIndicatorChanged);
    m_listView->setColumnWidth(ItemModelSms::ColDate, kDateColumnWidth);
    m_listView->setColumnWidth(ItemModelSms::ColFlag, kFlagColumnWidth);
    m_listView->setColumnWidth(ItemModelSms::ColContact, kContactColumnWidth);
}

void MainWindow::buildBubblePane(QWidget *parent)
{
    auto *pane = new QWidget(parent);
    auto *layout = new QVBoxLayout(pane);
    auto *title = new QLabel(g_tr("IDS_CONVERSATION"), pane);
    title->setObjectName(QStringLiteral("lbConversation"));
    m_lbChatName = new QLabel(pane);
    m_lbChatName->setObjectName(QStringLiteral("lbChatName"));
    // Chat names come from the phone; never read them as markup.
    m_lbChatName->setTextFormat(Qt::PlainText);
    m_webView = new QWebEngineView(pane);
    m_webView->setObjectName(QStringLiteral("webViewSMS"));
    m_bubbleView = new BubbleViewMgr(this);
    m_bubbleView->setWebview(m_webView);
    m_webView->setUrl(QUrl(QStringLiteral("about:blank")));
    layout->addWidget(title);
    layout->addWidget(m_lbChatName);
    layout->addWidget(m_webView, 1);
}

QAction *MainWindow::addCommand(QMenu *menu, const char *objectName, const char *textKey,
                                void (MainWindow::*slot)())
{
    QAction *action = menu->addAction(g_tr(textKey));
    action->setObjectName(QLatin1String(objectName));
    connect(action, &QAction::triggered, this, slot);
    return action;
}

void MainWindow::buildMenus()
{
    QMenu *file = menuBar()->addMenu(g_tr("IDS_MENU_FILE"));
    m_actBackup = addCommand(file, "actionBackup", "IDS_MI_BACKUP", &MainWindow::miBackup);
    m_actI2A = addCommand(file, "actionI2A", "IDS_MI_I2A", &MainWindow::miI2A);
    m_actDb2A = addCommand(file, "actionDb2A", "IDS_MI_DB2A", &MainWindow::miDb2A);
    file->addSeparator();
    m_actExtract = addCommand(file, "actionExtract", "IDS_MI_EXTRACT", &MainWindow::miExtractMedia);
    m_actExport = addCommand(file, "actionExport", "IDS_MI_EXPORT", &MainWindow::miExport);
    m_actPrint = addCommand(file, "actionPrint", "IDS_MI_PRINT", &MainWindow::miPrint);
    m_actDelete = addCommand(file, "actionDelete", "IDS_MI_DELETE", &MainWindow::miDel);
    file->addSeparator();
    addCommand(file, "actionImportItunes", "IDS_MI_IMPORT_ITUNES", &MainWindow::miImportItunes);
    addCommand(file, "actionOpenDbFolder", "IDS_MI_OPEN_DB_FOLDER", &MainWindow::miOpenDbFolder);
    QAction *exit = file->addAction(g_tr("IDS_MI_EXIT"));
    exit->setObjectName(QStringLiteral("actionExit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu *tools = menuBar()->addMenu(g_tr("IDS_MENU_TOOLS"));
    addCommand(tools, "actionCheckUpdate", "IDS_MI_CHECK_UPDATE", &MainWindow::checkForUpdate);
    addCommand(tools, "actionClearCache", "IDS_MI_CLEAR_CACHE", &MainWindow::miClearCache);
    addCommand(tools, "actionConnectWifi", "IDS_MI_CONNECT_WIFI", &MainWindow::miConnectWifi);

    QMenu *help = menuBar()->addMenu(g_tr("IDS_MENU_HELP"));
    addCommand(help, "actionHelp", "IDS_MI_HELP", &MainWindow::showHelp);
    addCommand(help, "actionFeedback", "IDS_MI_FEEDBACK", &MainWindow::showFeedback);
    QAction *about = addCommand(help, "actionAbout", "IDS_MENU_ABOUT", &MainWindow::showAbout);
    about->setMenuRole(QAction::AboutRole);

    QToolBar *toolbar = addToolBar(g_tr("IDS_MENU_FILE"));
    toolbar->setObjectName(QStringLiteral("toolBarMain"));
    toolbar->addActions({m_actBackup, m_actI2A, m_actDb2A});
    toolbar->addSeparator();
    toolbar->addActions({m_actExtract, m_actExport, m_actPrint, m_actDelete});
}

void MainWindow::listLocalDbs()
{
    const QDir root = g_localDbDir();
    for (const QString &name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        m_treeModel->addLocalDb(localSource(root.filePath(name)), name);
    m_treeView->expand(m_treeModel->indexOfItemNode(m_treeModel->localDbRoot()));
}

void MainWindow::listVirtualDevices()
{
    const QDir iosRoot(g_dataSaveDir().filePath(QStringLiteral("virtual_ios")));
    for (const QString &name : iosRoot.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString folder = iosRoot.filePath(name);
        _IOSDeviceItemNode *node = m_treeModel->addIOSDevice(localSource(folder), name, folder);
        runGuarded([this, node] {
            node->db->chats(node->data);
            m_treeModel->listChats(node);
        });
    }
    const QDir androidRoot(g_dataSaveDir().filePath(QStringLiteral("virtual_android")));
    if (!androidRoot.entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty())
        qCInfo(lcUi) << "virtual Android phones are not listed: no Android support in this build";
    m_treeView->expand(m_treeModel->indexOfItemNode(m_treeModel->devicesRoot()));
}

void MainWindow::startIOSDevices()
{
    m_iosHost = new IOSDeviceHost(*m_treeModel, this);
    connect(m_iosHost, &IOSDeviceHost::deviceAdded, this, [this](_IOSDeviceItemNode *node) {
        m_treeView->expand(m_treeModel->indexOfItemNode(m_treeModel->devicesRoot()));
        selectNode(node);
        updateMenuActionState();
    });
    // The message list shows the phone's records: they go with its node.
    connect(m_iosHost, &IOSDeviceHost::deviceRemoving, this, [this](_IOSDeviceItemNode *node) {
        if (ItemModelMain::sourceOf(currentNode()) == node)
            resetDisplay();
    });
    connect(m_iosHost, &IOSDeviceHost::deviceRemoved, this, &MainWindow::updateMenuActionState);
    m_iosHost->start();
}

AbsTreeItemModel::_ItemNode *MainWindow::currentNode() const
{
    const QModelIndexList selected = m_treeView->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? nullptr : AbsTreeItemModel::nodeOf(selected.first());
}

void MainWindow::updateMenuActionState()
{
    const _AbsDBItemNode *source = ItemModelMain::sourceOf(currentNode());
    const int type = source ? source->type : 0;
    const int iPhones = m_treeModel->devicesRoot()->deviceCount(ITEMNODE_IOS_DEVICE);
    const int androids = m_treeModel->devicesRoot()->deviceCount(ITEMNODE_ANDROID_DEVICE);
    const bool iPhone = type == ITEMNODE_IOS_DEVICE;
    const bool localDb = type == ITEMNODE_LOCALDB;
    m_actBackup->setEnabled(iPhone);
    m_actI2A->setEnabled(iPhone && androids > 0 && iPhones > 0);
    m_actDb2A->setEnabled(localDb && androids > 0);
    m_actExtract->setEnabled(iPhone || localDb);
    m_actExport->setEnabled(iPhone || localDb);
    m_actPrint->setEnabled(iPhone || localDb);
    m_actDelete->setEnabled(localDb);
}

void MainWindow::onMainTreeSelected(const QItemSelection &, const QItemSelection &)
{
    updateMenuActionState();
    showNode(currentNode());
}

void MainWindow::showNode(AbsTreeItemModel::_ItemNode *node)
{
    if (!node) {
        resetDisplay();
        return;
    }
    switch (node->type) {
    case ITEMNODE_IOS_DEVICE:
    case ITEMNODE_ANDROID_DEVICE: {
        auto *source = static_cast<_AbsDBItemNode *>(node);
        if (runGuarded([source] { source->db->messages(source->data, 0); }))
            showMessages(source->data.messages(), nullptr);
        else
            resetDisplay();
        break;
    }
    case ITEMNODE_LOCALDB:
        showLocalDb(static_cast<_AbsDBItemNode *>(node));
        break;
    case ITEMNODE_CHAT_SESSION: {
        const auto *chat = static_cast<_ChatSessionItemNode *>(node);
        if (chat->firstChat())
            showMessages(chat->merge.messages(), chat->firstChat());
        else
            resetDisplay();
        break;
    }
    default:
        resetDisplay();
    }
}

void MainWindow::showLocalDb(_AbsDBItemNode *node)
{
    if (node->childCount() > 0) {
        showMessages(node->data.messages(), nullptr);
        return;
    }
    const bool loaded = runGuarded([this, node] {
        node->db->chats(node->data);
        m_treeModel->listChats(node);
        if (node->childCount() > 0)
            node->db->messages(node->data, 0);
    });
    if (!loaded || node->childCount() == 0) {
        resetDisplay();
        return;
    }
    // Expanding inside the selection change would disturb the view's own handling of it.
    const QPersistentModelIndex index = m_treeModel->indexOfItemNode(node);
    QMetaObject::invokeMethod(
        this, [this, index] { m_treeView->expand(index); }, Qt::QueuedConnection);
    showMessages(node->data.messages(), nullptr);
}

void MainWindow::showMessages(const QList<_MsgMessage *> &messages, _MsgChat *chat)
{
    m_currentChat = chat;
    QList<_MsgMessage *> sorted = messages;
    // Reactions show with the messages they react to.
    sorted.removeIf([](const _MsgMessage *message) { return !message->isShownAlone(); });
    g_sortMessages(sorted, m_listView->header()->sortIndicatorOrder());
    m_smsModel->loadSMS(sorted);
    showBubble(sorted);
    m_lbSMSCount->setText(g_tr("IDS_SMS_COUNT_%1").arg(sorted.size()));
    m_lbChatName->setText(chatLabel(chat));
}

void MainWindow::resetDisplay()
{
    m_currentChat = nullptr;
    m_smsModel->clear();
    showBubble({});
    m_lbSMSCount->setText(g_tr("IDS_SMS_COUNT_%1").arg(0));
    m_lbChatName->clear();
}

void MainWindow::showBubble(const QList<_MsgMessage *> &messages)
{
    qCDebug(lcUi) << "conversation pane:" << messages.size() << "messages";
    m_bubbleView->showBubble(messages);
}

void MainWindow::scrollBubbleTo(int row)
{
    m_bubbleView->scrollToPos(row);
}

void MainWindow::onSMSItemSelected(const QItemSelection &selected, const QItemSelection &)
{
    if (!selected.indexes().isEmpty())
        scrollBubbleTo(selected.indexes().first().row());
}

void MainWindow::onSMSSortIndicatorChanged(int column, Qt::SortOrder order)
{
    if (column != ItemModelSms::ColDate) {
        // Only the date orders the list; the indicator goes back to it.
        m_listView->header()->setSortIndicator(ItemModelSms::ColDate, Qt::AscendingOrder);
        return;
    }
    Q_UNUSED(order)
    showMessages(m_smsModel->messages(), m_currentChat);
}

void MainWindow::selectNode(AbsTreeItemModel::_ItemNode *node)
{
    const QModelIndex index = m_treeModel->indexOfItemNode(node);
    m_treeView->selectionModel()->clearSelection();
    m_treeView->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_treeView->scrollTo(index);
}

bool MainWindow::runGuarded(const std::function<void()> &work)
{
    try {
        work();
        return true;
    } catch (const std::exception &e) {
        qCWarning(lcUi) << "operation failed:" << e.what();
        Tips::error(QString::fromUtf8(e.what()));
        return false;
    }
}

bool MainWindow::androidConnected() const
{
    return m_treeModel->devicesRoot()->deviceCount(ITEMNODE_ANDROID_DEVICE) > 0;
}

// ---- searching

void MainWindow::searchCotnact()
{
    const QString keyword = m_txtHandleKeyword->text().trimmed();
    if (keyword.isEmpty())
        return;
    AbsTreeItemModel::_ItemNode *node = currentNode();
    _AbsDBItemNode *source = ItemModelMain::sourceOf(node);
    if (!source)
        return;
    const QList<AbsTreeItemModel::_ItemNode *> chats = source->children();
    const int current = node->type == ITEMNODE_CHAT_SESSION ? source->rowOf(node) : -1;
    const int found = g_findWrapped(static_cast<int>(chats.size()), current, [&](int row) {
        return chats.at(row)->title.contains(keyword, Qt::CaseInsensitive);
    });
    if (found < 0) {
        Tips::info(g_tr("IDS_CAN_NOT_FOUNDCONTACT_KEYWORD_%0").arg(keyword.toHtmlEscaped()));
        return;
    }
    selectNode(chats.at(found));
}

void MainWindow::searchMessages()
{
    const QString keyword = m_txtSMSKeyword->text().trimmed();
    if (keyword.isEmpty())
        return;
    const int count = m_smsModel->rowCount();
    if (count == 0) {
        Tips::info(g_tr("IDS_CAN_NOT_FOUND_AND_MESSAGES"));
        return;
    }
    const QModelIndex current = m_listView->currentIndex();
    const int found = g_findWrapped(count, current.isValid() ? current.row() : -1, [&](int row) {
        return m_smsModel->messageAt(row)->summary().contains(keyword, Qt::CaseInsensitive);
    });
    if (found < 0) {
        Tips::info(g_tr("IDS_CAN_NOT_FOUNDSMS_KEYWORD_%0").arg(keyword.toHtmlEscaped()));
        return;
    }
    const QModelIndex index = m_smsModel->indexOfPos(found);
    m_listView->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                             QItemSelectionModel::Rows);
    m_listView->scrollTo(index);
}

// ---- command families

QList<_MsgMessage *> MainWindow::selectedMessages() const
{
    QList<_MsgMessage *> messages;
    for (const int row : m_listView->selectedRowsInOrder()) {
        if (_MsgMessage *message = m_smsModel->messageAt(row))
            messages.append(message);
    }
    return messages;
}

QList<_MsgMessage *> MainWindow::allMessagesOfCurrentSource()
{
    _AbsDBItemNode *source = ItemModelMain::sourceOf(currentNode());
    if (!source || !runGuarded([source] { source->db->messages(source->data, 0); }))
        return {};
    return source->data.messages();
}

void MainWindow::runAuto(Command command)
{
    const QList<_MsgMessage *> selected = selectedMessages();
    if (!selected.isEmpty()) {
        runOn(command, selected);
        return;
    }
    const AbsTreeItemModel::_ItemNode *node = currentNode();
    if (node && node->type == ITEMNODE_CHAT_SESSION)
        runOn(command, m_smsModel->messages());
    else
        runAll(command);
}

void MainWindow::runAll(Command command)
{
    const QList<_MsgMessage *> messages = allMessagesOfCurrentSource();
    if (!messages.isEmpty())
        runOn(command, messages);
}

void MainWindow::runOn(Command command, const QList<_MsgMessage *> &messages)
{
    switch (command) {
    case Command::Backup:
        backupMessages(messages);
        break;
    case Command::I2A:
    case Command::Db2A:
        restore2android(messages);
        break;
    case Command::ExtractMedia:
        extractMediaFiles(messages);
        break;
    case Command::Export:
        exportMessages(messages);
        break;
    case Command::Print:
        printMMS(messages);
        break;
    case Command::Del:
        if (Tips::question(g_tr("IDS_CONFIRM_DEL_SEL_MMS")))
            deleteMessages(messages);
        break;
    }
}

void MainWindow::miBackup()
{
    runAuto(Command::Backup);
}
void MainWindow::miI2A()
{
    runAuto(Command::I2A);
}
void MainWindow::miDb2A()
{
    runAuto(Command::Db2A);
}
void MainWindow::miExtractMedia()
{
    runAuto(Command::ExtractMedia);
}
void MainWindow::miExport()
{
    runAuto(Command::Export);
}
void MainWindow::miPrint()
{
    runAuto(Command::Print);
}
void MainWindow::miBackupAll()
{
    runAll(Command::Backup);
}
void MainWindow::miI2AAll()
{
    runAll(Command::I2A);
}
void MainWindow::miDb2AAll()
{
    runAll(Command::Db2A);
}
void MainWindow::miExtractMediaAll()
{
    runAll(Command::ExtractMedia);
}
void MainWindow::miExportAll()
{
    runAll(Command::Export);
}
void MainWindow::miPrintAll()
{
    runAll(Command::Print);
}
void MainWindow::miBackupChat()
{
    runOn(Command::Backup, m_smsModel->messages());
}
void MainWindow::miI2AChat()
{
    runOn(Command::I2A, m_smsModel->messages());
}
void MainWindow::miDb2AChat()
{
    runOn(Command::Db2A, m_smsModel->messages());
}
void MainWindow::miExtractMediaChat()
{
    runOn(Command::ExtractMedia, m_smsModel->messages());
}
void MainWindow::miExportChat()
{
    runOn(Command::Export, m_smsModel->messages());
}
void MainWindow::miPrintChat()
{
    runOn(Command::Print, m_smsModel->messages());
}
void MainWindow::miBackupSel()
{
    runOn(Command::Backup, selectedMessages());
}
void MainWindow::miI2ASel()
{
    runOn(Command::I2A, selectedMessages());
}
void MainWindow::miDb2ASel()
{
    runOn(Command::Db2A, selectedMessages());
}
void MainWindow::miExtractMediaSel()
{
    runOn(Command::ExtractMedia, selectedMessages());
}
void MainWindow::miExportSel()
{
    runOn(Command::Export, selectedMessages());
}
void MainWindow::miPrintSel()
{
    runOn(Command::Print, selectedMessages());
}

void MainWindow::miDel()
{
    const AbsTreeItemModel::_ItemNode *node = currentNode();
    if (!selectedMessages().isEmpty())
        miDelSel();
    else if (node && node->type == ITEMNODE_CHAT_SESSION)
        miDelChat();
    else
        miDelAll();
}

void MainWindow::miDelSel()
{
    const _AbsDBItemNode *source = ItemModelMain::sourceOf(currentNode());
    const QList<_MsgMessage *> messages = selectedMessages();
    if (!source || source->type != ITEMNODE_LOCALDB || messages.isEmpty())
        return;
    if (Tips::question(g_tr("IDS_CONFIRM_DEL_SEL_MMS")))
        deleteMessages(messages);
}

void MainWindow::miDelChat()
{
    const AbsTreeItemModel::_ItemNode *node = currentNode();
    if (!node || node->type != ITEMNODE_CHAT_SESSION || !node->parent ||
        node->parent->type != ITEMNODE_LOCALDB)
        return;
    const QList<_MsgMessage *> messages =
        static_cast<const _ChatSessionItemNode *>(node)->merge.messages();
    if (!messages.isEmpty() && Tips::question(g_tr("IDS_CONFIRM_DEL_CHAT_MMS")))
        deleteMessages(messages);
}

void MainWindow::miDelAll()
{
    AbsTreeItemModel::_ItemNode *node = currentNode();
    if (!node || node->type != ITEMNODE_LOCALDB)
        return;
    if (!Tips::question(g_tr("IDS_CONFIRM_DEL_THIS_LOCALDB")))
        return;
    deleteLocalDb(static_cast<_LocalDBItemNode *>(node));
}

void MainWindow::deleteLocalDb(_LocalDBItemNode *node)
{
    const QString name = node->title;
    const QString root = g_localDbDir().path();
    // The title names a folder directly below the databases folder; anything else (which the
    // name rules exclude) must never lead the deletion elsewhere.
    const QString folder = g_safeChildPath(root, name);
    if (name.contains(QLatin1Char('/')) || folder.isEmpty() ||
        QDir(folder).canonicalPath() == QDir(root).canonicalPath()) {
        qCWarning(lcUi) << "refusing to delete local database folder" << name;
        Tips::error(g_tr("IDS_DEL_LOCALDB_FAILED_%1").arg(name.toHtmlEscaped()));
        return;
    }
    resetDisplay();
    node->db->close();
    if (!g_delDirCascade(folder)) {
        qCWarning(lcUi) << "local database folder not deleted:" << folder;
        Tips::error(g_tr("IDS_DEL_LOCALDB_FAILED_%1").arg(name.toHtmlEscaped()));
        return;
    }
    m_treeModel->removeNode(node);
    updateMenuActionState();
    Tips::info(g_tr("IDS_DEL_LOCALDB_SUC").arg(name.toHtmlEscaped()));
}

// ---- saving into local databases

void MainWindow::backupMessages(const QList<_MsgMessage *> &messages)
{
    const _AbsDBItemNode *source = ItemModelMain::sourceOf(currentNode());
    if (!source)
        return;
    backupMessages(source->title + QStringLiteral("_Backup"), messages);
}

void MainWindow::backupMessages(const QString &defaultName, const QList<_MsgMessage *> &messages,
                                const QString &successNote)
{
    LocalDbSelForm form(m_treeModel->localDbNames(), defaultName, this);
    const QString name = form.execGetDbName();
    if (name.isEmpty())
        return;
    _LocalDBItemNode *node = m_treeModel->findLocalDb(name);
    if (!node)
        node = m_treeModel->addLocalDb(localSource(g_localDbDir().filePath(name)), name);
    const QDir folder(g_localDbDir().filePath(node->title));
    // Only the worker may write the file while it runs.
    node->db->close();

    ProgressForm progress(QString(), this);
    BackupSMSThread worker(messages, folder, QString(), progress.progress());
    worker.setSuccessNote(successNote);
    if (!progress.runWorker(worker))
        return;
    refreshLocalDb(node);
}

void MainWindow::refreshLocalDb(_LocalDBItemNode *node)
{
    m_treeModel->clearChilds(node);
    runGuarded([this, node] {
        node->db->messages(node->data, 0);
        m_treeModel->listChats(node);
    });
    m_treeView->expand(m_treeModel->indexOfItemNode(node));
    selectNode(node);
    // Selecting the node again does not count as a change when it already was the selection.
    showNode(node);
}

// ---- other commands

void MainWindow::miImportItunes()
{
    importFromiTunes(QString());
}

void MainWindow::miImportToLocalDb()
{
    const AbsTreeItemModel::_ItemNode *node = currentNode();
    if (node && node->type == ITEMNODE_LOCALDB)
        importFromiTunes(node->title);
}

void MainWindow::miOpenDbFolder()
{
    g_openFileOrFolder(g_localDbDir().path());
}

void MainWindow::miClearCache()
{
    QStringList failed;
    // Backups of connected iPhones are temporary too.
    iosbackup_clear_temp();
    for (const char *name : kCacheFolders) {
        const QString path = g_dataSaveDir().filePath(QLatin1String(name));
        if (!g_delDirCascade(path))
            failed.append(path.toHtmlEscaped());
    }
    if (!failed.isEmpty()) {
        qCWarning(lcUi) << "cache folders not deleted:" << failed;
        Tips::error(g_tr("IDS_CLEAR_CACHE_FAILED_%1").arg(failed.join(QStringLiteral("<br/>"))));
        return;
    }
    Tips::info(g_tr("IDS_SUC_CLEAR_CACHE"));
}

void MainWindow::miUnmoutDevice()
{
    AbsTreeItemModel::_ItemNode *node = currentNode();
    if (!node)
        return;
    if (node->type == ITEMNODE_IOS_DEVICE) {
        resetDisplay();
        m_treeModel->removeNode(node);
        updateMenuActionState();
    } else if (node->type == ITEMNODE_ANDROID_DEVICE) {
        notAvailableYet("android disconnect");
    }
}

void MainWindow::miViewCache()
{
    const _AbsDBItemNode *source = ItemModelMain::sourceOf(currentNode());
    if (!source || source->type != ITEMNODE_IOS_DEVICE) {
        notAvailableYet("view cache");
        return;
    }
    // A virtual device is known by its folder, a connected one by its identifier.
    const QString id = static_cast<const _IOSDeviceItemNode *>(source)->deviceId;
    const QString folder = QFileInfo(id).isDir() ? id : IOSDevice::cacheDirOf(id).absolutePath();
    if (!g_openFileOrFolder(folder))
        Tips::error(g_tr("IDS_CANNOT_FIND_FILE").arg(folder));
}
void MainWindow::miConnectWifi()
{
    notAvailableYet("connect via Wi-Fi");
}
void MainWindow::restore2android(const QList<_MsgMessage *> &)
{
    notAvailableYet("transfer");
}
void MainWindow::printMMS(const QList<_MsgMessage *> &messages)
{
    if (messages.isEmpty())
        return;
    MMSPrinter printer;
    printer.printMMS(messages);
}

// ---- export, extraction and deletion

QString MainWindow::askExportPath(const QString &title, const QString &proposedPath,
                                  const QStringList &filters, QString *chosenFilter)
{
    return QFileDialog::getSaveFileName(this, title, proposedPath,
                                        filters.join(QStringLiteral(";;")), chosenFilter);
}

QString MainWindow::askFolder(const QString &title, const QString &startFolder)
{
    return QFileDialog::getExistingDirectory(this, title, startFolder, QFileDialog::ShowDirsOnly);
}

void MainWindow::exportMessages(const QList<_MsgMessage *> &messages)
{
    QString filter;
    const QString chosen =
        askExportPath(g_tr("IDS_SEL_EXPORT_MESSAGES_PATH"),
                      g_defaultExportPath(QDir::homePath(), QDateTime::currentDateTime()),
                      g_exportFileFilters(), &filter);
    if (chosen.isEmpty())
        return;
    // A dialog that reports no filter still names the format by the file's suffix.
    const ExportFileType type = g_exportFileTypeOfFilter(filter).value_or(
        g_exportFileTypeOfName(QFileInfo(chosen).suffix()).value_or(ExportFileType::Txt));
    const QString target = g_exportTargetPath(chosen, type);
    qCInfo(lcUi) << "exporting" << messages.size() << "messages to" << target;

    ProgressForm progress(QString(), this);
    ExportMessagesThread worker(messages, target, g_exportFormatOf(type), progress.progress());
    progress.runWorker(worker);
}

void MainWindow::extractMediaFiles(const QList<_MsgMessage *> &messages)
{
    const QString chosen =
        askFolder(g_tr("IDS_TITLE_SEL_OUTPUT_FOLDER_EXTRACT_MEDIA_FILES"), QDir::homePath());
    if (chosen.isEmpty())
        return;
    const QString target = g_extractionFolderPath(chosen, QDateTime::currentDateTime());
    qCInfo(lcUi) << "extracting attachments of" << messages.size() << "messages to" << target;

    ProgressForm progress(g_tr("IDS_TITLE_EXTRACT_MEDIA_FILES"), this);
    AttachmentExtractThread worker(progress.progress(), messages, target);
    progress.runWorker(worker);
}

bool MainWindow::deleteMessages(const QList<_MsgMessage *> &messages)
{
    _AbsDBItemNode *source = ItemModelMain::sourceOf(currentNode());
    if (!source || source->type != ITEMNODE_LOCALDB || messages.isEmpty())
        return false;
    // Only the worker may write the file while it runs.
    source->db->close();
    ProgressForm progress(QString(), this);
    DeleteMMSThread worker(QDir(g_localDbDir().filePath(source->title)), messages,
                           progress.progress());
    if (!progress.runWorker(worker))
        return false;
    forgetDeletedMessages(source, messages);
    return true;
}

void MainWindow::forgetDeletedMessages(_AbsDBItemNode *source, const QList<_MsgMessage *> &messages)
{
    const AbsTreeItemModel::_ItemNode *current = currentNode();
    const bool chatWasShown = current && current->type == ITEMNODE_CHAT_SESSION;
    const QString shownChatId =
        chatWasShown && m_currentChat ? m_currentChat->chat_identifier : QString();
    // The list and the conversation pane point at the records about to go.
    resetDisplay();

    __MsgData &records = *source->data.p();
    QSet<_MsgMessage *> doomed;
    for (_MsgMessage *message : messages) {
        if (records.messages.value(message->rowid) == message)
            doomed.insert(message);
    }
    // The database drops a chat together with its last message; so do the records. The chats
    // are freed only after the chat nodes that point at them have been rebuilt.
    std::vector<std::unique_ptr<_MsgChat>> emptiedChats;
    for (auto chat = records.chats.begin(); chat != records.chats.end();) {
        const qsizetype before = (*chat)->messageMap.size();
        (*chat)->messageMap.removeIf(
            [&doomed](const auto &entry) { return doomed.contains(entry.value()); });
        if (before > 0 && (*chat)->messageMap.isEmpty()) {
            emptiedChats.emplace_back(*chat);
            chat = records.chats.erase(chat);
        } else {
            ++chat;
        }
    }
    for (_MsgMessage *message : std::as_const(doomed)) {
        records.messages.remove(message->rowid);
        delete message;
    }
    if (!emptiedChats.empty())
        m_treeModel->listChats(source);
    emptiedChats.clear();

    AbsTreeItemModel::_ItemNode *next = chatWasShown ? chatNodeOf(source, shownChatId) : source;
    if (!next) {
        // The conversation shown is gone with its last message.
        m_treeView->selectionModel()->clearSelection();
        updateMenuActionState();
        return;
    }
    selectNode(next);
    // Selecting the node again does not count as a change when it already was the selection.
    showNode(next);
}

AbsTreeItemModel::_ItemNode *MainWindow::chatNodeOf(_AbsDBItemNode *source,
                                                    const QString &chatId) const
{
    for (AbsTreeItemModel::_ItemNode *node : source->children()) {
        const _MsgChat *chat = static_cast<_ChatSessionItemNode *>(node)->firstChat();
        if (chat && chat->chat_identifier == chatId)
            return node;
    }
    return nullptr;
}

// ---- importing backups

void MainWindow::importFromiTunes(const QString &localDbName)
{
    LoadItunesBackupDlg chooser(m_backupFolders, this);
    const QSharedPointer<BackupManifest> backup = chooser.execSelect();
    if (!backup)
        return;
    if (backup->isEncrypted() && !backup->isUnlocked()) {
        PasscodeDlg passcode(backup.data(), this);
        if (passcode.exec() != QDialog::Accepted)
            return;
    }
    // Holds the loaded records until the save below has written them.
    MsgData data;
    int missing = 0;
    if (!loadBackup(*backup, data, missing))
        return;
    const QString name = localDbName.isEmpty() ? ITunesImport::defaultDbName(*backup) : localDbName;
    backupMessages(name, data.messages(),
                   missing > 0 ? g_tr("IDS_MISSING_ATTACHMENTS_%1").arg(missing) : QString());
}

bool MainWindow::loadBackup(BackupManifest &backup, MsgData &data, int &missingAttachments)
{
    bool loaded = false;
    runGuarded([this, &backup, &data, &loaded, &missingAttachments] {
        ProgressForm progress(QString(), this);
        ITunesImport import(backup, progress.progress());
        loaded =
            import.run([&progress](QThread &worker) { return progress.runWorker(worker); }, data);
        missingAttachments = import.missingAttachments();
    });
    return loaded;
}

void MainWindow::notAvailableYet(const char *command)
{
    qCInfo(lcUi) << "command not available yet:" << command;
    Tips::info(g_tr("IDS_NOT_AVAILABLE_YET"));
}

void MainWindow::checkForUpdate()
{
    g_openLink(QLatin1String(kUpdateUrl));
}

void MainWindow::showHelp()
{
    g_openLink(QLatin1String(kHelpUrl));
}

void MainWindow::showFeedback()
{
    g_openLink(QLatin1String(kFeedbackUrl));
}

void MainWindow::showAbout()
{
    Tips::info(g_tr("IDS_ABOUT_TEXT").arg(QStringLiteral(TEXTLINK_VERSION)));
}

// ---- context menus

void MainWindow::onMainTreeContextMenu()
{
    const QModelIndex index =
        m_treeView->indexAt(m_treeView->viewport()->mapFromGlobal(QCursor::pos()));
    if (!index.isValid())
        return;
    // The commands act on the current node, so the node under the cursor becomes current.
    if (AbsTreeItemModel::nodeOf(index) != currentNode())
        selectNode(AbsTreeItemModel::nodeOf(index));
    if (const std::unique_ptr<QMenu> menu = treeContextMenu(currentNode()))
        menu->exec(QCursor::pos());
}

void MainWindow::onSMSContextMenu()
{
    if (const std::unique_ptr<QMenu> menu = smsContextMenu())
        menu->exec(QCursor::pos());
}

std::unique_ptr<QMenu> MainWindow::treeContextMenu(AbsTreeItemModel::_ItemNode *node)
{
    if (!node)
        return nullptr;
    auto menu = std::make_unique<QMenu>();
    const auto add = [this, &menu](const char *key, void (MainWindow::*slot)(),
                                   bool enabled = true) {
        addMenuCommand(*menu, this, key, slot, enabled);
    };
    const bool android = androidConnected();
    const int parentType = node->parent ? node->parent->type : 0;
    switch (node->type) {
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

std::unique_ptr<QMenu> MainWindow::smsContextMenu()
{
    const _AbsDBItemNode *source = ItemModelMain::sourceOf(currentNode());
    if (!source || (source->type != ITEMNODE_LOCALDB && source->type != ITEMNODE_IOS_DEVICE))
        return nullptr;
    auto menu = std::make_unique<QMenu>();
    const auto add = [this, &menu](const char *key, void (MainWindow::*slot)(),
                                   bool enabled = true) {
        addMenuCommand(*menu, this, key, slot, enabled);
    };
    const bool android = androidConnected();
    if (source->type == ITEMNODE_LOCALDB) {
        add("IDS_MI_DB2A_SEL", &MainWindow::miDb2ASel, android);
    } else {
        add("IDS_MI_BACKUP_SEL", &MainWindow::miBackupSel);
        add("IDS_MI_I2A_SEL", &MainWindow::miI2ASel, android);
    }
    add("IDS_MI_EXTRACT_SEL", &MainWindow::miExtractMediaSel);
    add("IDS_MI_EXPORT_SEL", &MainWindow::miExportSel);
    add("IDS_MI_PRINT_SEL", &MainWindow::miPrintSel);
    if (source->type == ITEMNODE_LOCALDB)
        add("IDS_MI_DELETE_SEL", &MainWindow::miDelSel);
    return menu;
}
