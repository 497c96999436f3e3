// The input-report decoders over arbitrary bytes: each accepts exactly the
// reports of its kind that are long enough, never reads past the end, and what
// it decodes survives a round trip through the matching report builder.

#include "fuzzcheck.h"
#include "indicators.h"
#include "reports.h"
#include "unchecked_reports.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace protocol;

namespace {

bool isVendorReport(const QByteArray &report, SubCommand sub, int needed)
{
    return report.size() >= needed && quint8(report.at(0)) == VendorReportId &&
           quint8(report.at(1)) == quint8(sub);
}

// The value a builder writes for `parameter`, as its decoder reads it back.
int sentValue(Parameter parameter, int value)
{
    return parameterInfo(parameter).field.format == FieldFormat::Index16 ? (value & 0xFF) : value;
}

void checkRoundTrip(const ParameterValues &decoded, const ParameterValues &again,
                    const QVector<const ParameterInfo *> &parameters)
{
    for (const ParameterInfo *info : parameters)
        FUZZ_CHECK(again.value(info->parameter) ==
                   sentValue(info->parameter, decoded.value(info->parameter)));
}

void checkLive(const QByteArray &report)
{
    const auto live = decodeLive(report);
    FUZZ_CHECK(live.has_value() ==
               (report.size() >= InputReportSize && quint8(report.at(0)) == LiveReportId));
    if (!live)
        return;
    for (const quint16 axis : live->axes)
        FUZZ_CHECK(AxisValueRange.contains(axis));
    for (int k = 0; k < ButtonCount; ++k) {
        const bool bit = quint8(report.at(FirstButtonByte + k / 8)) & (0x80 >> (k % 8));
        FUZZ_CHECK(live->button(k) == bit);
    }
    const quint16 raw = live->wheelPosition;
    for (const quint16 range : {quint16(0), quint16(900), quint16(1600), quint16(0xFFFF),
                                quint16(quint8(report.at(3)) | quint8(report.at(4)) << 8)}) {
        const int degrees = wheelPositionDegrees(raw, range);
        const int half = range / 2;
        FUZZ_CHECK(degrees >= -half && degrees <= half + 1);
        FUZZ_CHECK(raw >= WheelCentre || degrees <= 0);
        FUZZ_CHECK(raw <= WheelCentre || degrees >= 0);
    }
}

void checkStatus(const QByteArray &report)
{
    const auto status = decodeStatus(report);
    FUZZ_CHECK(status.has_value() == isVendorReport(report, SubCommand::Status, 10));
    if (!status)
        return;
    const auto lit = litPilotLamp(status->statusCode);
    FUZZ_CHECK(lit.has_value() == (status->statusCode < StatusCodeCount));
    const auto looks = pilotLampLooks(status->statusCode);
    for (int j = 0; j < StatusCodeCount; ++j) {
        const PilotLook expected =
            lit && *lit == j ? (status->statusCode == 0 ? PilotLook::Green : PilotLook::Red)
                             : PilotLook::Grey;
        FUZZ_CHECK(looks[std::size_t(j)] == expected);
    }
    const auto enabled = enabledByEffectMask(status->effectMask);
    const QVector<const ParameterInfo *> maskOrder = gameParametersInMaskOrder();
    for (int j = 0; j < maskOrder.size(); ++j)
        FUZZ_CHECK(enabled[std::size_t(j)] ==
                   isEnabledByEffectMask(maskOrder.at(j)->parameter, status->effectMask));
    FUZZ_CHECK(isFirmwareAccepted(status->firmwareVersion) ==
               (status->firmwareVersion >= MinimumFirmwareVersion));
}

void checkSettings(const QByteArray &report, int featureLength)
{
    const auto machine = decodeMachineSettings(report);
    FUZZ_CHECK(machine.has_value() == isVendorReport(report, SubCommand::MachineSettings, 11));
    if (machine) {
        const QByteArray sent =
            machineSettingsReport(machine->values, machine->centerCommand, featureLength);
        FUZZ_CHECK(sent.size() == featureLength);
        if (featureLength >= OutputRecordSize) {
            const auto again = decodeMachineSettings(sent);
            FUZZ_CHECK(again.has_value());
            FUZZ_CHECK(again->centerCommand == machine->centerCommand);
            checkRoundTrip(machine->values, again->values,
                           reportParameters(SubCommand::MachineSettings));
        }
    }

    const auto game = decodeGameSettings(report);
    FUZZ_CHECK(game.has_value() == isVendorReport(report, SubCommand::GameSettings, 8));
    if (game && featureLength >= 8) {
        const auto again = decodeGameSettings(gameSettingsReport(game->values, featureLength));
        FUZZ_CHECK(again.has_value());
        checkRoundTrip(game->values, again->values, reportParameters(SubCommand::GameSettings));
    }

    const auto mode = decodeMode(report);
    FUZZ_CHECK(mode.has_value() == isVendorReport(report, SubCommand::Mode, 6));
    if (mode && featureLength >= 6) {
        const auto again = decodeMode(modeReport(mode->values, featureLength));
        FUZZ_CHECK(again.has_value());
        checkRoundTrip(mode->values, again->values, reportParameters(SubCommand::Mode));
    }

    const auto reset = decodeFactoryResetReply(report);
    FUZZ_CHECK(reset.has_value() == isVendorReport(report, SubCommand::FactoryReset, 4));
    if (reset)
        FUZZ_CHECK(reset->acknowledged == (quint8(report.at(2)) == FactoryResetAckValue &&
                                           quint8(report.at(3)) == FactoryResetAckValue));

    if (report.size() >= 2 && quint8(report.at(0)) == VendorReportId) {
        const quint8 sub = quint8(report.at(1));
        FUZZ_CHECK(isKeptSubCommand(sub) == ((sub >= 1 && sub <= 11 && sub != 3) || sub == 16));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The decoders log each rejected report at debug level.
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Not copied: the decoders read libFuzzer's exact-size buffer, so a read
    // past the report's end is caught.
    const QByteArray report =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    // A feature length from the report itself, covering cut and padded sizes.
    const int featureLength = size > 2 ? 1 + quint8(report.at(size - 1)) % 70 : 11;

    checkLive(report);
    checkStatus(report);
    checkSettings(report, featureLength);

    const QByteArray sized = toFeatureLength(report, featureLength);
    FUZZ_CHECK(sized.size() == featureLength);
    FUZZ_CHECK(sized.startsWith(report.left(featureLength)));
    return 0;
}
