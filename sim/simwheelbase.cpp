#include "simwheelbase.h"

#include <QFile>
#include <QLoggingCategory>
#include <QSaveFile>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <type_traits>

Q_LOGGING_CATEGORY(lcSim, "velorax.sim")

namespace sim {

namespace {

constexpr std::size_t kQueueDepth = 64; // like the hidraw buffer: oldest dropped
constexpr std::size_t kMaxReportSize = 64;
constexpr int kFeatureLogLimit = 10000;
constexpr int kMaxLiveRateHz = 10000;
constexpr double kMaxModelCatchUp = 0.2; // seconds
constexpr int kMaxLatePeriods = 10;      // then the stream skips ahead

void printToStderr(const QString &line)
{
    static std::mutex stderrMutex;
    const QByteArray text = line.toLocal8Bit() + '\n';
    std::lock_guard<std::mutex> lock(stderrMutex);
    std::fwrite(text.constData(), 1, std::size_t(text.size()), stderr);
    std::fflush(stderr);
}

// Every field of `settings` (const or not), in a fixed order.
template <typename AnySettings, typename Visit>
void forEachField(AnySettings &settings, Visit visit)
{
    visit(settings.angle);
    visit(settings.totalForce);
    visit(settings.filterFrequency);
    visit(settings.wheelSpring);
    visit(settings.wheelDamper);
    visit(settings.wheelSpeed);
    visit(settings.wheelFriction);
    visit(settings.gameSpring);
    visit(settings.gameDamper);
    visit(settings.gameInertia);
    visit(settings.gameFriction);
    visit(settings.constantForce);
    visit(settings.periodForce);
    visit(settings.suspension);
    visit(settings.response);
}

} // namespace

std::string simDevicePath(int vendorId, int productId, int index)
{
    char text[64];
    std::snprintf(text, sizeof text, "sim://HID#VID_%04X&PID_%04X#%d", unsigned(vendorId & 0xFFFF),
                  unsigned(productId & 0xFFFF), index);
    return text;
}

// The input reports waiting for one open read channel, and its state.
class ReadQueue
{
public:
    struct Item
    {
        bool error = false;
        std::size_t size = 0;
        std::array<std::uint8_t, kMaxReportSize> bytes{};
    };

    void push(const Item &item)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_disconnected)
                return;
            if (m_count == kQueueDepth)
                dropOldest();
            m_items[(m_first + m_count) % kQueueDepth] = item;
            ++m_count;
        }
        m_ready.notify_all();
    }

    void disconnect()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_disconnected = true;
            m_count = 0;
        }
        m_ready.notify_all();
    }

    void cancel()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_cancelled = true;
        }
        m_ready.notify_all();
    }

    device::ReadResult pop(std::uint8_t *buffer, std::size_t capacity)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_ready.wait(lock, [this] { return m_cancelled || m_disconnected || m_count > 0; });
        if (m_cancelled)
            return {device::ReadStatus::Cancelled, 0};
        if (m_disconnected)
            return {device::ReadStatus::Disconnected, 0};
        const Item item = m_items[m_first];
        dropOldest();
        lock.unlock();
        if (item.error)
            return {device::ReadStatus::Error, 0};
        // Like hidraw, a report longer than the buffer is cut to it.
        const std::size_t size = std::min(item.size, capacity);
        if (size > 0)
            std::memcpy(buffer, item.bytes.data(), size);
        return {device::ReadStatus::Report, size};
    }

private:
    void dropOldest()
    {
        m_first = (m_first + 1) % kQueueDepth;
        --m_count;
    }

    std::mutex m_mutex;
    std::condition_variable m_ready;
    // A ring of the newest kQueueDepth reports, oldest at m_first: no allocation per report.
    std::array<Item, kQueueDepth> m_items{};
    std::size_t m_first = 0;
    std::size_t m_count = 0;
    bool m_cancelled = false;
    bool m_disconnected = false;
};

class SimReadChannel final : public device::HidReadChannel
{
public:
    SimReadChannel(std::shared_ptr<SimWheelBase> base, std::shared_ptr<ReadQueue> queue)
        : m_base(std::move(base)), m_queue(std::move(queue))
    {
    }
    // Wakes a pending read; this read and every later one return Cancelled.
    void cancel() override { m_queue->cancel(); }
    device::ReadResult read(std::uint8_t *buffer, std::size_t capacity) override
    {
        return m_queue->pop(buffer, capacity);
    }

private:
    std::shared_ptr<SimWheelBase> m_base; // keeps the firmware alive while open
    std::shared_ptr<ReadQueue> m_queue;
};

