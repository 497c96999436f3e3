// What the tool sends when (write flow), how the base's answers fill the form
// (read-back), the live indicators, the firmware check and the edition set-up.

#include "ui_widget.h"
#include "widget.h"

#include "indicators.h"
#include "parameters.h"
#include "reports.h"

#include <QIcon>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QSlider>
#include <QTimer>

#include <algorithm>
#include <utility>

Q_LOGGING_CATEGORY(lcFlows, "velorax.ui.flows")

namespace {

// ---- Edition: the look of this product variant --------------------------------------------

const char kEditionSoftwareVersion[] = "A2.1";
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

// %1: background image (none), %2: hover background, %3: pressed background.
// A tab, not a space, precedes "background-image".
const char kButtonTemplate[] =
    "QToolButton{text-align : left; color: rgb(147, 159, 153);\tbackground-image: url(:/%1);"
    "min-height:20;  font-size : 16px ;font-weight: bold;border:1px   rgb(124,124,124);"
    "background-color: rgba(124,124,124, 0%);padding:1px 1px;border-style: "
    "solid;border-top-left-radius:1px;"
    "  border-top-right-radius:1px; border-radius:5px;padding:1px "
    "1px;/*border-radius控制圆角大小*/ "
    " }  QToolButton:hover{ color: rgb(147, 159, 153);  min-height:20;  border:2px "
    "  rgb(124,124,124);background-color: %2;padding:2px 4px;border-style:solid;  "
    "border-top-left-radius:2px;"
    "  border-top-right-radius:2px; border:1px;  border-radius:5px;padding:2px 4px;"
    "} QToolButton:pressed{ color: rgb(147, 159, 153);  min-height:20;  border:2px "
    "  rgb(124,124,124);background-color: %3;padding:2px 4px;border-style:solid;  "
    "border-top-left-radius:2px;"
    "  border-top-right-radius:2px; border:1px;  border-radius:5px;padding:2px 4px;"
    "background-color: %3s; } ";

// %1: the title colour.
const char kTitleTemplate[] = "font-size:22px;color:%1;";

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

// ---- Helpers ----------------------------------------------------------------------------------

void showNumber(QLabel *label, int value)
{
    const QString text = QString::number(value);
    if (label->text() != text)
        label->setText(text);
}

} // namespace

// ---- Write flow ---------------------------------------------------------------------------------

int Widget::SetSendMachineryData()
{
    if (!m_machineSendArmed) {
        // Nothing to send until a slider, Enter or Center arms the group, and
        // each of those restarts the timer or sends at once: a disarmed timer
        // need not keep waking the window.
        m_machineSendTimer->stop();
        return -1;
    }
    m_machineSendTimer->stop();

    protocol::ParameterValues values;
    const QVector<const protocol::ParameterInfo *> parameters = protocol::machineParameters();
    for (int i = 0; i < parameters.size(); ++i) {
        if (const QLineEdit *edit = m_machineEdits.value(i))
            values.setValue(parameters.at(i)->parameter, protocol::valueFromText(edit->text()));
    }
    m_machineRecord = protocol::machineSettingsReport(values, m_centerCommandByte);
    SendDataToUsb(m_machineRecord);
    // Center applies to one report only, whether or not it went out.
    m_centerCommandByte = 0;
    return 0;
}

int Widget::SetSendGamesData()
{
    if (!m_gameSendArmed) {
        m_gameSendTimer->stop();
        return -1;
    }
    m_gameSendTimer->stop();

    protocol::ParameterValues values;
    const QVector<const protocol::ParameterInfo *> parameters =
        protocol::gameParametersInSendOrder();
    for (int i = 0; i < parameters.size(); ++i) {
        // A control disabled by the effect mask is still sent with its value.
        if (const QLineEdit *edit = m_gameEditsSendOrder.value(i))
            values.setValue(parameters.at(i)->parameter, protocol::valueFromText(edit->text()));
    }
    m_gameRecord = protocol::gameSettingsReport(values);
    SendDataToUsb(m_gameRecord);
    return 0;
}

int Widget::ReadOrSaveValue()
{
    m_readStoreRecord = protocol::readStoreRequest(m_readRequestByte, m_storeRequestByte);
    m_readRequestByte = 0;
    m_storeRequestByte = 0;
    SendDataToUsb(m_readStoreRecord);
    return 0;
}

int Widget::EightZeroZeroFour()
{
    if (!m_comboSendArmed)
        return -1;
    protocol::ParameterValues values;
    values.setValue(protocol::Parameter::Suspension, ui->colorComboBox->currentIndex());
    values.setValue(protocol::Parameter::Response, ui->colorComboBox_2->currentIndex());
    m_modeRecord = protocol::modeReport(values);
    SendDataToUsb(m_modeRecord);
    return 0;
}

