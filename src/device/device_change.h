#pragma once

// Parsing the device-interface record of a Windows device-change message
// (DEV_BROADCAST_DEVICEINTERFACE_W) from its raw bytes, without windows.h, so
// that the parser is tested anywhere. Layout, little-endian:
//   0  DWORD size      4  DWORD device type      8  DWORD reserved
//   12 GUID class      28 WCHAR name[], NUL-terminated UTF-16
// Free of Qt.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace device {

constexpr std::uint32_t kDeviceTypeInterface = 5; // DBT_DEVTYP_DEVICEINTERFACE
constexpr std::size_t kBroadcastHeaderSize = 12;  // DEV_BROADCAST_HDR
constexpr std::size_t kInterfaceRecordFixedSize = 28;

struct Guid
{
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};

    bool operator==(const Guid &other) const
    {
        return data1 == other.data1 && data2 == other.data2 && data3 == other.data3 &&
               data4 == other.data4;
    }
    bool operator!=(const Guid &other) const { return !(*this == other); }
};

// The HID device interface class {4D1E55B2-F16F-11CF-88CB-001111000030}.
constexpr Guid kHidInterfaceClass{
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

struct DeviceInterfaceRecord
{
    Guid classGuid;
    std::string name; // UTF-8
};

// The size and device-type fields of a broadcast header; nullopt when fewer
// than the header's 12 bytes are given.
struct BroadcastHeader
{
    std::uint32_t size = 0;
    std::uint32_t deviceType = 0;
};
std::optional<BroadcastHeader> parseBroadcastHeader(const std::uint8_t *data, std::size_t size);

// Rejects (nullopt) a record that is shorter than its fixed part, whose size
// field is smaller than that or larger than the bytes given, whose device type
// is not 5, or whose name has no NUL terminator inside the record.
std::optional<DeviceInterfaceRecord> parseDeviceInterfaceRecord(const std::uint8_t *data,
                                                                std::size_t size);

// UTF-16 code units to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf16ToUtf8(const std::uint16_t *units, std::size_t count);

} // namespace device
