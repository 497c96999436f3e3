#pragma once

// The back end for the machine the tool runs on: hidraw and udev on Linux,
// HID and SetupAPI on Windows. Free of Qt. May return null when the platform
// has no back end; platform() then falls back to one that finds nothing.

#include "hidplatform.h"

#include <memory>

namespace device {

std::unique_ptr<HidPlatform> createNativePlatform();

} // namespace device
