#include "formcatalogue.h"

namespace form {

namespace {

using P = protocol::Parameter;

// Row layout: parameter, {label, slider, line edit, combo, range label}, page step, start value,
// field takes 0. Rows are in the order of protocol::Parameter. tools/formgen/formgen.py reads
// the slider names, page steps and start values of this table when it writes the form.
// clang-format off
constexpr std::array<ParameterForm, protocol::ParameterCount> Forms = {{
    {P::Angle, {"label_17", "SliderStreeingAngle", "lineStreeingAngle", nullptr, nullptr},
     10, 900, true},
    {P::TotalForce, {"label_18", "SliderGramFreeBack", "lineGramFreeBack", nullptr, "labelJump_3"},
     5, -100, false},
    {P::FilterFrequency,
     {"label_52", "SliderGramFreeBack_Flider", "lineGramFreeBack_Flider", nullptr, "labelJump_5"},
     5, 1, false},
    {P::WheelSpring, {"label", "SliderJump", "lineJump", nullptr, "labelDamping"},
     5, 0, false},
    {P::WheelDamper, {"label_2", "SliderDamping", "lineDamping", nullptr, "labelJump"},
     5, 0, false},
    {P::WheelSpeed, {"label_3", "SliderInertia", "lineInertia", nullptr, "labelInertia"},
     5, 0, false},
    {P::WheelFriction, {"label_4", "SliderFriction", "lineFriction", nullptr, "labelFriction"},
     5, 0, false},
    {P::GameSpring, {"label_5", "SliderGamesJump", "lineGamesJump", nullptr, "labelGamesJump"},
     5, 100, false},
    {P::GameDamper,
     {"label_6", "SliderGamesDamping", "lineGamesDamping", nullptr, "labelGamesDamping"},
     5, 150, false},
    {P::GameInertia,
     {"label_7", "SliderGamesInertia", "lineGamesInertia", nullptr, "labelGamesInertia"},
     5, 99, false},
    {P::GameFriction,
     {"label_8", "SliderGamesFriction", "lineGamesFriction", nullptr, "labelGamesFriction"},
     5, 189, false},
    {P::ConstantForce,
     {"label_20", "SliderGamesconstant", "lineGamesconstant", nullptr, "labelGamesJump_3"},
     5, 100, false},
    {P::PeriodForce,
     {"label_19", "SliderGamesSinOne", "lineGamesSinOne", nullptr, "labelGamesJump_2"},
     5, 200, false},
    {P::Suspension, {"label_14", nullptr, nullptr, SuspensionCombo, nullptr}, 0, 0, false},
    {P::Response, {"label_63", nullptr, nullptr, ResponseCombo, nullptr}, 0, 0, false},
}};
// clang-format on

constexpr bool inParameterOrder()
{
    for (std::size_t i = 0; i < Forms.size(); ++i) {
        if (static_cast<std::size_t>(Forms[i].parameter) != i)
            return false;
    }
    return true;
}
static_assert(inParameterOrder(), "one form row per parameter, in enumerator order");

constexpr std::array<UnboundSliderRow, 3> UnboundRows = {{
    {"SliderGamesSinTwo", "lineGamesSinTwo", P::PeriodForce, 5, 0, true},
    {"SliderGamesSinThree", "lineGamesSinThree", P::PeriodForce, 5, 0, true},
    {"SliderGamesSinFour", "lineGamesSinFour", P::PeriodForce, 5, 0, false},
}};

using A = protocol::Axis;
constexpr std::array<AxisControls, protocol::AxisCount> Axes = {{
    {A::X, "progressBar", "switchButton", "lineFriction_2", "lineFriction_3"},
    {A::Y, "progressBar_2", "switchButton_2", "lineFriction_4", "lineFriction_5"},
    {A::Z, "progressBar_3", "switchButton_3", "lineFriction_6", "lineFriction_7"},
    {A::RX, "progressBar_4", "switchButton_4", "lineFriction_8", "lineFriction_9"},
    {A::RY, "progressBar_5", "switchButton_5", "lineFriction_10", "lineFriction_11"},
    {A::RZ, "progressBar_6", "switchButton_6", "lineFriction_12", "lineFriction_13"},
}};

QStringList sliderNames(const QVector<const protocol::ParameterInfo *> &rows)
{
    QStringList names;
    for (const protocol::ParameterInfo *info : rows)
        names.append(QString::fromLatin1(parameterForm(info->parameter).controls.slider));
    return names;
}

QStringList lineEditNames(const QVector<const protocol::ParameterInfo *> &rows)
{
    QStringList names;
    for (const protocol::ParameterInfo *info : rows)
        names.append(QString::fromLatin1(parameterForm(info->parameter).controls.lineEdit));
    return names;
}

} // namespace

const ParameterForm &parameterForm(protocol::Parameter parameter)
{
    return Forms[static_cast<std::size_t>(parameter)];
}

const Controls &controls(protocol::Parameter parameter)
{
    return parameterForm(parameter).controls;
}

protocol::ParameterValues startValues()
{
    protocol::ParameterValues values;
    for (const ParameterForm &row : Forms)
        values.setValue(row.parameter, row.startValue);
    return values;
}

protocol::IntRange fieldRange(protocol::Parameter parameter)
{
    const protocol::IntRange range = protocol::parameterInfo(parameter).range;
    return {parameterForm(parameter).fieldTakesZero ? 0 : range.minimum, range.maximum};
}

QStringList machineSliderNames()
{
    return sliderNames(protocol::machineParameters());
}

QStringList machineLineEditNames()
{
    return lineEditNames(protocol::machineParameters());
}

QStringList gameSliderNamesInSendOrder()
{
    return sliderNames(protocol::gameParametersInSendOrder());
}

QStringList gameLineEditNamesInSendOrder()
{
    return lineEditNames(protocol::gameParametersInSendOrder());
}

QStringList gameSliderNamesInMaskOrder()
{
    return sliderNames(protocol::gameParametersInMaskOrder());
}

QStringList gameLineEditNamesInMaskOrder()
{
    return lineEditNames(protocol::gameParametersInMaskOrder());
}

const std::array<UnboundSliderRow, 3> &unboundPeriodicRows()
{
    return UnboundRows;
}

const std::array<AxisControls, protocol::AxisCount> &axisControls()
{
    return Axes;
}

QStringList axisGaugeNames()
{
    QStringList names;
    for (const AxisControls &axis : Axes)
        names.append(QString::fromLatin1(axis.gauge));
    return names;
}

QStringList calibrationLimitNames()
{
    QStringList names;
    for (const AxisControls &axis : Axes) {
        names.append(QString::fromLatin1(axis.lowerLimit));
        names.append(QString::fromLatin1(axis.upperLimit));
    }
    return names;
}

QVector<ValidatorAssignment> validatorAssignments()
{
    QVector<ValidatorAssignment> assignments;
    const auto addRows = [&assignments](const QVector<const protocol::ParameterInfo *> &rows) {
        for (const protocol::ParameterInfo *info : rows) {
            assignments.append(
                {QString::fromLatin1(parameterForm(info->parameter).controls.lineEdit),
                 fieldRange(info->parameter)});
        }
    };
    addRows(protocol::machineParameters());
    addRows(protocol::gameParametersInSendOrder());
    for (const UnboundSliderRow &row : UnboundRows) {
        if (row.hasValidator)
            assignments.append(
                {QString::fromLatin1(row.lineEdit), protocol::parameterInfo(row.rangeOf).range});
    }
    for (const QString &name : calibrationLimitNames())
        assignments.append({name, protocol::CalibrationLimitRange});
    return assignments;
}

} // namespace form
