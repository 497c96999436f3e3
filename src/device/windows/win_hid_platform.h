#pragma once

// The Windows back end: SetupAPI enumeration, the HID class driver's calls,
// overlapped reads that a stop event interrupts, and device-interface
// notifications through WM_DEVICECHANGE. Free of Qt and of windows.h, so that
// including it costs nothing.

#include "hidplatform.h"

#include <string>

namespace device {

class WinHidPlatform final : public HidPlatform
{
public:
    WinHidPlatform() = default;
    ~WinHidPlatform() override;
    WinHidPlatform(const WinHidPlatform &) = delete;
    WinHidPlatform &operator=(const WinHidPlatform &) = delete;

    // Every present HID interface; ids are -1 where the interface could not
    // be queried (held exclusively by the system, for example).
    std::vector<HidInterfaceInfo> enumerate() override;
    OpenResult<HidReadChannel> openForReading(const std::string &path) override;
    // The write channel learns the feature-report length from the device's
    // capabilities; a device whose capabilities cannot be read is not opened.
    OpenResult<HidWriteChannel> openForWriting(const std::string &path) override;
    // `nativeWindow` is the HWND that receives WM_DEVICECHANGE for HID
    // interfaces; the messages must then be handed to handleNativeMessage().
    bool registerNotifications(std::uintptr_t nativeWindow, HotplugCallback callback) override;
    // Takes a MSG*. Arrival and removal of a HID interface reach the callback
    // at once, with the ids read from the interface path.
    void handleNativeMessage(void *message) override;
    // SetupAPI gives interface paths in lower case, device-change messages
    // in upper case.
    bool samePath(const std::string &a, const std::string &b) const override;
    std::string lastErrorText() const override { return m_lastError; }

private:
    void setLastError(const std::string &what, unsigned long code);

    void *m_notification = nullptr; // HDEVNOTIFY
    HotplugCallback m_callback;
    std::string m_lastError;
};

// The value of an id text taken from a device path: exactly four hex digits,
// else -1.
int idFromPathText(const std::string &text);

// Interface paths compared without regard to ASCII letter case.
bool sameInterfacePath(const std::string &a, const std::string &b);

} // namespace device
