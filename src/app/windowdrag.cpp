#include "windowdrag.h"

#include <QEvent>
#include <QMouseEvent>

#include <cmath>

namespace {

// Rounds to the nearest integer, halves toward positive infinity.
int roundHalfUp(double value)
{
    return static_cast<int>(std::floor(value + 0.5));
}

QPoint roundedLocalPosition(const QMouseEvent *event)
{
    return QPoint(roundHalfUp(event->localPos().x()), roundHalfUp(event->localPos().y()));
}

bool isMouseEvent(const QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        return true;
    default:
        return false;
    }
}

bool isInputControl(const QObject *object)
{
    return object->inherits("QComboBox") || object->inherits("QToolButton") ||
           object->inherits("QLineEdit") || object->inherits("QSlider");
}

} // namespace

void WindowDrag::watch(const QObject *watched, const QEvent *event)
{
    // The event always goes on to the control.
    if (!isMouseEvent(event) ||
        static_cast<const QMouseEvent *>(event)->buttons() != Qt::LeftButton)
        return;
    if (isInputControl(watched))
        m_allowed = false;
    else if (watched->inherits("QLabel"))
        m_allowed = true;
}

void WindowDrag::press(const QMouseEvent *event)
{
    m_allowed = event->button() == Qt::LeftButton;
    m_pressPosition = roundedLocalPosition(event);
}

std::optional<QPoint> WindowDrag::movedBy(const QMouseEvent *event) const
{
    if (!m_allowed)
        return std::nullopt;
    return roundedLocalPosition(event) - m_pressPosition;
}
