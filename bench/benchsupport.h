#pragma once

// What the benchmarks share: a clock, the CPU time and names of the process's
// threads, resident memory, and a platform that wraps the simulated wheel base
// to time-stamp reports where they cross the platform layer. Linux only.

#include "simplatform.h"

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace bench {

// CLOCK_MONOTONIC in nanoseconds.
std::int64_t nowNs();

struct ThreadSample
{
    std::string name;      // /proc/self/task/<tid>/comm
    std::int64_t cpuNs{0}; // time on a CPU so far
};
// Every thread of this process by its kernel thread id.
std::map<pid_t, ThreadSample> sampleThreads();
std::set<pid_t> threadIds();
pid_t mainThreadId();

// CPU time per thread between two samples; a thread born in between counts
// from zero, one that ended is left out.
std::map<pid_t, std::int64_t> cpuDelta(const std::map<pid_t, ThreadSample> &before,
                                       const std::map<pid_t, ThreadSample> &after);

// VmHWM and VmRSS of /proc/self/status, in KiB.
long peakRssKiB();
long currentRssKiB();

// A line "name value unit" on standard output.
void printFigure(const char *name, double value, const char *unit);

// The simulated platform, with every read channel and write channel wrapped:
// live reports can be given a wheel position of the benchmark's choosing, and
// the moment a stamped report leaves the platform layer towards the reader and
// the moment each feature report enters it are recorded.
class ProbePlatform final : public device::HidPlatform
{
public:
    explicit ProbePlatform(sim::SimConfig config);

    sim::SimWheelBase &base() const { return *m_base; }

    // Live reports read from now on carry `raw` as their wheel position;
    // firstStampedNs() then gives the time the first of them was handed on.
    void stampWheelPosition(std::uint16_t raw);
    void stopStamping();
    std::int64_t firstStampedNs() const;

    // Time of the first feature report starting with `prefix` sent after
    // `afterNs`, or 0.
    std::int64_t featureSentNs(const std::string &prefix, std::int64_t afterNs) const;

    std::vector<device::HidInterfaceInfo> enumerate() override;
    device::OpenResult<device::HidReadChannel> openForReading(const std::string &path) override;
    device::OpenResult<device::HidWriteChannel> openForWriting(const std::string &path) override;
    bool registerNotifications(std::uintptr_t nativeWindow,
                               device::HotplugCallback callback) override;
    std::string lastErrorText() const override;

    // Called by the channels.
    void onReport(std::uint8_t *buffer, std::size_t size);
    void onFeature(const std::uint8_t *data, std::size_t size);

private:
    std::unique_ptr<sim::SimPlatform> m_sim;
    std::shared_ptr<sim::SimWheelBase> m_base;

    mutable std::mutex m_mutex;
    bool m_stamping = false;
    std::uint16_t m_stampRaw = 0;
    std::int64_t m_firstStampedNs = 0;
    struct Sent
    {
        std::int64_t ns;
        std::string bytes;
    };
    std::vector<Sent> m_sent;
};

} // namespace bench