// Declared by the interface; the base has no use for them.
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

void Widget::on_tbt_original_state_clicked()
{
    m_modeRecord = protocol::factoryResetRequest();
    // The indicator waits for the base's acknowledgement, so it only makes
    // sense when the request actually went out.
    if (SendDataToUsb(m_modeRecord) == 1)
        ui->Factory_wait->show();
}

void Widget::Slot_SengDataFromkeyPressEvent()
{
    if (ui->stackedWidget->currentIndex() != 0)
        return;
    // Enter sends each settings report whose group is not armed (typed values),
    // and nothing when both are armed (their timers will send).
    if (!m_machineSendArmed) {
        m_machineSendArmed = true;
        SetSendMachineryData();
    }
    if (m_gameSendArmed)
        return;
    m_gameSendArmed = true;
    SetSendGamesData();
}

void Widget::on_toolButton_3_clicked()
{
    m_centerCommandByte = protocol::CenterCommand;
    m_machineSendArmed = true;
    SetSendMachineryData();
}

void Widget::on_ForceFeedback_clicked()
{
    m_forceFeedbackReversed = !m_forceFeedbackReversed;
    SetSendMachineryData();
}

void Widget::on_tbt_readdata_clicked()
{
    m_readRequestByte = protocol::ReadRequestValue;
    ReadOrSaveValue();
}

// ---- Read-back ----------------------------------------------------------------------------------

int Widget::ReadReportBufferToSetGames()
{
    if (!m_reportMutex.tryLock()) {
        // Only an event loop run from inside a pass gets here; the reports
        // filed meanwhile are taken by a pass right after it.
        m_readBackTimer->start();
        return 0;
    }
    m_readBackTimer->stop();

    // The kinds in their fixed order, whatever order they arrived in; the
    // buffer is copied because applying a report may drop the link.
    const auto take = [this](protocol::SubCommand subCommand, QByteArray *report) {
        FiledReport &filed = m_filed[static_cast<int>(subCommand)];
        if (filed.bytes.isNull() || !filed.arrived)
            return false;
        filed.arrived = false;
        *report = filed.bytes;
        return true;
    };
    QByteArray report;
    if (take(protocol::SubCommand::MachineSettings, &report))
        applyMachineSettingsEcho(report);
    if (take(protocol::SubCommand::GameSettings, &report))
        applyGameSettingsEcho(report);
    if (take(protocol::SubCommand::Mode, &report))
        applyModeEcho(report);
    if (take(protocol::SubCommand::FactoryReset, &report))
        applyFactoryResetAck(report);
    if (take(protocol::SubCommand::Status, &report))
        applyStatusReport(report);

    m_reportMutex.unlock();
    return 0;
}

void Widget::applyMachineSettingsEcho(const QByteArray &report)
{
    const std::optional<protocol::MachineSettingsEcho> echo =
        protocol::decodeMachineSettings(report);
    if (!echo) {
        qCWarning(lcFlows) << "machine settings report too short:" << report.toHex(' ');
        return;
    }
    // Each value goes into its field first: the slider follows through the
    // binding and the group ends disarmed, so nothing is echoed to the base.
    const QVector<const protocol::ParameterInfo *> machine = protocol::machineParameters();
    for (const protocol::ParameterInfo *parameter :
         protocol::reportParameters(protocol::SubCommand::MachineSettings)) {
        const int position = machine.indexOf(parameter);
        const int value = echo->values.value(parameter->parameter);
        if (QLineEdit *edit = m_machineEdits.value(position))
            edit->setText(QString::number(value));
        if (QSlider *slider = m_machineSliders.value(position))
            slider->setValue(value);
        if (parameter->parameter == protocol::Parameter::Angle) {
            m_angleRange = quint16(value);
            ui->gaugeArc->setRange(-(value / 2), value / 2);
            m_centerCommandByte = echo->centerCommand;
        }
    }
}

void Widget::applyGameSettingsEcho(const QByteArray &report)
{
    const std::optional<protocol::GameSettingsEcho> echo = protocol::decodeGameSettings(report);
    if (!echo) {
        qCWarning(lcFlows) << "game settings report too short:" << report.toHex(' ');
        return;
    }
    const QVector<const protocol::ParameterInfo *> parameters =
        protocol::gameParametersInSendOrder();
    for (int i = 0; i < parameters.size(); ++i) {
        if (QLineEdit *edit = m_gameEditsSendOrder.value(i))
            edit->setText(QString::number(echo->values.value(parameters.at(i)->parameter)));
    }
}

