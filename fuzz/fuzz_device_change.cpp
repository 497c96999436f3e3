// The device-change record parser over arbitrary bytes: it never reads past
// the bytes it is given, accepts only records whose fixed part and size field
// fit, and always produces well-formed UTF-8 names.

#include "device_change.h"
#include "fuzzcheck.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Strict UTF-8 check (shortest forms, no surrogates, at most U+10FFFF);
// returns the number of code points or -1.
long strictUtf8CodePoints(const std::string &text)
{
    long count = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        std::uint32_t cp = 0;
        if (lead < 0x80) {
            length = 1;
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            cp = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            cp = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            cp = lead & 0x07;
        } else {
            return -1;
        }
        if (i + length > text.size())
            return -1;
        for (std::size_t k = 1; k < length; ++k) {
            const auto c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80)
                return -1;
            cp = (cp << 6) | (c & 0x3F);
        }
        static const std::uint32_t kMinimum[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kMinimum[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return -1;
        i += length;
        ++count;
    }
    return count;
}

std::uint32_t read32(const std::uint8_t *p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

void checkConversion(const std::uint16_t *units, std::size_t count)
{
    std::size_t pairs = 0;
    for (std::size_t i = 0; i + 1 < count; ++i) {
        if (units[i] >= 0xD800 && units[i] <= 0xDBFF && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            ++pairs;
            ++i;
        }
    }
    const std::string text = device::utf16ToUtf8(units, count);
    FUZZ_CHECK(strictUtf8CodePoints(text) == long(count - pairs));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Exact-size copies, so that a read one byte too far is caught.
    const std::vector<std::uint8_t> bytes(data, data + size);

    const auto header = device::parseBroadcastHeader(bytes.data(), bytes.size());
    FUZZ_CHECK(header.has_value() == (size >= device::kBroadcastHeaderSize));
    if (header) {
        FUZZ_CHECK(header->size == read32(bytes.data()));
        FUZZ_CHECK(header->deviceType == read32(bytes.data() + 4));
    }

    const auto record = device::parseDeviceInterfaceRecord(bytes.data(), bytes.size());
    if (record) {
        FUZZ_CHECK(size >= device::kInterfaceRecordFixedSize);
        const std::uint32_t recordSize = read32(bytes.data());
        FUZZ_CHECK(recordSize >= device::kInterfaceRecordFixedSize && recordSize <= size);
        FUZZ_CHECK(read32(bytes.data() + 4) == device::kDeviceTypeInterface);
        FUZZ_CHECK(strictUtf8CodePoints(record->name) >= 0);
        // The name ends at a NUL inside the record: it never holds one.
        FUZZ_CHECK(record->name.find('\0') == std::string::npos);
    }

    std::vector<std::uint16_t> units(size / 2);
    if (!units.empty())
        std::memcpy(units.data(), bytes.data(), units.size() * 2);
    checkConversion(units.data(), units.size());
    return 0;
}
