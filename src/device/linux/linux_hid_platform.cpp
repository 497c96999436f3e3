#include "linux_hid_platform.h"

#include "hidraw_channel.h"
#include "native_platform.h"
#include "report_descriptor.h"
#include "udev_hotplug.h"

#include <QLoggingCategory>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <libudev.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
Q_LOGGING_CATEGORY(lcLinuxHid, "velorax.device")
} // namespace

namespace device {

namespace {

// Events handled per wake-up of the monitor socket; the notifier fires
// again while more are queued, so a burst cannot starve the GUI thread.
constexpr int kMaxEventsPerWakeUp = 64;
constexpr int kMonitorBufferBytes = 256 * 1024;

// The hidraw node's parent HID device knows the ids; a removed node has none.
std::optional<HidIds> parentHidIds(udev_device *device)
{
    udev_device *hid = udev_device_get_parent_with_subsystem_devtype(device, "hid", nullptr);
    if (!hid)
        return std::nullopt;
    const char *hidId = udev_device_get_property_value(hid, "HID_ID");
    return hidId ? parseHidId(hidId) : std::nullopt;
}

UdevProperties eventProperties(udev_device *device)
{
    UdevProperties properties;
    udev_list_entry *entry = nullptr;
    udev_list_entry_foreach(entry, udev_device_get_properties_list_entry(device))
    {
        const char *name = udev_list_entry_get_name(entry);
        const char *value = udev_list_entry_get_value(entry);
        if (name)
            properties[name] = value ? value : "";
    }
    if (const char *action = udev_device_get_action(device))
        properties["ACTION"] = action;
    if (const char *node = udev_device_get_devnode(device))
        properties["DEVNAME"] = node;
    if (const char *subsystem = udev_device_get_subsystem(device))
        properties["SUBSYSTEM"] = subsystem;
    if (!properties.count("HID_ID")) {
        udev_device *hid = udev_device_get_parent_with_subsystem_devtype(device, "hid", nullptr);
        if (const char *hidId = hid ? udev_device_get_property_value(hid, "HID_ID") : nullptr)
            properties["HID_ID"] = hidId;
    }
    return properties;
}

} // namespace

LinuxHidPlatform::LinuxHidPlatform()
{
    const bool kernelSource = !udevdRunning();
    m_dispatcher = std::make_unique<UdevHotplugDispatcher>(kernelSource);
    m_udev = udev_new();
    if (!m_udev) {
        noteError("udev_new", errno);
        return;
    }
    // Listening starts before anything is enumerated, so that no node that
    // comes or goes in between is missed; events queue in the socket until
    // notifications are registered.
    const char *source = monitorSourceName(!kernelSource);
    m_monitor = udev_monitor_new_from_netlink(m_udev, source);
    if (!m_monitor) {
        noteError(std::string("udev monitor (") + source + ")", errno);
        return;
    }
    setReceiveBuffer();
    if (udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(m_monitor) < 0) {
        noteError("udev monitor set-up", errno);
        udev_monitor_unref(m_monitor);
        m_monitor = nullptr;
        return;
    }
    qCDebug(lcLinuxHid) << "listening to" << source << "hidraw events";
}

LinuxHidPlatform::~LinuxHidPlatform()
{
    m_notifier.reset();
    m_dispatcher.reset();
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    if (m_udev)
        udev_unref(m_udev);
}

std::vector<HidInterfaceInfo> LinuxHidPlatform::enumerate()
{
    std::vector<HidInterfaceInfo> interfaces;
    if (!m_udev)
        return interfaces;
    udev_enumerate *enumeration = udev_enumerate_new(m_udev);
    if (!enumeration)
        return interfaces;
    udev_enumerate_add_match_subsystem(enumeration, "hidraw");
    udev_enumerate_scan_devices(enumeration);
    udev_list_entry *entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumeration))
    {
        udev_device *device = udev_device_new_from_syspath(m_udev, udev_list_entry_get_name(entry));
        if (!device)
            continue;
        if (const char *node = udev_device_get_devnode(device)) {
            HidInterfaceInfo info;
            info.path = node;
            if (const auto ids = parentHidIds(device)) {
                info.vendorId = ids->vendorId;
                info.productId = ids->productId;
                m_dispatcher->remember(info.path, *ids);
            }
            interfaces.push_back(std::move(info));
        }
        udev_device_unref(device);
    }
    udev_enumerate_unref(enumeration);
    return interfaces;
}

