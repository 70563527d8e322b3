#include "ui/sourcedisplay.h"

#include "frame/translation.h"
#include "model/msgchat.h"
#include "model/msgfunctions.h"
#include "model/msgmessage.h"
#include "ui/absdbitemnode.h"
#include "ui/bubbleviewmgr.h"
#include "ui/chatsessionitemnode.h"
#include "ui/desktopcontroller.h"
#include "ui/itemmodelmain.h"
#include "ui/itemmodelsms.h"
#include "ui/itemnodetype.h"
#include "ui/loadingbar.h"
#include "ui/mylistview.h"
#include "ui/mytreeview.h"
#include "ui/tips.h"
#include "ui/uilogging.h"
#include "ui/windowsearch.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QPersistentModelIndex>

#include <utility>

namespace {

constexpr int kChatNameMaxLength = 25;

QString chatLabel(const _MsgChat *chat)
{
    if (!chat)
        return g_tr("IDS_ALL_MESSAGES");
    const QString name = chat->displayName(false);
    return name.size() > kChatNameMaxLength ? name.left(kChatNameMaxLength) + QStringLiteral("...")
                                            : name;
}

} // namespace

SourceDisplay::SourceDisplay(const Views &views, QObject *parent) : QObject(parent), m_views(views)
{
    connect(&m_loader, &SourceLoader::chatsListed, this, &SourceDisplay::onChatsListed);
    connect(&m_loader, &SourceLoader::rowsLoaded, this, &SourceDisplay::onRowsLoaded);
    connect(&m_loader, &SourceLoader::loaded, this, &SourceDisplay::onLoaded);
    connect(&m_loader, &SourceLoader::failed, this, &SourceDisplay::onFailed);
    connect(&m_loader, &SourceLoader::idle, this, [this] {
        m_views.loadingBar.setVisible(m_loader.source() != nullptr);
        letGoOfFill();
    });
    connect(&m_views.loadingBar, &LoadingBar::cancelRequested, this, [this] {
        m_loader.cancel();
        reset();
    });
    connect(&m_views.tree, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            &SourceDisplay::onRowsRemoving);
}

SourceDisplay::~SourceDisplay() = default;

AbsTreeItemModel::_ItemNode *SourceDisplay::currentNode() const
{
    const QModelIndexList selected = m_views.treeView.selectionModel()->selectedIndexes();
    return selected.isEmpty() ? nullptr : AbsTreeItemModel::nodeOf(selected.first());
}

void SourceDisplay::show(AbsTreeItemModel::_ItemNode *node)
{
    if (!node) {
        reset();
        return;
    }
    _AbsDBItemNode *source = ItemModelMain::sourceOf(node);
    // Another node chosen while a source loads: the user no longer waits for that one.
    if (m_loader.source() && m_loader.source() != source)
        m_loader.cancel();
    switch (node->type) {
    case ITEMNODE_IOS_DEVICE:
    case ITEMNODE_ANDROID_DEVICE:
    case ITEMNODE_LOCALDB:
        showSource(source);
        break;
    case ITEMNODE_CHAT_SESSION: {
        const auto *chat = static_cast<_ChatSessionItemNode *>(node);
        if (source && !source->messagesLoaded)
            showLoading(source);
        else if (chat->firstChat())
            showMessages(chat->merge.messages(), chat->firstChat());
        else
            reset();
        break;
    }
    default:
        reset();
    }
}

void SourceDisplay::showSource(_AbsDBItemNode *node)
{
    if (!node->messagesLoaded) {
        showLoading(node);
        if (m_fillSource == node && !m_filled.isEmpty())
            showFilled();
        return;
    }
    // A local database without chats shows nothing; a phone shows its (empty) list of all.
    if (node->type == ITEMNODE_LOCALDB && node->childCount() == 0) {
        reset();
        return;
    }
    if (m_allSource != node || m_allOf.p() != node->data.p() ||
        m_allCount != node->data.p()->messages.size()) {
        QList<_MsgMessage *> all = node->data.messages();
        all.removeIf([](const _MsgMessage *message) { return !message->isShownAlone(); });
        g_sortMessages(all, Qt::AscendingOrder);
        m_all = all;
        m_allOf = node->data;
        m_allSource = node;
        m_allCount = node->data.p()->messages.size();
    }
    showSorted(m_all, nullptr);
}

void SourceDisplay::showLoading(_AbsDBItemNode *source)
{
    const bool started = m_loader.source() != source;
    if (started)
        m_loader.load(source);
    reset();
    m_views.count.setText(g_tr("IDS_LOADING_MESSAGES"));
    if (started)
        m_views.loadingBar.showStep(0);
}

void SourceDisplay::showMessages(const QList<_MsgMessage *> &messages, _MsgChat *chat)
{
    // The conversation reads oldest first whatever order the list is sorted in; reactions show
    // with the messages they react to.
    QList<_MsgMessage *> oldestFirst = messages;
    oldestFirst.removeIf([](const _MsgMessage *message) { return !message->isShownAlone(); });
    g_sortMessages(oldestFirst, Qt::AscendingOrder);
    showSorted(oldestFirst, chat);
}

