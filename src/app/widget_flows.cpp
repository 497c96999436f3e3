// What the tool sends when (write flow), how the base's answers fill the form
// (read-back), the live indicators, the firmware check and the edition set-up.

#include "ui_widget.h"
#include "widget.h"

#include "indicatorlooks.h"
#include "languagetable.h"
#include "parameterbits.h"
#include "parameters.h"
#include "reports.h"
#include "usbthread.h"

#include <QComboBox>
#include <QIcon>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QScopedValueRollback>
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

// ---- Helpers ----------------------------------------------------------------------------------

// Consecutive refusals before the user is told and the link lamps turn red.
constexpr int kRefusalsBeforeNotice = 3;
constexpr int kFactoryResetTimeoutMs = 10000;

// The committed values of `group`, as its report carries them.
protocol::ParameterValues groupValues(const protocol::ParameterValues &committed,
                                      protocol::ParameterGroup group)
{
    protocol::ParameterValues values;
    for (const protocol::ParameterInfo &info : protocol::parameterTable()) {
        if (info.group == group)
            values.setValue(info.parameter, committed.value(info.parameter));
    }
    return values;
}

quint32 groupBit(protocol::ParameterGroup group)
{
    return 1u << static_cast<int>(group);
}

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
    // Center applies to the one report this call builds, whether or not it goes out.
    const bool center = m_centerCommandByte == protocol::CenterCommand;
    m_centerCommandByte = 0;
    if (!m_machineSendArmed) {
        // Nothing to send until a slider, Enter or Center arms the group, and
        // each of those restarts the timer or sends at once: a disarmed timer
        // need not keep waking the window.
        m_machineSendTimer->stop();
        return -1;
    }
    m_machineSendTimer->stop();
    // Until the base's values are known the user's changes are held back;
    // they go out with the read-back (sendHeldBackValues).
    if (!baseValuesKnown(protocol::ParameterGroup::Machine))
        return -1;
    const protocol::ParameterValues values =
        groupValues(m_committedValues, protocol::ParameterGroup::Machine);
    const std::optional<QByteArray> report = protocol::checkedMachineSettingsReport(values, center);
    if (!report)
        return -1;
    m_machineRecord = *report;
    if (sendFeature(m_machineRecord) == 1)
        noteGroupSent(protocol::ParameterGroup::Machine, values);
    return 0;
}

int Widget::SetSendGamesData()
{
    if (!m_gameSendArmed) {
        m_gameSendTimer->stop();
        return -1;
    }
    m_gameSendTimer->stop();
    if (!baseValuesKnown(protocol::ParameterGroup::Game))
        return -1;
    // A control disabled by the effect mask is still sent with its value.
    const protocol::ParameterValues values =
        groupValues(m_committedValues, protocol::ParameterGroup::Game);
    const std::optional<QByteArray> report = protocol::checkedGameSettingsReport(values);
    if (!report)
        return -1;
    m_gameRecord = *report;
    if (sendFeature(m_gameRecord) == 1)
        noteGroupSent(protocol::ParameterGroup::Game, values);
    return 0;
}

int Widget::ReadOrSaveValue()
{
    const bool asksForSettings = m_readRequestByte != 0;
    m_readStoreRecord = protocol::readStoreRequest(m_readRequestByte, m_storeRequestByte);
    m_readRequestByte = 0;
    m_storeRequestByte = 0;
    const int result = sendFeature(m_readStoreRecord);
    if (asksForSettings && result == 1) {
        m_settingsRequested.start();
        m_answeredMask = 0;
        m_sentSinceRequest = false;
    }
    return result;
}

int Widget::EightZeroZeroFour()
{
    if (!m_comboSendArmed || m_showingCommitted)
        return -1;
    // Both choices go out together: the other one must be known too.
    if (!baseValuesKnown(protocol::ParameterGroup::Choice))
        return -1;
    const protocol::ParameterValues values =
        groupValues(m_committedValues, protocol::ParameterGroup::Choice);
    const std::optional<QByteArray> report = protocol::checkedModeReport(values);
    if (!report)
        return -1;
    m_modeRecord = *report;
    if (sendFeature(m_modeRecord) == 1)
        noteGroupSent(protocol::ParameterGroup::Choice, values);
    return 0;
}

