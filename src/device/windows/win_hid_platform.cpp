#include "win_hid_platform.h"

#include "device_change.h"
#include "device_path.h"
#include "native_platform.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX // std::min and std::max, not the SDK's macros
#endif
#include <windows.h>

#include <dbt.h>
#include <setupapi.h>

// The HID headers lack C linkage declarations of their own. hidsdi.h brings
// hidusage.h and hidpi.h in the order they need.
extern "C" {
#include <hidsdi.h>
}

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace device {

namespace {

constexpr DWORD kShareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;
// A device-change record larger than this is not a device-interface record.
constexpr std::uint32_t kMaxBroadcastRecordSize = 64 * 1024;
// Not every winerror.h names it.
constexpr DWORD kErrorNoSuchDevice = 433;

std::wstring toWide(const std::string &utf8)
{
    if (utf8.empty())
        return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring wide(std::size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), &wide[0], length);
    return wide;
}

std::string toUtf8(const wchar_t *wide)
{
    if (!wide || !*wide)
        return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1)
        return {};
    std::string utf8(std::size_t(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, &utf8[0], length, nullptr, nullptr);
    utf8.resize(std::size_t(length - 1)); // without the terminating NUL
    return utf8;
}

std::string systemMessage(DWORD code)
{
    wchar_t *text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    std::string message;
    if (length > 0 && text)
        message = toUtf8(text);
    if (text)
        LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return message;
}

OpenError openErrorFromCode(DWORD code)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DEVICE_NOT_CONNECTED:
    case kErrorNoSuchDevice:
        return OpenError::NotFound;
    case ERROR_ACCESS_DENIED:
        return OpenError::PermissionDenied;
    case ERROR_SHARING_VIOLATION:
        return OpenError::Busy; // another program opened it without sharing
    default:
        return OpenError::Other;
    }
}

// Errors after which the handle will never deliver again.
bool meansDisconnected(DWORD code)
{
    switch (code) {
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
    case kErrorNoSuchDevice:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_INVALID_HANDLE:
    case ERROR_BAD_COMMAND:
        return true;
    default:
        return false;
    }
}

bool readCapabilities(HANDLE handle, HIDP_CAPS &caps)
{
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    if (!HidD_GetPreparsedData(handle, &preparsed))
        return false;
    const NTSTATUS status = HidP_GetCaps(preparsed, &caps);
    HidD_FreePreparsedData(preparsed);
    return status == HIDP_STATUS_SUCCESS;
}

GUID hidInterfaceGuid()
{
    GUID guid;
    HidD_GetHidGuid(&guid);
    return guid;
}

class WinHidReadChannel final : public HidReadChannel
{
public:
    // Takes ownership of all three handles.
    WinHidReadChannel(HANDLE device, HANDLE stopEvent, HANDLE ioEvent, std::size_t reportLength)
        : m_device(device), m_stopEvent(stopEvent), m_ioEvent(ioEvent), m_buffer(reportLength)
    {
    }
    ~WinHidReadChannel() override
    {
        CloseHandle(m_device);
        CloseHandle(m_stopEvent);
        CloseHandle(m_ioEvent);
    }
    WinHidReadChannel(const WinHidReadChannel &) = delete;
    WinHidReadChannel &operator=(const WinHidReadChannel &) = delete;

    ReadResult read(std::uint8_t *buffer, std::size_t capacity) override
    {
        if (m_cancelled.load())
            return {ReadStatus::Cancelled, 0};

        OVERLAPPED overlapped{};
        overlapped.hEvent = m_ioEvent;
        ResetEvent(m_ioEvent);
        if (!ReadFile(m_device, m_buffer.data(), DWORD(m_buffer.size()), nullptr, &overlapped)) {
            const DWORD code = GetLastError();
            if (code != ERROR_IO_PENDING)
                return failure(code);
        }

        // The stop event comes first, so a stop wins over a report that
        // completes at the same moment.
        HANDLE waits[2] = {m_stopEvent, m_ioEvent};
        const DWORD woken = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        DWORD count = 0;
        if (woken != WAIT_OBJECT_0 + 1) {
            // Stopped (or the wait failed): cancel the read and wait until it
            // is really over, since it writes into m_buffer and overlapped.
            CancelIoEx(m_device, &overlapped);
            GetOverlappedResult(m_device, &overlapped, &count, TRUE);
            return {woken == WAIT_OBJECT_0 ? ReadStatus::Cancelled : ReadStatus::Error, 0};
        }
        if (!GetOverlappedResult(m_device, &overlapped, &count, FALSE))
            return failure(GetLastError());

        const std::size_t size = std::min<std::size_t>(count, capacity);
        if (size > 0)
            std::memcpy(buffer, m_buffer.data(), size);
        return {ReadStatus::Report, size};
    }

