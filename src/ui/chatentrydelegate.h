#pragma once

#include <QStyledItemDelegate>

// Draws a conversation's entry in the source tree on two lines: its picture and name with the
// date of its newest message on the right, and that message's text below in a quieter colour.
// Every other entry is drawn as usual.
class ChatEntryDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

    // Today's messages show their time, older ones their date.
    static QString dateText(const QDateTime &when, const QDate &today);
};
