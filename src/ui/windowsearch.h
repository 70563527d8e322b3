#pragma once

#include "ui/abstreeitemmodel.h"

#include <QList>

class BubbleViewMgr;
class ItemModelSms;
class QTreeView;
class SearchBox;

// The window's two searches: conversations of the current source by name, address or number,
// and the shown messages by their text, with the matches counted and marked in the list and the
// bubbles. Misses are noted beside the search box, never in a message box.
class WindowSearch
{
public:
    WindowSearch(SearchBox &contacts, SearchBox &messages, ItemModelSms &list, QTreeView &listView,
                 BubbleViewMgr &bubbles);

    // The next conversation after current (a conversation, or a source to start at its first)
    // that matches the contact keyword, wrapping round; null when there is none or nothing to
    // search.
    AbsTreeItemModel::_ItemNode *nextContact(AbsTreeItemModel::_ItemNode *current);
    // Marks the messages matching the message keyword and notes how many; the matching rows.
    QList<int> markMatches();
    // Makes the next (or previous) matching message the current row.
    void stepMessages(bool forward);

private:
    SearchBox &m_contacts;
    SearchBox &m_messages;
    ItemModelSms &m_list;
    QTreeView &m_listView;
    BubbleViewMgr &m_bubbles;
};
