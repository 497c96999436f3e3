// Slider and field binding (placeholder until the binding lands).

#include "ui_widget.h"
#include "widget.h"

void Widget::ListOfSliderAndLine() {}
void Widget::ProgressToLinedata() {}
void Widget::Slot_SetLabelStyle() {}
void Widget::SetGaugeArcRanges(int Range)
{
    Q_UNUSED(Range);
}
void Widget::SetGaugeArcRange(int nnumber)
{
    Q_UNUSED(nnumber);
}
void Widget::SetSomeWidgetPower(bool blPower, int nnumber)
{
    Q_UNUSED(blPower);
    Q_UNUSED(nnumber);
}
void Widget::onEditLineEdit(int index, int value)
{
    Q_UNUSED(index);
    Q_UNUSED(value);
}
