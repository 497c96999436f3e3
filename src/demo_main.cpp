// The demo: the whole tool, unchanged, started against the simulated wheel
// base. Every feature report the base receives is printed to standard error.
//
// For scripts: SIGTERM and SIGINT (Ctrl+C) end the demo the way Escape does,
// with exit code 0. A second signal while the first is still being handled
// ends the process at once.
//
// VELORAX_SIM_STATE names a file that keeps the simulated base's settings between starts (the
// tests run several processes against one base through it).
#include "platform.h"
#include "simplatform.h"
#include "startup.h"

#include <QString>

#include <memory>

int main(int argc, char **argv)
{
    StartupHooks hooks;
    hooks.beforeWindow = [] {
        auto platform = std::make_unique<sim::SimPlatform>();
        platform->wheelBase()->setLogToStderr(true);
        const QString stateFile = qEnvironmentVariable("VELORAX_SIM_STATE");
        if (!stateFile.isEmpty())
            platform->wheelBase()->setStateFile(stateFile);
        device::installPlatform(std::move(platform));
    };
    return runApplication(argc, argv, hooks);
}
