#include "reports.h"
#include "unchecked_reports.h"

#include <QLoggingCategory>

#include <algorithm>

namespace protocol {

Q_LOGGING_CATEGORY(lcProtocol, "velorax.protocol")

namespace {

using Record = std::array<quint8, OutputRecordSize>;

Record newRecord(SubCommand subCommand)
{
    Record record{};
    record[0] = VendorReportId;
    record[1] = static_cast<quint8>(subCommand);
    return record;
}

QByteArray finish(const Record &record, int featureLength)
{
    const QByteArray bytes(reinterpret_cast<const char *>(record.data()),
                           static_cast<int>(record.size()));
    return toFeatureLength(bytes, featureLength);
}

// Values keep only the bits their field holds; conversion to an unsigned type of that width is
// reduction modulo 2^n, which is what the base expects for negative TotalForce values.
void writeField(Record &record, const ReportField &field, int value)
{
    const int p = field.position;
    switch (field.format) {
    case FieldFormat::Unsigned8:
    case FieldFormat::Signed8:
        record[p] = static_cast<quint8>(value);
        break;
    case FieldFormat::Unsigned16: {
        const quint16 word = static_cast<quint16>(value);
        record[p] = static_cast<quint8>(word & 0xFF);
        record[p + 1] = static_cast<quint8>(word >> 8);
        break;
    }
    case FieldFormat::Index16:
        record[p] = static_cast<quint8>(value);
        record[p + 1] = 0;
        break;
    }
}

quint8 byteAt(const QByteArray &report, int position)
{
    return static_cast<quint8>(report.at(position));
}

quint16 wordAt(const QByteArray &report, int position)
{
    return static_cast<quint16>(byteAt(report, position) | (byteAt(report, position + 1) << 8));
}

int readField(const QByteArray &report, const ReportField &field)
{
    switch (field.format) {
    case FieldFormat::Unsigned8:
        return byteAt(report, field.position);
    case FieldFormat::Signed8:
        return static_cast<qint8>(byteAt(report, field.position));
    case FieldFormat::Unsigned16:
    case FieldFormat::Index16:
        return wordAt(report, field.position);
    }
    return 0;
}

QByteArray recordWithParameters(SubCommand subCommand, const ParameterValues &values)
{
    Record record = newRecord(subCommand);
    for (const ParameterInfo *info : reportParameters(subCommand)) {
        writeField(record, info->field, values.value(info->parameter));
    }
    return QByteArray(reinterpret_cast<const char *>(record.data()),
                      static_cast<int>(record.size()));
}

// The number of bytes a decoder reads of a report with parameters: up to its last field.
int bytesNeededFor(SubCommand subCommand, int atLeast)
{
    int needed = atLeast;
    for (const ParameterInfo *info : reportParameters(subCommand)) {
        needed = std::max(needed, info->field.position + fieldWidth(info->field.format));
    }
    return needed;
}

// True when `report` is a vendor report of `subCommand` holding at least `needed` bytes.
bool acceptVendorReport(const QByteArray &report, SubCommand subCommand, int needed)
{
    if (report.size() < 2 || byteAt(report, 0) != VendorReportId ||
        byteAt(report, 1) != static_cast<quint8>(subCommand)) {
        return false;
    }
    if (report.size() < needed) {
        qCDebug(lcProtocol) << "rejected a short report of sub-command"
                            << static_cast<int>(subCommand) << "with" << report.size()
                            << "bytes, need" << needed;
        return false;
    }
    return true;
}

ParameterValues readParameters(const QByteArray &report, SubCommand subCommand)
{
    ParameterValues values;
    for (const ParameterInfo *info : reportParameters(subCommand)) {
        values.setValue(info->parameter, readField(report, info->field));
    }
    return values;
}

// True when every value `subCommand`'s report carries is in range; logs the others.
bool allInRange(SubCommand subCommand, const ParameterValues &values)
{
    const QVector<Parameter> outside = valuesOutOfRange(subCommand, values);
    for (const Parameter parameter : outside) {
        qCWarning(lcProtocol) << "refused to build a report of sub-command"
                              << static_cast<int>(subCommand) << "with"
                              << parameterInfo(parameter).name << "=" << values.value(parameter);
    }
    return outside.isEmpty();
}

quint16 unpackAxis(const QByteArray &report, const AxisInfo &axis)
{
    const quint8 first = byteAt(report, axis.firstByte);
    const quint8 second = byteAt(report, axis.firstByte + 1);
    switch (axis.packing) {
    case AxisPacking::ByteThenLowNibble:
        return static_cast<quint16>(first | ((second & 0x0F) << 8));
    case AxisPacking::HighNibbleThenByte:
        return static_cast<quint16>((first >> 4) | (second << 4));
    }
    return 0;
}

} // namespace

int valueFromText(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : 0;
}

QByteArray toFeatureLength(const QByteArray &record, int featureLength)
{
    if (featureLength <= 0) {
        return QByteArray();
    }
    QByteArray sized = record.left(featureLength);
    if (sized.size() < featureLength) {
        sized.append(QByteArray(featureLength - sized.size(), '\0'));
    }
    return sized;
}

QByteArray machineSettingsReport(const ParameterValues &values, quint8 centerCommand,
                                 int featureLength)
{
    QByteArray record = recordWithParameters(SubCommand::MachineSettings, values);
    record[CenterCommandPosition] = static_cast<char>(centerCommand);
    return toFeatureLength(record, featureLength);
}

QByteArray gameSettingsReport(const ParameterValues &values, int featureLength)
{
    return toFeatureLength(recordWithParameters(SubCommand::GameSettings, values), featureLength);
}

QByteArray readStoreRequest(quint8 readRequest, quint8 storeRequest, int featureLength)
{
    Record record = newRecord(SubCommand::ReadStore);
    record[2] = readRequest;
    record[3] = storeRequest;
    return finish(record, featureLength);
}

QByteArray readRequest(int featureLength)
{
    return readStoreRequest(ReadRequestValue, 0, featureLength);
}

QByteArray storeRequest(int featureLength)
{
    return readStoreRequest(0, StoreRequestValue, featureLength);
}

QByteArray modeReport(const ParameterValues &values, int featureLength)
{
    return toFeatureLength(recordWithParameters(SubCommand::Mode, values), featureLength);
}

QByteArray factoryResetRequest(int featureLength)
{
    Record record = newRecord(SubCommand::FactoryReset);
    record[2] = FactoryResetValue;
    record[3] = FactoryResetValue;
    return finish(record, featureLength);
}

QVector<Parameter> valuesOutOfRange(SubCommand subCommand, const ParameterValues &values)
{
    QVector<Parameter> outside;
    for (const ParameterInfo *info : reportParameters(subCommand)) {
        if (!info->range.contains(values.value(info->parameter)))
            outside.append(info->parameter);
    }
    return outside;
}

std::optional<QByteArray> checkedMachineSettingsReport(const ParameterValues &values, bool center,
                                                       int featureLength)
{
    if (!allInRange(SubCommand::MachineSettings, values))
        return std::nullopt;
    return machineSettingsReport(values, center ? CenterCommand : quint8(0), featureLength);
}

std::optional<QByteArray> checkedGameSettingsReport(const ParameterValues &values,
                                                    int featureLength)
{
    if (!allInRange(SubCommand::GameSettings, values))
        return std::nullopt;
    return gameSettingsReport(values, featureLength);
}

std::optional<QByteArray> checkedModeReport(const ParameterValues &values, int featureLength)
{
    if (!allInRange(SubCommand::Mode, values))
        return std::nullopt;
    return modeReport(values, featureLength);
}

std::optional<MachineSettingsEcho> decodeMachineSettings(const QByteArray &report)
{
    constexpr SubCommand sub = SubCommand::MachineSettings;
    if (!acceptVendorReport(report, sub, bytesNeededFor(sub, CenterCommandPosition + 1))) {
        return std::nullopt;
    }
    MachineSettingsEcho echo;
    echo.values = readParameters(report, sub);
    echo.centerCommand = byteAt(report, CenterCommandPosition);
    return echo;
}

std::optional<GameSettingsEcho> decodeGameSettings(const QByteArray &report)
{
    constexpr SubCommand sub = SubCommand::GameSettings;
    if (!acceptVendorReport(report, sub, bytesNeededFor(sub, 2))) {
        return std::nullopt;
    }
    return GameSettingsEcho{readParameters(report, sub)};
}

std::optional<ModeEcho> decodeMode(const QByteArray &report)
{
    constexpr SubCommand sub = SubCommand::Mode;
    if (!acceptVendorReport(report, sub, bytesNeededFor(sub, 2))) {
        return std::nullopt;
    }
    return ModeEcho{readParameters(report, sub)};
}

std::optional<FactoryResetReply> decodeFactoryResetReply(const QByteArray &report)
{
    if (!acceptVendorReport(report, SubCommand::FactoryReset, 4)) {
        return std::nullopt;
    }
    FactoryResetReply reply;
    reply.acknowledged =
        byteAt(report, 2) == FactoryResetAckValue && byteAt(report, 3) == FactoryResetAckValue;
    return reply;
}

std::optional<StatusReport> decodeStatus(const QByteArray &report)
{
    if (!acceptVendorReport(report, SubCommand::Status, 10)) {
        return std::nullopt;
    }
    StatusReport status;
    status.effectMask = wordAt(report, 2);
    status.statusCode = wordAt(report, 4);
    status.firmwareVersion = wordAt(report, 6);
    status.voltage = wordAt(report, 8);
    return status;
}

std::optional<LiveReport> decodeLive(const QByteArray &report)
{
    constexpr int needed = FirstButtonByte + ButtonCount / 8;
    if (report.isEmpty() || byteAt(report, 0) != LiveReportId) {
        return std::nullopt;
    }
    if (report.size() < needed) {
        qCDebug(lcProtocol) << "rejected a short live report with" << report.size() << "bytes";
        return std::nullopt;
    }
    LiveReport live;
    live.wheelPosition = wordAt(report, WheelPositionByte);
    for (const AxisInfo &axis : axisTable()) {
        live.axes[static_cast<int>(axis.axis)] = unpackAxis(report, axis);
    }
    for (int k = 0; k < ButtonCount; ++k) {
        const quint8 byte = byteAt(report, FirstButtonByte + k / 8);
        if (byte & (0x80u >> (k % 8))) {
            live.buttons |= quint64(1) << k;
        }
    }
    return live;
}

int wheelPositionDegrees(quint16 raw, quint16 angleRange)
{
    // |raw - 32767| <= 32768 and angleRange / 2 <= 32767, so the product fits in an int.
    return (int(raw) - int(WheelCentre)) * (int(angleRange) / 2) / int(WheelCentre);
}

bool isKeptSubCommand(quint8 subCommand)
{
    return (subCommand >= 0x01 && subCommand <= 0x0B && subCommand != 0x03) || subCommand == 0x10;
}

} // namespace protocol
