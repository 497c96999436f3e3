#include "udev_hotplug.h"

#include <QLoggingCategory>
#include <QTimer>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {
Q_LOGGING_CATEGORY(lcHotplug, "velorax.device.hotplug")
} // namespace

namespace device {

namespace {

std::optional<unsigned long> parseHexField(const std::string &text)
{
    if (text.empty() || text.size() > 8)
        return std::nullopt;
    for (char c : text) {
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!hex)
            return std::nullopt;
    }
    return std::strtoul(text.c_str(), nullptr, 16);
}

std::string propertyValue(const UdevProperties &properties, const char *name)
{
    const auto it = properties.find(name);
    return it == properties.end() ? std::string() : it->second;
}

int probeOpen(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd == -1)
        return errno;
    ::close(fd);
    return 0;
}

} // namespace

std::optional<HidIds> parseHidId(const std::string &hidId)
{
    const std::size_t first = hidId.find(':');
    if (first == std::string::npos)
        return std::nullopt;
    const std::size_t second = hidId.find(':', first + 1);
    if (second == std::string::npos || hidId.find(':', second + 1) != std::string::npos)
        return std::nullopt;
    const auto bus = parseHexField(hidId.substr(0, first));
    const auto vendor = parseHexField(hidId.substr(first + 1, second - first - 1));
    const auto product = parseHexField(hidId.substr(second + 1));
    if (!bus || !vendor || !product || *vendor > 0xFFFF || *product > 0xFFFF)
        return std::nullopt;
    return HidIds{int(*vendor), int(*product)};
}

std::string devNodeFromName(const std::string &devname)
{
    if (devname.empty() || devname.front() == '/')
        return devname;
    return "/dev/" + devname;
}

const char *monitorSourceName(bool udevdIsRunning)
{
    return udevdIsRunning ? "udev" : "kernel";
}

bool udevdRunning()
{
    return ::access("/run/udev/control", F_OK) == 0;
}

UdevHotplugDispatcher::UdevHotplugDispatcher(bool kernelSource, QObject *parent)
    : QObject(parent), m_kernelSource(kernelSource), m_probe(probeOpen)
{
}

UdevHotplugDispatcher::~UdevHotplugDispatcher() = default;

void UdevHotplugDispatcher::setCallback(HotplugCallback callback)
{
    m_callback = std::move(callback);
}

void UdevHotplugDispatcher::setOpenProbe(OpenProbe probe)
{
    m_probe = probe ? std::move(probe) : OpenProbe(probeOpen);
}

void UdevHotplugDispatcher::setPermissionRetry(int attempts, int intervalMs)
{
    m_retryAttempts = std::max(0, attempts);
    m_retryIntervalMs = std::max(1, intervalMs);
}

void UdevHotplugDispatcher::remember(const std::string &path, const HidIds &ids)
{
    if (!path.empty() && ids.vendorId >= 0 && ids.productId >= 0)
        m_ids[path] = ids;
}

std::optional<HidIds> UdevHotplugDispatcher::cachedIds(const std::string &path) const
{
    const auto it = m_ids.find(path);
    if (it == m_ids.end())
        return std::nullopt;
    return it->second;
}

bool UdevHotplugDispatcher::arrivalPending(const std::string &path) const
{
    return m_pending.count(path) != 0;
}

void UdevHotplugDispatcher::handleEvent(const UdevProperties &properties)
{
    const std::string subsystem = propertyValue(properties, "SUBSYSTEM");
    if (!subsystem.empty() && subsystem != "hidraw")
        return;
    const std::string path = devNodeFromName(propertyValue(properties, "DEVNAME"));
    if (path.empty())
        return;
    const std::string action = propertyValue(properties, "ACTION");
    if (action == "add")
        handleArrival(path, properties);
    else if (action == "remove")
        handleRemoval(path, properties);
    // "change", "bind", "move" ...: the node stays what it was.
}

void UdevHotplugDispatcher::handleArrival(const std::string &path, const UdevProperties &properties)
{
    HotplugEvent event;
    event.kind = HotplugKind::Arrival;
    event.path = path;
    if (const auto ids = parseHidId(propertyValue(properties, "HID_ID"))) {
        remember(path, *ids);
        event.vendorId = ids->vendorId;
        event.productId = ids->productId;
    } else if (const auto cached = cachedIds(path)) {
        event.vendorId = cached->vendorId;
        event.productId = cached->productId;
    }

    const auto earlier = m_pending.find(path);
    if (earlier != m_pending.end())
        dropPending(earlier);
    if (!m_kernelSource || m_retryAttempts == 0 || !lacksPermission(path)) {
        deliver(event);
        return;
    }
    // Straight from the kernel the node may still be root-only: udev has
    // not applied its rules yet. Hold the arrival back for a moment.
    qCDebug(lcHotplug) << "node" << path.c_str() << "not accessible yet; retrying";
    PendingArrival &pending = m_pending[path];
    pending.event = event;
    pending.attemptsLeft = m_retryAttempts;
    pending.timer = new QTimer(this);
    pending.timer->setSingleShot(true);
    pending.timer->setInterval(m_retryIntervalMs);
    connect(pending.timer, &QTimer::timeout, this, [this, path] { retryArrival(path); });
    pending.timer->start();
}

void UdevHotplugDispatcher::retryArrival(const std::string &path)
{
    const auto it = m_pending.find(path);
    if (it == m_pending.end())
        return;
    PendingArrival &pending = it->second;
    --pending.attemptsLeft;
    if (lacksPermission(path) && pending.attemptsLeft > 0) {
        pending.timer->start();
        return;
    }
    const HotplugEvent event = pending.event;
    dropPending(it);
    deliver(event);
}

void UdevHotplugDispatcher::dropPending(std::map<std::string, PendingArrival>::iterator it)
{
    // The timer may be the sender of the running slot: delete it later.
    it->second.timer->stop();
    it->second.timer->deleteLater();
    m_pending.erase(it);
}

void UdevHotplugDispatcher::handleRemoval(const std::string &path, const UdevProperties &properties)
{
    std::optional<HidIds> ids = cachedIds(path);
    if (!ids)
        ids = parseHidId(propertyValue(properties, "HID_ID"));
    m_ids.erase(path);

    const auto pending = m_pending.find(path);
    if (pending != m_pending.end()) {
        // The node went away while still locked; its arrival was never
        // delivered, so neither is its removal.
        qCDebug(lcHotplug) << "node" << path.c_str() << "removed before it became accessible";
        dropPending(pending);
        return;
    }

    HotplugEvent event;
    event.kind = HotplugKind::Removal;
    event.path = path;
    if (ids) {
        event.vendorId = ids->vendorId;
        event.productId = ids->productId;
    }
    deliver(event);
}

void UdevHotplugDispatcher::handleOverflow()
{
    qCWarning(lcHotplug) << "udev monitor overflowed; hotplug events were lost";
    m_ids.clear();
    HotplugEvent event;
    event.kind = HotplugKind::Resync;
    deliver(event);
}

bool UdevHotplugDispatcher::lacksPermission(const std::string &path) const
{
    const int error = m_probe(path);
    return error == EACCES || error == EPERM;
}

void UdevHotplugDispatcher::deliver(const HotplugEvent &event)
{
    const char *kinds[] = {"arrival", "removal", "resync"};
    qCDebug(lcHotplug) << kinds[int(event.kind)] << event.path.c_str() << Qt::hex << event.vendorId
                       << event.productId;
    // A copy: the callback may replace the callback.
    const HotplugCallback callback = m_callback;
    if (callback)
        callback(event);
}

} // namespace device
