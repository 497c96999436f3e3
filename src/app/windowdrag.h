#pragma once

// Dragging the frameless window: a left-button press on the window or on a label starts a
// drag, one on an input control belongs to the control.

#include <QPoint>

#include <optional>

class QEvent;
class QMouseEvent;
class QObject;

class WindowDrag
{
public:
    // A mouse event on one of the window's controls (the window's event filter sees it first).
    void watch(const QObject *watched, const QEvent *event);
    void press(const QMouseEvent *event);
    void release() { m_allowed = false; }
    // How far the window moves for this mouse move; none when no drag is under way.
    std::optional<QPoint> movedBy(const QMouseEvent *event) const;

private:
    bool m_allowed = false;
    QPoint m_pressPosition;
};