void SourceDisplay::showSorted(const QList<_MsgMessage *> &oldestFirst, _MsgChat *chat)
{
    m_views.list.loadSMS(oldestFirst);
    m_listFilled = false;
    letGoOfFill();
    present(oldestFirst, chat);
}

void SourceDisplay::present(const QList<_MsgMessage *> &oldestFirst, _MsgChat *chat)
{
    m_currentChat = chat;
    // Sorting again into the order the list already has would only cost time.
    const QHeaderView *header = m_views.listView.header();
    if (header->sortIndicatorSection() != ItemModelSms::ColDate ||
        header->sortIndicatorOrder() != Qt::AscendingOrder)
        m_views.list.sort(header->sortIndicatorSection(), header->sortIndicatorOrder());
    qCDebug(lcUi) << "conversation pane:" << oldestFirst.size() << "messages";
    m_views.bubble.showBubble(oldestFirst);
    m_views.count.setText(g_tr("IDS_SMS_COUNT_%1").arg(oldestFirst.size()));
    m_views.chatName.setText(chatLabel(chat));
    m_views.search.markMatches();
    Q_EMIT shown();
}

void SourceDisplay::showFilled()
{
    // The list holds the rows from here on.
    m_views.list.loadSMS(std::exchange(m_filled, {}));
    m_listFilled = true;
    m_views.chatName.setText(chatLabel(nullptr));
}

QList<_MsgMessage *> SourceDisplay::listInOrder() const
{
    QList<_MsgMessage *> rows = m_views.list.messages();
    // The user may have sorted the list by another column meanwhile.
    const QHeaderView *header = m_views.listView.header();
    if (header->sortIndicatorSection() != ItemModelSms::ColDate ||
        header->sortIndicatorOrder() != Qt::AscendingOrder)
        g_sortMessages(rows, Qt::AscendingOrder);
    return rows;
}

void SourceDisplay::letGoOfFill()
{
    // Kept while that source loads: it may be chosen again meanwhile.
    if (!m_fillSource || m_loader.source() == m_fillSource)
        return;
    if (m_listFilled) {
        // The list lets go of the rows first; that comes back here.
        reset();
        return;
    }
    forgetFill();
}

void SourceDisplay::forgetFill()
{
    m_fillSource = nullptr;
    m_fillOf = MsgData();
    m_filled.clear();
}

void SourceDisplay::onRowsLoaded(_AbsDBItemNode *source, const MsgData &data,
                                 const QList<_MsgMessage *> &rows)
{
    if (m_fillSource != source) {
        // The list of another source may still be filled (one load supersedes another).
        if (m_listFilled)
            reset();
        m_fillSource = source;
        m_fillOf = data;
        m_filled.clear();
    }
    if (m_listFilled) {
        m_views.list.appendSMS(rows);
        return;
    }
    m_filled += rows;
    if (currentNode() == source)
        showFilled();
}

void SourceDisplay::reset()
{
    m_currentChat = nullptr;
    if (m_listFilled)
        m_filled = listInOrder();
    m_views.list.clear();
    m_listFilled = false;
    letGoOfFill();
    m_views.bubble.showBubble({});
    m_views.count.setText(g_tr("IDS_SMS_COUNT_%1").arg(0));
    m_views.chatName.clear();
    Q_EMIT shown();
}

void SourceDisplay::select(AbsTreeItemModel::_ItemNode *node)
{
    const QModelIndex index = m_views.tree.indexOfItemNode(node);
    QItemSelectionModel *selection = m_views.treeView.selectionModel();
    selection->clearSelection();
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_views.treeView.scrollTo(index);
}

void SourceDisplay::refresh(_AbsDBItemNode *node)
{
    m_loader.finish();
    forget(node);
    m_views.tree.clearChilds(node);
    node->messagesLoaded = DesktopController::runGuarded([this, node] {
        node->db->messages(node->data, 0);
        m_views.tree.listChats(node);
    });
    m_views.treeView.expand(m_views.tree.indexOfItemNode(node));
    select(node);
    // Selecting the node again does not count as a change when it already was the selection.
    show(node);
}

QList<_MsgMessage *> SourceDisplay::allMessages(_AbsDBItemNode *source)
{
    m_loader.finish();
    if (!source)
        return {};
    if (!source->messagesLoaded &&
        !DesktopController::runGuarded([source] { source->db->messages(source->data, 0); }))
        return {};
    return source->data.messages();
}

void SourceDisplay::showAfterRemoval(_AbsDBItemNode *source, bool chatWasShown,
                                     const QString &chatId, DesktopController::EmptiedChats emptied)
{
    forget(source);
    // The list and the conversation pane pointed at the records just freed.
    reset();
    // The chat nodes point at the emptied chats and at the messages gone: rebuilt before the
    // chats are freed.
    m_views.tree.listChats(source);
    emptied.clear();

    AbsTreeItemModel::_ItemNode *next =
        chatWasShown ? ItemModelMain::chatNodeOf(source, chatId) : source;
    if (!next) {
        // The conversation shown is gone with its last message.
        m_views.treeView.selectionModel()->clearSelection();
        return;
    }
    select(next);
    // Selecting the node again does not count as a change when it already was the selection.
    show(next);
}

