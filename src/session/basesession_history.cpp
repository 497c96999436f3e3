// What the base has: the read-back with every accepted send laid over it, the history steps of
// changes that reached it, snapshots, and the loads and sends of whole settings.

#include "basesession.h"

#include "parameterbits.h"
#include "parameterprofile.h"
#include "parameters.h"
#include "profilefolder.h"

#include <QDateTime>
#include <QLoggingCategory>
#include <QScopedValueRollback>
#include <QTimer>

Q_LOGGING_CATEGORY(lcHistory, "velorax.session.history")

namespace session {

namespace {

// How long a read request's answer is waited for before the base is asked again; the base
// answers within a few tens of milliseconds.
constexpr qint64 kSettingsAnswerMs = 1000;

constexpr protocol::ParameterGroup kGroups[] = {protocol::ParameterGroup::Machine,
                                                protocol::ParameterGroup::Game,
                                                protocol::ParameterGroup::Choice};

// Sliders clamp; a choice keeps its value for an index that is no choice, so that no undefined
// mode is shown, stored or sent.
bool canTake(const protocol::ParameterInfo &info, int value)
{
    return info.group != protocol::ParameterGroup::Choice || info.range.contains(value);
}

} // namespace

bool BaseSession::baseSettingsKnown() const
{
    return m_linked && (m_readBackMask & kAllParameterBits) == kAllParameterBits;
}

void BaseSession::readBaseSettings()
{
    // The answer to a request that went out moments ago is as fresh as a new one's, unless
    // settings went out after it: a command run beside the window's own start-up read waits for
    // it instead of asking twice.
    if (m_settingsRequested.isValid() && m_settingsRequested.elapsed() < kSettingsAnswerMs &&
        !m_sentSinceRequest)
        return;
    requestBaseSettings();
}

BaseStatus BaseSession::status() const
{
    BaseStatus status = m_status;
    status.linked = m_linked;
    return status;
}

void BaseSession::noteReadBack(protocol::Parameter parameter, int value)
{
    const quint32 bit = parameterBit(parameter);
    m_readBack.setValue(parameter, value);
    m_readBackMask |= bit;
    m_answeredMask |= bit;
    m_baseHas.setValue(parameter, value);
    m_baseHasMask |= bit;
}

void BaseSession::finishReadBackPass(bool settingsArrived)
{
    // Announced once the answer to the last request is complete, so that a command sees the
    // base's settings of after its request, not a mix.
    if (!settingsArrived || !baseSettingsKnown() ||
        (m_answeredMask & kAllParameterBits) != kAllParameterBits)
        return;
    m_settingsRequested.invalidate();
    if (m_factoryResetBefore) {
        // The factory values are known: the reset becomes a history step.
        emit changeSent(*m_factoryResetBefore, m_baseHas, kAllParameterBits, ++m_changeOrigins);
        m_factoryResetBefore.reset();
    }
    emit baseSettingsRead();
}

void BaseSession::forgetBaseSettings()
{
    m_readBackMask = 0;
    m_baseHasMask = 0;
    m_settingsRequested.invalidate();
    m_factoryResetBefore.reset();
}

void BaseSession::noteUserChange(protocol::ParameterGroup group)
{
    if (m_loadingProfile)
        return;
    m_groupOrigin[static_cast<int>(group)] = ++m_changeOrigins;
}

void BaseSession::noteSent(protocol::ParameterGroup group, const protocol::ParameterValues &values)
{
    const quint32 bits = parameterGroupBits(group);
    const bool wasKnown = (m_baseHasMask & bits) == bits;
    m_sentSinceRequest = true;
    const protocol::ParameterValues before = m_baseHas;
    for (const protocol::ParameterInfo &info : protocol::parameterTable()) {
        if (info.group == group)
            m_baseHas.setValue(info.parameter, values.value(info.parameter));
    }
    m_baseHasMask |= bits;
    if (m_undoing || !wasKnown || before == m_baseHas)
        return;
    emit changeSent(before, m_baseHas, bits, m_groupOrigin[static_cast<int>(group)]);
}

void BaseSession::applyHistoryStep(const protocol::ParameterValues &values, quint32 parameters)
{
    const QScopedValueRollback<bool> undoing(m_undoing, true);
    showValues(values, parameters);
    for (const protocol::ParameterGroup group : kGroups) {
        if (parameters & parameterGroupBits(group))
            sendGroup(group);
    }
}

void BaseSession::showValues(const protocol::ParameterValues &values, quint32 parameters)
{
    // Committed and announced without arming a send or counting as a user change.
    for (const protocol::ParameterInfo &info : protocol::parameterTable()) {
        const int value = values.value(info.parameter);
        if (!(parameters & parameterBit(info.parameter)) || !canTake(info, value))
            continue;
        commit(info.parameter, value);
        emit committedValueChanged(info.parameter, m_committed.value(info.parameter));
    }
}

// ---- Snapshots ------------------------------------------------------------------------------

void BaseSession::setReasonWording(std::function<QString(const QString &)> wording)
{
    m_reasonWording = std::move(wording);
}

QString BaseSession::saveSnapshot(const QString &reason)
{
    // What the base reported, with the sends it took since: a value typed and sent after the
    // read-back is the base's now.
    if (!baseSettingsKnown() || (m_baseHasMask & kAllParameterBits) != kAllParameterBits) {
        qCInfo(lcHistory) << "no snapshot" << reason << "- the base's settings were not read";
        return QString();
    }
    return saveSnapshot(reason, m_baseHas);
}

QString BaseSession::saveSnapshot(const QString &reason, const protocol::ParameterValues &values)
{
    return profiles::saveSnapshot(profiles::profileFolder(), values,
                                  m_reasonWording ? m_reasonWording(reason) : reason,
                                  QDateTime::currentDateTime(), profiles::shippedDefaultProfile());
}

// ---- Whole settings -------------------------------------------------------------------------

void BaseSession::loadValues(const protocol::ParameterValues &values)
{
    commitProfile(values);
}

void BaseSession::commitProfile(const protocol::ParameterValues &values, bool sendNow)
{
    // One user action: its sends merge into one history step.
    const QScopedValueRollback<bool> loading(m_loadingProfile, true);
    const int origin = ++m_changeOrigins;
    for (int &groupOrigin : m_groupOrigin)
        groupOrigin = origin;
    const quint32 unsentBefore = m_unsentGroups;
    m_unsentGroups = 0;
    for (const protocol::ProfileStep &step : protocol::profileLoadOrder()) {
        if (step.item != protocol::ProfileItem::ParameterValue)
            continue;
        const protocol::ParameterInfo &info = protocol::parameterInfo(step.parameter);
        const int value = values.value(info.parameter);
        if (!canTake(info, value))
            continue;
        // Counted as set on this link, so that the sends it causes may go out.
        noteValueSet(info.parameter);
        commit(info.parameter, info.range.bounded(value));
        emit committedValueChanged(info.parameter, m_committed.value(info.parameter));
    }
    const quint32 changed = m_unsentGroups;
    m_unsentGroups |= unsentBefore;
    // At once, every group in report order; or each group with a changed value as a slider
    // move would send it: the settings half a second later, a choice at once.
    for (const protocol::ParameterGroup group : kGroups) {
        if (sendNow)
            sendGroup(group);
        else if (changed & (1u << static_cast<int>(group)))
            scheduleSend(group);
    }
}

bool BaseSession::sendSettings(const protocol::ParameterValues &values)
{
    if (!baseSettingsKnown())
        return false;
    sendPendingChanges();
    commitProfile(values, true);
    return (m_baseHasMask & kAllParameterBits) == kAllParameterBits && m_baseHas == values;
}

bool BaseSession::applyProfile(const protocol::ParameterValues &values)
{
    if (!baseSettingsKnown())
        return false;
    sendPendingChanges();
    saveSnapshot(QStringLiteral("before profile load"));
    commitProfile(values, true);
    return true;
}

} // namespace session
