// The base's answers: settings echoes, mode, factory-reset acknowledgement and status, taken
// in a fixed order at the read-back timer's pace.

#include "basesession.h"

#include "parameterbits.h"
#include "parameters.h"

#include <QLoggingCategory>
#include <QScopedValueRollback>
#include <QTimer>

Q_LOGGING_CATEGORY(lcReadBack, "velorax.session.readback")

namespace session {

void BaseSession::setReadBackDelay(int milliseconds)
{
    m_readBackTimer->setInterval(milliseconds);
}

void BaseSession::readBackPass()
{
    if (m_inReadBackPass) {
        // Only an event loop run from inside a pass gets here; the reports filed meanwhile are
        // taken by a pass right after it.
        m_readBackTimer->start();
        return;
    }
    m_readBackTimer->stop();
    bool settingsArrived = false;
    {
        const QScopedValueRollback<bool> inPass(m_inReadBackPass, true);
        // The kinds in their fixed order, whatever order they arrived in; the buffer is copied
        // because applying a report may drop the link.
        const auto take = [this](protocol::SubCommand subCommand, QByteArray *report) {
            FiledReport &filed = m_filed[static_cast<int>(subCommand)];
            if (filed.bytes.isNull() || !filed.arrived)
                return false;
            filed.arrived = false;
            *report = filed.bytes;
            return true;
        };
        QByteArray report;
        for (const protocol::SubCommand settings :
             {protocol::SubCommand::MachineSettings, protocol::SubCommand::GameSettings}) {
            if (take(settings, &report)) {
                applySettingsEcho(settings, report);
                settingsArrived = true;
            }
        }
        if (take(protocol::SubCommand::Mode, &report)) {
            applyModeEcho(report);
            settingsArrived = true;
        }
        if (take(protocol::SubCommand::FactoryReset, &report))
            applyFactoryResetAck(report);
        if (take(protocol::SubCommand::Status, &report))
            applyStatusReport(report);
    }
    finishReadBackPass(settingsArrived);
}

void BaseSession::applySettingsEcho(protocol::SubCommand subCommand, const QByteArray &report)
{
    const bool machine = subCommand == protocol::SubCommand::MachineSettings;
    std::optional<protocol::ParameterValues> values;
    // Byte [4] of a machine echo is never taken as a command: Centre alone sets it.
    if (machine) {
        if (const auto echo = protocol::decodeMachineSettings(report))
            values = echo->values;
    } else if (const auto echo = protocol::decodeGameSettings(report)) {
        values = echo->values;
    }
    if (!values) {
        qCWarning(lcReadBack) << "settings report too short:" << report.toHex(' ');
        return;
    }
    for (const protocol::ParameterInfo *info : protocol::reportParameters(subCommand))
        takeBaseValue(*info, values->value(info->parameter));
    // The group ends disarmed, so nothing is echoed to the base.
    const protocol::ParameterGroup group =
        machine ? protocol::ParameterGroup::Machine : protocol::ParameterGroup::Game;
    armed(group) = false;
    sendHeldBackValues(group);
}

void BaseSession::takeBaseValue(const protocol::ParameterInfo &info, int value)
{
    const quint32 bit = parameterBit(info.parameter);
    noteReadBack(info.parameter, value);
    // A value the user set before the base's were known waits to be sent.
    if (m_heldBackValues & bit)
        return;
    // Out of range: what the range can hold is shown, and that is what a later send carries.
    const int taken = info.range.bounded(value);
    if (taken != value)
        qCWarning(lcReadBack) << "the base reported" << info.name << value << "- taken as" << taken;
    const QScopedValueRollback<bool> applying(m_applyingBaseValues, true);
    m_committed.setValue(info.parameter, taken);
    m_knownValues |= bit;
    emit committedValueChanged(info.parameter, taken);
}

void BaseSession::applyModeEcho(const QByteArray &report)
{
    const std::optional<protocol::ModeEcho> echo = protocol::decodeMode(report);
    if (!echo) {
        qCWarning(lcReadBack) << "mode report too short:" << report.toHex(' ');
        return;
    }
    // The base's own choice is taken, not sent back. An index that is no choice keeps the
    // current one, which stays unknown if nobody read or set it.
    for (const protocol::ParameterInfo *info : protocol::choiceParameters()) {
        const int index = echo->values.value(info->parameter);
        if (info->range.contains(index)) {
            takeBaseValue(*info, index); // notes the read-back, keeps a held-back value
            continue;
        }
        noteReadBack(info->parameter, index);
        qCWarning(lcReadBack) << "the base reported" << info->name << "index" << index
                              << "- not a choice, kept";
    }
    sendHeldBackValues(protocol::ParameterGroup::Choice);
}

void BaseSession::applyFactoryResetAck(const QByteArray &report)
{
    const std::optional<protocol::FactoryResetReply> reply =
        protocol::decodeFactoryResetReply(report);
    if (!reply || !reply->acknowledged)
        return;
    if (m_factoryResetTimer->isActive()) {
        m_factoryResetTimer->stop();
        emit factoryResetWaitChanged(false);
    }
    // The factory values arrive as the answer to a fresh read request.
    requestBaseSettings();
}

void BaseSession::applyStatusReport(const QByteArray &report)
{
    const std::optional<protocol::StatusReport> status = protocol::decodeStatus(report);
    if (!status) {
        qCWarning(lcReadBack) << "status report too short:" << report.toHex(' ');
        return;
    }
    m_status.reported = true;
    m_status.firmwareVersion = status->firmwareVersion;
    m_status.voltage = status->voltage;
    m_status.statusCode = status->statusCode;
    m_status.effectMask = status->effectMask;
    // The version check may drop the link; the report is announced all the same.
    BaseStatus announced = m_status;
    announced.linked = m_linked;
    checkFirmware(status->firmwareVersion);
    emit statusReported(announced);
}

} // namespace session
