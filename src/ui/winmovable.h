#pragma once

#include <QObject>
#include <QPoint>

class QWidget;

// Lets the user drag a frameless window by any spot that does not take the mouse itself.
// It is a child of the widget it moves, so it lives exactly as long as that widget.
class WinMovable : public QObject
{
    Q_OBJECT
public:
    explicit WinMovable(QWidget *widget);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *const m_widget;
    QPoint m_pressPos;
    bool m_leftButtonHeld = false;
};
