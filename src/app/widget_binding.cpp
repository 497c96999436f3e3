// Slider and field binding: the ordered control lists, the slider <-> line edit
// pairs with their send-group arming, the Enter acknowledgement on a field and
// the steering gauge's scale.

#include "ui_widget.h"
#include "widget.h"

#include "formcatalogue.h"
#include "indicatorlooks.h"
#include "parameterbits.h"
#include "parameters.h"
#include "rangevalidator.h"
#include "reports.h"

#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QScopedValueRollback>
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

// `text` as a number by the rules of the field's validator; none for text that is no number
// yet (empty, a lone sign) or that the validator refuses.
std::optional<int> typedNumber(const QLineEdit *edit, const QString &text)
{
    if (const auto *validator = qobject_cast<const RangeValidator *>(edit->validator()))
        return validator->number(text);
    bool ok = false;
    const int value = text.toInt(&ok, 10);
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
    m_machineSliders = controlsNamed<QSlider>(this, form::machineSliderNames());
    m_machineEdits = controlsNamed<QLineEdit>(this, form::machineLineEditNames());
    m_gameEditsMaskOrder = controlsNamed<QLineEdit>(this, form::gameLineEditNamesInMaskOrder());
    m_gameSlidersMaskOrder = controlsNamed<QSlider>(this, form::gameSliderNamesInMaskOrder());
    m_gameEditsSendOrder = controlsNamed<QLineEdit>(this, form::gameLineEditNamesInSendOrder());
    m_gameSlidersSendOrder = controlsNamed<QSlider>(this, form::gameSliderNamesInSendOrder());

    m_buttonLeds = controlsNamed<QLabel>(this, form::buttonLedNames());
    const QString ledOff = tr(form::ButtonLedInitialStyle);
    for (QLabel *led : qAsConst(m_buttonLeds))
        led->setStyleSheet(ledOff);
    // The live display leaves the LEDs alone while their page is hidden.
    connect(ui->stackedWidget, &QStackedWidget::currentChanged, this, [this] {
        const std::optional<protocol::LiveReport> live = protocol::decodeLive(m_liveReport);
        if (live && m_liveStatusTimer && m_liveStatusTimer->isActive())
            showButtonLeds(live->buttons);
    });

    m_axisGauges = controlsNamed<GaugeSimple>(this, form::axisGaugeNames());
    m_pilotLamps = controlsNamed<QLabel>(this, form::pilotLampNames());
}

void Widget::ProgressToLinedata()
{
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
    // Until the base is read, the committed values are what the form starts with; none of
    // them is sent before the base's own are known.
    m_committedValues = form::startValues();

    // A choice made while combo sends are armed is the user's: committed, then sent.
    for (const protocol::ParameterInfo *info : protocol::choiceParameters()) {
        auto *combo = findChild<QComboBox *>(QLatin1String(form::controls(info->parameter).combo));
        const protocol::Parameter parameter = info->parameter;
        connect(combo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
                [this, parameter](int index) {
                    // No selection is no choice.
                    if (index < 0 || !m_comboSendArmed || m_applyingBaseValues ||
                        m_showingCommitted)
                        return;
                    noteValueSet(parameter);
                    commit(parameter, index);
                });
        connect(combo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
                &Widget::EightZeroZeroFour);
    }
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
    // Re-enters onFieldTextChanged (a typed number the slider clamped is replaced by the limit
    // at once). An unchanged text is left alone: setText() would clear the field's own undo.
    const QString text = QString::number(value);
    if (QLineEdit *edit = edits.value(position); edit && edit->text() != text)
        edit->setText(text);
    // A slider that follows typed text, a shown value or the base's is no commitment.
    if (m_showingCommitted || m_applyingBaseValues)
        return;
    const protocol::Parameter parameter = parameterAt(group, position);
    noteValueSet(parameter);
    commit(parameter, value);
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
    // The slider follows a number as it is typed (an empty field or a lone "-" waits for the
    // rest, so "-20" typed over "50" is -20); nothing is committed until Enter or until the
    // field is left. The slider clamps; when that changes its value, its handler writes the
    // clamped value into the field.
    QSlider *slider = sliders.value(position);
    QLineEdit *edit = edits.value(position);
    if (const std::optional<int> value = edit ? typedNumber(edit, text) : std::nullopt;
        slider && value) {
        const QScopedValueRollback<bool> following(m_showingCommitted, true);
        slider->setValue(*value);
    }
    // Values from the base are not sent back to it.
    if (m_applyingBaseValues)
        sendArmed(group) = false;
}

