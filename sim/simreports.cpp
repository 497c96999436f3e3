#include "simreports.h"

#include <cmath>

namespace sim {

namespace {

constexpr std::size_t kReportRecordSize = 11;

std::uint8_t byteAt(const std::uint8_t *data, std::size_t size, std::size_t index)
{
    return index < size ? data[index] : 0;
}

std::uint16_t wordAt(const std::uint8_t *data, std::size_t size, std::size_t index)
{
    return std::uint16_t(byteAt(data, size, index) | (byteAt(data, size, index + 1) << 8));
}

void putWord(InputReport &report, std::size_t index, std::uint16_t value)
{
    report[index] = std::uint8_t(value & 0xFF);
    report[index + 1] = std::uint8_t(value >> 8);
}

InputReport vendorReport(std::uint8_t subCommand)
{
    InputReport report{};
    report[0] = kVendorReportId;
    report[1] = subCommand;
    return report;
}

} // namespace

bool Settings::operator==(const Settings &o) const
{
    return angle == o.angle && totalForce == o.totalForce && filterFrequency == o.filterFrequency &&
           wheelSpring == o.wheelSpring && wheelDamper == o.wheelDamper &&
           wheelSpeed == o.wheelSpeed && wheelFriction == o.wheelFriction &&
           gameSpring == o.gameSpring && gameDamper == o.gameDamper &&
           gameInertia == o.gameInertia && gameFriction == o.gameFriction &&
           constantForce == o.constantForce && periodForce == o.periodForce &&
           suspension == o.suspension && response == o.response;
}

InputReport encodeMachineReport(const Settings &s)
{
    InputReport report = vendorReport(0x01);
    putWord(report, 2, s.angle);
    report[4] = 0; // the centre is done once it has been applied
    report[5] = std::uint8_t(s.totalForce);
    report[6] = s.filterFrequency;
    report[7] = s.wheelSpring;
    report[8] = s.wheelDamper;
    report[9] = s.wheelSpeed;
    report[10] = s.wheelFriction;
    return report;
}

InputReport encodeGameReport(const Settings &s)
{
    InputReport report = vendorReport(0x02);
    report[2] = s.gameSpring;
    report[3] = s.gameDamper;
    report[4] = s.gameInertia;
    report[5] = s.gameFriction;
    report[6] = s.constantForce;
    report[7] = s.periodForce;
    return report;
}

InputReport encodeModeReport(const Settings &s)
{
    InputReport report = vendorReport(0x04);
    putWord(report, 2, s.suspension);
    putWord(report, 4, s.response);
    return report;
}

InputReport encodeStatusReport(const Status &status)
{
    InputReport report = vendorReport(0x0A);
    putWord(report, 2, status.effectMask);
    putWord(report, 4, status.statusCode);
    putWord(report, 6, status.firmwareVersion);
    putWord(report, 8, status.supplyVoltage);
    return report;
}

InputReport encodeFactoryResetAck()
{
    InputReport report = vendorReport(0x05);
    report[2] = 0xAA;
    report[3] = 0xAA;
    return report;
}

InputReport encodeLiveReport(const LiveState &state)
{
    InputReport report{};
    report[0] = kLiveReportId;
    putWord(report, 1, state.wheelPosition);
    // Two 12-bit axes share three bytes: the first axis takes the low byte and
    // the low nibble of the middle byte, the second the high nibble and the
    // last byte.
    for (std::size_t pair = 0; pair < 3; ++pair) {
        const std::uint16_t first = state.axes[2 * pair] & 0x0FFF;
        const std::uint16_t second = state.axes[2 * pair + 1] & 0x0FFF;
        const std::size_t at = 3 + 3 * pair;
        report[at] = std::uint8_t(first & 0xFF);
        report[at + 1] = std::uint8_t((first >> 8) | ((second & 0x0F) << 4));
        report[at + 2] = std::uint8_t(second >> 4);
    }
    // Button 0 is the most significant bit of byte 12.
    for (int k = 0; k < 64; ++k) {
        if (state.buttons & (std::uint64_t(1) << k))
            report[12 + k / 8] |= std::uint8_t(0x80 >> (k % 8));
    }
    return report;
}

std::uint16_t wheelPositionRaw(double degrees, int angleRange)
{
    // The tool shows (raw - 32767) * (range div 2) / 32767 degrees.
    const int half = angleRange / 2;
    if (half <= 0)
        return 32767;
    const long raw = std::lround(32767.0 + degrees * 32767.0 / half);
    if (raw < 0)
        return 0;
    if (raw > 65535)
        return 65535;
    return std::uint16_t(raw);
}

FeatureRequest classifyFeatureReport(const std::uint8_t *data, std::size_t size)
{
    FeatureRequest request;
    if (byteAt(data, size, 0) != kVendorReportId)
        return request;
    switch (byteAt(data, size, 1)) {
    case 0x01:
        request.kind = FeatureRequest::Machine;
        request.center = byteAt(data, size, 4) == kCenterCommand;
        break;
    case 0x02:
        request.kind = FeatureRequest::Game;
        break;
    case 0x03:
        request.kind = FeatureRequest::ReadStore;
        request.read = byteAt(data, size, 2) == 1;
        request.store = byteAt(data, size, 3) == kStoreCommand;
        break;
    case 0x04:
        request.kind = FeatureRequest::Mode;
        break;
    case 0x05:
        if (byteAt(data, size, 2) == 0x55 && byteAt(data, size, 3) == 0x55)
            request.kind = FeatureRequest::FactoryReset;
        break;
    default:
        break;
    }
    return request;
}

void applyMachineReport(Settings &s, const std::uint8_t *data, std::size_t size)
{
    s.angle = wordAt(data, size, 2);
    s.totalForce = std::int8_t(byteAt(data, size, 5));
    s.filterFrequency = byteAt(data, size, 6);
    s.wheelSpring = byteAt(data, size, 7);
    s.wheelDamper = byteAt(data, size, 8);
    s.wheelSpeed = byteAt(data, size, 9);
    s.wheelFriction = byteAt(data, size, 10);
}

void applyGameReport(Settings &s, const std::uint8_t *data, std::size_t size)
{
    s.gameSpring = byteAt(data, size, 2);
    s.gameDamper = byteAt(data, size, 3);
    s.gameInertia = byteAt(data, size, 4);
    s.gameFriction = byteAt(data, size, 5);
    s.constantForce = byteAt(data, size, 6);
    s.periodForce = byteAt(data, size, 7);
}

void applyModeReport(Settings &s, const std::uint8_t *data, std::size_t size)
{
    s.suspension = wordAt(data, size, 2);
    s.response = wordAt(data, size, 4);
}

QString featureLogLine(const QByteArray &report)
{
    const QByteArray record = report.left(int(kReportRecordSize));
    return QStringLiteral("sim: feature ") + QString::fromLatin1(record.toHex(' ').toUpper());
}

} // namespace sim
