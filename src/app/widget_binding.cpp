// Controls bound to parameters: the ordered control lists, the slider <-> field pairs and
// the selectors, what counts as the user's commitment, the Enter acknowledgement on a field and
// the steering gauge's scale.

#include "ui_widget.h"
#include "widget.h"

#include "formcatalogue.h"
#include "formcontrols.h"
#include "indicatorlooks.h"
#include "liveindicators.h"
#include "parameters.h"
#include "reports.h"

#include <QComboBox>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QSlider>
#include <QStackedWidget>
#include <QTimer>

#include <algorithm>
#include <optional>

void Widget::ListOfSliderAndLine()
{
    m_machineSliders = controlsNamed<QSlider>(this, form::machineSliderNames());
    m_machineEdits = controlsNamed<QLineEdit>(this, form::machineLineEditNames());
    m_gameEditsMaskOrder = controlsNamed<QLineEdit>(this, form::gameLineEditNamesInMaskOrder());
    m_gameSlidersMaskOrder = controlsNamed<QSlider>(this, form::gameSliderNamesInMaskOrder());
    m_gameEditsSendOrder = controlsNamed<QLineEdit>(this, form::gameLineEditNamesInSendOrder());
    m_gameSlidersSendOrder = controlsNamed<QSlider>(this, form::gameSliderNamesInSendOrder());

    m_indicators = std::make_unique<LiveIndicators>(this);
    // The live display leaves the LEDs alone while their page is hidden.
    connect(ui->stackedWidget, &QStackedWidget::currentChanged, this, [this] {
        const std::optional<protocol::LiveReport> live =
            protocol::decodeLive(m_session->liveReport());
        if (live && m_liveStatusTimer->isActive())
            m_indicators->showButtons(live->buttons);
    });
}

void Widget::ProgressToLinedata()
{
    bindPairs();
    bindChoices();
    connect(ui->comboBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &Widget::SetWidgetLanguage);
    // After the pair binding: an Angle change updates its field first, then rescales the gauge.
    connect(ui->SliderStreeingAngle, &QSlider::valueChanged, this, &Widget::SetGaugeArcRanges);

    for (QToolButton *close : {ui->toolButton_2, ui->toolButton_12, ui->toolButton_14})
        connect(close, &QToolButton::released, this, &Widget::Slot_CloseApplication);
    for (QToolButton *minimise : {ui->toolButton_11, ui->toolButton_13, ui->toolButton})
        connect(minimise, &QToolButton::released, this, &Widget::showMinimized);
}

void Widget::bindPairs()
{
    // Until the base is read, the session holds what the form starts with; none of it is sent
    // before the base's own values are known.
    if (!m_session->started())
        m_session->presetValues(form::startValues());
    // Each pair is bound by position; each field starts with its slider's value.
    const auto bindGroup = [this](const QVector<const protocol::ParameterInfo *> &parameters,
                                  const QList<QSlider *> &sliders,
                                  const QList<QLineEdit *> &edits) {
        const int count = std::min({sliders.size(), edits.size(), int(parameters.size())});
        for (int i = 0; i < count; ++i) {
            QSlider *slider = sliders.at(i);
            QLineEdit *edit = edits.at(i);
            const protocol::Parameter parameter = parameters.at(i)->parameter;
            edit->setText(QString::number(slider->value()));
            connect(slider, &QSlider::valueChanged, slider, [this, slider, parameter](int value) {
                onSliderMoved(slider, parameter, value);
            });
            connect(edit, &QLineEdit::textChanged, edit,
                    [this, edit](const QString &text) { onFieldEdited(edit, text); });
            connect(edit, &QLineEdit::returnPressed, this, &Widget::Slot_SetLabelStyle);
        }
    };
    bindGroup(protocol::machineParameters(), m_machineSliders, m_machineEdits);
    bindGroup(protocol::gameParametersInSendOrder(), m_gameSlidersSendOrder, m_gameEditsSendOrder);
}

