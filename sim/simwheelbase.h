#pragma once

// A model of the wheel base's firmware outside the tool. It keeps the
// settings and a stored copy, answers the feature reports of the tool, streams
// live and status reports from a thread of its own, can be unplugged and
// plugged back and can be told to misbehave. SimPlatform puts it behind the
// platform layer. Every public method is thread-safe.

#include "hidplatform.h"
#include "simreports.h"
#include "wheelmodel.h"

#include <QByteArray>
#include <QList>
#include <QVector>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace sim {

struct SimConfig
{
    int vendorId = 0x0483;
    int productId = 0x0522;
    // Empty: "sim://HID#VID_vvvv&PID_pppp#0", ids in upper-case hex.
    std::string path;
    std::size_t featureReportLength = 64;
    int liveRateHz = 1000;       // 0: no live reports
    int statusIntervalMs = 1000; // 0: no periodic status reports
    int factoryResetDelayMs = 1000;
    bool driverActive = true;
    Status status;
};

// The path a device with these ids gets when its configuration names none.
std::string simDevicePath(int vendorId, int productId, int index = 0);

// One feature report as the base received it.
struct FeatureRecord
{
    QByteArray bytes; // exactly the feature-report length
    bool accepted = true;
};

class ReadQueue;

class SimWheelBase : public std::enable_shared_from_this<SimWheelBase>
{
public:
    static std::shared_ptr<SimWheelBase> create(SimConfig config = {});
    ~SimWheelBase();
    SimWheelBase(const SimWheelBase &) = delete;
    SimWheelBase &operator=(const SimWheelBase &) = delete;

    int vendorId() const { return m_vendorId; }
    int productId() const { return m_productId; }
    const std::string &path() const { return m_path; }
    std::size_t featureReportLength() const { return m_featureLength; }

    Settings settings() const;
    Settings storedSettings() const;
    // Sets the working settings and the stored copy, as a base that was
    // configured before it was plugged in.
    void loadSettings(const Settings &settings);
    // Keeps the settings and the stored copy in `path` as well: loaded from it now and whenever
    // a channel is opened, written (atomically) after every change, so that the base outlives
    // the process, as a real one does between the tool's starts. Empty: kept in memory only.
    void setStateFile(const QString &path);

    Status status() const;
    void setEffectMask(std::uint16_t mask);
    void setStatusCode(std::uint16_t code);
    void setFirmwareVersion(std::uint16_t version);
    void setSupplyVoltage(std::uint16_t volts);

    void setLiveRate(int hz);
    int liveRate() const;
    void setStatusInterval(int ms);
    void setFactoryResetDelay(int ms);
    bool factoryResetPending() const;

    // The wheel, in degrees from the centre.
    double wheelAngle() const;
    void setWheelAngle(double degrees);
    void setDriverActive(bool active);

    // Unplugging ends every open channel for good (reads return Disconnected,
    // sends fail); plugging back restarts the firmware from its stored
    // settings. Both are announced through the hotplug listener.
    void unplug();
    void plug();
    bool isPlugged() const;

    // Faults. The next `count` feature reports are refused.
    void refuseFeatureReports(int count);
    // Byte [4] of every machine-settings answer (0, the firmware's, by default).
    void setMachineEchoByte4(std::uint8_t value);
    // A finished factory reset is not acknowledged (the report is lost).
    void dropFactoryResetAck(bool drop);
    // The next read of every open read channel fails with ReadStatus::Error.
    void injectReadError();
    // Hands `bytes` (up to 64) to every open read channel as one report.
    void injectReport(const QByteArray &bytes);
    // A live report cut to `length` bytes.
    void injectShortReport(int length);
    // `count` reports of 20 pseudo-random bytes.
    void injectGarbageReports(int count);
    // Opens fail with `error` until set back to OpenError::None.
    void failOpens(device::OpenError error);

    // Every feature report received while plugged, oldest first (the last
    // 10000 are kept).
    QVector<FeatureRecord> featureLog() const;
    // The accepted ones only.
    QList<QByteArray> acceptedFeatureReports() const;
    void clearFeatureLog();
    // Also print each one to standard error as featureLogLine() gives it.
    void setLogToStderr(bool enabled);

    // Input reports handed to read channels so far, by kind.
    int liveReportsSent() const;
    int statusReportsSent() const;

    // The platform side.
    device::OpenResult<device::HidReadChannel> openForReading();
    device::OpenResult<device::HidWriteChannel> openForWriting();
    using HotplugListener = std::function<void(const device::HotplugEvent &)>;
    void setHotplugListener(HotplugListener listener);

private:
    using Clock = std::chrono::steady_clock;
    friend class SimWriteChannel;

    explicit SimWheelBase(SimConfig config);
    void run();
    bool receiveFeatureReport(std::uint64_t generation, const std::uint8_t *data, std::size_t size);
    bool receiveOutputReport(std::uint64_t generation);
    void handleFeatureReport(const QByteArray &report);
    void applyMechanics();
    void advanceModel(Clock::time_point now) const;
    bool hasReaders();
    void pushToReaders(const std::uint8_t *data, std::size_t size);
    void pushReport(const InputReport &report);
    void serviceStreams(Clock::time_point now);
    void completeFactoryReset();
    void loadStateFile();
    void saveStateFile() const;
    void announce(device::HotplugKind kind);

    const int m_vendorId;
    const int m_productId;
    const std::string m_path;
    const std::size_t m_featureLength;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake; // the worker's
    Settings m_settings;
    Settings m_stored;
    QString m_stateFile;
    Status m_status;
    // Advanced lazily, to the moment it is looked at.
    mutable WheelModel m_model;
    mutable Clock::time_point m_modelTime;
    int m_liveRateHz;
    int m_statusIntervalMs;
    int m_factoryResetDelayMs;
    std::optional<Clock::time_point> m_nextLive;
    std::optional<Clock::time_point> m_nextStatus;
    std::optional<Clock::time_point> m_resetDue;
    bool m_plugged = true;
    std::uint64_t m_generation = 1; // one per plug-in
    bool m_stopping = false;
    std::vector<std::weak_ptr<ReadQueue>> m_queues;
    int m_refuseCount = 0;
    std::uint8_t m_machineEchoByte4 = 0;
    bool m_dropFactoryResetAck = false;
    device::OpenError m_openError = device::OpenError::None;
    QVector<FeatureRecord> m_featureLog;
    bool m_logToStderr = false;
    int m_liveSent = 0;
    int m_statusSent = 0;
    std::uint32_t m_garbageSeed = 0x2545F491u;

    std::mutex m_listenerMutex; // held while the listener runs
    HotplugListener m_listener;

    std::thread m_worker;
};

} // namespace sim
