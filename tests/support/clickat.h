#pragma once

#include <QDebug>
#include <QTest>
#include <QWidget>

// Presses go where the player's mouse sends them: to whatever widget the
// window draws at the point, so a control hidden under another is caught.

// The widget a press at `point` of `surface` (in its coordinates) reaches;
// nullptr when the window shows nothing but itself there.
inline QWidget *widgetAt(QWidget *surface, QPoint point)
{
    QWidget *window = surface->window();
    return window->childAt(surface->mapTo(window, point));
}

// Clicks at `point` of `surface` on whatever lies there and returns it
// (nullptr: nothing was there and nothing was clicked).
inline QWidget *clickAt(QWidget *surface, QPoint point, Qt::MouseButton button = Qt::LeftButton)
{
    QWidget *hit = widgetAt(surface, point);
    if (hit)
        QTest::mouseClick(hit, button, {}, hit->mapFromGlobal(surface->mapToGlobal(point)));
    return hit;
}

// Clicks the middle of `target` where it is drawn; false (and nothing
// clicked) when something else covers it there. Use as QVERIFY(clickOn(...)).
[[nodiscard]] inline bool clickOn(QWidget *target, Qt::MouseButton button = Qt::LeftButton)
{
    const QPoint middle = target->rect().center();
    QWidget *hit = widgetAt(target, middle);
    const bool reached = hit == target || target->isAncestorOf(hit);
    if (reached)
        clickAt(target, middle, button);
    else
        qWarning() << target << "is covered by" << hit;
    return reached;
}
