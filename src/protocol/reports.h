#pragma once

// Codecs for the wheel base's HID reports, as pure functions on byte arrays.
//
// Output reports (tool -> base) are feature reports with report id 0x80 and a sub-command in
// byte [1]. Each is built in an 11-byte record (positions 0..10, zero where nothing is said)
// and then sized to the device's feature-report length: zeros after position 10 when the
// length is larger, only the first bytes when it is smaller.
//
// Input reports (base -> tool) are 20 bytes. Every decoder checks the report id and the
// sub-command and rejects (std::nullopt) a report shorter than the bytes it reads; longer
// reports decode normally and the extra bytes are ignored.
//
// Parameter field positions and formats come from the catalogue (parameters.h). Whatever goes
// to the base is built by the checked builders, which refuse a value outside its parameter's
// range. Sending the machine settings from the form, for example:
//
//     using namespace protocol;
//     ParameterValues values;
//     for (const ParameterInfo *p : machineParameters())
//         values.setValue(p->parameter, sliderOf(p->parameter)->value());
//     if (const auto report = checkedMachineSettingsReport(values, false, featureReportLength))
//         send(*report);
//
// and filling the form from its echo, in byte order:
//
//     if (const auto echo = decodeMachineSettings(buffer)) {
//         for (const ParameterInfo *p : reportParameters(SubCommand::MachineSettings)) {
//             const int v = echo->values.value(p->parameter);
//             lineEditOf(p->parameter)->setText(QString::number(v));
//         }
//     }

#include "parameters.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <array>
#include <optional>

namespace protocol {

// USB identity of the wheel base.
constexpr quint16 BaseVendorId = 0x0483;
constexpr quint16 BaseProductId = 0x0522;

constexpr quint8 VendorReportId = 0x80;
constexpr quint8 LiveReportId = 0x01;
constexpr int OutputRecordSize = 11;
constexpr int OutputFrameSize = 12; // an interrupt output report, padded with zeros
constexpr int InputReportSize = 20;

constexpr quint8 CenterCommand = 0x2D;        // byte [4] of the machine settings sent by "Center"
constexpr quint8 ReadRequestValue = 0x01;     // byte [2] of the read/store request
constexpr quint8 StoreRequestValue = 0x24;    // byte [3] of the read/store request ('$')
constexpr quint8 FactoryResetValue = 0x55;    // bytes [2] and [3] of the factory-reset request
constexpr quint8 FactoryResetAckValue = 0xAA; // bytes [2] and [3] of its acknowledgement

constexpr int CenterCommandPosition = 4;
constexpr quint16 WheelCentre = 32767;

// One integer per parameter, indexed by Parameter; zero unless set. Builders take the low 8
// or 16 bits of each value (as the report field's format says); decoders fill the parameters
// of their report and leave the others at zero.
class ParameterValues
{
public:
    int value(Parameter parameter) const { return m_values[static_cast<int>(parameter)]; }
    void setValue(Parameter parameter, int value) { m_values[static_cast<int>(parameter)] = value; }