int Widget::sendFeature(const QByteArray &report)
{
    const int result = SendDataToUsb(report);
    if (result == 1) {
        if (m_refusedInARow >= kRefusalsBeforeNotice)
            setHeaderLamps(form::LinkLampConnectedStyle, true);
        m_refusedInARow = 0;
    } else if (result == 0) {
        // The transfer is over, refused: the next send is tried again rather
        // than dropped until the base is plugged in anew.
        m_featureSendBusy = false;
        ++m_refusedInARow;
        qCWarning(lcFlows) << "the base refused" << report.left(4).toHex(' ') << "-"
                           << m_refusedInARow << "in a row";
        if (m_refusedInARow >= kRefusalsBeforeNotice) {
            setHeaderLamps(form::LinkLampFaultStyle, true);
            if (!m_refusalNoticeShown) {
                m_refusalNoticeShown = true;
                showNotice("refusalNotice",
                           language::messageText(language::BaseRefusesSettingsMessage));
            }
        }
    }
    return result;
}

void Widget::requestBaseSettings()
{
    m_readRequestByte = protocol::ReadRequestValue;
    ReadOrSaveValue();
}

bool Widget::baseValuesKnown(protocol::ParameterGroup group) const
{
    const quint32 bits = parameterGroupBits(group);
    return (m_knownValues & bits) == bits;
}

void Widget::noteValueSet(protocol::Parameter parameter)
{
    if (m_applyingBaseValues)
        return;
    // Set before the rest of its group is known: kept through the read-back
    // and sent with it.
    const protocol::ParameterGroup group = protocol::parameterInfo(parameter).group;
    if (!baseValuesKnown(group))
        m_heldBackValues |= parameterBit(parameter);
    m_knownValues |= parameterBit(parameter);
    noteUserChange(group);
}

void Widget::noteGroupSent(protocol::ParameterGroup group, const protocol::ParameterValues &values)
{
    m_heldBackValues &= ~parameterGroupBits(group);
    m_unsentGroups &= ~groupBit(group);
    noteSent(group, values);
}

void Widget::sendPendingChanges()
{
    // In report order, each group once; a group whose base values are not known yet stays
    // held back (it goes out with the read-back).
    for (const protocol::ParameterGroup group :
         {protocol::ParameterGroup::Machine, protocol::ParameterGroup::Game,
          protocol::ParameterGroup::Choice}) {
        if (m_unsentGroups & groupBit(group))
            sendGroup(group);
    }
}

void Widget::sendGroup(protocol::ParameterGroup group)
{
    switch (group) {
    case protocol::ParameterGroup::Machine:
        m_machineSendArmed = true;
        SetSendMachineryData();
        break;
    case protocol::ParameterGroup::Game:
        m_gameSendArmed = true;
        SetSendGamesData();
        break;
    case protocol::ParameterGroup::Choice:
        EightZeroZeroFour();
        break;
    }
}

void Widget::sendHeldBackValues(protocol::ParameterGroup group)
{
    if (baseValuesKnown(group) && (m_heldBackValues & parameterGroupBits(group)))
        sendGroup(group);
}

void Widget::onLinkDown()
{
    // A new link starts from the base's values again; only what the user
    // set and has not been sent is kept.
    m_knownValues = m_heldBackValues;
    m_refusedInARow = 0;
    m_refusalNoticeShown = false;
    onHistoryLinkDown();
    if (m_factoryResetTimer && m_factoryResetTimer->isActive())
        endFactoryResetWait(true);
}

void Widget::endFactoryResetWait(bool linkLost)
{
    m_factoryResetTimer->stop();
    ui->Factory_wait->hide();
    showNotice("factoryResetNotice",
               language::messageText(linkLost ? language::FactoryResetLinkLostMessage
                                              : language::FactoryResetUnconfirmedMessage));
    if (!linkLost)
        requestBaseSettings();
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
    // What the user set goes out first, so that the reset's undo step starts from it.
    sendPendingChanges();
    saveSnapshot(QStringLiteral("before factory reset"));
    m_modeRecord = protocol::factoryResetRequest();
    // The indicator waits for the base's acknowledgement, so it only makes
    // sense when the request actually went out.
    if (sendFeature(m_modeRecord) != 1)
        return;
    // The base's values change: nothing more is sent until they are read.
    m_knownValues = m_heldBackValues;
    noteFactoryResetSent();
    ui->Factory_wait->show();
    if (!m_factoryResetTimer) {
        m_factoryResetTimer = new QTimer(this);
        m_factoryResetTimer->setObjectName(QStringLiteral("factoryResetTimeout"));
        m_factoryResetTimer->setSingleShot(true);
        m_factoryResetTimer->setInterval(kFactoryResetTimeoutMs);
        connect(m_factoryResetTimer, &QTimer::timeout, this,
                [this] { endFactoryResetWait(false); });
    }
    m_factoryResetTimer->start();
}