class SimWriteChannel final : public device::HidWriteChannel
{
public:
    SimWriteChannel(std::shared_ptr<SimWheelBase> base, std::uint64_t generation)
        : m_base(std::move(base)), m_generation(generation)
    {
    }
    bool sendFeatureReport(const std::uint8_t *data, std::size_t size) override
    {
        return m_base->receiveFeatureReport(m_generation, data, size);
    }
    std::size_t featureReportLength() const override { return m_base->featureReportLength(); }
    bool writeOutputReport(const std::uint8_t *, std::size_t) override
    {
        return m_base->receiveOutputReport(m_generation);
    }

private:
    std::shared_ptr<SimWheelBase> m_base;
    const std::uint64_t m_generation; // the plug-in this handle belongs to
};

std::shared_ptr<SimWheelBase> SimWheelBase::create(SimConfig config)
{
    std::shared_ptr<SimWheelBase> base(new SimWheelBase(std::move(config)));
    base->m_worker = std::thread([raw = base.get()] { raw->run(); });
    return base;
}

SimWheelBase::SimWheelBase(SimConfig config)
    : m_vendorId(config.vendorId), m_productId(config.productId),
      m_path(config.path.empty() ? simDevicePath(config.vendorId, config.productId) : config.path),
      m_featureLength(std::clamp<std::size_t>(config.featureReportLength, 1, 4096)),
      m_status(config.status), m_modelTime(Clock::now()),
      m_liveRateHz(std::clamp(config.liveRateHz, 0, kMaxLiveRateHz)),
      m_statusIntervalMs(std::max(0, config.statusIntervalMs)),
      m_factoryResetDelayMs(std::max(0, config.factoryResetDelayMs))
{
    m_model.setDriverActive(config.driverActive);
    applyMechanics();
}

SimWheelBase::~SimWheelBase()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_worker.joinable())
        m_worker.join();
}

Settings SimWheelBase::settings() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_settings;
}

Settings SimWheelBase::storedSettings() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_stored;
}

void SimWheelBase::loadSettings(const Settings &settings)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    advanceModel(Clock::now());
    m_settings = settings;
    m_stored = settings;
    applyMechanics();
    saveStateFile();
}

void SimWheelBase::setStateFile(const QString &path)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stateFile = path;
    loadStateFile();
}

// One line: the settings' fields, then the stored copy's. A missing or unreadable file leaves
// the settings as they are (the first process writes it).
void SimWheelBase::loadStateFile()
{
    QFile file(m_stateFile);
    if (m_stateFile.isEmpty() || !file.open(QIODevice::ReadOnly))
        return;
    const QList<QByteArray> words = file.readAll().simplified().split(' ');
    Settings settings, stored;
    int index = 0;
    bool ok = true;
    const auto read = [&](auto &field) {
        bool parsed = false;
        field = std::remove_reference_t<decltype(field)>(words.value(index++).toInt(&parsed));
        ok = ok && parsed;
    };
    forEachField(settings, read);
    forEachField(stored, read);
    if (!ok) {
        qCWarning(lcSim) << "ignoring the unreadable state file" << m_stateFile;
        return;
    }
    advanceModel(Clock::now());
    m_settings = settings;
    m_stored = stored;
    applyMechanics();
}

void SimWheelBase::saveStateFile() const
{
    if (m_stateFile.isEmpty())
        return;
    QByteArray line;
    const auto write = [&line](const auto &field) { line += QByteArray::number(int(field)) + ' '; };
    forEachField(m_settings, write);
    forEachField(m_stored, write);
    QSaveFile file(m_stateFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(line.trimmed() + '\n') < 0 || !file.commit())
        qCWarning(lcSim) << "cannot write the state file" << m_stateFile;
}

Status SimWheelBase::status() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_status;
}

void SimWheelBase::setEffectMask(std::uint16_t mask)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_status.effectMask = mask;
}

void SimWheelBase::setStatusCode(std::uint16_t code)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_status.statusCode = code;
}