void SourceDisplay::forget(const _AbsDBItemNode *source)
{
    if (source && source != m_allSource)
        return;
    m_all.clear();
    m_allOf = MsgData();
    m_allSource = nullptr;
    m_allCount = 0;
}

void SourceDisplay::expandLater(const _AbsDBItemNode *source)
{
    // Expanding inside the selection change would disturb the view's own handling of it.
    const QPersistentModelIndex index = m_views.tree.indexOfItemNode(source);
    QMetaObject::invokeMethod(
        this, [this, index] { m_views.treeView.expand(index); }, Qt::QueuedConnection);
}

void SourceDisplay::adopt(_AbsDBItemNode *source, const MsgData &data,
                          ItemModelMain::ChatNodes *nodes)
{
    // The chat nodes point at the records; they go before those do.
    m_views.tree.clearChilds(source);
    source->data = data;
    m_views.tree.appendNodes(source, std::move(*nodes));
}

void SourceDisplay::onChatsListed(_AbsDBItemNode *source, const MsgData &chats,
                                  ItemModelMain::ChatNodes *nodes)
{
    QElapsedTimer clock;
    clock.start();
    // A phone's chats were listed when it was added, and one of them may be chosen: they stay
    // until the whole load lands. Otherwise the node has shown nothing of its records yet, so
    // they can be replaced.
    if (source->childCount() == 0)
        adopt(source, chats, nodes);
    if (currentNode() == source)
        expandLater(source);
    m_views.loadingBar.showStep(1);
    qCInfo(lcUi) << "chats of" << source->title << "taken in in" << clock.elapsed() << "ms";
}

void SourceDisplay::onLoaded(_AbsDBItemNode *source, const MsgData &data,
                             const QList<_MsgMessage *> &shown, ItemModelMain::ChatNodes *nodes)
{
    QElapsedTimer clock;
    clock.start();
    AbsTreeItemModel::_ItemNode *current = currentNode();
    const bool sourceShown = current == source;
    const _MsgChat *chat = current && current->parent == source
                               ? static_cast<_ChatSessionItemNode *>(current)->firstChat()
                               : nullptr;
    const QString chatId = chat ? chat->chat_identifier : QString();
    // The rows before shown: in the list (which goes on from them) or kept for it.
    const bool inList = m_listFilled && m_fillSource == source;
    QList<_MsgMessage *> all;
    if (inList) {
        m_views.list.appendSMS(shown);
        all = listInOrder();
    } else if (m_fillSource == source) {
        all = std::exchange(m_filled, {});
        all += shown;
    } else {
        all = shown;
    }
    m_listFilled = false;
    forgetFill();
    // Set first: swapping the nodes moves the tree's selection, and a source shown meanwhile
    // must not start loading again.
    source->messagesLoaded = true;
    adopt(source, data, nodes);
    m_all = all;
    m_allOf = data;
    m_allSource = source;
    m_allCount = data.p()->messages.size();
    if (sourceShown) {
        expandLater(source);
        if (source->type == ITEMNODE_LOCALDB && source->childCount() == 0) {
            reset();
        } else if (inList && m_views.list.rowCount() == m_all.size()) {
            present(m_all, nullptr);
        } else {
            showSorted(m_all, nullptr);
        }
    } else if (!chatId.isEmpty()) {
        // The chat chosen while the source loaded: shown through the selection change.
        if (AbsTreeItemModel::_ItemNode *node = ItemModelMain::chatNodeOf(source, chatId))
            select(node);
    }
    qCInfo(lcUi) << "records of" << source->title << "taken in and shown in" << clock.elapsed()
                 << "ms";
}

void SourceDisplay::onRowsRemoving(const QModelIndex &parent, int first, int last)
{
    // A phone unplugged or a database deleted: the list lets go of its records, and a load of it
    // must not land on the node that is gone.
    // Rows under a source are its chats: a million-message load swaps thousands of them.
    if (ItemModelMain::sourceOf(AbsTreeItemModel::nodeOf(parent)))
        return;
    const AbsTreeItemModel::_ItemNode *shownSource = ItemModelMain::sourceOf(currentNode());
    for (int row = first; row <= last; ++row) {
        const auto *node = AbsTreeItemModel::nodeOf(m_views.tree.index(row, 0, parent));
        if (!node)
            continue;
        if (node == shownSource)
            reset();
        if (node == m_loader.source())
            m_loader.cancel();
        if (node == m_allSource)
            forget(m_allSource);
    }
}

void SourceDisplay::onFailed(_AbsDBItemNode *source, const QString &error)
{
    qCWarning(lcUi) << "loading" << source->title << "failed:" << error;
    if (ItemModelMain::sourceOf(currentNode()) == source)
        reset();
    Tips::error(error);
}