void Widget::bindChoices()
{
    // A choice the user makes is committed and sent at once; one the window makes while it shows
    // a value or refills the items (a language switch) is none.
    for (const protocol::ParameterInfo *info : protocol::choiceParameters()) {
        auto *combo = findChild<QComboBox *>(QLatin1String(form::controls(info->parameter).combo));
        const protocol::Parameter parameter = info->parameter;
        connect(combo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
                [this, parameter](int index) {
                    // No selection is no choice.
                    if (index < 0 || m_showingCommitted || m_refillingChoices)
                        return;
                    m_session->setUserValue(parameter, index);
                    m_session->sendChoices();
                });
    }
}

void Widget::onSliderMoved(QSlider *slider, protocol::Parameter parameter, int value)
{
    // Re-enters onFieldEdited (a typed number the slider clamped is replaced by the limit at
    // once). An unchanged text is left alone: setText() would clear the field's own undo.
    const QString text = QString::number(value);
    const int at = m_machineSliders.indexOf(slider);
    QLineEdit *edit = at >= 0 ? m_machineEdits.value(at)
                              : m_gameEditsSendOrder.value(m_gameSlidersSendOrder.indexOf(slider));
    if (edit && edit->text() != text)
        edit->setText(text);
    // A slider that follows typed text or a shown value is no commitment.
    if (m_showingCommitted)
        return;
    m_session->setUserValue(parameter, value);
    m_session->scheduleSend(protocol::parameterInfo(parameter).group);
}

void Widget::onFieldEdited(QLineEdit *edit, const QString &text)
{
    // The slider follows a number as it is typed (an empty field or a lone "-" waits for the
    // rest, so "-20" typed over "50" is -20); nothing is committed until Enter or until the
    // field is left. The slider clamps; when that changes its value, its handler writes the
    // clamped value into the field.
    const std::optional<protocol::Parameter> parameter = fieldParameter(edit);
    if (!parameter)
        return;
    auto *slider = findChild<QSlider *>(QLatin1String(form::controls(*parameter).slider));
    if (const std::optional<int> value = typedNumber(edit, text); slider && value) {
        const QScopedValueRollback<bool> following(m_showingCommitted, true);
        slider->setValue(*value);
    }
}

void Widget::commitField(QLineEdit *edit)
{
    const std::optional<protocol::Parameter> parameter = fieldParameter(edit);
    if (!parameter)
        return;
    // Text past either end of the range becomes that end; text that is no number yet (empty,
    // a lone "-") is no commitment: the field shows the committed value again.
    if (const std::optional<int> typed = typedNumber(edit, edit->text()))
        m_session->setUserValue(*parameter, *typed);
    showCommitted(*parameter, m_session->committedValue(*parameter));
}

void Widget::showCommitted(protocol::Parameter parameter, int value)
{
    const form::Controls &controls = form::controls(parameter);
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
    // The steering gauge's scale follows the range, also when the slider already showed it.
    if (parameter == protocol::Parameter::Angle)
        SetGaugeArcRanges(value);
}

std::optional<protocol::Parameter> Widget::fieldParameter(const QObject *widget) const
{
    const auto *edit = qobject_cast<const QLineEdit *>(widget);
    if (!edit)
        return std::nullopt;
    if (const int at = m_machineEdits.indexOf(const_cast<QLineEdit *>(edit)); at >= 0)
        return protocol::machineParameters().at(at)->parameter;
    if (const int at = m_gameEditsSendOrder.indexOf(const_cast<QLineEdit *>(edit)); at >= 0)
        return protocol::gameParametersInSendOrder().at(at)->parameter;
    return std::nullopt;
}

bool Widget::holdsTyping(const QObject *widget) const
{
    const std::optional<protocol::Parameter> parameter = fieldParameter(widget);
    return parameter && static_cast<const QLineEdit *>(widget)->text() !=
                            QString::number(m_session->committedValue(*parameter));
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
    if (auto *edit = qobject_cast<QLineEdit *>(sender()))
        flashEnteredField(edit);
}

void Widget::SetGaugeArcRanges(int Range)
{
    const double shown = ui->gaugeArc->value();
    m_angleRange = quint16(qBound(0, Range, 0xFFFF));
    // The gauge ignores a range whose minimum is not below its maximum, so a range of 1 keeps
    // the old scale.
    ui->gaugeArc->setRange(-(Range / 2), Range / 2);
    ui->gaugeArc->setValue(shown);
}
