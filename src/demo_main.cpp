// The demo: the whole tool, unchanged, started against the simulated wheel
// base. Every feature report the base receives is printed to standard error.
//
// For scripts: SIGTERM and SIGINT (Ctrl+C) end the demo the way Escape does,
// with exit code 0. A second signal while the first is still being handled
// ends the process at once.
#include "platform.h"
#include "simplatform.h"
#include "startup.h"
#include "widget.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QPointer>

#include <memory>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

Q_LOGGING_CATEGORY(lcDemo, "velorax.ui.demo")

namespace {

#ifdef Q_OS_UNIX

int g_signalPipe[2] = {-1, -1};
constexpr int kQuitSignals[] = {SIGTERM, SIGINT};

extern "C" void onQuitSignal(int)
{
    // Only async-signal-safe calls here: one byte into the self-pipe, the
    // event loop does the rest.
    const int savedErrno = errno;
    const char byte = 1;
    if (::write(g_signalPipe[1], &byte, 1) < 0) {
        // The pipe is full: a quit is already pending.
    }
    errno = savedErrno;
}

bool makeNonBlockingCloseOnExec(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0 &&
           ::fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}

// Turns SIGTERM and SIGINT into an Escape key press for the window, through a
// self-pipe that the GUI thread's event loop watches.
class QuitOnSignal : public QObject
{
public:
    explicit QuitOnSignal(QObject *parent) : QObject(parent) {}

    ~QuitOnSignal() override
    {
        if (!m_installed)
            return;
        for (int signalNumber : kQuitSignals)
            std::signal(signalNumber, SIG_DFL);
        ::close(g_signalPipe[0]);
        ::close(g_signalPipe[1]);
        g_signalPipe[0] = g_signalPipe[1] = -1;
    }

    bool install()
    {
        if (::pipe(g_signalPipe) != 0)
            return false;
        if (!makeNonBlockingCloseOnExec(g_signalPipe[0]) ||
            !makeNonBlockingCloseOnExec(g_signalPipe[1])) {
            ::close(g_signalPipe[0]);
            ::close(g_signalPipe[1]);
            g_signalPipe[0] = g_signalPipe[1] = -1;
            return false;
        }
        auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, &QuitOnSignal::onSignal);

        struct sigaction action = {};
        action.sa_handler = onQuitSignal;
        sigemptyset(&action.sa_mask);
        // SA_RESETHAND: a second signal finds the default action and ends the
        // process even if the event loop is stuck.
        action.sa_flags = SA_RESTART | SA_RESETHAND;
        for (int signalNumber : kQuitSignals)
            ::sigaction(signalNumber, &action, nullptr);
        m_installed = true;
        return true;
    }

    void setWindow(Widget *window) { m_window = window; }

private:
    void onSignal()
    {
        char buffer[16];
        while (::read(g_signalPipe[0], buffer, sizeof buffer) > 0) {
        }
        qCDebug(lcDemo) << "quit signal received";
        if (m_window)
            QCoreApplication::postEvent(
                m_window, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        else
            QCoreApplication::quit();
    }

    QPointer<Widget> m_window;
    bool m_installed = false;
};

#endif

} // namespace

int main(int argc, char **argv)
{
    StartupHooks hooks;
#ifdef Q_OS_UNIX
    QPointer<QuitOnSignal> quitOnSignal;
#endif
    hooks.beforeWindow = [&] {
        auto platform = std::make_unique<sim::SimPlatform>();
        platform->wheelBase()->setLogToStderr(true);
        device::installPlatform(std::move(platform));
#ifdef Q_OS_UNIX
        // A child of the application object: it goes before the event
        // dispatcher does, and restores the default signal actions.
        auto *watcher = new QuitOnSignal(QCoreApplication::instance());
        if (watcher->install()) {
            quitOnSignal = watcher;
        } else {
            qCWarning(lcDemo) << "cannot watch for quit signals; SIGTERM ends the demo abruptly";
            delete watcher;
        }
#endif
    };
#ifdef Q_OS_UNIX
    hooks.afterShow = [&](Widget *window) {
        if (quitOnSignal)
            quitOnSignal->setWindow(window);
    };
#endif
    return runApplication(argc, argv, hooks);
}
