// The link, the base's status and the live display as the window shows them: lamps, LEDs,
// gauges, notices, and the edition's look.

#include "ui_widget.h"
#include "widget.h"

#include "editionlook.h"
#include "indicatorlooks.h"
#include "languagetable.h"
#include "liveindicators.h"
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
            [this] { m_indicators->setHeaderLamps(form::LinkLampOffStyle, true); });
    connect(m_session, &session::BaseSession::committedValueChanged, this, &Widget::showCommitted);
    connect(m_session, &session::BaseSession::statusReported, this, &Widget::onStatus);
    connect(m_session, &session::BaseSession::firmwareRefused, this,
            [this](quint16 version) { ui->label_16->setText(QString::number(version)); });
    connect(m_session, &session::BaseSession::notice, this, &Widget::onNotice);
    connect(m_session, &session::BaseSession::sendsRefused, this, [this](bool refused) {
        m_indicators->setHeaderLamps(
            refused ? form::LinkLampFaultStyle : form::LinkLampConnectedStyle, true);
    });
    connect(m_session, &session::BaseSession::factoryResetWaitChanged, ui->Factory_wait,
            &QWidget::setVisible);
    connect(m_session, &session::BaseSession::changeSent, this, &Widget::pushHistoryStep);
    connect(m_session, &session::BaseSession::historyReset, m_undoStack, &QUndoStack::clear);
}

void Widget::showSession()
{
    for (const protocol::ParameterInfo &info : protocol::parameterTable())
        showCommitted(info.parameter, m_session->committedValue(info.parameter));
    const session::BaseStatus status = m_session->status();
    if (!status.linked)
        return;
    onLinkUp();
    if (status.reported)
        onStatus(status);
}

void Widget::onLinkUp()
{
    m_ledTimer->start();
    m_liveStatusTimer->start();
}

void Widget::onLinkDown()
{
    m_liveStatusTimer->stop();
    m_ledTimer->stop();
    m_indicators->clear();
    ui->label_16->setText(tr("0"));
    ui->label_33->setText(tr("0"));
}

void Widget::onStatus(const session::BaseStatus &status)
{
    showNumber(ui->label_16, status.firmwareVersion);
    emit ServoVersion(status.firmwareVersion);
    m_indicators->showPilotLamps(status.statusCode);
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
    // In the order of session::Notice: the box's name and its text.
    using namespace language;
    static const std::pair<const char *, const Message *> boxes[] = {
        {"busyNotice", &BaseInUseMessage},
        {"permissionNotice", &BaseAccessDeniedMessage},
        {"firmwareNotice", &FirmwareTooOldMessage},
        {"refusalNotice", &BaseRefusesSettingsMessage},
        {"factoryResetNotice", &FactoryResetLinkLostMessage},
        {"factoryResetNotice", &FactoryResetUnconfirmedMessage}};
    const auto &[name, message] = boxes[std::size_t(notice)];
    QString text = messageText(*message);
    if (notice == session::Notice::FirmwareTooOld)
        text = text.arg(detail).arg(protocol::MinimumFirmwareVersion);
    showNotice(name, text);
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
    m_indicators->showButtons(live->buttons);
    // The gauges ignore a value they already show, so an unchanged report repaints nothing.
    ui->gaugeArc->setValue(protocol::wheelPositionDegrees(live->wheelPosition, m_angleRange));
    m_indicators->showAxes(*live);
    return 0;
}

void Widget::usbStatuLedShow()
{
    if (!m_indicators->stepConnectionSequence())
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
