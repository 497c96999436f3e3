// The demo: the whole tool, unchanged, started against the simulated wheel
// base. Every feature report the base receives is printed to standard error.
//
// For scripts: SIGTERM and SIGINT (Ctrl+C) end the demo the way Escape does,
// with exit code 0. A second signal while the first is still being handled
// ends the process at once.
#include "platform.h"
#include "signalrelay.h"
#include "simplatform.h"
#include "startup.h"
#include "widget.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QPointer>

#include <memory>

Q_LOGGING_CATEGORY(lcDemo, "velorax.ui.demo")

int main(int argc, char **argv)
{
    StartupHooks hooks;
    QPointer<Widget> shownWindow;
    hooks.beforeWindow = [&] {
        auto platform = std::make_unique<sim::SimPlatform>();
        platform->wheelBase()->setLogToStderr(true);
        device::installPlatform(std::move(platform));
        // SIGTERM and SIGINT end the demo as Escape does. The relay is a child of the
        // application object: it goes before the event dispatcher does, and gives the signals
        // their previous actions back.
        auto *relay = new SignalRelay(
            [&shownWindow](int) {
                qCDebug(lcDemo) << "quit signal received";
                if (shownWindow)
                    QCoreApplication::postEvent(
                        shownWindow,
                        new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
                else
                    QCoreApplication::quit();
            },
            QCoreApplication::instance());
        if (!relay->install(true)) {
            qCWarning(lcDemo) << "cannot watch for quit signals; SIGTERM ends the demo abruptly";
            delete relay;
        }
    };
    hooks.afterShow = [&](Widget *window) { shownWindow = window; };
    return runApplication(argc, argv, hooks);
}
