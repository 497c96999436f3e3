// Pages, window chrome, language switch and help (placeholder).

#include "ui_widget.h"
#include "widget.h"

#include "helptext.h"

#include <QMouseEvent>

void Widget::on_ValueSet_clicked() {}
void Widget::on_toolButton_4_clicked() {}
void Widget::on_toolButton_6_clicked() {}
void Widget::on_ValueSet_2_clicked() {}
void Widget::on_toolButton_7_clicked() {}
void Widget::on_toolButton_8_clicked() {}
void Widget::on_ValueSet_3_clicked() {}
void Widget::on_toolButton_9_clicked() {}
void Widget::on_toolButton_10_clicked() {}
void Widget::Get_LacaelLanuage(int language)
{
    Q_UNUSED(language);
}
void Widget::SetWidgetLanguage(int index)
{
    Q_UNUSED(index);
}
void Widget::on_comboBox_activated(int index)
{
    SetWidgetLanguage(index);
}
void Widget::scaleChildWidget(QWidget *widget, float scale)
{
    Q_UNUSED(widget);
    Q_UNUSED(scale);
}
void Widget::Init_installEventFilter() {}
void Widget::SetImagePilot(int ncolor)
{
    Q_UNUSED(ncolor);
}
void Widget::Slot_Help(bool status)
{
    Q_UNUSED(status);
    m_helpText = new HelpText(this);
}
bool Widget::eventFilter(QObject *watched, QEvent *event)
{
    return QWidget::eventFilter(watched, event);
}
void Widget::mousePressEvent(QMouseEvent *event)
{
    QWidget::mousePressEvent(event);
}
void Widget::mouseReleaseEvent(QMouseEvent *event)
{
    QWidget::mouseReleaseEvent(event);
}
void Widget::mouseDoubleClickEvent(QMouseEvent *event)
{
    Q_UNUSED(event);
}
void Widget::mouseMoveEvent(QMouseEvent *event)
{
    QWidget::mouseMoveEvent(event);
}
void Widget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
}