void Widget::commit(protocol::Parameter parameter, int value)
{
    if (m_committedValues.value(parameter) == value)
        return;
    m_committedValues.setValue(parameter, value);
    m_unsentGroups |= 1u << static_cast<int>(protocol::parameterInfo(parameter).group);
}

void Widget::commitField(QLineEdit *edit)
{
    const std::optional<protocol::Parameter> parameter = fieldParameter(edit);
    if (!parameter)
        return;
    // Text past either end of the range becomes that end; text that is no number yet (empty,
    // a lone "-") is no commitment: the field shows the committed value again.
    if (const std::optional<int> typed = typedNumber(edit, edit->text())) {
        noteValueSet(*parameter);
        commit(*parameter, protocol::parameterInfo(*parameter).range.bounded(*typed));
    }
    showCommitted(*parameter);
}

void Widget::showCommitted(protocol::Parameter parameter)
{
    const form::Controls &controls = form::controls(parameter);
    const int value = m_committedValues.value(parameter);
    const QScopedValueRollback<bool> showing(m_showingCommitted, true);
    if (protocol::parameterInfo(parameter).group == protocol::ParameterGroup::Choice) {
        auto *combo = findChild<QComboBox *>(QLatin1String(controls.combo));
        if (combo && value >= 0 && value < combo->count())
            combo->setCurrentIndex(value);
        return;
    }
    if (auto *edit = findChild<QLineEdit *>(QLatin1String(controls.lineEdit)))
        edit->setText(QString::number(value));
    if (auto *slider = findChild<QSlider *>(QLatin1String(controls.slider)))
        slider->setValue(value);
}

std::optional<protocol::Parameter> Widget::fieldParameter(const QObject *widget) const
{
    const auto *edit = qobject_cast<const QLineEdit *>(widget);
    if (const int at = m_machineEdits.indexOf(const_cast<QLineEdit *>(edit)); edit && at >= 0)
        return parameterAt(SendGroup::Machine, at);
    if (const int at = m_gameEditsSendOrder.indexOf(const_cast<QLineEdit *>(edit)); edit && at >= 0)
        return parameterAt(SendGroup::Game, at);
    return std::nullopt;
}

bool Widget::holdsTyping(const QObject *widget) const
{
    const std::optional<protocol::Parameter> parameter = fieldParameter(widget);
    return parameter && static_cast<const QLineEdit *>(widget)->text() !=
                            QString::number(m_committedValues.value(*parameter));
}

bool Widget::ignoresWheel(const QObject *watched) const
{
    // A wheel turn over a selector or the profile list changes nothing; over a slider it counts
    // only once the slider has the focus (clicked or tabbed to), so that a stray turn while
    // the pointer passes by sends nothing.
    if (const auto *slider = qobject_cast<const QSlider *>(watched))
        return !slider->hasFocus();
    return qobject_cast<const QComboBox *>(watched) != nullptr;
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
    // A value set this way is a commitment, sent as a slider move is.
    const protocol::Parameter parameter = parameterAt(SendGroup::Machine, index);
    noteValueSet(parameter);
    commit(parameter, protocol::parameterInfo(parameter).range.bounded(value));
    showCommitted(parameter);
    if (m_machineSendTimer)
        m_machineSendTimer->start();
    m_machineSendArmed = true;
}
