#pragma once

// The platform layer: exactly what the window logic needs of the HID system.
// Deliberately free of Qt so that the Windows back end builds with mingw alone.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace device {

constexpr std::size_t kInputReportLength = 20;

struct HidInterfaceInfo
{
    std::string path; // UTF-8; what openForReading/openForWriting take
    int vendorId = -1;
    int productId = -1;
};

enum class OpenError
{
    None,
    NotFound,
    PermissionDenied, // the user may not open it (udev rule missing, ...)
    Busy,             // another program holds it (a sharing violation)
    Other,
};

enum class ReadStatus
{
    Report,       // a report was read; `size` bytes are valid, report id first
    Cancelled,    // cancel() was called, before or during the read
    Error,        // a transient failure; the caller should back off and retry
    Disconnected, // the device is gone (EIO, POLLHUP, ...); further reads fail
};

struct ReadResult
{
    ReadStatus status = ReadStatus::Error;
    std::size_t size = 0;
};

// A handle opened for reading input reports. read() may block; cancel() may be
// called from any thread and wakes a pending read at once.
class HidReadChannel
{
public:
    virtual ~HidReadChannel() = default;
    // Reads one input report into `buffer`. Every report handed out starts
    // with its report id (unnumbered reports are given id 0).
    virtual ReadResult read(std::uint8_t *buffer, std::size_t capacity) = 0;
    virtual void cancel() = 0;
};

// A handle opened for writing (feature and output reports). GUI thread only.
class HidWriteChannel
{
public:
    virtual ~HidWriteChannel() = default;
    // Sends one feature report of exactly featureReportLength() bytes, report id
    // first: shorter data is padded with zeros, longer data truncated.
    virtual bool sendFeatureReport(const std::uint8_t *data, std::size_t size) = 0;
    // The feature-report length, report id byte included.
    virtual std::size_t featureReportLength() const = 0;
    // Writes one output report (no result is looked at by the tool).
    virtual bool writeOutputReport(const std::uint8_t *data, std::size_t size) = 0;
};

enum class HotplugKind
{
    Arrival,
    Removal,
    Resync, // notifications were lost (monitor overflow): compare with enumerate()
};

struct HotplugEvent
{
    HotplugKind kind = HotplugKind::Arrival;
    std::string path;  // empty for Resync
    int vendorId = -1; // -1 when the platform could not tell
    int productId = -1;
};

using HotplugCallback = std::function<void(const HotplugEvent &)>;

template <typename T> struct OpenResult
{
    std::unique_ptr<T> channel;
    OpenError error = OpenError::None;
    explicit operator bool() const { return channel != nullptr; }
};

class HidPlatform
{
public:
    virtual ~HidPlatform() = default;

    // All HID interfaces present now, with their ids.
    virtual std::vector<HidInterfaceInfo> enumerate() = 0;
    virtual OpenResult<HidReadChannel> openForReading(const std::string &path) = 0;
    virtual OpenResult<HidWriteChannel> openForWriting(const std::string &path) = 0;

    // Starts delivering interface arrival and removal to `callback`, on the GUI
    // thread. `nativeWindow` is the window's native handle where the platform
    // needs one (Windows). Returns false when registration failed.
    virtual bool registerNotifications(std::uintptr_t nativeWindow, HotplugCallback callback) = 0;

    // Windows: hands a native window message to the back end, which calls the
    // hotplug callback for device-change messages. Other platforms ignore it.
    virtual void handleNativeMessage(void *message) { (void)message; }

    // True when both paths name the same interface. Paths from enumerate() and
    // from notifications may differ in letter case (Windows).
    virtual bool samePath(const std::string &a, const std::string &b) const { return a == b; }

    // A short human-readable note for the last error, for the debug log.
    virtual std::string lastErrorText() const { return {}; }
};

} // namespace device
