#include "indicators.h"

namespace protocol {

namespace {

constexpr std::array<HeaderLampGroupInfo, HeaderLampGroupCount> HeaderLamps = {{
    {HeaderLampGroup::A, {{"label_47", "label_125", "label_49"}}},
    {HeaderLampGroup::B, {{"label_50", "label_59", "label_60"}}},
    {HeaderLampGroup::C, {{"label_51", "label_58", "label_61"}}},
    {HeaderLampGroup::Link, {{"label_54", "label_56", "label_62"}}},
}};

// One group lit per step; the last step lights the link lamps and ends the sequence.
constexpr std::array<ConnectionStep, ConnectionStepCount> ConnectionSequence = {{
    {HeaderLampGroup::A, 1, false},
    {HeaderLampGroup::B, 2, false},
    {HeaderLampGroup::C, 3, false},
    {HeaderLampGroup::Link, 0, true},
}};

} // namespace

const char *buttonLedStyle(bool on)
{
    return on ? ButtonLedOnStyle : ButtonLedOffStyle;
}

std::optional<int> litPilotLamp(quint16 statusCode)
{
    const StatusCodeInfo *info = statusCodeInfo(statusCode);
    if (!info) {
        return std::nullopt;
    }
    return static_cast<int>(info - statusCodeTable().data());
}

std::array<PilotLook, StatusCodeCount> pilotLampLooks(quint16 statusCode)
{
    std::array<PilotLook, StatusCodeCount> looks;
    looks.fill(PilotLook::Grey);
    if (const std::optional<int> lit = litPilotLamp(statusCode)) {
        looks[*lit] = statusCode == 0 ? PilotLook::Green : PilotLook::Red;
    }
    return looks;
}

const char *pilotLampStyle(PilotLook look)
{
    switch (look) {
    case PilotLook::Green:
        return PilotLampGreenStyle;
    case PilotLook::Red:
        return PilotLampRedStyle;
    case PilotLook::Grey:
        break;
    }
    return PilotLampGreyStyle;
}

std::array<bool, GameParameterCount> enabledByEffectMask(quint16 effectMask)
{
    std::array<bool, GameParameterCount> enabled{};
    const QVector<const ParameterInfo *> rows = gameParametersInMaskOrder();
    for (int i = 0; i < GameParameterCount && i < rows.size(); ++i) {
        enabled[i] = (rows[i]->effectMask & effectMask) != 0;
    }
    return enabled;
}

bool isEnabledByEffectMask(Parameter parameter, quint16 effectMask)
{
    return (parameterInfo(parameter).effectMask & effectMask) != 0;
}

const std::array<HeaderLampGroupInfo, HeaderLampGroupCount> &headerLampGroups()
{
    return HeaderLamps;
}

const char *headerLampStyle(HeaderLampLook look)
{
    switch (look) {
    case HeaderLampLook::Running:
        return HeaderLampRunningStyle;
    case HeaderLampLook::Connected:
        return LinkLampConnectedStyle;
    case HeaderLampLook::Off:
        break;
    }
    return HeaderLampOffStyle;
}

std::optional<ConnectionStep> connectionStep(int step)
{
    if (step < 0 || step >= ConnectionStepCount) {
        return std::nullopt;
    }
    return ConnectionSequence[step];
}

HeaderLampLook headerLampLook(const ConnectionStep &step, HeaderLampGroup group)
{
    if (group != step.lit) {
        return HeaderLampLook::Off;
    }
    return group == HeaderLampGroup::Link ? HeaderLampLook::Connected : HeaderLampLook::Running;
}

} // namespace protocol