void SimWheelBase::setFirmwareVersion(std::uint16_t version)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_status.firmwareVersion = version;
}

void SimWheelBase::setSupplyVoltage(std::uint16_t volts)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_status.supplyVoltage = volts;
}

void SimWheelBase::setLiveRate(int hz)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_liveRateHz = std::clamp(hz, 0, kMaxLiveRateHz);
        m_nextLive.reset();
    }
    m_wake.notify_all();
}

int SimWheelBase::liveRate() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_liveRateHz;
}

void SimWheelBase::setStatusInterval(int ms)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_statusIntervalMs = std::max(0, ms);
        m_nextStatus.reset();
    }
    m_wake.notify_all();
}

void SimWheelBase::setFactoryResetDelay(int ms)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_factoryResetDelayMs = std::max(0, ms);
}

bool SimWheelBase::factoryResetPending() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_resetDue.has_value();
}

double SimWheelBase::wheelAngle() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    advanceModel(Clock::now());
    return m_model.angle();
}

void SimWheelBase::setWheelAngle(double degrees)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    advanceModel(Clock::now());
    m_model.setAngle(degrees);
}

void SimWheelBase::setDriverActive(bool active)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    advanceModel(Clock::now());
    m_model.setDriverActive(active);
}

void SimWheelBase::unplug()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_plugged)
            return;
        m_plugged = false;
        for (const std::weak_ptr<ReadQueue> &weak : m_queues) {
            if (const std::shared_ptr<ReadQueue> queue = weak.lock())
                queue->disconnect();
        }
        m_queues.clear();
        m_resetDue.reset(); // a reset in progress dies with the power
        m_nextLive.reset();
        m_nextStatus.reset();
    }
    m_wake.notify_all();
    qCDebug(lcSim) << "unplugged" << m_path.c_str();
    announce(device::HotplugKind::Removal);
}

void SimWheelBase::plug()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_plugged)
            return;
        m_plugged = true;
        ++m_generation;
        // A power cycle: the firmware starts from what it stored.
        m_settings = m_stored;
        m_modelTime = Clock::now();
        applyMechanics();
    }
    m_wake.notify_all();
    qCDebug(lcSim) << "plugged" << m_path.c_str();
    announce(device::HotplugKind::Arrival);
}

bool SimWheelBase::isPlugged() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_plugged;
}

void SimWheelBase::refuseFeatureReports(int count)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_refuseCount = std::max(0, count);
}

void SimWheelBase::setMachineEchoByte4(std::uint8_t value)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_machineEchoByte4 = value;
}

void SimWheelBase::dropFactoryResetAck(bool drop)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_dropFactoryResetAck = drop;
}

void SimWheelBase::injectReadError()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ReadQueue::Item item;
    item.error = true;
    for (const std::weak_ptr<ReadQueue> &weak : m_queues) {
        if (const std::shared_ptr<ReadQueue> queue = weak.lock())
            queue->push(item);
    }
}

void SimWheelBase::injectReport(const QByteArray &bytes)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    pushToReaders(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                  std::size_t(bytes.size()));
}

void SimWheelBase::injectShortReport(int length)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    advanceModel(Clock::now());
    const InputReport report = encodeLiveReport(m_model.liveState());
    pushToReaders(report.data(), std::min(std::size_t(std::max(0, length)), report.size()));
}

void SimWheelBase::injectGarbageReports(int count)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (int i = 0; i < count; ++i) {
        InputReport report{};
        for (std::uint8_t &byte : report) {
            // xorshift32: reproducible noise
            m_garbageSeed ^= m_garbageSeed << 13;
            m_garbageSeed ^= m_garbageSeed >> 17;
            m_garbageSeed ^= m_garbageSeed << 5;
            byte = std::uint8_t(m_garbageSeed >> 24);
        }
        pushToReaders(report.data(), report.size());
    }
}

void SimWheelBase::failOpens(device::OpenError error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_openError = error;
}

QVector<FeatureRecord> SimWheelBase::featureLog() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_featureLog;
}

QList<QByteArray> SimWheelBase::acceptedFeatureReports() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QList<QByteArray> accepted;
    for (const FeatureRecord &record : m_featureLog) {
        if (record.accepted)
            accepted.append(record.bytes);
    }
    return accepted;
}

