#pragma once

// The Linux back end: hidraw nodes found and followed through libudev.

#include "hidplatform.h"

#include <memory>
#include <string>

struct udev;
struct udev_monitor;
class QSocketNotifier;

namespace device {

class UdevHotplugDispatcher;

class LinuxHidPlatform final : public HidPlatform
{
public:
    LinuxHidPlatform();
    ~LinuxHidPlatform() override;
    LinuxHidPlatform(const LinuxHidPlatform &) = delete;
    LinuxHidPlatform &operator=(const LinuxHidPlatform &) = delete;

    std::vector<HidInterfaceInfo> enumerate() override;
    OpenResult<HidReadChannel> openForReading(const std::string &path) override;
    OpenResult<HidWriteChannel> openForWriting(const std::string &path) override;
    bool registerNotifications(std::uintptr_t nativeWindow, HotplugCallback callback) override;
    std::string lastErrorText() const override { return m_lastError; }

    // The feature report whose length the write channel reports.
    static constexpr std::uint8_t kFeatureReportId = 0x80;

private:
    void setReceiveBuffer();
    void readMonitor();
    void noteError(const std::string &what, int error);

    udev *m_udev = nullptr;
    udev_monitor *m_monitor = nullptr;
    std::unique_ptr<UdevHotplugDispatcher> m_dispatcher;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::string m_lastError;
};

} // namespace device
