#include "indicators.h"

namespace protocol {

namespace {

// One group lit per step; the last step lights the link lamps and ends the sequence.
constexpr std::array<ConnectionStep, ConnectionStepCount> ConnectionSequence = {{
    {HeaderLampGroup::A, 1, false},
    {HeaderLampGroup::B, 2, false},
    {HeaderLampGroup::C, 3, false},
    {HeaderLampGroup::Link, 0, true},
}};

} // namespace

std::optional<int> litPilotLamp(quint16 statusCode)
{
    if (statusCode >= StatusCodeCount) {
        return std::nullopt;
    }
    return static_cast<int>(statusCode);
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
