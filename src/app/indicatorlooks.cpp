#include "indicatorlooks.h"

namespace form {

namespace {

// The LED labels are numbered in two runs; button k takes the k-th number of the runs.
struct NumberRun
{
    int first;
    int last;
};
constexpr NumberRun ButtonLedNumbers[] = {{1, 8}, {57, 112}};
constexpr const char *ButtonLedPrefix = "led_";

constexpr std::array<PilotLamp, protocol::StatusCodeCount> PilotLamps = {{
    {"imagePilot1", "label_12"},
    {"imagePilot2", "label_23"},
    {"imagePilot3", "label_24"},
    {"imagePilot4", "label_26"},
    {"imagePilot5", "label_25"},
    {"imagePilot6", "label_27"},
    {"imagePilot7", "label_29"},
    {"imagePilot8", "label_30"},
    {"imagePilot9", "label_31"},
}};

using G = protocol::HeaderLampGroup;
constexpr std::array<HeaderLampGroupInfo, protocol::HeaderLampGroupCount> HeaderLamps = {{
    {G::A, {{"label_47", "label_125", "label_49"}}},
    {G::B, {{"label_50", "label_59", "label_60"}}},
    {G::C, {{"label_51", "label_58", "label_61"}}},
    {G::Link, {{"label_54", "label_56", "label_62"}}},
}};

} // namespace

const char *buttonLedStyle(bool on)
{
    return on ? ButtonLedOnStyle : ButtonLedOffStyle;
}

QStringList buttonLedNames()
{
    QStringList names;
    for (const NumberRun &run : ButtonLedNumbers) {
        for (int number = run.first; number <= run.last; ++number)
            names.append(QLatin1String(ButtonLedPrefix) + QString::number(number));
    }
    return names;
}

const char *pilotLampStyle(protocol::PilotLook look)
{
    switch (look) {
    case protocol::PilotLook::Green:
        return PilotLampGreenStyle;
    case protocol::PilotLook::Red:
        return PilotLampRedStyle;
    case protocol::PilotLook::Grey:
        break;
    }
    return PilotLampGreyStyle;
}

const std::array<PilotLamp, protocol::StatusCodeCount> &pilotLamps()
{
    return PilotLamps;
}

QStringList pilotLampNames()
{
    QStringList names;
    for (const PilotLamp &lamp : PilotLamps)
        names.append(QString::fromLatin1(lamp.lamp));
    return names;
}

const char *headerLampStyle(protocol::HeaderLampLook look)
{
    switch (look) {
    case protocol::HeaderLampLook::Running:
        return HeaderLampRunningStyle;
    case protocol::HeaderLampLook::Connected:
        return LinkLampConnectedStyle;
    case protocol::HeaderLampLook::Off:
        break;
    }
    return HeaderLampOffStyle;
}

const std::array<HeaderLampGroupInfo, protocol::HeaderLampGroupCount> &headerLampGroups()
{
    return HeaderLamps;
}

} // namespace form
