#pragma once

// Pure decisions behind the window's indicators: which pilot lamp a status code lights, which
// game controls an effect mask enables, whether a firmware version is accepted, and the steps
// of the connection lamp sequence. The look strings are the style sheets the window applies
// (through tr(), as plain data here).

#include "parameters.h"

#include <QtGlobal>

#include <array>
#include <optional>

namespace protocol {

// ---- Looks (style sheets) --------------------------------------------------------------------

constexpr const char *ButtonLedOnStyle =
    "color: rgb(255, 255, 255);image: url(://LedBlueThree.png);";
constexpr const char *ButtonLedOffStyle = "color: rgb(255, 255, 255);image: url(://LEDGrayG.png);";
// The LED the pilot switch lights red.
constexpr const char *ButtonLedAlertStyle =
    "color: rgb(255, 255, 255);image: url(://LedRedThree.png);";
// The look every button LED gets when the window builds its LED list.
constexpr const char *ButtonLedInitialStyle =
    "font-size : 12px ;border-image: url(:/LEDGrayG.png);";

constexpr const char *PilotLampGreenStyle = "image: url(://LedGreen.png);";
constexpr const char *PilotLampRedStyle = "image: url(://LedRed.png);";
constexpr const char *PilotLampGreyStyle = "image: url(://LEDGrayG.png);";

// "image: url(://%1);" with %1 = "LedBlueThree.png".
constexpr const char *HeaderLampRunningStyle = "image: url(://LedBlueThree.png);";
constexpr const char *HeaderLampOffStyle = "image: url(://LedGrayThree.png);";
constexpr const char *LinkLampConnectedStyle = "image: url(://LedGreenThree.png);";
// The link lamps while no base is open.
constexpr const char *LinkLampOffStyle = HeaderLampOffStyle;
// The link lamps while the base keeps refusing what is sent to it.
constexpr const char *LinkLampFaultStyle = "image: url(://LedRedThree.png);";

const char *buttonLedStyle(bool on);

// ---- Pilot lamps -----------------------------------------------------------------------------

enum class PilotLook
{
    Grey,
    Green,
    Red
};

// The lamp index (0..8, the position in pilotLampNames()) that `statusCode` lights, or nullopt
// for codes 9 and above, which light none.
std::optional<int> litPilotLamp(quint16 statusCode);
// The looks of all nine lamps for `statusCode`: the lit lamp green for code 0, red for 1..8;
// every other lamp grey.
std::array<PilotLook, StatusCodeCount> pilotLampLooks(quint16 statusCode);
const char *pilotLampStyle(PilotLook look);

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

struct HeaderLampGroupInfo
{
    HeaderLampGroup group;
    std::array<const char *, 3> lamps; // object names, in page order
};
const std::array<HeaderLampGroupInfo, HeaderLampGroupCount> &headerLampGroups();

enum class HeaderLampLook
{
    Off,
    Running,
    Connected
};
const char *headerLampStyle(HeaderLampLook look);

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
