// Slider and field binding: the ordered control lists, the slider <-> line edit
// pairs with their send-group arming, the Enter acknowledgement on a field and
// the steering gauge's scale.

#include "ui_widget.h"
#include "widget.h"

#include "indicators.h"
#include "parameters.h"
#include "reports.h"

#include <QIntValidator>
#include <QLineEdit>
#include <QLocale>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QSlider>
#include <QStackedWidget>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <optional>

Q_LOGGING_CATEGORY(lcBinding, "velorax.ui.binding")

namespace {

// A field whose Enter was just taken shows a red border for this long.
constexpr int kPendingStyleMs = 200;

const char kPendingEditStyle[] =
    "QLineEdit{border:3px rgb(255,0,0); background-color: rgba(124,124,124, 0%);padding:1px "
    "2px;border-style: solid;font-size:15px;color:#9f9e9e;}QLineEdit:enabled {color: "
    "rgb(124,124,124);}QLineEdit:enabled:hover,QLineEdit:enabled:focus{border-color: "
    "rgb(255,0,0);color: rgb(124,124,124);}QLineEdit:!enabled {color: rgb(124,124,124);}";
const char kNormalEditStyle[] =
    "QLineEdit{border:1px rgb(124,124,124); background-color: rgba(124,124,124, 0%);padding:1px "
    "2px;border-style:solid;font-size:15px;color:#9f9e9e;}QLineEdit:enabled {color: "
    "rgb(124,124,124);}QLineEdit:enabled:hover,QLineEdit:enabled:focus{border-color: "
    "rgb(124,124,124);color: rgb(124,124,124);}QLineEdit:!enabled {color: rgb(124,124,124);}";

const char kStyleRestoreTimerName[] = "pendingStyleRestore";

// The controls named `names`, in that order. A name the form lacks is
// reported and left out (the form test keeps the two in step).
template <typename T> QList<T *> controlsNamed(const QWidget *window, const QStringList &names)
{
    QList<T *> controls;
    controls.reserve(names.size());
    for (const QString &name : names) {
        if (T *control = window->findChild<T *>(name))
            controls.append(control);
        else
            qCWarning(lcBinding) << "the form has no" << T::staticMetaObject.className() << name;
    }
    return controls;
}

QStringList axisGaugeNames()
{
    QStringList names;
    for (const protocol::AxisInfo &axis : protocol::axisTable())
        names << QString::fromLatin1(axis.gauge);
    return names;
}

// `text` as a number by the rules of the validator of `edit` (its locale,
// no group separators); none for text that is no number yet (empty, a lone
// sign) or that the validator refuses. A number outside the range is given
// as it is: the slider takes the nearest value it can hold.
std::optional<int> typedNumber(const QLineEdit *edit, QString text)
{
    const auto *validator = edit ? qobject_cast<const QIntValidator *>(edit->validator()) : nullptr;
    if (validator) {
        int cursor = 0;
        if (validator->validate(text, cursor) == QValidator::Invalid)
            return std::nullopt;
    }
    bool ok = false;
    const int value = validator ? validator->locale().toInt(text, &ok) : text.toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

} // namespace

protocol::Parameter Widget::parameterAt(SendGroup group, int position)
{
    const QVector<const protocol::ParameterInfo *> parameters =
        group == SendGroup::Machine ? protocol::machineParameters()
                                    : protocol::gameParametersInSendOrder();
    return parameters.at(position)->parameter;
}

void Widget::ListOfSliderAndLine()
{
    m_machineSliders = controlsNamed<QSlider>(this, protocol::machineSliderNames());
    m_machineEdits = controlsNamed<QLineEdit>(this, protocol::machineLineEditNames());
    m_gameEditsMaskOrder = controlsNamed<QLineEdit>(this, protocol::gameLineEditNamesInMaskOrder());
    m_gameSlidersMaskOrder = controlsNamed<QSlider>(this, protocol::gameSliderNamesInMaskOrder());
    m_gameEditsSendOrder = controlsNamed<QLineEdit>(this, protocol::gameLineEditNamesInSendOrder());
    m_gameSlidersSendOrder = controlsNamed<QSlider>(this, protocol::gameSliderNamesInSendOrder());

    m_buttonLeds = controlsNamed<QLabel>(this, protocol::buttonLedNames());
    const QString ledOff = tr(protocol::ButtonLedInitialStyle);
    for (QLabel *led : qAsConst(m_buttonLeds))
        led->setStyleSheet(ledOff);
    // The live display leaves the LEDs alone while their page is hidden.
    connect(ui->stackedWidget, &QStackedWidget::currentChanged, this, [this] {
        const std::optional<protocol::LiveReport> live = protocol::decodeLive(m_liveReport);
        if (live && m_liveStatusTimer && m_liveStatusTimer->isActive())
            showButtonLeds(live->buttons);
    });

    m_axisGauges = controlsNamed<GaugeSimple>(this, axisGaugeNames());
    m_pilotLamps = controlsNamed<QLabel>(this, protocol::pilotLampNames());
}

void Widget::ProgressToLinedata()
{
    // A group separator is no part of a number here: "1,600" would otherwise
    // pass the validator and convert to nothing.
    for (QIntValidator *validator : findChildren<QIntValidator *>()) {
        QLocale locale = validator->locale();
        locale.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
        validator->setLocale(locale);
    }

    // Each pair is bound by position; the handlers run at once, on the GUI
    // thread, with the sending control as context. Each field starts with its
    // slider's value.
    const auto bindGroup = [this](SendGroup group, const QList<QSlider *> &sliders,
                                  const QList<QLineEdit *> &edits) {
        const int count = std::min(sliders.size(), edits.size());
        for (int i = 0; i < count; ++i) {
            QSlider *slider = sliders.at(i);
            QLineEdit *edit = edits.at(i);
            edit->setText(QString::number(slider->value()));
            connect(slider, &QSlider::valueChanged, slider,
                    [this, group, i](int value) { onSliderValueChanged(group, i, value); });
            connect(edit, &QLineEdit::textChanged, edit,
                    [this, group, i](const QString &text) { onFieldTextChanged(group, i, text); });
            connect(edit, &QLineEdit::returnPressed, this, &Widget::Slot_SetLabelStyle);
        }
    };
    bindGroup(SendGroup::Machine, m_machineSliders, m_machineEdits);
    bindGroup(SendGroup::Game, m_gameSlidersSendOrder, m_gameEditsSendOrder);

    connect(ui->colorComboBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &Widget::EightZeroZeroFour);
    connect(ui->colorComboBox_2, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &Widget::EightZeroZeroFour);
    connect(ui->comboBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &Widget::SetWidgetLanguage);
    // After the pair binding: an Angle change updates its field and timer
    // first, then rescales the gauge.
    connect(ui->SliderStreeingAngle, &QSlider::valueChanged, this, &Widget::SetGaugeArcRanges);

    for (QToolButton *close : {ui->toolButton_2, ui->toolButton_12, ui->toolButton_14})
        connect(close, &QToolButton::released, this, &Widget::Slot_CloseApplication);
    for (QToolButton *minimise : {ui->toolButton_11, ui->toolButton_13, ui->toolButton})
        connect(minimise, &QToolButton::released, this, &Widget::showMinimized);
}

QTimer *Widget::sendTimer(SendGroup group) const
{
    return group == SendGroup::Machine ? m_machineSendTimer : m_gameSendTimer;
}

bool &Widget::sendArmed(SendGroup group)
{
    return group == SendGroup::Machine ? m_machineSendArmed : m_gameSendArmed;
}

void Widget::onSliderValueChanged(SendGroup group, int position, int value)
{
    const QList<QLineEdit *> &edits =
        group == SendGroup::Machine ? m_machineEdits : m_gameEditsSendOrder;
    noteValueSet(parameterAt(group, position));
    // Re-enters onFieldTextChanged when the text changes, which disarms the
    // group; arming it afterwards makes the slider's change the one that counts.
    if (QLineEdit *edit = edits.value(position))
        edit->setText(QString::number(value));
    if (QTimer *timer = sendTimer(group))
        timer->start();
    sendArmed(group) = true;
}

void Widget::onFieldTextChanged(SendGroup group, int position, const QString &text)
{
    const QList<QSlider *> &sliders =
        group == SendGroup::Machine ? m_machineSliders : m_gameSlidersSendOrder;
    const QList<QLineEdit *> &edits =
        group == SendGroup::Machine ? m_machineEdits : m_gameEditsSendOrder;
    // Only a number moves the slider: an empty field or a lone "-" waits for
    // the rest, so "-20" typed over "50" is -20. The slider clamps; when that
    // changes its value, its handler writes the clamped value into the field.
    QSlider *slider = sliders.value(position);
    if (const std::optional<int> value = typedNumber(edits.value(position), text);
        slider && value) {
        noteValueSet(parameterAt(group, position));
        slider->setValue(*value);
    }
    // Typed or read-back values are not sent by themselves: Enter sends them.
    sendArmed(group) = false;
}

void Widget::Slot_SetLabelStyle()
{
    auto *edit = qobject_cast<QLineEdit *>(sender());
    if (!edit)
        return;
    edit->setStyleSheet(QString::fromLatin1(kPendingEditStyle));

    // The normal look comes back from a single-shot timer rather than a wait
    // that spins the event loop; a second Enter within the period restarts it.
    auto *restore = edit->findChild<QTimer *>(QString::fromLatin1(kStyleRestoreTimerName),
                                              Qt::FindDirectChildrenOnly);
    if (!restore) {
        restore = new QTimer(edit);
        restore->setObjectName(QString::fromLatin1(kStyleRestoreTimerName));
        restore->setSingleShot(true);
        restore->setInterval(kPendingStyleMs);
        connect(restore, &QTimer::timeout, edit,
                [edit] { edit->setStyleSheet(QString::fromLatin1(kNormalEditStyle)); });
    }
    restore->start();
}

void Widget::SetGaugeArcRanges(int Range)
{
    const double shown = ui->gaugeArc->value();
    m_angleRange = quint16(qBound(0, Range, 0xFFFF));
    // The gauge ignores a range whose minimum is not below its maximum, so a
    // range of 1 keeps the old scale.
    ui->gaugeArc->setRange(-(Range / 2), Range / 2);
    ui->gaugeArc->setValue(shown);
}

void Widget::SetGaugeArcRange(int nnumber)
{
    ui->gaugeArc->setValue(nnumber);
}

void Widget::SetSomeWidgetPower(bool blPower, int nnumber)
{
    if (QSlider *slider = m_gameSlidersSendOrder.value(nnumber))
        slider->setEnabled(blPower);
    if (QLineEdit *edit = m_gameEditsSendOrder.value(nnumber))
        edit->setEnabled(blPower);
}

void Widget::onEditLineEdit(int index, int value)
{
    QLineEdit *edit = m_machineEdits.value(index);
    if (!edit) {
        qCWarning(lcBinding) << "no machine field at position" << index;
        return;
    }
    if (index == 0) {
        // The new steering range must still contain the wheel's present
        // position, on either side of the centre.
        const double position = ui->gaugeArc->value();
        if (2 * std::abs(position) > value) {
            m_machineSendArmed = false;
            const bool chinese = QLocale().language() == QLocale::Chinese;
            const QString title = chinese ? tr("信息") : tr("information");
            const QString text =
                (chinese ? tr("角度超限:") : tr("OutOfAng:")) + QString::number(value);
            QMessageBox::information(this, title, text, QMessageBox::Ok);
            return;
        }
    }
    edit->setText(QString::number(value));
    if (m_machineSendTimer)
        m_machineSendTimer->start();
    m_machineSendArmed = true;
}
