#include "ui/mainwindow.h"

#include "ui/androidlinkui.h"

#include "frame/appdirs.h"
#include "frame/desktop.h"
#include "frame/translation.h"
#include "itunes/itemmodelloadbk.h"
// The device host owns its link; the window makes the host with the default one.
#include "mobiledevice/absdevicelink.h"
#include "model/msgchat.h"
#include "model/msgfunctions.h"
#include "model/msgmessage.h"
#include "ui/bubbleviewmgr.h"
#include "ui/chatentrydelegate.h"
#include "ui/chatsessionitemnode.h"
#include "ui/desktopcontroller.h"
#include "ui/iosdevicehost.h"
#include "ui/iosdeviceitemnode.h"
#include "ui/itemmodelmain.h"
#include "ui/itemmodelsms.h"
#include "ui/itemnodetype.h"
#include "ui/loadingbar.h"
#include "ui/localdbitemnode.h"
#include "ui/mainwindowmenus.h"
#include "ui/mylistview.h"
#include "ui/mytreeview.h"
#include "ui/rootdeviceitemnode.h"
#include "ui/rootlocaldbitemnode.h"
#include "ui/searchbox.h"
#include "ui/stylesheet.h"
#include "ui/tips.h"
#include "ui/uilogging.h"
#include "ui/windowlayout.h"
#include "ui/windowsearch.h"

#include <QCloseEvent>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QSplitter>
#include <QStatusBar>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineView>

#include <memory>

