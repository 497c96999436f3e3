#include "device_path.h"

namespace device {

namespace {

bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The byte index `count` code points after `from`, or the path's size.
std::size_t advance(const std::string &text, std::size_t from, std::size_t count)
{
    std::size_t pos = from;
    while (count > 0 && pos < text.size()) {
        ++pos;
        while (pos < text.size() && isContinuationByte(text[pos]))
            ++pos;
        --count;
    }
    return pos;
}

std::string idTextAfter(const std::string &path, const char *marker)
{
    const std::size_t match = path.find(marker);
    if (match == std::string::npos)
        return {};
    const std::size_t begin = advance(path, match, 4);
    const std::size_t end = advance(path, begin, 4);
    return path.substr(begin, end - begin);
}

} // namespace

PathIdTexts pathIdTexts(const std::string &path)
{
    return {idTextAfter(path, "VID"), idTextAfter(path, "PID")};
}

bool pathMatchesIds(const std::string &path, const std::string &vendorText,
                    const std::string &productText)
{
    const PathIdTexts texts = pathIdTexts(path);
    if (texts.vendor.empty() || texts.product.empty())
        return false;
    return texts.vendor == vendorText && texts.product == productText;
}

} // namespace device
