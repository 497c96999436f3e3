#pragma once

// The window's lamps and LEDs: their object names and the style sheets of their looks. Which
// look a lamp takes is the protocol's rule (indicators.h); the sheets go through tr(), as
// plain data here.

#include "indicators.h"

#include <QStringList>

#include <array>

namespace form {

// ---- Button LEDs -----------------------------------------------------------------------------

constexpr const char *ButtonLedOnStyle =
    "color: rgb(255, 255, 255);image: url(://LedBlueThree.png);";
constexpr const char *ButtonLedOffStyle = "color: rgb(255, 255, 255);image: url(://LEDGrayG.png);";
// The LED the pilot switch lights red.
constexpr const char *ButtonLedAlertStyle =
    "color: rgb(255, 255, 255);image: url(://LedRedThree.png);";
// The look every button LED gets when the window builds its LED list.
constexpr const char *ButtonLedInitialStyle =
    "font-size : 12px ;border-image: url(:/LEDGrayG.png);";

const char *buttonLedStyle(bool on);

// The 64 button LED labels in button order: led_1 .. led_8, led_57 .. led_112.
QStringList buttonLedNames();

// ---- Pilot lamps -----------------------------------------------------------------------------

constexpr const char *PilotLampGreenStyle = "image: url(://LedGreen.png);";
constexpr const char *PilotLampRedStyle = "image: url(://LedRed.png);";
constexpr const char *PilotLampGreyStyle = "image: url(://LEDGrayG.png);";

const char *pilotLampStyle(protocol::PilotLook look);

struct PilotLamp
{
    const char *lamp;  // imagePilot1 .. imagePilot9
    const char *label; // the label beside it, which names the status
};
// In lamp order, the positions litPilotLamp() gives.
const std::array<PilotLamp, protocol::StatusCodeCount> &pilotLamps();
QStringList pilotLampNames();

// ---- Header lamps ----------------------------------------------------------------------------

// "image: url(://%1);" with %1 = "LedBlueThree.png".
constexpr const char *HeaderLampRunningStyle = "image: url(://LedBlueThree.png);";
constexpr const char *HeaderLampOffStyle = "image: url(://LedGrayThree.png);";
constexpr const char *LinkLampConnectedStyle = "image: url(://LedGreenThree.png);";
// The link lamps while no base is open.
constexpr const char *LinkLampOffStyle = HeaderLampOffStyle;
// The link lamps while the base keeps refusing what is sent to it.
constexpr const char *LinkLampFaultStyle = "image: url(://LedRedThree.png);";

const char *headerLampStyle(protocol::HeaderLampLook look);

struct HeaderLampGroupInfo
{
    protocol::HeaderLampGroup group;
    std::array<const char *, 3> lamps; // object names, in page order
};
const std::array<HeaderLampGroupInfo, protocol::HeaderLampGroupCount> &headerLampGroups();

} // namespace form
