// Write flow, read-back, live display, firmware check and edition (placeholder).

#include "ui_widget.h"
#include "widget.h"

int Widget::SetSendMachineryData()
{
    return m_machineSendArmed ? 0 : -1;
}
int Widget::SetSendGamesData()
{
    return m_gameSendArmed ? 0 : -1;
}
int Widget::ReadOrSaveValue()
{
    return 0;
}
int Widget::EightZeroZeroFour()
{
    return m_comboSendArmed ? 0 : -1;
}
int Widget::EightZeroOneZero()
{
    return 0;
}
int Widget::SendRSAxisData()
{
    return 0;
}
int Widget::SendYAxisData()
{
    return 0;
}
int Widget::SendZAxisData()
{
    return 0;
}
int Widget::SendRXAxisData()
{
    return 0;
}
int Widget::SendRYAxisData()
{
    return 0;
}
int Widget::SendRZAxisData()
{
    return 0;
}
void Widget::on_tbt_original_state_clicked() {}
void Widget::Slot_SengDataFromkeyPressEvent() {}
void Widget::on_toolButton_3_clicked() {}
void Widget::on_ForceFeedback_clicked() {}
void Widget::on_tbt_readdata_clicked() {}
int Widget::ReadReportBufferToSetGames()
{
    return 0;
}
int Widget::ReadBufferToZreoOneReport()
{
    return 0;
}
void Widget::usbStatuLedShow() {}
int Widget::slot_VersionCheck(quint16 data)
{
    return data > 4999 ? 0 : 1;
}
int Widget::Slot_FilterVersionColtrol(int Language)
{
    Q_UNUSED(Language);
    return 0;
}
