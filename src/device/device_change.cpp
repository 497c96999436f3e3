#include "device_change.h"

#include <vector>

namespace device {

namespace {

std::uint16_t read16(const std::uint8_t *p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}

std::uint32_t read32(const std::uint8_t *p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

void appendUtf8(std::string &out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

} // namespace

std::string utf16ToUtf8(const std::uint16_t *units, std::size_t count)
{
    constexpr std::uint32_t kReplacement = 0xFFFD;
    std::string out;
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t unit = units[i];
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 1 < count && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00));
                ++i;
            } else {
                appendUtf8(out, kReplacement);
            }
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            appendUtf8(out, kReplacement);
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

std::optional<BroadcastHeader> parseBroadcastHeader(const std::uint8_t *data, std::size_t size)
{
    if (!data || size < kBroadcastHeaderSize)
        return std::nullopt;
    return BroadcastHeader{read32(data), read32(data + 4)};
}

std::optional<DeviceInterfaceRecord> parseDeviceInterfaceRecord(const std::uint8_t *data,
                                                                std::size_t size)
{
    if (!data || size < kInterfaceRecordFixedSize)
        return std::nullopt;
    const std::uint32_t recordSize = read32(data);
    if (recordSize < kInterfaceRecordFixedSize || recordSize > size)
        return std::nullopt;
    if (read32(data + 4) != kDeviceTypeInterface)
        return std::nullopt;

    DeviceInterfaceRecord record;
    record.classGuid.data1 = read32(data + 12);
    record.classGuid.data2 = read16(data + 16);
    record.classGuid.data3 = read16(data + 18);
    for (std::size_t i = 0; i < 8; ++i)
        record.classGuid.data4[i] = data[20 + i];

    // The name runs to its NUL; a record whose name is not terminated within
    // its own size is cut off and cannot be trusted.
    std::vector<std::uint16_t> units;
    for (std::size_t pos = kInterfaceRecordFixedSize; pos + 2 <= recordSize; pos += 2) {
        const std::uint16_t unit = read16(data + pos);
        if (unit == 0) {
            record.name = utf16ToUtf8(units.data(), units.size());
            return record;
        }
        units.push_back(unit);
    }
    return std::nullopt;
}

} // namespace device