    bool operator==(const ParameterValues &other) const { return m_values == other.m_values; }
    bool operator!=(const ParameterValues &other) const { return !(*this == other); }

private:
    std::array<int, ParameterCount> m_values{};
};

// A line edit's text as a parameter value: a decimal integer (QString::toInt, base 10); text
// that is empty or not a number gives 0.
int valueFromText(const QString &text);

// The 11-byte record `record` sized to `featureLength` bytes (padded with zeros or cut).
// A length of 0 or less gives an empty array.
QByteArray toFeatureLength(const QByteArray &record, int featureLength);

// ---- Builders of the fixed requests ----------------------------------------------------------

// 0x80/0x03 with the given read-request and store-request bytes.
QByteArray readStoreRequest(quint8 readRequest, quint8 storeRequest,
                            int featureLength = OutputRecordSize);
// 80 03 01 00 ..: asks the base to send its settings.
QByteArray readRequest(int featureLength = OutputRecordSize);
// 80 03 00 24 ..: asks the base to store its current settings.
QByteArray storeRequest(int featureLength = OutputRecordSize);
// 80 05 55 55 00 ..
QByteArray factoryResetRequest(int featureLength = OutputRecordSize);

// ---- Checked builders: the only reports the window sends --------------------------------------
//
// The unchecked value builders are internal to the protocol core; these refuse, with std::nullopt,
// a report carrying a value outside its parameter's range in the catalogue, so that nothing out of
// range reaches the base by any path.

// The parameters `subCommand`'s report carries whose value in `values` is out of range.
QVector<Parameter> valuesOutOfRange(SubCommand subCommand, const ParameterValues &values);
// 0x80/0x01; byte [4] is CenterCommand when `center`, else 0.
std::optional<QByteArray> checkedMachineSettingsReport(const ParameterValues &values, bool center,
                                                       int featureLength = OutputRecordSize);
std::optional<QByteArray> checkedGameSettingsReport(const ParameterValues &values,
                                                    int featureLength = OutputRecordSize);
std::optional<QByteArray> checkedModeReport(const ParameterValues &values,
                                            int featureLength = OutputRecordSize);

// ---- Decoders -------------------------------------------------------------------------------

// Echo of 0x80/0x01 (needs 11 bytes): the seven machine parameters, TotalForce read as signed.
struct MachineSettingsEcho
{
    ParameterValues values;
    quint8 centerCommand = 0;
    bool operator==(const MachineSettingsEcho &o) const
    {
        return values == o.values && centerCommand == o.centerCommand;
    }
};
std::optional<MachineSettingsEcho> decodeMachineSettings(const QByteArray &report);

// Echo of 0x80/0x02 (needs 8 bytes): the six game parameters.
struct GameSettingsEcho
{
    ParameterValues values;
    bool operator==(const GameSettingsEcho &o) const { return values == o.values; }
};
std::optional<GameSettingsEcho> decodeGameSettings(const QByteArray &report);

// Echo of 0x80/0x04 (needs 6 bytes): Suspension and Response as full 16-bit indexes, unchecked
// against the combos' items.
struct ModeEcho
{
    ParameterValues values;
    bool operator==(const ModeEcho &o) const { return values == o.values; }
};
std::optional<ModeEcho> decodeMode(const QByteArray &report);

// Input 0x80/0x05 (needs 4 bytes). `acknowledged` is true only for bytes [2], [3] = AA AA;
// any other 0x05 report is consumed without effect.
struct FactoryResetReply
{
    bool acknowledged = false;
    bool operator==(const FactoryResetReply &o) const { return acknowledged == o.acknowledged; }
};
std::optional<FactoryResetReply> decodeFactoryResetReply(const QByteArray &report);

// Input 0x80/0x0A (needs 10 bytes).
struct StatusReport
{
    quint16 effectMask = 0;
    quint16 statusCode = 0;
    quint16 firmwareVersion = 0;
    quint16 voltage = 0;
    bool operator==(const StatusReport &o) const
    {
        return effectMask == o.effectMask && statusCode == o.statusCode &&
               firmwareVersion == o.firmwareVersion && voltage == o.voltage;
    }
};
std::optional<StatusReport> decodeStatus(const QByteArray &report);

// Live report, report id 0x01 (needs 20 bytes).
struct LiveReport
{
    quint16 wheelPosition = 0;             // raw, 32767 is the centre
    std::array<quint16, AxisCount> axes{}; // 0..4095, indexed by Axis
    quint64 buttons = 0;                   // bit k = button k

    quint16 axis(Axis a) const { return axes[static_cast<int>(a)]; }
    bool button(int k) const { return k >= 0 && k < ButtonCount && ((buttons >> k) & 1u); }
    bool operator==(const LiveReport &o) const
    {
        return wheelPosition == o.wheelPosition && axes == o.axes && buttons == o.buttons;
    }
};
std::optional<LiveReport> decodeLive(const QByteArray &report);

// Wheel position in degrees for a steering range of `angleRange` degrees:
// (raw - 32767) * (angleRange div 2) / 32767 in integers, truncating toward zero. A range of 0
// gives 0.
int wheelPositionDegrees(quint16 raw, quint16 angleRange);

// Vendor sub-commands whose newest report the window keeps: 0x01, 0x02, 0x04, 0x05, 0x06 ..
// 0x0B and 0x10. Every other sub-command is dropped (it still starts the read-back timer).
bool isKeptSubCommand(quint8 subCommand);

} // namespace protocol
