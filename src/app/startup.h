#pragma once

#include <functional>

class QMessageBox;
class QString;
class Widget;

// Hooks for the demo and the tests; the real tool passes none.
struct StartupHooks
{
    // Runs in the first copy after the application object exists and before
    // the window is built (the demo installs the simulated wheel base here).
    std::function<void()> beforeWindow;
    // Runs once the window is shown.
    std::function<void(Widget *)> afterShow;
    // Runs just before the "already running" box of a second copy is shown.
    std::function<void(QMessageBox *)> beforeAlreadyRunningBox;
    // Runs in the first copy for every message a later copy sends.
    std::function<void(const QString &)> onInstanceMessage;
};

// The process entry: codec and high-DPI set-up, the single-instance guard,
// the window and the event loop. Returns the process exit code.
int runApplication(int argc, char **argv, const StartupHooks &hooks = {});
