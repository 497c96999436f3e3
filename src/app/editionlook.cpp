#include "editionlook.h"

#include "ui_widget.h"

#include <QComboBox>
#include <QSlider>
#include <QString>

#include <utility>

extern const char kEditionSoftwareVersion[] = "A2.1";

namespace {

const char kAccentColour[] = "#2EBDE7";
const char kPressedColour[] = "#2494b3";

// %1: the groove's filled part (the accent colour).
const char kSliderTemplate[] =
    "QSlider::groove:horizontal{border: 1px solid  #4C4D50;  background: #4C4D50; height:2px;"
    "border-radius:1px;padding-left:-1px;  "
    "padding-right:-1px;}QSlider::sub-page:horizontal{background: "
    "qlineargradient(x1:0, y1:0, x2:0, y2:1,   stop:0 %1, stop:1 %1);background: "
    "qlineargradient(x1: "
    "0, y1: 0.2, x2: 1, y2: 1,  stop: 0 %1, stop: 1 %1);border: 1px solid %1;height: "
    "15px;  border-radius: 4px; }  QSlider::add-page:horizontal {  background: #4C4D50;"
    "  border: 0px solid #777;  height: 15px;  border-radius: 4px;  } QSlider::handle:horizontal "
    "  {  background: qradialgradient(spread:pad, cx:0.5, cy:0.5, radius:0.5, fx:0.5, "
    "fy:0.5,   stop:0.6 #4C4D50, stop:0.778409 rgba(76, 77, 80, 255)); width: 11px;"
    "  margin-top: -4px;  margin-bottom: -4px;  border-radius: 5px;  }  "
    "QSlider::sub-page:horizontal:disabled "
    "{  background: #7e7e7e;  border-color: #7e7e7e; }   QSlider::add-page:horizontal:disabled "
    "{  background: #7e7e7e;  border-color: #7e7e7e;  }  QSlider::handle:horizontal:disabled "
    "{  background: #7e7e7e;  border: 1px solid #7e7e7e;  border-radius: 4px;  }  ";

// %1: hover background, %2: pressed background. No background image: an empty url makes Qt
// look for a picture named ":/" on every polish. 14 px: "WriteStorage" fits the 111 px button.
const char kButtonTemplate[] =
    "QToolButton{text-align : left; color: rgb(147, 159, 153);"
    "min-height:20;  font-size : 14px ;font-weight: bold;border:1px   rgb(124,124,124);"
    "background-color: rgba(124,124,124, 0%);padding:1px 1px;border-style: "
    "solid;border-top-left-radius:1px;"
    "  border-top-right-radius:1px; border-radius:5px;padding:1px "
    "1px;/*border-radius控制圆角大小*/ "
    " }  QToolButton:hover{ color: rgb(147, 159, 153);  min-height:20;  border:2px "
    "  rgb(124,124,124);background-color: %1;padding:2px 4px;border-style:solid;  "
    "border-top-left-radius:2px;"
    "  border-top-right-radius:2px; border:1px;  border-radius:5px;padding:2px 4px;"
    "} QToolButton:pressed{ color: rgb(147, 159, 153);  min-height:20;  border:2px "
    "  rgb(124,124,124);background-color: %2;padding:2px 4px;border-style:solid;  "
    "border-top-left-radius:2px;"
    "  border-top-right-radius:2px; border:1px;  border-radius:5px;padding:2px 4px;"
    "background-color: %2; } ";

// %1: the title colour.
const char kTitleTemplate[] = "font-size:22px;color:%1;";

// The form styles the combo boxes' drop-down button, which leaves its arrow empty: the arrow
// picture in the combo text's grey, at its own size.
const char kComboArrow[] =
    "QComboBox::down-arrow{image: url(:/comboarrow.png); width: 12px; height: 8px;}";

const char kPageBackground[] =
    "#page{background-color:qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, stop:0 "
    "#283345,stop:0.5 #151c26 ,stop:1 "
    "#020407);}#page_2{background-color:qlineargradient(spread:pad, "
    "x1:0, y1:0, x2:0, y2:1, stop:0 #283345,stop:0.5 #151c26 ,stop:1 "
    "#020407);}#page_3{background-color:qlineargradient(spread:pad, "
    "x1:0, y1:0, x2:0, y2:1, stop:0 #283345,stop:0.5 #151c26 ,stop:1 #020407);}";

// Sidebar navigation buttons, by the picture each shows.
const char kTabSetting[] =
    "QToolButton{border-image: url(:/setting.png);color: #777b81;font-size : 12px ;}";
const char kTabSetting1[] =
    "QToolButton{border-image: url(:/setting1.png);color: #777b81;font-size : 12px ;}";
const char kTabShow[] =
    "QToolButton{border-image: url(:/show.png);color: #777b81;font-size : 12px ;}";
const char kTabShow1[] =
    "QToolButton{border-image: url(:/show1.png);color: #777b81;font-size : 12px ;}";
const char kTabMessage1[] =
    "QToolButton{border-image: url(:/message1.png);color: #777b81;font-size : 12px ;}";
const char kTabMessage[] =
    "QToolButton{border-image: url(:/message.png);color: #777b81;font-size : 12px ;}";

} // namespace

void applyEditionLook(Ui::Widget &form, const QList<QSlider *> &sliders)
{
    const QString accent = QString::fromLatin1(kAccentColour);
    const QString pressed = QString::fromLatin1(kPressedColour);

    form.stackedWidget->setStyleSheet(QString::fromLatin1(kPageBackground));
    const std::pair<QToolButton *, const char *> navigation[] = {
        {form.ValueSet, kTabSetting},      {form.toolButton_4, kTabShow},
        {form.toolButton_6, kTabMessage},  {form.ValueSet_3, kTabSetting1},
        {form.toolButton_9, kTabShow1},    {form.toolButton_10, kTabMessage},
        {form.ValueSet_2, kTabSetting1},   {form.toolButton_7, kTabShow},
        {form.toolButton_8, kTabMessage1},
    };
    for (const auto &entry : navigation)
        entry.first->setStyleSheet(QString::fromLatin1(entry.second));

    const QString buttonStyle = QString::fromUtf8(kButtonTemplate).arg(accent, pressed);
    for (QToolButton *button :
         {form.toolButton_3, form.tbt_readdata, form.tbt_savedata, form.toolButton_5})
        button->setStyleSheet(buttonStyle);

    const QString sliderStyle = QString::fromLatin1(kSliderTemplate).arg(accent);
    for (QSlider *slider : sliders)
        slider->setStyleSheet(sliderStyle);

    const QString titleStyle = QString::fromLatin1(kTitleTemplate).arg(accent);
    for (QLabel *title : {form.labelJump_4, form.labelJump_6, form.labelJump_8, form.labelJump_11,
                          form.labelJump_12})
        title->setStyleSheet(titleStyle);

    const QString comboArrow = QString::fromLatin1(kComboArrow);
    for (QComboBox *combo : form.stackedWidget->window()->findChildren<QComboBox *>()) {
        if (!combo->styleSheet().contains(comboArrow))
            combo->setStyleSheet(combo->styleSheet() + comboArrow);
    }

    form.frame_15->setStyleSheet(QStringLiteral("#frame_15{background-color:#202226;}"));
    form.frame_17->setStyleSheet(QStringLiteral("#frame_17{background-color:#202226;}"));
    form.frame_53->setStyleSheet(QStringLiteral("#frame_53{background-color:#202226;}"));
}
