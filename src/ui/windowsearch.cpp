#include "ui/windowsearch.h"

#include "frame/translation.h"
#include "ui/bubbleviewmgr.h"
#include "ui/chatmatch.h"
#include "ui/chatsessionitemnode.h"
#include "ui/itemmodelmain.h"
#include "ui/itemmodelsms.h"
#include "ui/itemnodetype.h"
#include "ui/localdbitemnode.h"
#include "ui/searchbox.h"
#include "ui/wrappedsearch.h"

#include <QTreeView>

WindowSearch::WindowSearch(SearchBox &contacts, SearchBox &messages, ItemModelSms &list,
                           QTreeView &listView, BubbleViewMgr &bubbles)
    : m_contacts(contacts)
    , m_messages(messages)
    , m_list(list)
    , m_listView(listView)
    , m_bubbles(bubbles)
{}

AbsTreeItemModel::_ItemNode *WindowSearch::nextContact(AbsTreeItemModel::_ItemNode *current)
{
    const QString keyword = m_contacts.keyword();
    _AbsDBItemNode *source = ItemModelMain::sourceOf(current);
    if (keyword.isEmpty() || !source)
        return nullptr;
    const QList<AbsTreeItemModel::_ItemNode *> chats = source->children();
    const int row = current->type == ITEMNODE_CHAT_SESSION ? source->rowOf(current) : -1;
    const int found = g_findWrapped(static_cast<int>(chats.size()), row, [&](int position) {
        const auto *chat = static_cast<const _ChatSessionItemNode *>(chats.at(position));
        return g_chatMatchesKeyword(chat->merge, chat->title, keyword);
    });
    if (found < 0) {
        m_contacts.setNote(g_tr("IDS_CAN_NOT_FOUNDCONTACT_KEYWORD_%0").arg(keyword));
        return nullptr;
    }
    m_contacts.setNote(QString());
    return chats.at(found);
}

QList<int> WindowSearch::markMatches()
{
    const QString keyword = m_messages.keyword();
    m_bubbles.setHighlight(keyword);
    const QList<int> rows = m_list.setHighlight(keyword);
    if (keyword.isEmpty())
        m_messages.setNote(QString());
    else if (m_list.rowCount() == 0)
        m_messages.setNote(g_tr("IDS_CAN_NOT_FOUND_AND_MESSAGES"));
    else if (rows.isEmpty())
        m_messages.setNote(g_tr("IDS_CAN_NOT_FOUNDSMS_KEYWORD_%0").arg(keyword));
    else
        m_messages.setNote(g_tr("IDS_SEARCH_NO_CURRENT_%1").arg(rows.size()));
    return rows;
}

void WindowSearch::stepMessages(bool forward)
{
    const QList<int> rows = markMatches();
    if (rows.isEmpty())
        return;
    const QModelIndex current = m_listView.currentIndex();
    const int found = g_nextMatch(rows, current.isValid() ? current.row() : -1, forward);
    const QModelIndex index = m_list.indexOfPos(found);
    m_listView.selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                            QItemSelectionModel::Rows);
    m_listView.scrollTo(index);
    m_messages.setNote(g_tr("IDS_SEARCH_%1_OF_%2").arg(rows.indexOf(found) + 1).arg(rows.size()));
}
