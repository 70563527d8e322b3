#pragma once

#include "model/msgdata.h"
#include "ui/abstreeitemmodel.h"
#include "ui/desktopcontroller.h"
#include "ui/sourceloader.h"

#include <QList>
#include <QObject>

class BubbleViewMgr;
class ItemModelMain;
class ItemModelSms;
class LoadingBar;
class MyListView;
class MyTreeView;
class QLabel;
class WindowSearch;
class _AbsDBItemNode;
struct _MsgChat;
struct _MsgMessage;

// Shows what the source tree's selection stands for in the message list and the conversation
// pane. A source (local database or phone) is read in the background the first time it is
// chosen: its chats are listed as soon as they are read, and its list of all messages fills as
// they are read (when the source is read in list order), otherwise when all are; meanwhile the
// window stays usable. Conversations, search and the rest wait for the whole source.
class SourceDisplay : public QObject
{
    Q_OBJECT
public:
    struct Views
    {
        ItemModelMain &tree;
        MyTreeView &treeView;
        ItemModelSms &list;
        MyListView &listView;
        BubbleViewMgr &bubble;
        QLabel &count;
        QLabel &chatName;
        LoadingBar &loadingBar;
        WindowSearch &search;
    };

    explicit SourceDisplay(const Views &views, QObject *parent = nullptr);
    ~SourceDisplay() override;

    // The tree's selected node; null when none is.
    AbsTreeItemModel::_ItemNode *currentNode() const;
    // The conversation shown in the list; null when a whole source (or nothing) is shown.
    _MsgChat *currentChat() const { return m_currentChat; }
    SourceLoader &loader() { return m_loader; }

    void show(AbsTreeItemModel::_ItemNode *node);
    void reset();
    // Makes node the tree's selection and shows it.
    void select(AbsTreeItemModel::_ItemNode *node);
    // Reads a local database again after something was saved into it, lists its chats and
    // selects it.
    void refresh(_AbsDBItemNode *node);
    // Every message of source, read first unless a background load has read them already;
    // empty when reading failed (the user has been told).
    QList<_MsgMessage *> allMessages(_AbsDBItemNode *source);
    // After messages of source were deleted: rebuilds its chat nodes, then lets the emptied chats
    // go and shows the conversation shown before (when it is left) or the source.
    void showAfterRemoval(_AbsDBItemNode *source, bool chatWasShown, const QString &chatId,
                          DesktopController::EmptiedChats emptied);
    // Drops what was kept of the source's records before they change.
    void forget(const _AbsDBItemNode *source);

Q_SIGNALS:
    // The list shows something else now (the window's title follows).
    void shown();

private:
    void showSource(_AbsDBItemNode *node);
    void showLoading(_AbsDBItemNode *source);
    void showMessages(const QList<_MsgMessage *> &messages, _MsgChat *chat);
    void showSorted(const QList<_MsgMessage *> &oldestFirst, _MsgChat *chat);
    // All but putting the rows into the list, which holds oldestFirst already.
    void present(const QList<_MsgMessage *> &oldestFirst, _MsgChat *chat);
    // The rows of the loading source so far, in the list.
    void showFilled();
    // The list's rows, oldest first.
    QList<_MsgMessage *> listInOrder() const;
    // Drops the rows of a load that no longer runs.
    void letGoOfFill();
    // Forgets the filling source, its records and the rows kept for the list.
    void forgetFill();
    void onRowsLoaded(_AbsDBItemNode *source, const MsgData &data,
                      const QList<_MsgMessage *> &rows);
    void expandLater(const _AbsDBItemNode *source);
    void onChatsListed(_AbsDBItemNode *source, const MsgData &chats,
                       ItemModelMain::ChatNodes *nodes);
    void onLoaded(_AbsDBItemNode *source, const MsgData &data, const QList<_MsgMessage *> &shown,
                  ItemModelMain::ChatNodes *nodes);
    // Puts nodes under source in place of its chat nodes, and data in place of its records.
    void adopt(_AbsDBItemNode *source, const MsgData &data, ItemModelMain::ChatNodes *nodes);
    void onFailed(_AbsDBItemNode *source, const QString &error);
    void onRowsRemoving(const QModelIndex &parent, int first, int last);

    Views m_views;
    SourceLoader m_loader;
    _MsgChat *m_currentChat = nullptr;
    // The whole source's list, oldest first, kept so that choosing the source again needs no
    // sort; m_allOf holds its records alive.
    MsgData m_allOf;
    QList<_MsgMessage *> m_all;
    const _AbsDBItemNode *m_allSource = nullptr;
    qsizetype m_allCount = 0;
    // The source loading now, the records holding the rows of its list of all that have come,
    // and those rows while the list does not hold them (m_listFilled: it does).
    const _AbsDBItemNode *m_fillSource = nullptr;
    MsgData m_fillOf;
    QList<_MsgMessage *> m_filled;
    bool m_listFilled = false;
};