void Widget::Slot_SengDataFromkeyPressEvent()
{
    QLineEdit *entered = std::exchange(m_enterField, nullptr);
    if (ui->stackedWidget->currentIndex() != 0)
        return;
    // Enter commits the field it was pressed in, then sends each settings report whose group
    // is not armed or holds committed values that have not gone out, and nothing else (an
    // armed group's timer will send). A group whose values are not known yet asks the base for
    // them instead, once.
    commitField(entered);
    bool readRequested = false;
    const auto sendEntered = [&](bool &armed, protocol::ParameterGroup group,
                                 int (Widget::*send)()) {
        if (armed && !(m_unsentGroups & groupBit(group)))
            return;
        if (!baseValuesKnown(group)) {
            if (!readRequested)
                requestBaseSettings();
            readRequested = true;
            return;
        }
        armed = true;
        (this->*send)();
    };
    sendEntered(m_machineSendArmed, protocol::ParameterGroup::Machine,
                &Widget::SetSendMachineryData);
    sendEntered(m_gameSendArmed, protocol::ParameterGroup::Game, &Widget::SetSendGamesData);
}

void Widget::on_toolButton_3_clicked()
{
    // Centring with values nobody read would send them too: read first.
    if (!baseValuesKnown(protocol::ParameterGroup::Machine)) {
        requestBaseSettings();
        return;
    }
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
    requestBaseSettings();
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
    bool settingsArrived = false;
    if (take(protocol::SubCommand::MachineSettings, &report)) {
        applyMachineSettingsEcho(report);
        settingsArrived = true;
    }
    if (take(protocol::SubCommand::GameSettings, &report)) {
        applyGameSettingsEcho(report);
        settingsArrived = true;
    }
    if (take(protocol::SubCommand::Mode, &report)) {
        applyModeEcho(report);
        settingsArrived = true;
    }
    if (take(protocol::SubCommand::FactoryReset, &report))
        applyFactoryResetAck(report);
    if (take(protocol::SubCommand::Status, &report))
        applyStatusReport(report);

    m_reportMutex.unlock();
    finishReadBackPass(settingsArrived);
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
    // Byte [4] of an echo is never taken as a command: Center alone sets it.
    for (const protocol::ParameterInfo *parameter :
         protocol::reportParameters(protocol::SubCommand::MachineSettings))
        showBaseValue(parameter, echo->values.value(parameter->parameter));
    sendHeldBackValues(protocol::ParameterGroup::Machine);
}

void Widget::applyGameSettingsEcho(const QByteArray &report)
{
    const std::optional<protocol::GameSettingsEcho> echo = protocol::decodeGameSettings(report);
    if (!echo) {
        qCWarning(lcFlows) << "game settings report too short:" << report.toHex(' ');
        return;
    }
    for (const protocol::ParameterInfo *parameter : protocol::gameParametersInSendOrder())
        showBaseValue(parameter, echo->values.value(parameter->parameter));
    sendHeldBackValues(protocol::ParameterGroup::Game);
}

void Widget::showBaseValue(const protocol::ParameterInfo *parameter, int value)
{
    const quint32 bit = parameterBit(parameter->parameter);
    noteReadBack(parameter->parameter, value);
    // A value the user set before the base's were known waits to be sent.
    if (m_heldBackValues & bit)
        return;
    // Out of range: the field shows what the slider can hold, and that is
    // what a later send carries.
    const int shown = parameter->range.bounded(value);
    if (shown != value)
        qCWarning(lcFlows) << "the base reported" << parameter->name << value << "- shown as"
                           << shown;
    // The group ends disarmed, so nothing is echoed to the base.
    const QScopedValueRollback<bool> applying(m_applyingBaseValues, true);
    m_committedValues.setValue(parameter->parameter, shown);
    showCommitted(parameter->parameter);
    sendArmed(parameter->group == protocol::ParameterGroup::Machine ? SendGroup::Machine
                                                                    : SendGroup::Game) = false;
    if (parameter->parameter == protocol::Parameter::Angle) {
        m_angleRange = quint16(shown);
        ui->gaugeArc->setRange(-(shown / 2), shown / 2);
    }
    m_knownValues |= bit;
}

void Widget::applyModeEcho(const QByteArray &report)
{
    const std::optional<protocol::ModeEcho> echo = protocol::decodeMode(report);
    if (!echo) {
        qCWarning(lcFlows) << "mode report too short:" << report.toHex(' ');
        return;
    }
    // The base's own choice is shown, not sent back. An index the combo does
    // not have keeps the current choice, which stays unknown if nobody read
    // or set it.
    m_comboSendArmed = false;
    const std::pair<protocol::Parameter, QComboBox *> combos[] = {
        {protocol::Parameter::Suspension, ui->colorComboBox},
        {protocol::Parameter::Response, ui->colorComboBox_2}};
    for (const auto &entry : combos) {
        const quint32 bit = parameterBit(entry.first);
        const int index = echo->values.value(entry.first);
        noteReadBack(entry.first, index);
        if (m_heldBackValues & bit)
            continue;
        if (index < 0 || index >= entry.second->count()) {
            qCWarning(lcFlows) << "the base reported" << protocol::parameterInfo(entry.first).name
                               << "index" << index << "- not an item, choice kept";
            continue;
        }
        m_committedValues.setValue(entry.first, index);
        entry.second->setCurrentIndex(index);
        m_knownValues |= bit;
    }
    m_comboSendArmed = true;
    sendHeldBackValues(protocol::ParameterGroup::Choice);
}

