// What is sent when: committed values, the half-second send timers, values held back until
// the base's are known, refusals, the requests and the factory-reset wait.

#include "basesession.h"

#include "parameterbits.h"
#include "parameters.h"
#include "usbthread.h"

#include <QLoggingCategory>
#include <QTimer>

Q_LOGGING_CATEGORY(lcSends, "velorax.session.sends")

namespace session {

namespace {

constexpr int kReadBackTimerMs = 100;
constexpr int kSendDebounceMs = 500;
// Consecutive refusals before the user is told.
constexpr int kRefusalsBeforeNotice = 3;
constexpr int kFactoryResetTimeoutMs = 10000;

constexpr protocol::ParameterGroup kGroupsInReportOrder[] = {protocol::ParameterGroup::Machine,
                                                             protocol::ParameterGroup::Game,
                                                             protocol::ParameterGroup::Choice};

// The committed values of `group`, as its report carries them.
protocol::ParameterValues groupValues(const protocol::ParameterValues &committed,
                                      protocol::ParameterGroup group)
{
    protocol::ParameterValues values;
    for (const protocol::ParameterInfo &info : protocol::parameterTable()) {
        if (info.group == group)
            values.setValue(info.parameter, committed.value(info.parameter));
    }
    return values;
}

quint32 groupBit(protocol::ParameterGroup group)
{
    return 1u << static_cast<int>(group);
}

QTimer *makeTimer(QObject *parent, const char *name, int intervalMs)
{
    auto *timer = new QTimer(parent);
    timer->setObjectName(QLatin1String(name));
    timer->setInterval(intervalMs);
    return timer;
}

} // namespace

BaseSession::BaseSession(device::HidPlatform &platform, QObject *parent)
    : QObject(parent), m_platform(platform)
{
    qRegisterMetaType<session::BaseStatus>();
    m_readBackTimer = makeTimer(this, "readBackTimer", kReadBackTimerMs);
    connect(m_readBackTimer, &QTimer::timeout, this, &BaseSession::readBackPass);
    // A coarse timer may fire up to 5 % (25 ms) off; the debounced send is due 500 ms after
    // the last change, within a few milliseconds.
    m_machineSendTimer = makeTimer(this, "machineSendTimer", kSendDebounceMs);
    m_machineSendTimer->setTimerType(Qt::PreciseTimer);
    connect(m_machineSendTimer, &QTimer::timeout, this, &BaseSession::sendMachineSettings);
    m_gameSendTimer = makeTimer(this, "gameSendTimer", kSendDebounceMs);
    m_gameSendTimer->setTimerType(Qt::PreciseTimer);
    connect(m_gameSendTimer, &QTimer::timeout, this, &BaseSession::sendGameSettings);
    m_factoryResetTimer = makeTimer(this, "factoryResetTimeout", kFactoryResetTimeoutMs);
    m_factoryResetTimer->setSingleShot(true);
    connect(m_factoryResetTimer, &QTimer::timeout, this, [this] { endFactoryResetWait(false); });
    for (const protocol::ParameterInfo &info : protocol::parameterTable())
        m_committed.setValue(info.parameter, info.range.bounded(0));
}

BaseSession::~BaseSession()
{
    // The reader must have ended before the session and the thread object go.
    stopReader();
}

// ---- Values ---------------------------------------------------------------------------------

int BaseSession::committedValue(protocol::Parameter parameter) const
{
    return m_committed.value(parameter);
}

void BaseSession::presetValues(const protocol::ParameterValues &values)
{
    for (const protocol::ParameterInfo &info : protocol::parameterTable())
        m_committed.setValue(info.parameter, info.range.bounded(values.value(info.parameter)));
}

void BaseSession::commit(protocol::Parameter parameter, int value)
{
    if (m_committed.value(parameter) == value)
        return;
    m_committed.setValue(parameter, value);
    m_unsentGroups |= groupBit(protocol::parameterInfo(parameter).group);
}

void BaseSession::setUserValue(protocol::Parameter parameter, int value)
{
    noteValueSet(parameter);
    commit(parameter, protocol::parameterInfo(parameter).range.bounded(value));
}

void BaseSession::noteValueSet(protocol::Parameter parameter)
{
    if (m_applyingBaseValues)
        return;
    // Set before the rest of its group is known: kept through the read-back and sent with it.
    const protocol::ParameterGroup group = protocol::parameterInfo(parameter).group;
    if (!valuesKnown(group))
        m_heldBackValues |= parameterBit(parameter);
    m_knownValues |= parameterBit(parameter);
    noteUserChange(group);
}

bool BaseSession::valuesKnown(protocol::ParameterGroup group) const
{
    const quint32 bits = parameterGroupBits(group);
    return (m_knownValues & bits) == bits;
}

bool &BaseSession::armed(protocol::ParameterGroup group)
{
    return group == protocol::ParameterGroup::Machine ? m_machineArmed : m_gameArmed;
}

void BaseSession::scheduleSend(protocol::ParameterGroup group)
{
    if (group == protocol::ParameterGroup::Choice) {
        sendChoices();
        return;
    }
    (group == protocol::ParameterGroup::Machine ? m_machineSendTimer : m_gameSendTimer)->start();
    armed(group) = true;
}

// ---- Sends ----------------------------------------------------------------------------------

int BaseSession::sendMachineSettings()
{
    // Centring applies to the one report this call builds, whether or not it goes out.
    const bool centring = std::exchange(m_centring, false);
    m_machineSendTimer->stop();
    // Nothing to send until a slider, Enter or Centre arms the group; until the base's values
    // are known the user's changes are held back and go out with the read-back.
    if (!m_machineArmed || !valuesKnown(protocol::ParameterGroup::Machine))
        return -1;
    const protocol::ParameterValues values =
        groupValues(m_committed, protocol::ParameterGroup::Machine);
    const std::optional<QByteArray> report =
        protocol::checkedMachineSettingsReport(values, centring);
    if (!report)
        return -1;
    if (sendFeature(*report) == 1)
        noteGroupSent(protocol::ParameterGroup::Machine, values);
    return 0;
}

int BaseSession::sendGameSettings()
{
    m_gameSendTimer->stop();
    if (!m_gameArmed || !valuesKnown(protocol::ParameterGroup::Game))
        return -1;
    // A parameter the effect mask disables is still sent with its value.
    const protocol::ParameterValues values =
        groupValues(m_committed, protocol::ParameterGroup::Game);
    const std::optional<QByteArray> report = protocol::checkedGameSettingsReport(values);
    if (!report)
        return -1;
    if (sendFeature(*report) == 1)
        noteGroupSent(protocol::ParameterGroup::Game, values);
    return 0;
}

void BaseSession::sendChoices()
{
    // Both choices go out together: the other one must be known too.
    if (m_applyingBaseValues || !valuesKnown(protocol::ParameterGroup::Choice))
        return;
    const protocol::ParameterValues values =
        groupValues(m_committed, protocol::ParameterGroup::Choice);
    const std::optional<QByteArray> report = protocol::checkedModeReport(values);
    if (report && sendFeature(*report) == 1)
        noteGroupSent(protocol::ParameterGroup::Choice, values);
}

int BaseSession::sendFeature(const QByteArray &report)
{
    const int result = sendFeatureReport(report);
    if (result == 1) {
        if (m_refusedInARow >= kRefusalsBeforeNotice)
            emit sendsRefused(false);
        m_refusedInARow = 0;
    } else if (result == 0) {
        // The transfer is over, refused: the next send is tried again rather than dropped
        // until the base is plugged in anew.
        m_featureSendBusy = false;
        ++m_refusedInARow;
        qCWarning(lcSends) << "the base refused" << report.left(4).toHex(' ') << "-"
                           << m_refusedInARow << "in a row";
        if (m_refusedInARow >= kRefusalsBeforeNotice) {
            emit sendsRefused(true);
            if (!m_refusalNoticeShown) {
                m_refusalNoticeShown = true;
                emit notice(Notice::BaseRefusesSettings, 0);
            }
        }
    }
    return result;
}

void BaseSession::noteGroupSent(protocol::ParameterGroup group,
                                const protocol::ParameterValues &values)
{
    m_heldBackValues &= ~parameterGroupBits(group);
    m_unsentGroups &= ~groupBit(group);
    noteSent(group, values);
}

void BaseSession::sendGroup(protocol::ParameterGroup group)
{
    switch (group) {
    case protocol::ParameterGroup::Machine:
        m_machineArmed = true;
        sendMachineSettings();
        break;
    case protocol::ParameterGroup::Game:
        m_gameArmed = true;
        sendGameSettings();
        break;
    case protocol::ParameterGroup::Choice:
        sendChoices();
        break;
    }
}

void BaseSession::sendPendingChanges()
{
    // In report order, each group once; a group whose base values are not known yet stays
    // held back (it goes out with the read-back).
    for (const protocol::ParameterGroup group : kGroupsInReportOrder) {
        if (m_unsentGroups & groupBit(group))
            sendGroup(group);
    }
}

void BaseSession::sendHeldBackValues(protocol::ParameterGroup group)
{
    if (valuesKnown(group) && (m_heldBackValues & parameterGroupBits(group)))
        sendGroup(group);
}

void BaseSession::sendSettingsNow()
{
    bool readRequested = false;
    for (const protocol::ParameterGroup group :
         {protocol::ParameterGroup::Machine, protocol::ParameterGroup::Game}) {
        // An armed group without unsent values goes out with its timer.
        if (armed(group) && !(m_unsentGroups & groupBit(group)))
            continue;
        if (!valuesKnown(group)) {
            if (!readRequested)
                requestBaseSettings();
            readRequested = true;
            continue;
        }
        sendGroup(group);
    }
}

void BaseSession::centre()
{
    // Centring with values nobody read would send them too: read first.
    if (!valuesKnown(protocol::ParameterGroup::Machine)) {
        requestBaseSettings();
        return;
    }
    m_centring = true;
    sendGroup(protocol::ParameterGroup::Machine);
}

// ---- Requests -------------------------------------------------------------------------------

int BaseSession::sendReadStore(quint8 readRequest, quint8 storeRequest)
{
    const int result = sendFeature(protocol::readStoreRequest(readRequest, storeRequest));
    if (readRequest != 0 && result == 1) {
        m_settingsRequested.start();
        m_answeredMask = 0;
        m_sentSinceRequest = false;
    }
    return result;
}

int BaseSession::requestBaseSettings()
{
    return sendReadStore(protocol::ReadRequestValue, 0);
}

bool BaseSession::store()
{
    // The base stores what the user set: what is pending goes out first.
    sendPendingChanges();
    saveSnapshot(QStringLiteral("before store"));
    return sendReadStore(0, protocol::StoreRequestValue) == 1;
}

bool BaseSession::factoryReset()
{
    // What the user set goes out first, so that the reset's history step starts from it.
    sendPendingChanges();
    saveSnapshot(QStringLiteral("before factory reset"));
    // The wait for the acknowledgement only makes sense when the request went out.
    if (sendFeature(protocol::factoryResetRequest()) != 1)
        return false;
    // The base's values change: nothing more is sent until they are read. What the base had
    // becomes the reset's history step once the factory values are read.
    m_knownValues = m_heldBackValues;
    const bool complete = (m_baseHasMask & kAllParameterBits) == kAllParameterBits;
    const std::optional<protocol::ParameterValues> before =
        complete ? std::optional(m_baseHas) : std::nullopt;
    forgetBaseSettings();
    m_factoryResetBefore = before;
    m_factoryResetTimer->start();
    emit factoryResetWaitChanged(true);
    return true;
}

void BaseSession::endFactoryResetWait(bool linkLost)
{
    m_factoryResetTimer->stop();
    emit factoryResetWaitChanged(false);
    emit notice(linkLost ? Notice::FactoryResetLinkLost : Notice::FactoryResetUnconfirmed, 0);
    if (!linkLost)
        requestBaseSettings();
}

void BaseSession::onLinkDown()
{
    // A new link starts from the base's values again; only what the user set and has not been
    // sent is kept.
    m_knownValues = m_heldBackValues;
    m_refusedInARow = 0;
    m_refusalNoticeShown = false;
    forgetBaseSettings();
    m_status = BaseStatus();
    // Steps of another link would send values this base never had.
    emit historyReset();
    if (m_factoryResetTimer->isActive())
        endFactoryResetWait(true);
}

} // namespace session