void Widget::applyModeEcho(const QByteArray &report)
{
    const std::optional<protocol::ModeEcho> echo = protocol::decodeMode(report);
    if (!echo) {
        qCWarning(lcFlows) << "mode report too short:" << report.toHex(' ');
        return;
    }
    // The base's own choice is shown, not sent back.
    m_comboSendArmed = false;
    ui->colorComboBox->setCurrentIndex(echo->values.value(protocol::Parameter::Suspension));
    ui->colorComboBox_2->setCurrentIndex(echo->values.value(protocol::Parameter::Response));
    m_comboSendArmed = true;
}

void Widget::applyFactoryResetAck(const QByteArray &report)
{
    const std::optional<protocol::FactoryResetReply> reply =
        protocol::decodeFactoryResetReply(report);
    if (!reply || !reply->acknowledged)
        return;
    ui->Factory_wait->hide();
    // The factory values arrive as the answer to a fresh read request.
    m_readRequestByte = protocol::ReadRequestValue;
    ReadOrSaveValue();
}

void Widget::applyStatusReport(const QByteArray &report)
{
    const std::optional<protocol::StatusReport> status = protocol::decodeStatus(report);
    if (!status) {
        qCWarning(lcFlows) << "status report too short:" << report.toHex(' ');
        return;
    }
    showNumber(ui->label_16, status->firmwareVersion);
    // The version check may drop the link here; the rest of the report is
    // shown all the same.
    emit ServoVersion(status->firmwareVersion);
    showPilotLamps(status->statusCode);
    showNumber(ui->label_33, status->voltage);

    const std::array<bool, protocol::GameParameterCount> enabled =
        protocol::enabledByEffectMask(status->effectMask);
    for (int j = 0; j < protocol::GameParameterCount; ++j) {
        if (QLineEdit *edit = m_gameEditsMaskOrder.value(j))
            edit->setEnabled(enabled[std::size_t(j)]);
        if (QSlider *slider = m_gameSlidersMaskOrder.value(j))
            slider->setEnabled(enabled[std::size_t(j)]);
    }
}

// ---- Live display -------------------------------------------------------------------------------

int Widget::ReadBufferToZreoOneReport()
{
    if (m_liveReport.isNull())
        return 0;
    const std::optional<protocol::LiveReport> live = protocol::decodeLive(m_liveReport);
    if (!live)
        return 0;
    showButtonLeds(live->buttons);
    // The gauges ignore a value they already show, so an unchanged report
    // repaints nothing.
    ui->gaugeArc->setValue(protocol::wheelPositionDegrees(live->wheelPosition, m_angleRange));
    for (int a = 0; a < protocol::AxisCount; ++a) {
        if (GaugeSimple *gauge = m_axisGauges.value(a))
            gauge->setValue(live->axes[std::size_t(a)]);
    }
    return 0;
}

void Widget::showButtonLeds(quint64 buttons)
{
    // Only the LEDs whose state changed are restyled; the first report after
    // a (re)connection styles all of them.
    const quint64 changed = m_buttonsShown ? (buttons ^ m_shownButtons) : ~quint64(0);
    if (changed == 0)
        return;
    const QString on = tr(protocol::ButtonLedOnStyle);
    const QString off = tr(protocol::ButtonLedOffStyle);
    const int count = std::min(int(m_buttonLeds.size()), protocol::ButtonCount);
    for (int k = 0; k < count; ++k) {
        if ((changed >> k) & 1u)
            m_buttonLeds.at(k)->setStyleSheet(((buttons >> k) & 1u) ? on : off);
    }
    m_shownButtons = buttons;
    m_buttonsShown = true;
}

void Widget::showPilotLamps(int statusCode)
{
    // What is shown: the lit lamp's position, or StatusCodeCount for none.
    const std::optional<int> lit = protocol::litPilotLamp(quint16(statusCode));
    const int shown = lit ? *lit : protocol::StatusCodeCount;
    if (shown == m_shownStatusCode)
        return;
    const auto looks = protocol::pilotLampLooks(quint16(statusCode));
    // Lamps whose look stays are left alone, unless nothing is known of them.
    const bool known = m_shownStatusCode >= 0;
    const auto before = protocol::pilotLampLooks(quint16(known ? m_shownStatusCode : 0));
    const int count = std::min(int(m_pilotLamps.size()), protocol::StatusCodeCount);
    for (int j = 0; j < count; ++j) {
        const std::size_t at = std::size_t(j);
        if (!known || looks[at] != before[at])
            m_pilotLamps.at(j)->setStyleSheet(tr(protocol::pilotLampStyle(looks[at])));
    }
    m_shownStatusCode = shown;
}

