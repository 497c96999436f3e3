#include "simplatform.h"

#include <QLoggingCategory>
#include <QMetaObject>

Q_DECLARE_LOGGING_CATEGORY(lcSim)

namespace sim {

SimPlatform::SimPlatform(SimConfig config)
{
    attach(SimWheelBase::create(std::move(config)));
}

SimPlatform::~SimPlatform()
{
    std::vector<std::shared_ptr<SimWheelBase>> devices;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        devices = m_devices;
    }
    // Waits for an announcement in flight; afterwards nothing calls deliver().
    for (const std::shared_ptr<SimWheelBase> &device : devices)
        device->setHotplugListener(nullptr);
}

std::shared_ptr<SimWheelBase> SimPlatform::wheelBase() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_devices.front();
}

std::shared_ptr<SimWheelBase> SimPlatform::addDevice(SimConfig config)
{
    if (config.path.empty()) {
        std::lock_guard<std::mutex> lock(m_mutex);
        config.path = simDevicePath(config.vendorId, config.productId, int(m_devices.size()));
    }
    std::shared_ptr<SimWheelBase> device = SimWheelBase::create(std::move(config));
    attach(device);
    return device;
}

std::vector<std::shared_ptr<SimWheelBase>> SimPlatform::devices() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_devices;
}

void SimPlatform::setRegistrationFails(bool fails)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_registrationFails = fails;
}

void SimPlatform::setNotificationsMuted(bool muted)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_muted = muted;
}

void SimPlatform::announceResync()
{
    device::HotplugEvent event;
    event.kind = device::HotplugKind::Resync;
    deliver(event);
}

void SimPlatform::attach(const std::shared_ptr<SimWheelBase> &device)
{
    device->setHotplugListener([this](const device::HotplugEvent &event) { deliver(event); });
    std::lock_guard<std::mutex> lock(m_mutex);
    m_devices.push_back(device);
}

std::vector<device::HidInterfaceInfo> SimPlatform::enumerate()
{
    std::vector<device::HidInterfaceInfo> interfaces;
    for (const std::shared_ptr<SimWheelBase> &device : devices()) {
        if (device->isPlugged())
            interfaces.push_back({device->path(), device->vendorId(), device->productId()});
    }
    return interfaces;
}

std::shared_ptr<SimWheelBase> SimPlatform::find(const std::string &path) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const std::shared_ptr<SimWheelBase> &device : m_devices) {
        if (device->path() == path)
            return device;
    }
    return nullptr;
}

device::OpenResult<device::HidReadChannel> SimPlatform::openForReading(const std::string &path)
{
    const std::shared_ptr<SimWheelBase> device = find(path);
    if (!device) {
        setLastError("no such device: " + path);
        return {nullptr, device::OpenError::NotFound};
    }
    auto result = device->openForReading();
    if (!result)
        setLastError("cannot open " + path + " for reading");
    return result;
}

device::OpenResult<device::HidWriteChannel> SimPlatform::openForWriting(const std::string &path)
{
    const std::shared_ptr<SimWheelBase> device = find(path);
    if (!device) {
        setLastError("no such device: " + path);
        return {nullptr, device::OpenError::NotFound};
    }
    auto result = device->openForWriting();
    if (!result)
        setLastError("cannot open " + path + " for writing");
    return result;
}

bool SimPlatform::registerNotifications(std::uintptr_t nativeWindow,
                                        device::HotplugCallback callback)
{
    (void)nativeWindow;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_registrationFails) {
        m_lastError = "device notification registration refused";
        return false;
    }
    m_callback = std::move(callback);
    // A fresh context drops what was queued for an earlier registration.
    m_context = std::make_unique<QObject>();
    return true;
}

void SimPlatform::deliver(const device::HotplugEvent &event)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_context || !m_callback || (m_muted && event.kind != device::HotplugKind::Resync))
        return;
    QMetaObject::invokeMethod(
        m_context.get(), [callback = m_callback, event] { callback(event); }, Qt::QueuedConnection);
}

std::string SimPlatform::lastErrorText() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastError;
}

void SimPlatform::setLastError(std::string text) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lastError = std::move(text);
}

} // namespace sim