OpenResult<HidReadChannel> LinuxHidPlatform::openForReading(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd == -1) {
        const int error = errno;
        noteError("open " + path + " for reading", error);
        return {nullptr, openErrorFromErrno(error)};
    }
    // Without a readable descriptor assume numbered reports, as the wheel
    // base sends them.
    const std::vector<std::uint8_t> descriptor = readReportDescriptor(fd);
    const ReportDescriptorInfo info = parseReportDescriptor(descriptor.data(), descriptor.size());
    const bool usesReportIds = info.valid ? info.usesReportIds : true;
    return {std::make_unique<HidrawReadChannel>(fd, usesReportIds), OpenError::None};
}

OpenResult<HidWriteChannel> LinuxHidPlatform::openForWriting(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd == -1) {
        const int error = errno;
        noteError("open " + path + " for writing", error);
        return {nullptr, openErrorFromErrno(error)};
    }
    const std::vector<std::uint8_t> descriptor = readReportDescriptor(fd);
    const std::size_t length =
        featureReportLength(descriptor.data(), descriptor.size(), kFeatureReportId);
    if (descriptor.empty())
        qCDebug(lcLinuxHid) << "no report descriptor for" << path.c_str() << "; feature reports of"
                            << length << "bytes";
    return {std::make_unique<HidrawWriteChannel>(fd, length), OpenError::None};
}

bool LinuxHidPlatform::registerNotifications(std::uintptr_t nativeWindow, HotplugCallback callback)
{
    Q_UNUSED(nativeWindow);
    if (!m_monitor)
        return false;
    m_dispatcher->setCallback(std::move(callback));
    if (!m_notifier) {
        m_notifier = std::make_unique<QSocketNotifier>(udev_monitor_get_fd(m_monitor),
                                                       QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_dispatcher.get(),
                         [this] { readMonitor(); });
    }
    // Learn the ids of what is present, for the removals to come.
    enumerate();
    return true;
}

void LinuxHidPlatform::setReceiveBuffer()
{
    // libudev forces the size, which needs CAP_NET_ADMIN; without it the
    // ordinary request gets what the system allows (net.core.rmem_max). A
    // buffer that still overflows is caught in readMonitor().
    if (udev_monitor_set_receive_buffer_size(m_monitor, kMonitorBufferBytes) >= 0)
        return;
    const int fd = udev_monitor_get_fd(m_monitor);
    const int wanted = kMonitorBufferBytes;
    int granted = 0;
    socklen_t length = sizeof granted;
    if (::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &wanted, sizeof wanted) != 0)
        noteError("udev monitor receive buffer", errno);
    ::getsockopt(fd, SOL_SOCKET, SO_RCVBUF, &granted, &length);
    qCDebug(lcLinuxHid) << "udev monitor receive buffer" << granted << "bytes (asked for" << wanted
                        << ")";
}

void LinuxHidPlatform::readMonitor()
{
    for (int i = 0; i < kMaxEventsPerWakeUp; ++i) {
        errno = 0;
        udev_device *device = udev_monitor_receive_device(m_monitor);
        if (!device) {
            // The kernel dropped events that did not fit the buffer: any
            // arrival or removal may be among them.
            if (errno == ENOBUFS)
                m_dispatcher->handleOverflow();
            return;
        }
        const UdevProperties properties = eventProperties(device);
        udev_device_unref(device);
        m_dispatcher->handleEvent(properties);
    }
}

void LinuxHidPlatform::noteError(const std::string &what, int error)
{
    m_lastError = what + ": " + std::strerror(error);
    qCDebug(lcLinuxHid) << m_lastError.c_str();
}

std::unique_ptr<HidPlatform> createNativePlatform()
{
    return std::make_unique<LinuxHidPlatform>();
}

} // namespace device