void Widget::usbStatuLedShow()
{
    const std::optional<protocol::ConnectionStep> step = protocol::connectionStep(m_connectionStep);
    if (!step)
        return;
    for (const protocol::HeaderLampGroupInfo &group : protocol::headerLampGroups()) {
        const QString style =
            tr(protocol::headerLampStyle(protocol::headerLampLook(*step, group.group)));
        for (const char *name : group.lamps) {
            auto *lamp = findChild<QLabel *>(QLatin1String(name));
            if (lamp && lamp->styleSheet() != style)
                lamp->setStyleSheet(style);
        }
    }
    m_connectionStep = quint8(step->nextStep);
    if (step->stopsSequence)
        m_ledTimer->stop();
}

// ---- Firmware check and edition -------------------------------------------------------------

int Widget::slot_VersionCheck(quint16 data)
{
    if (protocol::isFirmwareAccepted(data))
        return 0;
    qCWarning(lcFlows) << "firmware version" << data << "is older than"
                       << protocol::MinimumFirmwareVersion << "- dropping the link";
    slot_CloseUSBthread();
    return 1;
}

int Widget::Slot_FilterVersionColtrol(int Language)
{
    ui->toolButton_5->setIcon(QIcon(QStringLiteral(":/save.ico")));
    ui->toolButton_5->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    // Filling the combo raises its index change; combo sends are not armed
    // yet, so no mode report goes out.
    ui->colorComboBox->clear();
    if (Language == QLocale::Chinese) {
        ui->label_52->setText(QStringLiteral("滤波频率"));
        ui->label_35->setText(tr("滤波频率"));
        ui->colorComboBox->addItem(QIcon(), tr("偏软"));
        ui->colorComboBox->addItem(QIcon(), tr("适中"));
        ui->colorComboBox->addItem(QIcon(), tr("偏硬"));
    } else {
        ui->label_35->setText(tr("Filter"));
        ui->label_52->setText(QStringLiteral("FilterFrequency"));
        ui->colorComboBox->addItem(QIcon(), tr("Soft"));
        ui->colorComboBox->addItem(QIcon(), tr("Normal"));
        ui->colorComboBox->addItem(QIcon(), tr("Hard"));
    }

    ui->lb_softwareVersion->setText(QString::fromLatin1(kEditionSoftwareVersion));
    const QString edition = tr("Orvex Manager");
    for (QLabel *title : {ui->label_53, ui->label_57, ui->label_126})
        title->setText(edition);
    ui->tbt_original_state->show();

    applyEditionStyles();
    ui->toolButton_5->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return 0;
}

void Widget::applyEditionStyles()
{
    const QString accent = QString::fromLatin1(kAccentColour);
    const QString pressed = QString::fromLatin1(kPressedColour);

    ui->stackedWidget->setStyleSheet(QString::fromLatin1(kPageBackground));
    const std::pair<QToolButton *, const char *> navigation[] = {
        {ui->ValueSet, kTabSetting},      {ui->toolButton_4, kTabShow},
        {ui->toolButton_6, kTabMessage},  {ui->ValueSet_3, kTabSetting1},
        {ui->toolButton_9, kTabShow1},    {ui->toolButton_10, kTabMessage},
        {ui->ValueSet_2, kTabSetting1},   {ui->toolButton_7, kTabShow},
        {ui->toolButton_8, kTabMessage1},
    };
    for (const auto &entry : navigation)
        entry.first->setStyleSheet(QString::fromLatin1(entry.second));

    const QString buttonStyle = QString::fromUtf8(kButtonTemplate).arg(QString(), accent, pressed);
    for (QToolButton *button :
         {ui->toolButton_3, ui->tbt_readdata, ui->tbt_savedata, ui->toolButton_5})
        button->setStyleSheet(buttonStyle);

    const QString sliderStyle = QString::fromLatin1(kSliderTemplate).arg(accent);
    for (QSlider *slider : qAsConst(m_machineSliders))
        slider->setStyleSheet(sliderStyle);
    for (QSlider *slider : qAsConst(m_gameSlidersSendOrder))
        slider->setStyleSheet(sliderStyle);

    const QString titleStyle = QString::fromLatin1(kTitleTemplate).arg(accent);
    for (QLabel *title :
         {ui->labelJump_4, ui->labelJump_6, ui->labelJump_8, ui->labelJump_11, ui->labelJump_12})
        title->setStyleSheet(titleStyle);

    ui->frame_15->setStyleSheet(QStringLiteral("#frame_15{background-color:#202226;}"));
    ui->frame_17->setStyleSheet(QStringLiteral("#frame_17{background-color:#202226;}"));
    ui->frame_53->setStyleSheet(QStringLiteral("#frame_53{background-color:#202226;}"));
}