void SimWheelBase::clearFeatureLog()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_featureLog.clear();
}

void SimWheelBase::setLogToStderr(bool enabled)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_logToStderr = enabled;
}

int SimWheelBase::liveReportsSent() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_liveSent;
}

int SimWheelBase::statusReportsSent() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_statusSent;
}

device::OpenResult<device::HidReadChannel> SimWheelBase::openForReading()
{
    std::shared_ptr<ReadQueue> queue;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_plugged)
            return {nullptr, device::OpenError::NotFound};
        if (m_openError != device::OpenError::None)
            return {nullptr, m_openError};
        loadStateFile();
        queue = std::make_shared<ReadQueue>();
        m_queues.push_back(queue);
    }
    m_wake.notify_all(); // a first reader starts the streams
    return {std::make_unique<SimReadChannel>(shared_from_this(), std::move(queue)),
            device::OpenError::None};
}

device::OpenResult<device::HidWriteChannel> SimWheelBase::openForWriting()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_plugged)
        return {nullptr, device::OpenError::NotFound};
    if (m_openError != device::OpenError::None)
        return {nullptr, m_openError};
    loadStateFile();
    return {std::make_unique<SimWriteChannel>(shared_from_this(), m_generation),
            device::OpenError::None};
}

void SimWheelBase::setHotplugListener(HotplugListener listener)
{
    std::lock_guard<std::mutex> lock(m_listenerMutex);
    m_listener = std::move(listener);
}

void SimWheelBase::announce(device::HotplugKind kind)
{
    device::HotplugEvent event;
    event.kind = kind;
    event.path = m_path;
    event.vendorId = m_vendorId;
    event.productId = m_productId;
    std::lock_guard<std::mutex> lock(m_listenerMutex);
    if (m_listener)
        m_listener(event);
}

bool SimWheelBase::receiveFeatureReport(std::uint64_t generation, const std::uint8_t *data,
                                        std::size_t size)
{
    // What arrives on the wire: exactly the feature-report length.
    QByteArray report(int(m_featureLength), '\0');
    if (data && size > 0)
        std::memcpy(report.data(), data, std::min(size, m_featureLength));

    bool accepted = true;
    bool print = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_plugged || generation != m_generation)
            return false;
        if (m_refuseCount > 0) {
            --m_refuseCount;
            accepted = false;
        } else if (std::uint8_t(report[0]) != kVendorReportId) {
            accepted = false; // the base declares no other feature report
        }
        if (m_featureLog.size() >= kFeatureLogLimit)
            m_featureLog.removeFirst();
        m_featureLog.append({report, accepted});
        if (accepted) {
            handleFeatureReport(report);
            saveStateFile();
        }
        print = m_logToStderr;
    }
    m_wake.notify_all();

    // Printed for the demo, else logged: each report once.
    const QString line = featureLogLine(report);
    if (print)
        printToStderr(accepted ? line
                               : QString(line).replace(0, 4, QStringLiteral("sim: refused")));
    else
        qCDebug(lcSim).noquote() << line << (accepted ? "" : "(refused)");
    return accepted;
}

bool SimWheelBase::receiveOutputReport(std::uint64_t generation)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_plugged && generation == m_generation;
}

void SimWheelBase::handleFeatureReport(const QByteArray &report)
{
    const auto *data = reinterpret_cast<const std::uint8_t *>(report.constData());
    const std::size_t size = std::size_t(report.size());
    const FeatureRequest request = classifyFeatureReport(data, size);
    const Clock::time_point now = Clock::now();
    switch (request.kind) {
    case FeatureRequest::Machine:
        advanceModel(now);
        applyMachineReport(m_settings, data, size);
        applyMechanics();
        if (request.center)
            m_model.recentre();
        break;
    case FeatureRequest::Game:
        applyGameReport(m_settings, data, size);
        break;
    case FeatureRequest::Mode:
        applyModeReport(m_settings, data, size);
        break;
    case FeatureRequest::ReadStore:
        if (request.store)
            m_stored = m_settings;
        if (request.read) {
            InputReport machine = encodeMachineReport(m_settings);
            machine[4] = m_machineEchoByte4;
            pushReport(machine);
            pushReport(encodeGameReport(m_settings));
            pushReport(encodeModeReport(m_settings));
            pushReport(encodeStatusReport(m_status));
            ++m_statusSent;
        }
        break;
    case FeatureRequest::FactoryReset:
        // A second request while one runs changes nothing.
        if (!m_resetDue)
            m_resetDue = now + std::chrono::milliseconds(m_factoryResetDelayMs);
        break;
    case FeatureRequest::Unknown:
        break;
    }
}

