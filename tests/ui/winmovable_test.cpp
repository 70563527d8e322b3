#include "ui/winmovable.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

namespace {

// Counts what reaches the widget, to show the filter passes every event on.
class CountingWidget : public QWidget
{
public:
    int presses = 0;
    int moves = 0;
    int releases = 0;

protected:
    void mousePressEvent(QMouseEvent *) override { ++presses; }
    void mouseMoveEvent(QMouseEvent *) override { ++moves; }
    void mouseReleaseEvent(QMouseEvent *) override { ++releases; }
};

void send(QWidget &widget, QEvent::Type type, QPoint pos, Qt::MouseButton button,
          Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(pos), QPointF(widget.mapToGlobal(pos)), button, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

void press(QWidget &w, QPoint pos, Qt::MouseButton button = Qt::LeftButton)
{
    send(w, QEvent::MouseButtonPress, pos, button, button);
}

void moveTo(QWidget &w, QPoint pos, Qt::MouseButtons held = Qt::LeftButton)
{
    send(w, QEvent::MouseMove, pos, Qt::NoButton, held);
}

void release(QWidget &w, QPoint pos, Qt::MouseButton button = Qt::LeftButton)
{
    send(w, QEvent::MouseButtonRelease, pos, button, Qt::NoButton);
}

} // namespace

TEST(WinMovable, LeftDragMovesTheWidgetByTheMouseOffsetUntilRelease)
{
    CountingWidget widget;
    widget.setGeometry(100, 100, 200, 150);
    widget.setMouseTracking(true); // moves without a button held reach the widget too
    new WinMovable(&widget);       // owned by the widget

    press(widget, {10, 10});
    moveTo(widget, {30, 25});
    EXPECT_EQ(widget.pos(), QPoint(120, 115));
    // The press point stays under the cursor: a further move is relative to the moved widget.
    moveTo(widget, {15, 12});
    EXPECT_EQ(widget.pos(), QPoint(125, 117));
    release(widget, {15, 12});
    moveTo(widget, {60, 60}, Qt::NoButton);
    EXPECT_EQ(widget.pos(), QPoint(125, 117));

    EXPECT_EQ(QList<int>({widget.presses, widget.moves, widget.releases}), QList<int>({1, 3, 1}));
}

TEST(WinMovable, OtherButtonsAndMovesWithoutPressLeaveTheWidget)
{
    QWidget widget;
    widget.setGeometry(50, 60, 100, 100);
    widget.setMouseTracking(true);
    new WinMovable(&widget);

    moveTo(widget, {40, 40});
    EXPECT_EQ(widget.pos(), QPoint(50, 60));

    press(widget, {10, 10}, Qt::RightButton);
    moveTo(widget, {40, 40}, Qt::RightButton);
    EXPECT_EQ(widget.pos(), QPoint(50, 60));
    release(widget, {40, 40}, Qt::RightButton);
}
