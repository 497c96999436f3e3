#pragma once

// Reading the vendor and product ids out of a Windows device-interface path
// such as "\\?\HID#VID_0483&PID_0522#7&2a1b&0&0000#{4d1e55b2-...}". Pure and
// free of Qt: the Windows back end uses it, the tests run it anywhere.

#include <string>

namespace device {

struct PathIdTexts
{
    std::string vendor;  // empty when the path holds no "VID"
    std::string product; // empty when the path holds no "PID"
};

// Finds "VID" (case-sensitive) and takes the 4 characters that start 4
// characters after the match, that is after "VID" and its separator; "PID"
// likewise. Near the end of the path a text is cut short, never read past the
// end. The path is UTF-8 and characters are counted as code points.
PathIdTexts pathIdTexts(const std::string &path);

// True when both texts equal the given ones exactly (case-sensitive).
bool pathMatchesIds(const std::string &path, const std::string &vendorText = "0483",
                    const std::string &productText = "0522");

} // namespace device