namespace {

constexpr int kSourcePaneWidth = 350;
constexpr int kListPaneWidth = 450;
constexpr int kBubblePaneWidth = 200;
constexpr int kDateColumnWidth = 160;
constexpr int kFlagColumnWidth = 50;
constexpr int kContactColumnWidth = 120;

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), m_backupFolders(ItemModelLoadBk::defaultBackupDirs())
{
    setWindowTitle(g_tr("IDS_APP_TITLE"));
    setStyleSheet(getStyleSheet());
    buildForm();
    m_controller = std::make_unique<DesktopController>(*this);
    m_search = std::make_unique<WindowSearch>(*m_contactSearch, *m_messageSearch, *m_smsModel,
                                              *m_listView, *m_bubbleView);
    m_display = std::make_unique<SourceDisplay>(
        SourceDisplay::Views{*m_treeModel, *m_treeView, *m_smsModel, *m_listView, *m_bubbleView,
                             *m_lbSMSCount, *m_lbChatName, *m_loadingBar, *m_search});
    connect(m_display.get(), &SourceDisplay::shown, this, &MainWindow::updateTitle);
    m_menus = std::make_unique<MainWindowMenus>(*this);
    updateMenuActionState();
    m_controller->listSources();
    m_treeView->expand(m_treeModel->indexOfItemNode(m_treeModel->localDbRoot()));
    m_treeView->expand(m_treeModel->indexOfItemNode(m_treeModel->devicesRoot()));
    startIOSDevices();
    m_android = std::make_unique<AndroidLinkUi>(*this, *m_treeModel, [this](_AbsDBItemNode *node) {
        m_treeView->expand(m_treeModel->indexOfItemNode(node));
        m_display->select(node);
        m_display->show(node);
        updateMenuActionState();
    });
    m_display->reset();
    updateFirstRunHint();
    resize(kSourcePaneWidth + kListPaneWidth + kBubblePaneWidth + 200, 640);
    m_layout = std::make_unique<WindowLayout>(*this, *m_splitter, *m_listView->header());
    m_layout->restore();
    setAcceptDrops(true);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildForm()
{
    auto *splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter = splitter;
    splitter->setObjectName(QStringLiteral("splitterMain"));
    splitter->setChildrenCollapsible(false);

    auto *treePane = new QWidget(splitter);
    auto *treeLayout = new QVBoxLayout(treePane);
    m_contactSearch = new SearchBox("txtHandleKeyword", "btnSearchHandle",
                                    g_tr("IDS_SEARCH_CONTACT_HINT"), treePane);
    treeLayout->addWidget(m_contactSearch);
    m_treeView = new MyTreeView(treePane);
    m_treeView->setObjectName(QStringLiteral("treeViewDS"));
    m_treeView->setHeaderHidden(true);
    m_treeView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_treeModel = new ItemModelMain(this);
    m_treeView->setModel(m_treeModel);
    m_treeView->setItemDelegate(new ChatEntryDelegate(m_treeView));
    m_treeView->expandAll();
    treeLayout->addWidget(m_treeView);
    m_firstRunHint = new QLabel(g_tr("IDS_FIRST_RUN_HINT"), treePane);
    m_firstRunHint->setObjectName(QStringLiteral("lbFirstRunHint"));
    m_firstRunHint->setWordWrap(true);
    m_firstRunHint->setTextFormat(Qt::PlainText);
    m_firstRunHint->setForegroundRole(QPalette::PlaceholderText);
    treeLayout->addWidget(m_firstRunHint);
    for (const auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(m_treeModel, signal, this, &MainWindow::updateFirstRunHint);
    connect(m_treeModel, &QAbstractItemModel::layoutChanged, this, &MainWindow::updateFirstRunHint);

    auto *listPane = new QWidget(splitter);
    auto *listLayout = new QVBoxLayout(listPane);
    m_messageSearch =
        new SearchBox("txtSMSKeyword", "btnSearchSMS", g_tr("IDS_SEARCH_MESSAGE_HINT"), listPane);
    listLayout->addWidget(m_messageSearch);
    m_lbSMSCount = new QLabel(listPane);
    m_lbSMSCount->setObjectName(QStringLiteral("lbSMSCount"));
    m_lbSMSCount->setTextFormat(Qt::PlainText);
    listLayout->addWidget(m_lbSMSCount);
    m_loadingBar = new LoadingBar(listPane);
    listLayout->addWidget(m_loadingBar);
    m_listView = new MyListView(listPane);
    m_listView->setObjectName(QStringLiteral("treeViewSMS"));
    listLayout->addWidget(m_listView);
    buildMessageList();

    buildBubblePane(splitter);
    splitter->setSizes({kSourcePaneWidth, kListPaneWidth, kBubblePaneWidth});
    // A wider window widens the conversation first.
    splitter->setStretchFactor(2, 1);
    setCentralWidget(splitter);

    connect(m_treeView, &MyTreeView::onSelectionChanged, this, &MainWindow::onMainTreeSelected);
    connect(m_treeView, &MyTreeView::createContextMenu, this, &MainWindow::onMainTreeContextMenu);
    connect(m_listView, &MyListView::onSelectionChanged, this, &MainWindow::onSMSItemSelected);
    connect(m_listView, &MyListView::createContextMenu, this, &MainWindow::onSMSContextMenu);
    connect(m_contactSearch, &SearchBox::searchRequested, this, &MainWindow::searchCotnact);
    connect(m_contactSearch, &SearchBox::keywordEdited, this,
            [this] { m_contactSearch->setNote(QString()); });
    connect(m_messageSearch, &SearchBox::searchRequested, this, &MainWindow::searchMessages);
    connect(m_messageSearch, &SearchBox::keywordEdited, this, [this] { m_search->markMatches(); });

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

void MainWindow::startIOSDevices()
{
    m_iosHost = new IOSDeviceHost(*m_treeModel, this);
    connect(m_iosHost, &IOSDeviceHost::deviceAdded, this, [this](_IOSDeviceItemNode *node) {
        m_treeView->expand(m_treeModel->indexOfItemNode(m_treeModel->devicesRoot()));
        m_display->select(node);
        updateMenuActionState();
    });
    // The message list shows the phone's records: they go with its node.
    connect(m_iosHost, &IOSDeviceHost::deviceRemoving, this, [this](_IOSDeviceItemNode *node) {
        if (ItemModelMain::sourceOf(currentNode()) == node)
            m_display->reset();
    });
    connect(m_iosHost, &IOSDeviceHost::deviceRemoved, this, &MainWindow::updateMenuActionState);
    m_iosHost->start();
}

AbsTreeItemModel::_ItemNode *MainWindow::currentNode() const
{
    return m_display->currentNode();
}

void MainWindow::updateMenuActionState()
{
    const _AbsDBItemNode *source = ItemModelMain::sourceOf(currentNode());
    m_menus->updateState(source ? source->type : 0,
                         m_treeModel->devicesRoot()->deviceCount(ITEMNODE_IOS_DEVICE),
                         m_treeModel->devicesRoot()->deviceCount(ITEMNODE_ANDROID_DEVICE));
}

void MainWindow::onMainTreeSelected(const QItemSelection &, const QItemSelection &)
{
    updateMenuActionState();
    m_display->show(currentNode());
}

void MainWindow::updateTitle()
{
    QStringList parts;
    if (const _AbsDBItemNode *source = ItemModelMain::sourceOf(currentNode()))
        parts << source->title;
    if (const _MsgChat *chat = m_display->currentChat())
        parts << chat->displayName(false);
    parts << g_tr("IDS_APP_TITLE");
    setWindowTitle(parts.join(QStringLiteral(" \u2013 ")));
}

void MainWindow::updateFirstRunHint()
{
    m_firstRunHint->setVisible(m_treeModel->devicesRoot()->childCount() == 0 &&
                               m_treeModel->localDbRoot()->childCount() == 0);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    m_layout->save();
    QMainWindow::closeEvent(event);
}

// ---- dropped sources

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.first().isLocalFile())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return;
    event->acceptProposedAction();
    const QString path = urls.first().toLocalFile();
    // The drag source waits for the drop to end; the import runs dialogs of its own.
    QMetaObject::invokeMethod(
        this, [this, path] { openDropped(path); }, Qt::QueuedConnection);
}

void MainWindow::openDropped(const QString &path)
{
    m_display->loader().finish();
    _AbsDBItemNode *opened = m_controller->openDropped(path, m_backupFolders);
    if (!opened)
        return;
    if (opened->type == ITEMNODE_LOCALDB) {
        m_display->refresh(static_cast<_LocalDBItemNode *>(opened));
        return;
    }
    m_treeView->expand(m_treeModel->indexOfItemNode(m_treeModel->devicesRoot()));
    m_display->select(opened);
}

void MainWindow::onSMSItemSelected(const QItemSelection &selected, const QItemSelection &)
{
    // The list may be sorted otherwise than the conversation, so the message is looked up there.
    if (!selected.indexes().isEmpty())
        m_bubbleView->scrollToMessage(m_smsModel->messageAt(selected.indexes().first().row()));
}

void MainWindow::onSMSSortIndicatorChanged(int column, Qt::SortOrder order)
{
    // Only the list's order changes; the conversation pane stays oldest first.
    m_smsModel->sort(column, order);
    m_search->markMatches();
}

bool MainWindow::androidConnected() const
{
    return m_treeModel->devicesRoot()->deviceCount(ITEMNODE_ANDROID_DEVICE) > 0;
}

// ---- searching

void MainWindow::searchCotnact()
{
    if (AbsTreeItemModel::_ItemNode *found = m_search->nextContact(currentNode()))
        m_display->select(found);
}

void MainWindow::findMessages()
{
    m_messageSearch->focusForTyping();
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

QList<_MsgMessage *> MainWindow::shownMessages() const
{
    return m_smsModel->messages();
}

QList<_MsgMessage *> MainWindow::allMessagesOfCurrentSource()
{
    return m_display->allMessages(ItemModelMain::sourceOf(currentNode()));
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
        runOn(command, shownMessages());
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
    m_display->loader().finish();
    m_display->forget(node);
    m_display->reset();
    m_controller->deleteLocalDb(node);
    updateMenuActionState();
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
    m_display->loader().finish();
    if (_LocalDBItemNode *node = m_controller->backupMessages(defaultName, messages, successNote))
        m_display->refresh(node);
}

// ---- other commands

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

void MainWindow::miUnmoutDevice()
{
    AbsTreeItemModel::_ItemNode *node = currentNode();
    if (!node)
        return;
    if (node->type == ITEMNODE_IOS_DEVICE || node->type == ITEMNODE_ANDROID_DEVICE) {
        m_display->reset();
        m_treeModel->removeNode(node);
        updateMenuActionState();
    }
}

void MainWindow::miConnectWifi()
{
    m_android->connectWifi();
}

void MainWindow::restore2android(const QList<_MsgMessage *> &messages)
{
    // The phone written to may be loading in the background.
    m_display->loader().finish();
    m_android->restore2android(messages, ItemModelMain::sourceOf(currentNode()));
}

void MainWindow::startAndroidMonitor()
{
    m_android->startMonitor();
}

void MainWindow::miViewCache()
{
    m_controller->viewCache(ItemModelMain::sourceOf(currentNode()));
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

bool MainWindow::deleteMessages(const QList<_MsgMessage *> &messages)
{
    m_display->loader().finish();
    _AbsDBItemNode *source = ItemModelMain::sourceOf(currentNode());
    const AbsTreeItemModel::_ItemNode *current = currentNode();
    const bool chatWasShown = current && current->type == ITEMNODE_CHAT_SESSION;
    const QString shownChatId =
        chatWasShown && currentChat() ? currentChat()->chat_identifier : QString();
    m_display->forget(source);
    DesktopController::EmptiedChats emptied;
    if (!m_controller->deleteMessages(source, messages, &emptied))
        return false;
    m_display->showAfterRemoval(source, chatWasShown, shownChatId, std::move(emptied));
    updateMenuActionState();
    return true;
}

// ---- importing backups

void MainWindow::importFromiTunes(const QString &localDbName)
{
    m_display->loader().finish();
    if (_LocalDBItemNode *node = m_controller->importBackup(localDbName, m_backupFolders))
        m_display->refresh(node);
}

void MainWindow::notAvailableYet(const char *command)
{
    qCInfo(lcUi) << "command not available yet:" << command;
    Tips::info(g_tr("IDS_NOT_AVAILABLE_YET"));
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
        m_display->select(AbsTreeItemModel::nodeOf(index));
    const AbsTreeItemModel::_ItemNode *node = currentNode();
    const int parentType = node->parent ? node->parent->type : 0;
    if (const std::unique_ptr<QMenu> menu =
            m_menus->treeContextMenu(node->type, parentType, androidConnected()))
        menu->exec(QCursor::pos());
}

void MainWindow::onSMSContextMenu()
{
    const _AbsDBItemNode *source = ItemModelMain::sourceOf(currentNode());
    if (!source)
        return;
    if (const std::unique_ptr<QMenu> menu =
            m_menus->smsContextMenu(source->type, androidConnected()))
        menu->exec(QCursor::pos());
}
