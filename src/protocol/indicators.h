#pragma once

// Pure decisions behind the window's indicators: which pilot lamp a status code lights and how,
// which game parameters an effect mask enables, whether a firmware version is accepted, and the
// steps of the connection lamp sequence. Looks are named here; what they look like is the
// window's.

#include "parameters.h"

#include <QtGlobal>

#include <array>
#include <optional>

namespace protocol {

// ---- Pilot lamps -----------------------------------------------------------------------------

enum class PilotLook
{
    Grey,
    Green,
    Red
};

// The lamp (0..8, in status code order) that `statusCode` lights, or nullopt for codes 9 and
// above, which light none.
std::optional<int> litPilotLamp(quint16 statusCode);
// The looks of all nine lamps for `statusCode`: the lit lamp green for code 0, red for 1..8;
// every other lamp grey.
std::array<PilotLook, StatusCodeCount> pilotLampLooks(quint16 statusCode);

// ---- Effect mask -----------------------------------------------------------------------------

// For the game parameters in mask order (gameParametersInMaskOrder()): whether `effectMask`
// enables the parameter's slider and line edit (any of its bits set).
std::array<bool, GameParameterCount> enabledByEffectMask(quint16 effectMask);
// The same for one parameter; false for parameters without mask bits.
bool isEnabledByEffectMask(Parameter parameter, quint16 effectMask);

// ---- Firmware --------------------------------------------------------------------------------

constexpr quint16 MinimumFirmwareVersion = 5000;
// Versions below 5000 are refused and the link to the base is dropped.
constexpr bool isFirmwareAccepted(quint16 version)
{
    return version >= MinimumFirmwareVersion;
}

// ---- Connection lamp sequence ----------------------------------------------------------------

// Four lamp groups, one lamp of each on every page (settings, calibration, status).
enum class HeaderLampGroup
{
    A,
    B,
    C,
    Link
};
constexpr int HeaderLampGroupCount = 4;

enum class HeaderLampLook
{
    Off,
    Running,
    Connected
};

struct ConnectionStep
{
    HeaderLampGroup lit; // the group lit in this step; all others are off
    int nextStep;
    bool stopsSequence; // the last step: the LED timer stops
};
constexpr int ConnectionStepCount = 4;

// Step 0..3 of the sequence that runs once per second after the base was opened; nullopt for
// any other step value, which does nothing.
std::optional<ConnectionStep> connectionStep(int step);
// The look of `group` in `step`: the lit group running (the link group connected), others off.
HeaderLampLook headerLampLook(const ConnectionStep &step, HeaderLampGroup group);

} // namespace protocol
