#include "benchsupport.h"

#include <dirent.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>

namespace bench {

std::int64_t nowNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

namespace {

std::string firstLine(const std::string &path)
{
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    return line;
}

long statusField(const char *field)
{
    std::ifstream file("/proc/self/status");
    std::string line;
    const std::size_t length = std::strlen(field);
    while (std::getline(file, line)) {
        if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':')
            return std::strtol(line.c_str() + length + 1, nullptr, 10);
    }
    return -1;
}

} // namespace

std::set<pid_t> threadIds()
{
    std::set<pid_t> ids;
    if (DIR *dir = opendir("/proc/self/task")) {
        while (const dirent *entry = readdir(dir)) {
            if (entry->d_name[0] != '.')
                ids.insert(pid_t(std::strtol(entry->d_name, nullptr, 10)));
        }
        closedir(dir);
    }
    return ids;
}

std::map<pid_t, ThreadSample> sampleThreads()
{
    std::map<pid_t, ThreadSample> samples;
    for (const pid_t tid : threadIds()) {
        const std::string task = "/proc/self/task/" + std::to_string(tid);
        // schedstat: time on a CPU (ns), time waiting to run (ns), time slices.
        const std::string stat = firstLine(task + "/schedstat");
        if (stat.empty())
            continue; // ended meanwhile
        samples[tid] = {firstLine(task + "/comm"), std::strtoll(stat.c_str(), nullptr, 10)};
    }
    return samples;
}

pid_t mainThreadId()
{
    return getpid();
}

std::map<pid_t, std::int64_t> cpuDelta(const std::map<pid_t, ThreadSample> &before,
                                       const std::map<pid_t, ThreadSample> &after)
{
    std::map<pid_t, std::int64_t> delta;
    for (const auto &[tid, sample] : after) {
        const auto old = before.find(tid);
        delta[tid] = sample.cpuNs - (old == before.end() ? 0 : old->second.cpuNs);
    }
    return delta;
}

long peakRssKiB()
{
    return statusField("VmHWM");
}

long currentRssKiB()
{
    return statusField("VmRSS");
}

void printFigure(const char *name, double value, const char *unit)
{
    std::printf("%s %.3f %s\n", name, value, unit);
    std::fflush(stdout);
}

namespace {

class ProbeReadChannel final : public device::HidReadChannel
{
public:
    ProbeReadChannel(ProbePlatform &probe, std::unique_ptr<device::HidReadChannel> inner)
        : m_probe(probe), m_inner(std::move(inner))
    {
    }
    device::ReadResult read(std::uint8_t *buffer, std::size_t capacity) override
    {
        const device::ReadResult result = m_inner->read(buffer, capacity);
        if (result.status == device::ReadStatus::Report)
            m_probe.onReport(buffer, result.size);
        return result;
    }
    void cancel() override { m_inner->cancel(); }

private:
    ProbePlatform &m_probe;
    std::unique_ptr<device::HidReadChannel> m_inner;
};

class ProbeWriteChannel final : public device::HidWriteChannel
{
public:
    ProbeWriteChannel(ProbePlatform &probe, std::unique_ptr<device::HidWriteChannel> inner)
        : m_probe(probe), m_inner(std::move(inner))
    {
    }
    bool sendFeatureReport(const std::uint8_t *data, std::size_t size) override
    {
        m_probe.onFeature(data, size);
        return m_inner->sendFeatureReport(data, size);
    }
    std::size_t featureReportLength() const override { return m_inner->featureReportLength(); }
    bool writeOutputReport(const std::uint8_t *data, std::size_t size) override
    {
        return m_inner->writeOutputReport(data, size);
    }

private:
    ProbePlatform &m_probe;
    std::unique_ptr<device::HidWriteChannel> m_inner;
};

} // namespace

ProbePlatform::ProbePlatform(sim::SimConfig config)
    : m_sim(std::make_unique<sim::SimPlatform>(std::move(config))), m_base(m_sim->wheelBase())
{
}

void ProbePlatform::stampWheelPosition(std::uint16_t raw)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stamping = true;
    m_stampRaw = raw;
    m_firstStampedNs = 0;
}

void ProbePlatform::stopStamping()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stamping = false;
}

std::int64_t ProbePlatform::firstStampedNs() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_firstStampedNs;
}

std::int64_t ProbePlatform::featureSentNs(const std::string &prefix, std::int64_t afterNs) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const Sent &sent : m_sent) {
        if (sent.ns > afterNs && sent.bytes.compare(0, prefix.size(), prefix) == 0)
            return sent.ns;
    }
    return 0;
}

void ProbePlatform::onReport(std::uint8_t *buffer, std::size_t size)
{
    if (size < 3 || buffer[0] != 0x01)
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_stamping)
        return;
    buffer[1] = std::uint8_t(m_stampRaw & 0xFF);
    buffer[2] = std::uint8_t(m_stampRaw >> 8);
    if (m_firstStampedNs == 0)
        m_firstStampedNs = nowNs();
}

void ProbePlatform::onFeature(const std::uint8_t *data, std::size_t size)
{
    const std::int64_t ns = nowNs();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sent.push_back({ns, std::string(reinterpret_cast<const char *>(data), size)});
}

std::vector<device::HidInterfaceInfo> ProbePlatform::enumerate()
{
    return m_sim->enumerate();
}

device::OpenResult<device::HidReadChannel> ProbePlatform::openForReading(const std::string &path)
{
    auto result = m_sim->openForReading(path);
    if (result.channel)
        result.channel = std::make_unique<ProbeReadChannel>(*this, std::move(result.channel));
    return result;
}

device::OpenResult<device::HidWriteChannel> ProbePlatform::openForWriting(const std::string &path)
{
    auto result = m_sim->openForWriting(path);
    if (result.channel)
        result.channel = std::make_unique<ProbeWriteChannel>(*this, std::move(result.channel));
    return result;
}

bool ProbePlatform::registerNotifications(std::uintptr_t nativeWindow,
                                          device::HotplugCallback callback)
{
    return m_sim->registerNotifications(nativeWindow, std::move(callback));
}

std::string ProbePlatform::lastErrorText() const
{
    return m_sim->lastErrorText();
}

} // namespace bench
