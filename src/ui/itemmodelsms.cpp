#include "ui/itemmodelsms.h"

#include "frame/translation.h"
#include "model/msgchat.h"
#include "model/msgfunctions.h"
#include "model/msgmessage.h"

#include <QBrush>
#include <QColor>
#include <QImage>
#include <QLocale>
#include <QPixmap>
#include <QSize>

namespace {

constexpr int kIconWidth = 18;
constexpr int kRowHeight = 23;

QVariant serviceIcon(const _MsgMessage &message)
{
    const bool sent = message.is_from_me != 0;
    const char *name = nullptr;
    if (message.service == QLatin1String("iMessage"))
        name = sent ? "imsg-send.png" : "imsg-rec.png";
    else
        name = sent ? "icon_sms-sent.png" : "icon_sms-receive.png";
    const QImage image(QStringLiteral(":/res/") + QLatin1String(name));
    if (image.isNull())
        return {};
    return QPixmap::fromImage(image.scaledToWidth(kIconWidth, Qt::SmoothTransformation));
}

} // namespace

ItemModelSms::ItemModelSms(QObject *parent) : QAbstractTableModel(parent) {}

int ItemModelSms::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_messages.size());
}

int ItemModelSms::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ItemModelSms::data(const QModelIndex &index, int role) const
{
    const _MsgMessage *message = messageAt(index.row());
    if (!index.isValid() || !message)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return displayText(*message, index.column());
    case Qt::DecorationRole:
        return index.column() == ColDate ? serviceIcon(*message) : QVariant();
    case Qt::BackgroundRole:
        return QBrush(message->is_from_me ? QColor(245, 255, 226) : QColor(255, 255, 255));
    case Qt::SizeHintRole:
        return QSize(0, kRowHeight);
    default:
        return {};
    }
}

QVariant ItemModelSms::displayText(const _MsgMessage &message, int column) const
{
    const bool systemItem = message.item_type != 0;
    switch (column) {
    case ColDate:
        return QLocale::system().toString(dtFromDate21(message.date).toLocalTime(),
                                          QLocale::ShortFormat);
    case ColFlag:
        if (systemItem)
            return QString();
        return g_tr(message.is_from_me ? "IDS_MSG_TO" : "IDS_MSG_FROM");
    case ColContact:
        if (systemItem)
            return message.chat ? message.chat->displayName(false) : QString();
        return message.contactInfo();
    case ColContent:
        return message.summary();
    default:
        return {};
    }
}

QVariant ItemModelSms::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char *const keys[ColumnCount] = {"IDS_COL_DATE", "IDS_COL_FLAG", "IDS_COL_CONTACT",
                                                  "IDS_COL_CONTENT"};
    if (section < 0 || section >= ColumnCount)
        return {};
    return g_tr(keys[section]);
}

void ItemModelSms::sort(int column, Qt::SortOrder order)
{
    beginResetModel();
    g_sortMessages(m_messages, column == ColDate ? order : Qt::AscendingOrder);
    endResetModel();
}

void ItemModelSms::loadSMS(const QList<_MsgMessage *> &messages)
{
    beginResetModel();
    m_messages = messages;
    endResetModel();
}

void ItemModelSms::clear()
{
    loadSMS({});
}

QModelIndex ItemModelSms::indexOfPos(int row) const
{
    return row >= 0 && row < rowCount() ? index(row, ColDate) : QModelIndex();
}

_MsgMessage *ItemModelSms::messageAt(int row) const
{
    return row >= 0 && row < m_messages.size() ? m_messages.at(row) : nullptr;
}
