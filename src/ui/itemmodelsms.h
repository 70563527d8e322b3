#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>

struct _MsgMessage;

// The message list: one row per message, columns date, flag, contact and content. The messages
// belong to the MsgData of a source node; this model only points at them.
class ItemModelSms : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { ColDate = 0, ColFlag, ColContact, ColContent, ColumnCount };

    explicit ItemModelSms(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Orders by the column's text (the flag, the contact, the content) or by the date; equal
    // values keep date order.
    void sort(int column, Qt::SortOrder order) override;

    void loadSMS(const QList<_MsgMessage *> &messages);
    // Adds rows after the last one.
    void appendSMS(const QList<_MsgMessage *> &messages);
    void clear();
    // Column 0 of row; invalid when out of range.
    QModelIndex indexOfPos(int row) const;
    // Null when out of range.
    _MsgMessage *messageAt(int row) const;
    const QList<_MsgMessage *> &messages() const { return m_messages; }

    // Marks the rows whose content contains keyword (any letter case; none for an empty one) and
    // returns them in row order.
    QList<int> setHighlight(const QString &keyword);

private:
    QVariant displayText(const _MsgMessage &message, int column) const;

    QList<_MsgMessage *> m_messages;
    QString m_highlight;
};
