#include "customcombobox.h"

#include <QLoggingCategory>
#include <QMouseEvent>

Q_LOGGING_CATEGORY(lcWidgets, "velorax.ui.widgets")

CustomComboBox::CustomComboBox(QWidget *parent) : QComboBox(parent) {}

void CustomComboBox::mouseReleaseEvent(QMouseEvent *event)
{
    // Consumed here: the base combo box never sees the release.
    event->accept();
    emit mouseClicked();
    qCDebug(lcWidgets).noquote().nospace() << " I am CustomComboBox>>>>>> ";
}
