// Platforms without a HID back end: the tool runs and finds no device.

#include "native_platform.h"

namespace device {

std::unique_ptr<HidPlatform> createNativePlatform()
{
    return nullptr;
}

} // namespace device
