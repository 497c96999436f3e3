#pragma once

// Small helpers shared by the navigation tests.

#include <QCoreApplication>
#include <QLocale>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QWidget>

namespace navtest {

// Sets the default locale for the lifetime of the object and restores the previous one.
class DefaultLocale
{
public:
    explicit DefaultLocale(const QLocale &locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(m_saved); }
    DefaultLocale(const DefaultLocale &) = delete;
    DefaultLocale &operator=(const DefaultLocale &) = delete;

private:
    QLocale m_saved;
};

// Sends one mouse event to `target` through the application, so that event filters see it
// and an ignored event travels on to the parents as a real one does. `pos` is in target
// coordinates and may be fractional.
inline bool sendMouse(QWidget *target, QEvent::Type type, const QPointF &pos,
                      Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, pos, target->mapToGlobal(pos.toPoint()), button, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
    return event.isAccepted();
}

inline void press(QWidget *target, const QPointF &pos, Qt::MouseButton button = Qt::LeftButton)
{
    sendMouse(target, QEvent::MouseButtonPress, pos, button, button);
}

inline void moveHeld(QWidget *target, const QPointF &pos, Qt::MouseButtons held = Qt::LeftButton)
{
    sendMouse(target, QEvent::MouseMove, pos, Qt::NoButton, held);
}

inline void release(QWidget *target, const QPointF &pos, Qt::MouseButton button = Qt::LeftButton)
{
    sendMouse(target, QEvent::MouseButtonRelease, pos, button, Qt::NoButton);
}

// Makes the stacked page that holds `widget` the current one, so that it is visible.
inline void showPageOf(QWidget *widget)
{
    for (QWidget *w = widget; w && w->parentWidget(); w = w->parentWidget()) {
        if (auto *stack = qobject_cast<QStackedWidget *>(w->parentWidget())) {
            stack->setCurrentWidget(w);
            return;
        }
    }
}

} // namespace navtest