    // Wakes a pending read; this read and every later one return Cancelled.
    void cancel() override
    {
        m_cancelled.store(true);
        SetEvent(m_stopEvent);
    }

private:
    ReadResult failure(DWORD code) const
    {
        if (code == ERROR_OPERATION_ABORTED && m_cancelled.load())
            return {ReadStatus::Cancelled, 0};
        return {meansDisconnected(code) ? ReadStatus::Disconnected : ReadStatus::Error, 0};
    }

    const HANDLE m_device;
    const HANDLE m_stopEvent; // manual reset: once set, it stays set
    const HANDLE m_ioEvent;
    std::vector<std::uint8_t> m_buffer; // the whole input report, as the driver wants it
    std::atomic<bool> m_cancelled{false};
};

class WinHidWriteChannel final : public HidWriteChannel
{
public:
    WinHidWriteChannel(HANDLE device, std::size_t featureLength)
        : m_device(device), m_featureLength(featureLength)
    {
    }
    ~WinHidWriteChannel() override { CloseHandle(m_device); }
    WinHidWriteChannel(const WinHidWriteChannel &) = delete;
    WinHidWriteChannel &operator=(const WinHidWriteChannel &) = delete;

    bool sendFeatureReport(const std::uint8_t *data, std::size_t size) override
    {
        if (m_featureLength == 0)
            return false; // the device declares no feature report
        // The driver takes exactly the declared length, report id first.
        std::vector<std::uint8_t> report(m_featureLength, 0);
        if (data && size > 0)
            std::memcpy(report.data(), data, std::min(size, m_featureLength));
        return HidD_SetFeature(m_device, report.data(), ULONG(report.size())) != FALSE;
    }

    std::size_t featureReportLength() const override { return m_featureLength; }

    bool writeOutputReport(const std::uint8_t *data, std::size_t size) override
    {
        if (!data || size == 0)
            return false;
        OVERLAPPED overlapped{}; // offset 0, no event: the handle is synchronous
        DWORD written = 0;
        const BOOL ok = WriteFile(m_device, data, DWORD(size), &written, &overlapped);
        return ok && written == size;
    }

private:
    const HANDLE m_device;
    const std::size_t m_featureLength;
};

} // namespace

int idFromPathText(const std::string &text)
{
    if (text.size() != 4)
        return -1;
    int value = 0;
    for (const char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

WinHidPlatform::~WinHidPlatform()
{
    if (m_notification)
        UnregisterDeviceNotification(HDEVNOTIFY(m_notification));
}

void WinHidPlatform::setLastError(const std::string &what, unsigned long code)
{
    m_lastError = what + ": error " + std::to_string(code);
    const std::string message = systemMessage(DWORD(code));
    if (!message.empty())
        m_lastError += " (" + message + ")";
}

std::vector<HidInterfaceInfo> WinHidPlatform::enumerate()
{
    std::vector<HidInterfaceInfo> interfaces;
    GUID hidGuid = hidInterfaceGuid();
    const HDEVINFO set =
        SetupDiGetClassDevsW(&hidGuid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) {
        setLastError("SetupDiGetClassDevsW", GetLastError());
        return interfaces;
    }

    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA interfaceData{};
        interfaceData.cbSize = sizeof interfaceData;
        if (!SetupDiEnumDeviceInterfaces(set, nullptr, &hidGuid, index, &interfaceData))
            break; // ERROR_NO_MORE_ITEMS past the last one

        DWORD required = 0;
        SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, nullptr, 0, &required, nullptr);
        if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W))
            continue;
        auto *detail = static_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W *>(std::malloc(required));
        if (!detail) {
            m_lastError = "out of memory for an interface detail record";
            break;
        }
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W); // the fixed part only
        if (!SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, detail, required, nullptr,
                                              nullptr)) {
            std::free(detail);
            continue;
        }

        HidInterfaceInfo info;
        info.path = toUtf8(detail->DevicePath);
        // Access 0: enough to read the attributes of a device that others
        // hold open, keyboards and mice included.
        const HANDLE query = CreateFileW(detail->DevicePath, 0, kShareReadWrite, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        std::free(detail);
        if (query != INVALID_HANDLE_VALUE) {
            HIDD_ATTRIBUTES attributes{};
            attributes.Size = sizeof attributes;
            if (HidD_GetAttributes(query, &attributes)) {
                info.vendorId = attributes.VendorID;
                info.productId = attributes.ProductID;
            }
            CloseHandle(query);
        }
        if (!info.path.empty())
            interfaces.push_back(std::move(info));
    }
    SetupDiDestroyDeviceInfoList(set);
    return interfaces;
}

