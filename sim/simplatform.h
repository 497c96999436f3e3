#pragma once

// The simulated wheel base behind the platform layer: the tests and the demo
// install it in place of the native back end. It holds the wheel base and any
// further devices a test adds (a decoy with other ids, say).

#include "hidplatform.h"
#include "simwheelbase.h"

#include <QObject>

#include <memory>
#include <mutex>
#include <vector>

namespace sim {

class SimPlatform final : public device::HidPlatform
{
public:
    explicit SimPlatform(SimConfig config = {});
    // Destroy on the thread that registered for notifications (the GUI
    // thread): notifications still queued are dropped.
    ~SimPlatform() override;
    SimPlatform(const SimPlatform &) = delete;
    SimPlatform &operator=(const SimPlatform &) = delete;

    // The wheel base given at construction.
    std::shared_ptr<SimWheelBase> wheelBase() const;
    // Adds a further device; a configuration without a path is given one with
    // its own index.
    std::shared_ptr<SimWheelBase> addDevice(SimConfig config);
    std::vector<std::shared_ptr<SimWheelBase>> devices() const;

    // Makes the next registerNotifications() calls fail.
    void setRegistrationFails(bool fails);
    // Drops arrival and removal notices while set, as a lost notification
    // would: open read channels still end when their device is unplugged.
    void setNotificationsMuted(bool muted);
    // Tells the listener that notices were lost, as an overflowing udev
    // monitor does.
    void announceResync();

    std::vector<device::HidInterfaceInfo> enumerate() override;
    device::OpenResult<device::HidReadChannel> openForReading(const std::string &path) override;
    device::OpenResult<device::HidWriteChannel> openForWriting(const std::string &path) override;
    // Arrival and removal reach `callback` through the event loop of the
    // calling thread, like a udev monitor's, never from inside unplug()/plug().
    bool registerNotifications(std::uintptr_t nativeWindow,
                               device::HotplugCallback callback) override;
    std::string lastErrorText() const override;

private:
    std::shared_ptr<SimWheelBase> find(const std::string &path) const;
    void attach(const std::shared_ptr<SimWheelBase> &device);
    void deliver(const device::HotplugEvent &event);
    void setLastError(std::string text) const;

    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<SimWheelBase>> m_devices;
    bool m_registrationFails = false;
    bool m_muted = false;
    device::HotplugCallback m_callback;
    std::unique_ptr<QObject> m_context; // lives on the registering thread
    mutable std::string m_lastError;
};

} // namespace sim
