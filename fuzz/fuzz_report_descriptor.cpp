// The report-descriptor parser over arbitrary bytes: no read past the end, no
// unbounded memory, and every length it reports stays within the limit.

#include "fuzzcheck.h"
#include "report_descriptor.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // An exact-size copy, so that a read one byte too far is caught.
    const std::vector<std::uint8_t> descriptor(data, data + size);
    const device::ReportDescriptorInfo info =
        device::parseReportDescriptor(descriptor.data(), descriptor.size());

    if (!info.valid)
        FUZZ_CHECK(info.bits.empty() && !info.usesReportIds);
    else {
        for (const auto &[key, bits] : info.bits) {
            const auto [kind, id] = key;
            FUZZ_CHECK(info.hasReport(kind, id));
            FUZZ_CHECK(info.reportBits(kind, id) == bits);
            const std::size_t length = info.reportLength(kind, id);
            FUZZ_CHECK(length == 1 + (bits + 7) / 8);
            FUZZ_CHECK(length <= device::kMaxReportLength);
        }
    }

    for (const std::uint8_t id :
         {std::uint8_t(0x80), std::uint8_t(0x00), std::uint8_t(size ? descriptor[0] : 0)}) {
        const std::size_t length =
            device::featureReportLength(descriptor.data(), descriptor.size(), id, 33);
        FUZZ_CHECK(length >= 1);
        FUZZ_CHECK(length == 33 || length <= device::kMaxReportLength);
        if (!info.valid || !info.hasReport(device::ReportKind::Feature, id))
            FUZZ_CHECK(length == 33);
        else
            FUZZ_CHECK(length == info.reportLength(device::ReportKind::Feature, id));
    }
    return 0;
}
