// The demo: the whole tool, unchanged, started against the simulated wheel
// base. Every feature report the base receives is printed to standard error.
//
// For scripts: SIGTERM and SIGINT (Ctrl+C) end the demo the way Escape does,
// with exit code 0. A second signal while the first is still being handled
// ends the process at once.
#include "platform.h"
#include "simplatform.h"
#include "startup.h"

#include <memory>

int main(int argc, char **argv)
{
    StartupHooks hooks;
    hooks.beforeWindow = [] {
        auto platform = std::make_unique<sim::SimPlatform>();
        platform->wheelBase()->setLogToStderr(true);
        device::installPlatform(std::move(platform));
    };
    return runApplication(argc, argv, hooks);
}
