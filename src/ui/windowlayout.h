#pragma once

class QHeaderView;
class QMainWindow;
class QSettings;
class QSplitter;

// The window's size and place, its pane widths and the list's column widths, kept between runs
// in the data folder (so that every test, having a data folder of its own, starts afresh).
class WindowLayout
{
public:
    WindowLayout(QMainWindow &window, QSplitter &panes, QHeaderView &columns);

    void restore();
    void save() const;

private:
    static QSettings settings();

    QMainWindow &m_window;
    QSplitter &m_panes;
    QHeaderView &m_columns;
};
