#include "ui/winmovable.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

WinMovable::WinMovable(QWidget *widget) : QObject(widget), m_widget(widget)
{
    widget->installEventFilter(this);
}

bool WinMovable::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_widget)
        return QObject::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        m_pressPos = mouse->position().toPoint();
        m_leftButtonHeld = mouse->button() == Qt::LeftButton;
        break;
    }
    case QEvent::MouseMove: {
        // The press point stays under the cursor: the window follows the offset from it.
        if (!m_pressPos.isNull() && m_leftButtonHeld) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            m_widget->move(m_widget->pos() + mouse->position().toPoint() - m_pressPos);
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        m_leftButtonHeld = false;
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