OpenResult<HidReadChannel> WinHidPlatform::openForReading(const std::string &path)
{
    const std::wstring widePath = toWide(path);
    const HANDLE device =
        CreateFileW(widePath.c_str(), GENERIC_READ, kShareReadWrite, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr);
    if (device == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        setLastError("CreateFileW (read) " + path, code);
        return {nullptr, openErrorFromCode(code)};
    }

    HIDP_CAPS caps{};
    std::size_t reportLength = kInputReportLength;
    if (readCapabilities(device, caps) && caps.InputReportByteLength > 0)
        reportLength = caps.InputReportByteLength;

    const HANDLE stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const HANDLE ioEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!stopEvent || !ioEvent) {
        setLastError("CreateEventW", GetLastError());
        if (stopEvent)
            CloseHandle(stopEvent);
        if (ioEvent)
            CloseHandle(ioEvent);
        CloseHandle(device);
        return {nullptr, OpenError::Other};
    }
    return {std::make_unique<WinHidReadChannel>(device, stopEvent, ioEvent, reportLength),
            OpenError::None};
}

OpenResult<HidWriteChannel> WinHidPlatform::openForWriting(const std::string &path)
{
    const std::wstring widePath = toWide(path);
    const HANDLE device = CreateFileW(widePath.c_str(), GENERIC_WRITE, kShareReadWrite, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        setLastError("CreateFileW (write) " + path, code);
        return {nullptr, openErrorFromCode(code)};
    }
    HIDP_CAPS caps{};
    if (!readCapabilities(device, caps)) {
        setLastError("HidD_GetPreparsedData " + path, GetLastError());
        CloseHandle(device);
        return {nullptr, OpenError::Other};
    }
    return {std::make_unique<WinHidWriteChannel>(device, caps.FeatureReportByteLength),
            OpenError::None};
}

bool WinHidPlatform::registerNotifications(std::uintptr_t nativeWindow, HotplugCallback callback)
{
    if (m_notification) {
        UnregisterDeviceNotification(HDEVNOTIFY(m_notification));
        m_notification = nullptr;
    }
    m_callback = std::move(callback);
    if (!nativeWindow) {
        m_lastError = "RegisterDeviceNotificationW: no window handle";
        return false;
    }

    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = hidInterfaceGuid();
    m_notification = RegisterDeviceNotificationW(reinterpret_cast<HWND>(nativeWindow), &filter,
                                                 DEVICE_NOTIFY_WINDOW_HANDLE);
    if (!m_notification) {
        setLastError("RegisterDeviceNotificationW", GetLastError());
        return false;
    }
    return true;
}

void WinHidPlatform::handleNativeMessage(void *message)
{
    const MSG *msg = static_cast<const MSG *>(message);
    if (!msg || msg->message != WM_DEVICECHANGE || !m_callback)
        return;
    HotplugKind kind;
    if (msg->wParam == DBT_DEVICEARRIVAL)
        kind = HotplugKind::Arrival;
    else if (msg->wParam == DBT_DEVICEREMOVECOMPLETE)
        kind = HotplugKind::Removal;
    else
        return;
    if (!msg->lParam)
        return;

    // The header says how long the record is; only then is the rest read.
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(msg->lParam);
    const std::optional<BroadcastHeader> header = parseBroadcastHeader(bytes, kBroadcastHeaderSize);
    if (!header || header->deviceType != kDeviceTypeInterface ||
        header->size > kMaxBroadcastRecordSize)
        return;
    const std::optional<DeviceInterfaceRecord> record =
        parseDeviceInterfaceRecord(bytes, header->size);
    if (!record || record->classGuid != kHidInterfaceClass)
        return;

    HotplugEvent event;
    event.kind = kind;
    event.path = record->name;
    const PathIdTexts texts = pathIdTexts(record->name);
    event.vendorId = idFromPathText(texts.vendor);
    event.productId = idFromPathText(texts.product);
    m_callback(event);
}

bool WinHidPlatform::samePath(const std::string &a, const std::string &b) const
{
    return sameInterfacePath(a, b);
}

bool sameInterfacePath(const std::string &a, const std::string &b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

std::unique_ptr<HidPlatform> createNativePlatform()
{
    return std::make_unique<WinHidPlatform>();
}

} // namespace device
