// The link, the base's status and the live display as the window shows them: lamps, LEDs,
// gauges, notices, and the edition's look.

#include "ui_widget.h"
#include "widget.h"

#include "editionlook.h"
#include "indicatorlooks.h"
#include "languagetable.h"
#include "parameters.h"
#include "reports.h"

#include <QComboBox>
#include <QIcon>
#include <QLineEdit>
#include <QMessageBox>
#include <QScopedValueRollback>
#include <QSlider>
#include <QTimer>
#include <QUndoStack>

#include <algorithm>
#include <utility>

namespace {

void showNumber(QLabel *label, int value)
{
    const QString text = QString::number(value);
    if (label->text() != text)
        label->setText(text);
}

} // namespace

void Widget::connectSession()
{
    connect(m_session, &session::BaseSession::linkUp, this, &Widget::onLinkUp);
    connect(m_session, &session::BaseSession::linkDown, this, &Widget::onLinkDown);
    connect(m_session, &session::BaseSession::linkNotOpened, this,
            [this] { setHeaderLamps(form::LinkLampOffStyle, true); });
    connect(m_session, &session::BaseSession::committedValueChanged, this, &Widget::showCommitted);
    connect(m_session, &session::BaseSession::statusReported, this, &Widget::onStatus);
    connect(m_session, &session::BaseSession::firmwareRefused, this,
            [this](quint16 version) { ui->label_16->setText(QString::number(version)); });
    connect(m_session, &session::BaseSession::notice, this, &Widget::onNotice);
    connect(m_session, &session::BaseSession::sendsRefused, this, [this](bool refused) {
        setHeaderLamps(refused ? form::LinkLampFaultStyle : form::LinkLampConnectedStyle, true);
    });
    connect(m_session, &session::BaseSession::factoryResetWaitChanged, ui->Factory_wait,
            &QWidget::setVisible);
    connect(m_session, &session::BaseSession::changeSent, this, &Widget::pushHistoryStep);
    connect(m_session, &session::BaseSession::historyReset, m_undoStack, &QUndoStack::clear);
}

void Widget::onLinkUp()
{
    // Each new link plays the lamp sequence from its first step.
    m_connectionStep = 0;
    m_ledTimer->start();
    m_liveStatusTimer->start();
}

void Widget::onLinkDown()
{
    m_liveStatusTimer->stop();
    m_ledTimer->stop();
    // Every lamp of the connection sequence goes grey, wherever it stood, and the next link
    // plays it from its first step.
    m_connectionStep = 0;
    setHeaderLamps(form::HeaderLampOffStyle, false);
    setHeaderLamps(form::LinkLampOffStyle, true);
    ui->label_16->setText(tr("0"));
    ui->label_33->setText(tr("0"));
    for (auto *gauge : {ui->progressBar, ui->progressBar_2, ui->progressBar_3, ui->progressBar_4,
                        ui->progressBar_5, ui->progressBar_6})
        gauge->setValue(0);
    const QString greyLed = tr(form::buttonLedStyle(false));
    for (QLabel *led : qAsConst(m_buttonLeds))
        led->setStyleSheet(greyLed);
    const QString greyLamp = tr(form::pilotLampStyle(protocol::PilotLook::Grey));
    for (QLabel *lamp : qAsConst(m_pilotLamps))
        lamp->setStyleSheet(greyLamp);
    // The live display starts from scratch on the next connection.
    m_buttonsShown = false;
    m_shownStatusCode = -1;
}

void Widget::onStatus(const session::BaseStatus &status)
{
    showNumber(ui->label_16, status.firmwareVersion);
    emit ServoVersion(status.firmwareVersion);
    showPilotLamps(status.statusCode);
    showNumber(ui->label_33, status.voltage);
    const std::array<bool, protocol::GameParameterCount> enabled =
        protocol::enabledByEffectMask(status.effectMask);
    for (int j = 0; j < protocol::GameParameterCount; ++j) {
        if (QLineEdit *edit = m_gameEditsMaskOrder.value(j))
            edit->setEnabled(enabled[std::size_t(j)]);
        if (QSlider *slider = m_gameSlidersMaskOrder.value(j))
            slider->setEnabled(enabled[std::size_t(j)]);
    }
}

