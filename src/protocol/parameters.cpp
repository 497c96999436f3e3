#include "parameters.h"

#include <algorithm>

namespace protocol {

namespace {

constexpr IntRange Percent{0, 100};
constexpr IntRange DoublePercent{0, 200};

using F = FieldFormat;
using G = ParameterGroup;
using P = Parameter;
constexpr SubCommand Machine = SubCommand::MachineSettings;
constexpr SubCommand Game = SubCommand::GameSettings;
constexpr SubCommand Mode = SubCommand::Mode;

// Row layout: parameter, name, group, {label, slider, line edit, combo, range label},
// slider range, validator range, page step, form value, {sub-command, byte, format},
// effect mask, {profile group, key}. The texts of the rows are in the window's language
// table; tools/formgen/formgen.py reads the controls, ranges, page steps and form values of
// this table when it writes the form.
// clang-format off
constexpr std::array<ParameterInfo, ParameterCount> Parameters = {{
    {P::Angle, "Angle", G::Machine,
     {"label_17", "SliderStreeingAngle", "lineStreeingAngle", nullptr, nullptr},
     {1, 1600}, {0, 1600}, 10, 900,
     {Machine, 2, F::Unsigned16}, 0, {"StreeingAngle", "SliderStreeingAngle"}},
    {P::TotalForce, "TotalForce", G::Machine,
     {"label_18", "SliderGramFreeBack", "lineGramFreeBack", nullptr, "labelJump_3"},
     {-100, 100}, {-100, 100}, 5, -100,
     {Machine, 5, F::Signed8}, 0, {"MachineSetUp", "ForceFeedback"}},
    {P::WheelSpring, "WheelSpring", G::Machine,
     {"label", "SliderJump", "lineJump", nullptr, "labelDamping"},
     Percent, Percent, 5, 0,
     {Machine, 7, F::Unsigned8}, 0, {"MachineSetUp", "ExternalElastic"}},
    {P::WheelDamper, "WheelDamper", G::Machine,
     {"label_2", "SliderDamping", "lineDamping", nullptr, "labelJump"},
     Percent, Percent, 5, 0,
     {Machine, 8, F::Unsigned8}, 0, {"MachineSetUp", "OuterDamping"}},
    {P::WheelSpeed, "WheelSpeed", G::Machine,
     {"label_3", "SliderInertia", "lineInertia", nullptr, "labelInertia"},
     Percent, Percent, 5, 0,
     {Machine, 9, F::Unsigned8}, 0, {"MachineSetUp", "ExternalMoment"}},
    {P::WheelFriction, "WheelFriction", G::Machine,
     {"label_4", "SliderFriction", "lineFriction", nullptr, "labelFriction"},
     Percent, Percent, 5, 0,
     {Machine, 10, F::Unsigned8}, 0, {"MachineSetUp", "ExternalFriction"}},
    {P::FilterFrequency, "FilterFrequency", G::Machine,
     {"label_52", "SliderGramFreeBack_Flider", "lineGramFreeBack_Flider", nullptr, "labelJump_5"},
     Percent, Percent, 5, 1,
     {Machine, 6, F::Unsigned8}, 0, {"GameEffect", "GameFlider", true}},

    {P::GameSpring, "GameSpring", G::Game,
     {"label_5", "SliderGamesJump", "lineGamesJump", nullptr, "labelGamesJump"},
     DoublePercent, DoublePercent, 5, 100,
     {Game, 2, F::Unsigned8}, 0x0004, {"GameEffect", "GameElastic"}},
    {P::GameDamper, "GameDamper", G::Game,
     {"label_6", "SliderGamesDamping", "lineGamesDamping", nullptr, "labelGamesDamping"},
     DoublePercent, DoublePercent, 5, 150,
     {Game, 3, F::Unsigned8}, 0x0008, {"GameEffect", "GameDamping"}},
    {P::GameInertia, "GameInertia", G::Game,
     {"label_7", "SliderGamesInertia", "lineGamesInertia", nullptr, "labelGamesInertia"},
     DoublePercent, DoublePercent, 5, 99,
     {Game, 4, F::Unsigned8}, 0x0020, {"GameEffect", "GameMoment"}},
    {P::GameFriction, "GameFriction", G::Game,
     {"label_8", "SliderGamesFriction", "lineGamesFriction", nullptr, "labelGamesFriction"},
     DoublePercent, DoublePercent, 5, 189,
     {Game, 5, F::Unsigned8}, 0x0010, {"GameEffect", "GameFriction"}},
    {P::ConstantForce, "ConstantForce", G::Game,
     {"label_20", "SliderGamesconstant", "lineGamesconstant", nullptr, "labelGamesJump_3"},
     DoublePercent, DoublePercent, 5, 100,
     {Game, 6, F::Unsigned8}, 0x0001, {"GameIsForce", "GameConstant"}},
    // One parameter for every periodic effect kind, hence several mask bits.
    {P::PeriodForce, "PeriodForce", G::Game,
     {"label_19", "SliderGamesSinOne", "lineGamesSinOne", nullptr, "labelGamesJump_2"},
     DoublePercent, DoublePercent, 5, 200,
     {Game, 7, F::Unsigned8}, 0x01C2, {"GameIsForce", "GameSinOne"}},

    {P::Suspension, "Suspension", G::Choice,
     {"label_14", nullptr, nullptr, "colorComboBox", nullptr},
     {0, 2}, {0, 2}, 0, 0,
     {Mode, 2, F::Index16}, 0, {"Softward", "speed"}},
    {P::Response, "Response", G::Choice,
     {"label_63", nullptr, nullptr, "colorComboBox_2", nullptr},
     {0, 1}, {0, 1}, 0, 0,
     {Mode, 4, F::Index16}, 0, {"Softward", "type"}},
}};
// clang-format on

constexpr std::array<UnboundSliderRow, 3> UnboundRows = {{
    {"SliderGamesSinTwo", "lineGamesSinTwo", DoublePercent, 5, 0, true},
    {"SliderGamesSinThree", "lineGamesSinThree", DoublePercent, 5, 0, true},
    {"SliderGamesSinFour", "lineGamesSinFour", DoublePercent, 5, 0, false},
}};

using A = Axis;
using Pack = AxisPacking;
constexpr std::array<AxisInfo, AxisCount> Axes = {{
    {A::X, "X", "progressBar", 3, Pack::ByteThenLowNibble, "switchButton", "lineFriction_2",
     "lineFriction_3"},
    {A::Y, "Y", "progressBar_2", 4, Pack::HighNibbleThenByte, "switchButton_2", "lineFriction_4",
     "lineFriction_5"},
    {A::Z, "Z", "progressBar_3", 6, Pack::ByteThenLowNibble, "switchButton_3", "lineFriction_6",
     "lineFriction_7"},
    {A::RX, "RX", "progressBar_4", 7, Pack::HighNibbleThenByte, "switchButton_4", "lineFriction_8",
     "lineFriction_9"},
    {A::RY, "RY", "progressBar_5", 9, Pack::ByteThenLowNibble, "switchButton_5", "lineFriction_10",
     "lineFriction_11"},
    {A::RZ, "RZ", "progressBar_6", 10, Pack::HighNibbleThenByte, "switchButton_6",
     "lineFriction_12", "lineFriction_13"},
}};

// The LED labels are numbered in two runs; button k takes the k-th number of the runs.
struct NumberRun
{
    int first;
    int last;
};
constexpr NumberRun ButtonLedNumbers[] = {{1, 8}, {57, 112}};
constexpr const char *ButtonLedPrefix = "led_";

constexpr std::array<StatusCodeInfo, StatusCodeCount> StatusCodes = {{
    {0, "imagePilot1", "label_12"},
    {1, "imagePilot2", "label_23"},
    {2, "imagePilot3", "label_24"},
    {3, "imagePilot4", "label_26"},
    {4, "imagePilot5", "label_25"},
    {5, "imagePilot6", "label_27"},
    {6, "imagePilot7", "label_29"},
    {7, "imagePilot8", "label_30"},
    {8, "imagePilot9", "label_31"},
}};

constexpr ProfileStep value(Parameter parameter)
{
    return {ProfileItem::ParameterValue, parameter};
}
// Non-parameter steps carry a parameter value that is never looked at.
constexpr ProfileStep item(ProfileItem kind)
{
    return {kind, Parameter::Angle};
}

constexpr std::array<ProfileStep, ProfileStepCount> WriteOrder = {{
    value(P::TotalForce),
    value(P::WheelSpring),
    value(P::WheelDamper),
    value(P::WheelSpeed),
    value(P::WheelFriction),
    value(P::FilterFrequency),
    value(P::GameSpring),
    value(P::GameDamper),
    value(P::GameInertia),
    value(P::GameFriction),
    value(P::ConstantForce),
    value(P::PeriodForce),
    value(P::Angle),
    value(P::Suspension),
    value(P::Response),
    item(ProfileItem::EditionMarker),
    item(ProfileItem::HelpSwitch),
}};

constexpr std::array<ProfileStep, ProfileStepCount> LoadOrder = {{
    value(P::Response),
    value(P::TotalForce),
    value(P::WheelSpring),
    value(P::WheelDamper),
    value(P::WheelSpeed),
    value(P::WheelFriction),
    value(P::FilterFrequency),
    value(P::GameSpring),
    value(P::GameDamper),
    value(P::GameInertia),
    value(P::GameFriction),
    value(P::ConstantForce),
    value(P::PeriodForce),
    value(P::Angle),
    value(P::Suspension),
    item(ProfileItem::LanguageIndex),
    item(ProfileItem::HelpSwitch),
}};

int lowestSetBit(quint16 mask)
{
    for (int bit = 0; bit < 16; ++bit) {
        if (mask & (1u << bit)) {
            return bit;
        }
    }
    return 16;
}

QVector<const ParameterInfo *> rowsOf(ParameterGroup group)
{
    QVector<const ParameterInfo *> rows;
    for (const ParameterInfo &info : Parameters) {
        if (info.group == group) {
            rows.append(&info);
        }
    }
    return rows;
}

QStringList sliderNames(const QVector<const ParameterInfo *> &rows)
{
    QStringList names;
    for (const ParameterInfo *info : rows) {
        names.append(QString::fromLatin1(info->controls.slider));
    }
    return names;
}

QStringList lineEditNames(const QVector<const ParameterInfo *> &rows)
{
    QStringList names;
    for (const ParameterInfo *info : rows) {
        names.append(QString::fromLatin1(info->controls.lineEdit));
    }
    return names;
}

} // namespace

int fieldWidth(FieldFormat format)
{
    switch (format) {
    case FieldFormat::Unsigned8:
    case FieldFormat::Signed8:
        return 1;
    case FieldFormat::Unsigned16:
    case FieldFormat::Index16:
        return 2;
    }
    return 1;
}

bool isSigned(FieldFormat format)
{
    return format == FieldFormat::Signed8;
}

const std::array<ParameterInfo, ParameterCount> &parameterTable()
{
    return Parameters;
}

const ParameterInfo &parameterInfo(Parameter parameter)
{
    for (const ParameterInfo &info : Parameters) {
        if (info.parameter == parameter) {
            return info;
        }
    }
    Q_UNREACHABLE(); // every enumerator has a row; the catalogue test checks it
    return Parameters.front();
}

const ParameterInfo *findParameter(const QString &name)
{
    for (const ParameterInfo &info : Parameters) {
        if (name == QLatin1String(info.name)) {
            return &info;
        }
    }
    return nullptr;
}

QVector<const ParameterInfo *> machineParameters()
{
    return rowsOf(ParameterGroup::Machine);
}

QVector<const ParameterInfo *> gameParametersInSendOrder()
{
    return reportParameters(SubCommand::GameSettings);
}

QVector<const ParameterInfo *> gameParametersInMaskOrder()
{
    QVector<const ParameterInfo *> rows = rowsOf(ParameterGroup::Game);
    std::stable_sort(rows.begin(), rows.end(), [](const ParameterInfo *a, const ParameterInfo *b) {
        return lowestSetBit(a->effectMask) < lowestSetBit(b->effectMask);
    });
    return rows;
}

QVector<const ParameterInfo *> choiceParameters()
{
    return rowsOf(ParameterGroup::Choice);
}

QVector<const ParameterInfo *> reportParameters(SubCommand subCommand)
{
    QVector<const ParameterInfo *> rows;
    for (const ParameterInfo &info : Parameters) {
        if (info.field.subCommand == subCommand) {
            rows.append(&info);
        }
    }
    std::stable_sort(rows.begin(), rows.end(), [](const ParameterInfo *a, const ParameterInfo *b) {
        return a->field.position < b->field.position;
    });
    return rows;
}

QStringList machineSliderNames()
{
    return sliderNames(machineParameters());
}

QStringList machineLineEditNames()
{
    return lineEditNames(machineParameters());
}

QStringList gameSliderNamesInSendOrder()
{
    return sliderNames(gameParametersInSendOrder());
}

QStringList gameLineEditNamesInSendOrder()
{
    return lineEditNames(gameParametersInSendOrder());
}

QStringList gameSliderNamesInMaskOrder()
{
    return sliderNames(gameParametersInMaskOrder());
}

QStringList gameLineEditNamesInMaskOrder()
{
    return lineEditNames(gameParametersInMaskOrder());
}

const std::array<UnboundSliderRow, 3> &unboundPeriodicRows()
{
    return UnboundRows;
}

const std::array<AxisInfo, AxisCount> &axisTable()
{
    return Axes;
}

QStringList buttonLedNames()
{
    QStringList names;
    for (const NumberRun &run : ButtonLedNumbers) {
        for (int number = run.first; number <= run.last; ++number) {
            names.append(QLatin1String(ButtonLedPrefix) + QString::number(number));
        }
    }
    return names;
}

QStringList calibrationLimitNames()
{
    QStringList names;
    for (const AxisInfo &axis : Axes) {
        names.append(QString::fromLatin1(axis.lowerLimit));
        names.append(QString::fromLatin1(axis.upperLimit));
    }
    return names;
}

const std::array<StatusCodeInfo, StatusCodeCount> &statusCodeTable()
{
    return StatusCodes;
}

const StatusCodeInfo *statusCodeInfo(quint16 code)
{
    for (const StatusCodeInfo &info : StatusCodes) {
        if (info.code == code) {
            return &info;
        }
    }
    return nullptr;
}

QStringList pilotLampNames()
{
    QStringList names;
    for (const StatusCodeInfo &info : StatusCodes) {
        names.append(QString::fromLatin1(info.lamp));
    }
    return names;
}

QVector<ValidatorAssignment> validatorAssignments()
{
    QVector<ValidatorAssignment> assignments;
    const auto addRows = [&assignments](const QVector<const ParameterInfo *> &rows) {
        for (const ParameterInfo *info : rows) {
            assignments.append(
                {QString::fromLatin1(info->controls.lineEdit), info->validatorRange});
        }
    };
    addRows(machineParameters());
    addRows(gameParametersInSendOrder());
    for (const UnboundSliderRow &row : UnboundRows) {
        if (row.hasValidator) {
            assignments.append({QString::fromLatin1(row.lineEdit), row.range});
        }
    }
    for (const QString &name : calibrationLimitNames()) {
        assignments.append({name, CalibrationLimitRange});
    }
    return assignments;
}

const std::array<ProfileStep, ProfileStepCount> &profileWriteOrder()
{
    return WriteOrder;
}

const std::array<ProfileStep, ProfileStepCount> &profileLoadOrder()
{
    return LoadOrder;
}

ProfileKey profileKey(const ProfileStep &step)
{
    switch (step.item) {
    case ProfileItem::ParameterValue:
        return parameterInfo(step.parameter).profile;
    case ProfileItem::EditionMarker:
        return EditionMarkerKey;
    case ProfileItem::HelpSwitch:
        return HelpSwitchKey;
    case ProfileItem::LanguageIndex:
        return LanguageReadKey;
    }
    return EditionMarkerKey;
}

} // namespace protocol
