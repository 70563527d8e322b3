#include "ui/windowlayout.h"

#include "frame/appdirs.h"

#include <QHeaderView>
#include <QMainWindow>
#include <QSettings>
#include <QSplitter>

namespace {

const QString kGeometry = QStringLiteral("window/geometry");
const QString kState = QStringLiteral("window/state");
const QString kPanes = QStringLiteral("window/panes");
const QString kColumns = QStringLiteral("window/columns");

} // namespace

WindowLayout::WindowLayout(QMainWindow &window, QSplitter &panes, QHeaderView &columns)
    : m_window(window), m_panes(panes), m_columns(columns)
{}

QSettings WindowLayout::settings()
{
    return QSettings(g_dataSaveDir().filePath(QStringLiteral("textlink.ini")),
                     QSettings::IniFormat);
}

void WindowLayout::restore()
{
    const QSettings stored = settings();
    m_window.restoreGeometry(stored.value(kGeometry).toByteArray());
    m_window.restoreState(stored.value(kState).toByteArray());
    m_panes.restoreState(stored.value(kPanes).toByteArray());
    // The widths come back, not the order: the list always opens oldest first.
    const int section = m_columns.sortIndicatorSection();
    const Qt::SortOrder order = m_columns.sortIndicatorOrder();
    m_columns.restoreState(stored.value(kColumns).toByteArray());
    m_columns.setSortIndicator(section, order);
}

void WindowLayout::save() const
{
    QSettings stored = settings();
    stored.setValue(kGeometry, m_window.saveGeometry());
    stored.setValue(kState, m_window.saveState());
    stored.setValue(kPanes, m_panes.saveState());
    stored.setValue(kColumns, m_columns.saveState());
}
