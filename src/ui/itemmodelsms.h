#pragma once

#include <QAbstractTableModel>
#include <QList>

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
    // Only the date is an order of its own; every other column falls back to the date, oldest
    // first.
    void sort(int column, Qt::SortOrder order) override;

    void loadSMS(const QList<_MsgMessage *> &messages);
    void clear();
    // Column 0 of row; invalid when out of range.
    QModelIndex indexOfPos(int row) const;
    // Null when out of range.
    _MsgMessage *messageAt(int row) const;
    const QList<_MsgMessage *> &messages() const { return m_messages; }

private:
    QVariant displayText(const _MsgMessage &message, int column) const;

    QList<_MsgMessage *> m_messages;
};