void Widget::applyFactoryResetAck(const QByteArray &report)
{
    const std::optional<protocol::FactoryResetReply> reply =
        protocol::decodeFactoryResetReply(report);
    if (!reply || !reply->acknowledged)
        return;
    if (m_factoryResetTimer)
        m_factoryResetTimer->stop();
    ui->Factory_wait->hide();
    // The factory values arrive as the answer to a fresh read request.
    requestBaseSettings();
}

void Widget::applyStatusReport(const QByteArray &report)
{
    const std::optional<protocol::StatusReport> status = protocol::decodeStatus(report);
    if (!status) {
        qCWarning(lcFlows) << "status report too short:" << report.toHex(' ');
        return;
    }
    m_status.reported = true;
    m_status.firmwareVersion = status->firmwareVersion;
    m_status.voltage = status->voltage;
    m_status.statusCode = status->statusCode;
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
    // The reader keeps the newest live report; one handed over as an event
    // (customEvent) is shown until the reader has a newer one.
    if (m_reader)
        m_reader->takeKeptReport(&m_liveReport);
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
    // Nothing is restyled while the LEDs' page is not shown: showing it
    // brings them up to date (ListOfSliderAndLine).
    if (!m_buttonLeds.isEmpty() && !m_buttonLeds.first()->isVisibleTo(this))
        return;
    // Only the LEDs whose state changed are restyled; the first report after
    // a (re)connection styles all of them.
    const quint64 changed = m_buttonsShown ? (buttons ^ m_shownButtons) : ~quint64(0);
    if (changed == 0)
        return;
    const QString on = tr(form::ButtonLedOnStyle);
    const QString off = tr(form::ButtonLedOffStyle);
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
            m_pilotLamps.at(j)->setStyleSheet(tr(form::pilotLampStyle(looks[at])));
    }
    m_shownStatusCode = shown;
}

void Widget::setHeaderLamps(const char *style, bool linkLampsOnly)
{
    const QString sheet = tr(style);
    for (const form::HeaderLampGroupInfo &group : form::headerLampGroups()) {
        if (linkLampsOnly && group.group != protocol::HeaderLampGroup::Link)
            continue;
        for (const char *name : group.lamps) {
            if (auto *lamp = findChild<QLabel *>(QLatin1String(name)))
                lamp->setStyleSheet(sheet);
        }
    }
}

void Widget::usbStatuLedShow()
{
    const std::optional<protocol::ConnectionStep> step = protocol::connectionStep(m_connectionStep);
    if (!step)
        return;
    for (const form::HeaderLampGroupInfo &group : form::headerLampGroups()) {
        const QString style =
            tr(form::headerLampStyle(protocol::headerLampLook(*step, group.group)));
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
    refuseFirmware(data);
    return 1;
}

int Widget::Slot_FilterVersionColtrol(int Language)
{
    ui->toolButton_5->setIcon(QIcon(QStringLiteral(":/save.ico")));
    ui->toolButton_5->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    // Filling the combo raises its index change; combo sends are not armed
    // yet, so no mode report goes out.
    ui->colorComboBox->clear();
    const int index = Language == QLocale::Chinese ? language::Chinese : language::English;
    ui->label_52->setText(language::controlText(ui->label_52->objectName(), index));
    // The hidden response label is renamed by the edition.
    ui->label_35->setText(Language == QLocale::Chinese ? tr("滤波频率") : tr("Filter"));
    ui->colorComboBox->addItems(
        language::comboItems(QLatin1String(language::SuspensionCombo), index));

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

    const QString buttonStyle = QString::fromUtf8(kButtonTemplate).arg(accent, pressed);
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

    const QString comboArrow = QString::fromLatin1(kComboArrow);
    for (QComboBox *combo : findChildren<QComboBox *>()) {
        if (!combo->styleSheet().contains(comboArrow))
            combo->setStyleSheet(combo->styleSheet() + comboArrow);
    }

    ui->frame_15->setStyleSheet(QStringLiteral("#frame_15{background-color:#202226;}"));
    ui->frame_17->setStyleSheet(QStringLiteral("#frame_17{background-color:#202226;}"));
    ui->frame_53->setStyleSheet(QStringLiteral("#frame_53{background-color:#202226;}"));
}
