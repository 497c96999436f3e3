// The "VID"/"PID" rule over arbitrary device paths: the texts are never read
// past the end, hold at most four code points, and the match agrees with them.

#include "device_path.h"
#include "fuzzcheck.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

std::size_t codePoints(const std::string &text)
{
    std::size_t count = 0;
    for (const char c : text)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

bool isSubstringOf(const std::string &part, const std::string &whole)
{
    return part.empty() || whole.find(part) != std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string path(reinterpret_cast<const char *>(data), size);
    const device::PathIdTexts texts = device::pathIdTexts(path);

    FUZZ_CHECK(codePoints(texts.vendor) <= 4);
    FUZZ_CHECK(codePoints(texts.product) <= 4);
    FUZZ_CHECK(isSubstringOf(texts.vendor, path));
    FUZZ_CHECK(isSubstringOf(texts.product, path));
    FUZZ_CHECK(path.find("VID") != std::string::npos || texts.vendor.empty());
    FUZZ_CHECK(path.find("PID") != std::string::npos || texts.product.empty());

    const bool matches = device::pathMatchesIds(path);
    FUZZ_CHECK(matches == (texts.vendor == "0483" && texts.product == "0522"));
    // Custom ids taken from the path itself always match it when both exist.
    if (!texts.vendor.empty() && !texts.product.empty())
        FUZZ_CHECK(device::pathMatchesIds(path, texts.vendor, texts.product));
    return 0;
}
