#pragma once

// The process-wide platform back end. The demo and the tests install the
// simulated wheel base before the window is created; otherwise the native
// back end is created on first use. GUI thread only.

#include "hidplatform.h"

#include <memory>

namespace device {

// The installed back end, or the native one created on first use.
HidPlatform &platform();

// Makes `backend` the process-wide back end, destroying the previous one:
// nothing may still hold a reference to it (the window keeps one, so replace
// only while no window exists). A null `backend` reverts to the native one on
// the next platform() call.
void installPlatform(std::unique_ptr<HidPlatform> backend);

} // namespace device