void SimWheelBase::applyMechanics()
{
    WheelModel::Mechanics mechanics;
    mechanics.angleRange = m_settings.angle;
    mechanics.spring = m_settings.wheelSpring;
    mechanics.damper = m_settings.wheelDamper;
    mechanics.returnSpeed = m_settings.wheelSpeed;
    mechanics.friction = m_settings.wheelFriction;
    m_model.setMechanics(mechanics);
}

void SimWheelBase::advanceModel(Clock::time_point now) const
{
    const double elapsed = std::chrono::duration<double>(now - m_modelTime).count();
    m_modelTime = now;
    if (elapsed > 0)
        m_model.step(std::min(elapsed, kMaxModelCatchUp));
}

bool SimWheelBase::hasReaders()
{
    m_queues.erase(std::remove_if(m_queues.begin(), m_queues.end(),
                                  [](const std::weak_ptr<ReadQueue> &q) { return q.expired(); }),
                   m_queues.end());
    return !m_queues.empty();
}

void SimWheelBase::pushToReaders(const std::uint8_t *data, std::size_t size)
{
    ReadQueue::Item item;
    item.size = std::min(size, kMaxReportSize);
    if (item.size > 0)
        std::memcpy(item.bytes.data(), data, item.size);
    for (const std::weak_ptr<ReadQueue> &weak : m_queues) {
        if (const std::shared_ptr<ReadQueue> queue = weak.lock())
            queue->push(item);
    }
}

void SimWheelBase::pushReport(const InputReport &report)
{
    pushToReaders(report.data(), report.size());
}

void SimWheelBase::completeFactoryReset()
{
    m_resetDue.reset();
    advanceModel(Clock::now());
    m_settings = factorySettings();
    m_stored = m_settings;
    applyMechanics();
    saveStateFile();
    if (!m_dropFactoryResetAck)
        pushReport(encodeFactoryResetAck());
    qCDebug(lcSim) << "factory settings restored";
}

// Sends what is due of the two streams. They run only while the base is
// plugged and somebody has it open; otherwise the worker sleeps.
void SimWheelBase::serviceStreams(Clock::time_point now)
{
    if (!m_plugged || !hasReaders()) {
        m_nextLive.reset();
        m_nextStatus.reset();
        return;
    }

    if (m_liveRateHz > 0) {
        const auto period = std::chrono::nanoseconds(1000000000 / m_liveRateHz);
        if (!m_nextLive) {
            m_nextLive = now + period;
        } else if (now >= *m_nextLive) {
            advanceModel(now);
            pushReport(encodeLiveReport(m_model.liveState()));
            ++m_liveSent;
            *m_nextLive += period;
            if (now - *m_nextLive > kMaxLatePeriods * period)
                m_nextLive = now + period;
        }
    } else {
        m_nextLive.reset();
    }

    if (m_statusIntervalMs > 0) {
        const auto interval = std::chrono::milliseconds(m_statusIntervalMs);
        if (!m_nextStatus) {
            m_nextStatus = now + interval;
        } else if (now >= *m_nextStatus) {
            pushReport(encodeStatusReport(m_status));
            ++m_statusSent;
            *m_nextStatus += interval;
            if (now > *m_nextStatus)
                m_nextStatus = now + interval;
        }
    } else {
        m_nextStatus.reset();
    }
}

void SimWheelBase::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stopping) {
        const Clock::time_point now = Clock::now();
        if (m_resetDue && now >= *m_resetDue)
            completeFactoryReset();
        serviceStreams(now);

        std::optional<Clock::time_point> next;
        for (const auto &due : {m_resetDue, m_nextLive, m_nextStatus}) {
            if (due && (!next || *due < *next))
                next = due;
        }
        if (next)
            m_wake.wait_until(lock, *next);
        else
            m_wake.wait(lock);
    }
}

} // namespace sim
