#include "report_descriptor.h"

#include <vector>

namespace device {

namespace {

// Item prefixes (HID 1.11, 6.2.2): bits 0-1 size code, 2-3 type, 4-7 tag.
constexpr std::uint8_t kLongItemPrefix = 0xFE;
enum ItemType : std::uint8_t
{
    Main = 0,
    Global = 1,
    Local = 2,
    Reserved = 3
};
enum MainTag : std::uint8_t
{
    TagInput = 0x8,
    TagOutput = 0x9,
    TagFeature = 0xB
};
enum GlobalTag : std::uint8_t
{
    TagReportSize = 0x7,
    TagReportId = 0x8,
    TagReportCount = 0x9,
    TagPush = 0xA,
    TagPop = 0xB,
};

// Deeper nesting than this is not found in real devices (the Linux kernel
// stops at 4); it bounds the memory a hostile descriptor can make us use.
constexpr std::size_t kMaxPushDepth = 32;
constexpr std::uint64_t kMaxReportBits = (kMaxReportLength - 1) * 8;

struct GlobalState
{
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint8_t reportId = 0;
};

std::uint32_t littleEndian(const std::uint8_t *p, std::size_t n)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < n; ++i)
        value |= std::uint32_t(p[i]) << (8 * i);
    return value;
}

bool addMainItem(ReportDescriptorInfo &info, ReportKind kind, const GlobalState &state)
{
    // Both factors are bounded by the caller, so the product cannot overflow.
    std::size_t &sum = info.bits[{kind, state.reportId}];
    const std::uint64_t total =
        std::uint64_t(sum) + std::uint64_t(state.reportSize) * state.reportCount;
    if (total > kMaxReportBits)
        return false;
    sum = std::size_t(total);
    return true;
}

} // namespace

bool ReportDescriptorInfo::hasReport(ReportKind kind, std::uint8_t id) const
{
    return bits.count({kind, id}) != 0;
}

std::size_t ReportDescriptorInfo::reportBits(ReportKind kind, std::uint8_t id) const
{
    const auto it = bits.find({kind, id});
    return it == bits.end() ? 0 : it->second;
}

std::size_t ReportDescriptorInfo::reportLength(ReportKind kind, std::uint8_t id) const
{
    if (!hasReport(kind, id))
        return 0;
    return 1 + (reportBits(kind, id) + 7) / 8;
}

ReportDescriptorInfo parseReportDescriptor(const std::uint8_t *data, std::size_t size)
{
    ReportDescriptorInfo info;
    if (!data || size == 0)
        return info;

    GlobalState state;
    std::vector<GlobalState> stack;
    std::size_t pos = 0;
    while (pos < size) {
        const std::uint8_t prefix = data[pos];
        if (prefix == kLongItemPrefix) {
            // Long item: prefix, data size, tag, data. No long item tag is
            // defined, so its contents are skipped.
            if (size - pos < 3)
                return {};
            const std::size_t dataSize = data[pos + 1];
            if (size - pos - 3 < dataSize)
                return {};
            pos += 3 + dataSize;
            continue;
        }

        static const std::size_t kSizes[4] = {0, 1, 2, 4};
        const std::size_t dataSize = kSizes[prefix & 0x3];
        if (size - pos - 1 < dataSize)
            return {};
        const std::uint32_t value = littleEndian(data + pos + 1, dataSize);
        const auto type = ItemType((prefix >> 2) & 0x3);
        const std::uint8_t tag = prefix >> 4;
        pos += 1 + dataSize;

        if (type == Main) {
            ReportKind kind;
            if (tag == TagInput)
                kind = ReportKind::Input;
            else if (tag == TagOutput)
                kind = ReportKind::Output;
            else if (tag == TagFeature)
                kind = ReportKind::Feature;
            else
                continue; // Collection, End Collection
            if (!addMainItem(info, kind, state))
                return {};
        } else if (type == Global) {
            switch (tag) {
            case TagReportSize:
                if (value > kMaxReportBits)
                    return {};
                state.reportSize = value;
                break;
            case TagReportCount:
                if (value > kMaxReportBits)
                    return {};
                state.reportCount = value;
                break;
            case TagReportId:
                // Report id 0 is reserved for unnumbered reports.
                if (value == 0 || value > 0xFF)
                    return {};
                state.reportId = std::uint8_t(value);
                info.usesReportIds = true;
                break;
            case TagPush:
                if (stack.size() >= kMaxPushDepth)
                    return {};
                stack.push_back(state);
                break;
            case TagPop:
                if (stack.empty())
                    return {};
                state = stack.back();
                stack.pop_back();
                break;
            default:
                break; // usage page, logical and physical ranges, units
            }
        }
        // Local and reserved items carry nothing a length depends on.
    }
    info.valid = true;
    return info;
}

std::size_t featureReportLength(const std::uint8_t *data, std::size_t size, std::uint8_t reportId,
                                std::size_t fallback)
{
    const ReportDescriptorInfo info = parseReportDescriptor(data, size);
    if (!info.valid)
        return fallback;
    const std::size_t length = info.reportLength(ReportKind::Feature, reportId);
    return length == 0 ? fallback : length;
}

} // namespace device
