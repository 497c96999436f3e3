#pragma once

// What the base may receive, checked against the parameter catalogue: every
// value of a settings or mode report inside its parameter's range, and byte
// [4] of the machine settings either 0 or the centre command. Used on every
// feature report the simulated base received by the soak test and the window
// fuzz target.

#include "parameters.h"
#include "reports.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace featurecheck {

// Why `report` must not have reached the base; empty when it may have.
inline QString unsafeValues(const QByteArray &report)
{
    using namespace protocol;
    if (report.size() < 2 || quint8(report.at(0)) != VendorReportId)
        return QStringLiteral("not a vendor report");
    const SubCommand sub = SubCommand(quint8(report.at(1)));
    std::optional<ParameterValues> values;
    if (const auto machine = decodeMachineSettings(report)) {
        if (machine->centerCommand != 0 && machine->centerCommand != CenterCommand)
            return QStringLiteral("byte 4 = %1").arg(machine->centerCommand);
        values = machine->values;
    } else if (const auto game = decodeGameSettings(report)) {
        values = game->values;
    } else if (const auto mode = decodeMode(report)) {
        values = mode->values;
    }
    if (!values)
        return QString(); // a request of fixed bytes
    for (const ParameterInfo *info : reportParameters(sub)) {
        const int value = values->value(info->parameter);
        if (!info->range.contains(value))
            return QStringLiteral("%1 = %2").arg(QLatin1String(info->name)).arg(value);
    }
    return QString();
}

inline bool isCentreCommand(const QByteArray &report)
{
    return report.size() > protocol::CenterCommandPosition &&
           quint8(report.at(0)) == protocol::VendorReportId &&
           quint8(report.at(1)) == quint8(protocol::SubCommand::MachineSettings) &&
           quint8(report.at(protocol::CenterCommandPosition)) == protocol::CenterCommand;
}

} // namespace featurecheck
