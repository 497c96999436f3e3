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

// Row layout: parameter, name, group, range, {sub-command, byte, format}, effect mask,
// {profile group, key}. tools/formgen/formgen.py reads the ranges of this table (by parameter)
// when it writes the form.
// clang-format off
constexpr std::array<ParameterInfo, ParameterCount> Parameters = {{
    {P::Angle, "Angle", G::Machine, {1, 1600},
     {Machine, 2, F::Unsigned16}, 0, {"StreeingAngle", "SliderStreeingAngle"}},
    {P::TotalForce, "TotalForce", G::Machine, {-100, 100},
     {Machine, 5, F::Signed8}, 0, {"MachineSetUp", "ForceFeedback"}},
    {P::WheelSpring, "WheelSpring", G::Machine, Percent,
     {Machine, 7, F::Unsigned8}, 0, {"MachineSetUp", "ExternalElastic"}},
    {P::WheelDamper, "WheelDamper", G::Machine, Percent,
     {Machine, 8, F::Unsigned8}, 0, {"MachineSetUp", "OuterDamping"}},
    {P::WheelSpeed, "WheelSpeed", G::Machine, Percent,
     {Machine, 9, F::Unsigned8}, 0, {"MachineSetUp", "ExternalMoment"}},
    {P::WheelFriction, "WheelFriction", G::Machine, Percent,
     {Machine, 10, F::Unsigned8}, 0, {"MachineSetUp", "ExternalFriction"}},
    {P::FilterFrequency, "FilterFrequency", G::Machine, Percent,
     {Machine, 6, F::Unsigned8}, 0, {"GameEffect", "GameFlider", true}},

    {P::GameSpring, "GameSpring", G::Game, DoublePercent,
     {Game, 2, F::Unsigned8}, 0x0004, {"GameEffect", "GameElastic"}},
    {P::GameDamper, "GameDamper", G::Game, DoublePercent,
     {Game, 3, F::Unsigned8}, 0x0008, {"GameEffect", "GameDamping"}},
    {P::GameInertia, "GameInertia", G::Game, DoublePercent,
     {Game, 4, F::Unsigned8}, 0x0020, {"GameEffect", "GameMoment"}},
    {P::GameFriction, "GameFriction", G::Game, DoublePercent,
     {Game, 5, F::Unsigned8}, 0x0010, {"GameEffect", "GameFriction"}},
    {P::ConstantForce, "ConstantForce", G::Game, DoublePercent,
     {Game, 6, F::Unsigned8}, 0x0001, {"GameIsForce", "GameConstant"}},
    // One parameter for every periodic effect kind, hence several mask bits.
    {P::PeriodForce, "PeriodForce", G::Game, DoublePercent,
     {Game, 7, F::Unsigned8}, 0x01C2, {"GameIsForce", "GameSinOne"}},

    {P::Suspension, "Suspension", G::Choice, {0, 2},
     {Mode, 2, F::Index16}, 0, {"Softward", "speed"}},
    {P::Response, "Response", G::Choice, {0, 1},
     {Mode, 4, F::Index16}, 0, {"Softward", "type"}},
}};
// clang-format on

using A = Axis;
using Pack = AxisPacking;
constexpr std::array<AxisInfo, AxisCount> Axes = {{
    {A::X, 3, Pack::ByteThenLowNibble},
    {A::Y, 4, Pack::HighNibbleThenByte},
    {A::Z, 6, Pack::ByteThenLowNibble},
    {A::RX, 7, Pack::HighNibbleThenByte},
    {A::RY, 9, Pack::ByteThenLowNibble},
    {A::RZ, 10, Pack::HighNibbleThenByte},
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

const std::array<AxisInfo, AxisCount> &axisTable()
{
    return Axes;
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
