#pragma once

// The wheel base's side of the report formats: what its firmware keeps and how
// it encodes its input reports and decodes the feature reports it receives.
// Written independently of the tool's codecs so that the simulated base can
// serve as their test oracle.

#include <QByteArray>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>

namespace sim {

constexpr std::size_t kInputReportSize = 20;
constexpr std::uint8_t kVendorReportId = 0x80;
constexpr std::uint8_t kLiveReportId = 0x01;
constexpr std::uint8_t kCenterCommand = 0x2D;
constexpr std::uint8_t kStoreCommand = 0x24;

using InputReport = std::array<std::uint8_t, kInputReportSize>;

// The parameters the firmware keeps, in the widths its reports carry them. The defaults are the
// factory values: full force in the normal direction and the mechanical and game values of the
// default profile.
struct Settings
{
    std::uint16_t angle = 900;
    std::int8_t totalForce = 100;
    std::uint8_t filterFrequency = 1;
    std::uint8_t wheelSpring = 26;
    std::uint8_t wheelDamper = 59;
    std::uint8_t wheelSpeed = 91;
    std::uint8_t wheelFriction = 9;
    std::uint8_t gameSpring = 181;
    std::uint8_t gameDamper = 72;
    std::uint8_t gameInertia = 76;
    std::uint8_t gameFriction = 53;
    std::uint8_t constantForce = 100;
    std::uint8_t periodForce = 100;
    std::uint16_t suspension = 0;
    std::uint16_t response = 0;

    bool operator==(const Settings &other) const;
    bool operator!=(const Settings &other) const { return !(*this == other); }
};

// The factory values: the ones a default-constructed Settings holds.
inline Settings factorySettings()
{
    return Settings{};
}

// The fields of the status report 0x80/0x0A.
struct Status
{
    std::uint16_t effectMask = 0x01FF; // every game effect available
    std::uint16_t statusCode = 0;      // 0: normal
    std::uint16_t firmwareVersion = 6001;
    std::uint16_t supplyVoltage = 24;
};

// What one live report (id 0x01) carries.
struct LiveState
{
    std::uint16_t wheelPosition = 32767; // 32767 is the centre
    std::array<std::uint16_t, 6> axes{}; // X, Y, Z, RX, RY, RZ; 12 bits each
    std::uint64_t buttons = 0;           // bit k is button k
};

InputReport encodeMachineReport(const Settings &settings);
InputReport encodeGameReport(const Settings &settings);
InputReport encodeModeReport(const Settings &settings);
InputReport encodeStatusReport(const Status &status);
InputReport encodeFactoryResetAck();
InputReport encodeLiveReport(const LiveState &state);

// The 16-bit wheel position for `degrees` from the centre when the full
// steering range is `angleRange` degrees; clamped to the field.
std::uint16_t wheelPositionRaw(double degrees, int angleRange);

// What a received feature report asks for. Bytes past `size` count as 0.
struct FeatureRequest
{
    enum Kind
    {
        Machine,
        Game,
        ReadStore,
        Mode,
        FactoryReset,
        Unknown
    };
    Kind kind = Unknown;
    bool center = false; // Machine: byte [4] is the center command
    bool read = false;   // ReadStore: byte [2] is 1
    bool store = false;  // ReadStore: byte [3] is 0x24
};
FeatureRequest classifyFeatureReport(const std::uint8_t *data, std::size_t size);

// Copy the parameters of a machine, game or mode report into `settings`.
void applyMachineReport(Settings &settings, const std::uint8_t *data, std::size_t size);
void applyGameReport(Settings &settings, const std::uint8_t *data, std::size_t size);
void applyModeReport(Settings &settings, const std::uint8_t *data, std::size_t size);

// "sim: feature " and the report record (the first 11 bytes, fewer when the
// report is shorter) in upper-case hex separated by blanks.
QString featureLogLine(const QByteArray &report);

} // namespace sim