void Widget::onNotice(session::Notice notice, int detail)
{
    switch (notice) {
    case session::Notice::BaseInUse:
        showNotice("busyNotice", language::messageText(language::BaseInUseMessage));
        return;
    case session::Notice::AccessDenied: {
#ifdef Q_OS_LINUX
        const bool chinese = QLocale().language() == QLocale::Chinese;
        const QString text =
            chinese ? QStringLiteral("已检测到方向盘基座，但当前用户无权访问它。\n"
                                     "请安装 velorax-manager 软件包（或把其 udev 规则 "
                                     "60-velorax-wheelbase.rules 复制到 /etc/udev/rules.d），"
                                     "然后拔下并重新插入基座。")
                    : QStringLiteral("The wheel base is connected, but this user may not open "
                                     "it.\nInstall the velorax-manager package (or copy its udev "
                                     "rule 60-velorax-wheelbase.rules to /etc/udev/rules.d), "
                                     "then unplug the wheel base and plug it in again.");
#else
        const QString text = language::messageText(language::BaseAccessDeniedMessage);
#endif
        showNotice("permissionNotice", text);
        return;
    }
    case session::Notice::FirmwareTooOld:
        showNotice("firmwareNotice", language::messageText(language::FirmwareTooOldMessage)
                                         .arg(detail)
                                         .arg(protocol::MinimumFirmwareVersion));
        return;
    case session::Notice::BaseRefusesSettings:
        showNotice("refusalNotice", language::messageText(language::BaseRefusesSettingsMessage));
        return;
    case session::Notice::FactoryResetLinkLost:
    case session::Notice::FactoryResetUnconfirmed:
        showNotice("factoryResetNotice",
                   language::messageText(notice == session::Notice::FactoryResetLinkLost
                                             ? language::FactoryResetLinkLostMessage
                                             : language::FactoryResetUnconfirmedMessage));
        return;
    }
}

void Widget::showNotice(const char *objectName, const QString &text)
{
    auto *box =
        new QMessageBox(QMessageBox::Information, language::messageText(language::InformationTitle),
                        text, QMessageBox::Ok, this);
    box->setObjectName(QLatin1String(objectName));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

// ---- Live display -------------------------------------------------------------------------------

int Widget::ReadBufferToZreoOneReport()
{
    const std::optional<protocol::LiveReport> live = protocol::decodeLive(m_session->liveReport());
    if (!live)
        return 0;
    showButtonLeds(live->buttons);
    // The gauges ignore a value they already show, so an unchanged report repaints nothing.
    ui->gaugeArc->setValue(protocol::wheelPositionDegrees(live->wheelPosition, m_angleRange));
    for (int a = 0; a < protocol::AxisCount; ++a) {
        if (GaugeSimple *gauge = m_axisGauges.value(a))
            gauge->setValue(live->axes[std::size_t(a)]);
    }
    return 0;
}

void Widget::showButtonLeds(quint64 buttons)
{
    // Nothing is restyled while the LEDs' page is not shown: showing it brings them up to date.
    if (!m_buttonLeds.isEmpty() && !m_buttonLeds.first()->isVisibleTo(this))
        return;
    // Only the LEDs whose state changed are restyled; the first report after a (re)connection
    // styles all of them.
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

// ---- Edition ----------------------------------------------------------------------------------

int Widget::Slot_FilterVersionColtrol(int Language)
{
    ui->toolButton_5->setIcon(QIcon(QStringLiteral(":/save.ico")));
    ui->toolButton_5->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    // Refilling the combo changes its index: no choice of the user's, nothing is sent.
    const QScopedValueRollback<bool> refilling(m_refillingChoices, true);
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

    applyEditionLook(*ui, m_machineSliders + m_gameSlidersSendOrder);
    ui->toolButton_5->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return 0;
}
