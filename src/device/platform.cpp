#include "platform.h"

#include "native_platform.h"

#include <mutex>

namespace device {

namespace {

// Stands in when there is no native back end: no devices, no notifications.
class AbsentPlatform final : public HidPlatform
{
public:
    std::vector<HidInterfaceInfo> enumerate() override { return {}; }
    OpenResult<HidReadChannel> openForReading(const std::string &) override
    {
        return {nullptr, OpenError::NotFound};
    }
    OpenResult<HidWriteChannel> openForWriting(const std::string &) override
    {
        return {nullptr, OpenError::NotFound};
    }
    bool registerNotifications(std::uintptr_t, HotplugCallback) override { return false; }
    std::string lastErrorText() const override { return "no HID back end on this platform"; }
};

std::mutex &platformMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::unique_ptr<HidPlatform> &installed()
{
    static std::unique_ptr<HidPlatform> backend;
    return backend;
}

} // namespace

HidPlatform &platform()
{
    std::lock_guard<std::mutex> lock(platformMutex());
    std::unique_ptr<HidPlatform> &backend = installed();
    if (!backend) {
        backend = createNativePlatform();
        if (!backend)
            backend = std::make_unique<AbsentPlatform>();
    }
    return *backend;
}

void installPlatform(std::unique_ptr<HidPlatform> backend)
{
    std::unique_ptr<HidPlatform> previous;
    {
        std::lock_guard<std::mutex> lock(platformMutex());
        previous = std::move(installed());
        installed() = std::move(backend);
    }
    // The old back end is destroyed outside the lock: its destructor may stop
    // threads of its own.
}

} // namespace device
