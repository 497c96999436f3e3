// Profile load, save and list (placeholder).

#include "ui_widget.h"
#include "widget.h"

#include "profilefolder.h"

QString Widget::profileFolder() const
{
    return profiles::profileFolder();
}
int Widget::InitSliderValue()
{
    return -1;
}
int Widget::SaveAsPower(bool Type)
{
    Q_UNUSED(Type);
    return 0;
}
int Widget::TxtAndIniFile(QString stDirPath, QString stFileName)
{
    Q_UNUSED(stDirPath);
    Q_UNUSED(stFileName);
    return 0;
}
void Widget::on_tbt_savedata_clicked() {}
void Widget::on_toolButton_5_clicked() {}
void Widget::Slot_CB_ReadFile(int index)
{
    Q_UNUSED(index);
}
void Widget::Slit_InitcbReadFile() {}
void Widget::Slot_ReadFileCombined() {}
int Widget::slot_GameModelServoOrSteper(QString Dir, QString fileName)
{
    Q_UNUSED(Dir);
    Q_UNUSED(fileName);
    return -1;
}
