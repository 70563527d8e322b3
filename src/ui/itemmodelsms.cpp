#include "ui/itemmodelsms.h"

#include "frame/translation.h"
#include "model/msgchat.h"
#include "model/msgfunctions.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"
#include "ui/iconpixmap.h"

#include <QBrush>
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QLocale>
#include <QPalette>
#include <QPixmap>
#include <QSize>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

constexpr int kIconWidth = 18;
constexpr int kRowHeight = 23;

QVariant serviceIcon(const _MsgMessage &message)
{
    const bool sent = message.is_from_me != 0;
    const char *name = nullptr;
    if (message.service() == QLatin1String("iMessage"))
        name = sent ? "imsg-send.png" : "imsg-rec.png";
    else
        name = sent ? "icon_sms-sent.png" : "icon_sms-receive.png";
    const QImage image(QStringLiteral(":/res/") + QLatin1String(name));
    if (image.isNull())
        return {};
    return g_iconPixmap(image, Qt::Horizontal, kIconWidth);
}

// The Contact cell: who wrote the message. In a group chat that is its sender, not the group.
QString contactText(const _MsgMessage &message)
{
    if (message.item_type != 0)
        return message.chat ? message.chat->displayName(false) : QString();
    if (!message.chat || !message.chat->isGroup())
        return message.contactInfo();
    if (message.is_from_me)
        return g_tr("IDS_MSG_SENDER_ME");
    return message.handle ? message.handle->displayName(true) : g_tr("IDS_CONTACT_UNKNOWN");
}

// Received white, sent light green, search matches yellow; darker shades in a dark palette.
QBrush rowBrush(const _MsgMessage &message, bool highlighted)
{
    const QPalette palette = QGuiApplication::palette();
    const bool dark = palette.color(QPalette::Base).lightness() < 128;
    if (highlighted)
        return QBrush(dark ? QColor(110, 90, 20) : QColor(255, 236, 153));
    if (message.is_from_me)
        return QBrush(dark ? QColor(36, 58, 40) : QColor(245, 255, 226));
    return QBrush(dark ? palette.color(QPalette::Base) : QColor(255, 255, 255));
}

bool matchesHighlight(const _MsgMessage &message, const QString &keyword)
{
    return !keyword.isEmpty() && message.summary().contains(keyword, Qt::CaseInsensitive);
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
        return rowBrush(*message, matchesHighlight(*message, m_highlight));
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
        return contactText(message);
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
    if (column == ColDate || column < 0 || column >= ColumnCount) {
        g_sortMessages(m_messages, order);
    } else {
        g_sortMessages(m_messages, Qt::AscendingOrder);
        // Each text made once: building a contact's name for every comparison is too slow for
        // 100,000 rows.
        std::vector<std::pair<QString, _MsgMessage *>> keyed;
        keyed.reserve(m_messages.size());
        for (_MsgMessage *message : std::as_const(m_messages))
            keyed.emplace_back(displayText(*message, column).toString(), message);
        const auto less = [order](const auto &a, const auto &b) {
            const int c = QString::localeAwareCompare(a.first, b.first);
            return order == Qt::AscendingOrder ? c < 0 : c > 0;
        };
        std::stable_sort(keyed.begin(), keyed.end(), less);
        for (qsizetype i = 0; i < m_messages.size(); ++i)
            m_messages[i] = keyed[size_t(i)].second;
    }
    endResetModel();
}

QList<int> ItemModelSms::setHighlight(const QString &keyword)
{
    m_highlight = keyword;
    QList<int> rows;
    for (int row = 0; row < m_messages.size(); ++row) {
        if (matchesHighlight(*m_messages.at(row), keyword))
            rows.append(row);
    }
    if (!m_messages.isEmpty())
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1),
                           {Qt::BackgroundRole});
    return rows;
}

void ItemModelSms::loadSMS(const QList<_MsgMessage *> &messages)
{
    beginResetModel();
    m_messages = messages;
    endResetModel();
}

void ItemModelSms::appendSMS(const QList<_MsgMessage *> &messages)
{
    if (messages.isEmpty())
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(messages.size()) - 1);
    m_messages += messages;
    endInsertRows();
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
