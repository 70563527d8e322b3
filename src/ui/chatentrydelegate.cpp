#include "ui/chatentrydelegate.h"

#include "ui/itemmodelmain.h"

#include <QApplication>
#include <QDateTime>
#include <QLocale>
#include <QPainter>

namespace {

constexpr int kIconSize = 18;
constexpr int kGap = 6;

} // namespace

QString ChatEntryDelegate::dateText(const QDateTime &when, const QDate &today)
{
    if (!when.isValid())
        return QString();
    if (when.date() == today)
        return when.toString(QStringLiteral("h:mm AP"));
    return QLocale().toString(when.date(), QLocale::ShortFormat);
}

void ChatEntryDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const
{
    const QVariant snippet = index.data(ItemModelMain::SnippetRole);
    if (!snippet.isValid()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    // The selection and hover background as the style draws it, without its text.
    item.text.clear();
    item.icon = QIcon();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group =
        option.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    const QColor text =
        option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    const QColor quiet = selected ? text : option.palette.color(group, QPalette::PlaceholderText);

    const QRect area = option.rect.adjusted(kGap / 2, 2, -kGap, -2);
    const QVariant picture = index.data(Qt::DecorationRole);
    const QPixmap pixmap = picture.value<QPixmap>();
    if (!pixmap.isNull())
        painter->drawPixmap(
            QRect(area.left(), area.top() + (area.height() - kIconSize) / 2, kIconSize, kIconSize),
            pixmap);
    const QRect textArea = area.adjusted(kIconSize + kGap, 0, 0, 0);
    const QRect firstLine(textArea.left(), textArea.top(), textArea.width(), textArea.height() / 2);
    const QRect secondLine(textArea.left(), firstLine.bottom() + 1, textArea.width(),
                           textArea.height() - firstLine.height());

    painter->save();
    QFont small = option.font;
    small.setPointSizeF(option.font.pointSizeF() * 0.9);
    const QString date =
        dateText(index.data(ItemModelMain::LastDateRole).toDateTime(), QDate::currentDate());
    painter->setFont(small);
    painter->setPen(quiet);
    const int dateWidth = QFontMetrics(small).horizontalAdvance(date);
    painter->drawText(firstLine, Qt::AlignRight | Qt::AlignVCenter, date);
    painter->drawText(
        secondLine, Qt::AlignLeft | Qt::AlignVCenter,
        QFontMetrics(small).elidedText(snippet.toString(), Qt::ElideRight, secondLine.width()));
    QFont bold = option.font;
    bold.setBold(true);
    painter->setFont(bold);
    painter->setPen(text);
    const QRect nameRect = firstLine.adjusted(0, 0, -(dateWidth + kGap), 0);
    painter->drawText(
        nameRect, Qt::AlignLeft | Qt::AlignVCenter,
        QFontMetrics(bold).elidedText(index.data().toString(), Qt::ElideRight, nameRect.width()));
    painter->restore();
}
