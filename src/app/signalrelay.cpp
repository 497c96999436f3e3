#include "signalrelay.h"

#ifdef Q_OS_UNIX

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kRelayedSignals[] = {SIGTERM, SIGINT, SIGHUP};
constexpr int kRelayedSignalCount = int(sizeof kRelayedSignals / sizeof kRelayedSignals[0]);

// The write end of the newest relay's pipe; lock-free, so the handler may read it.
std::atomic<int> g_relayWriteFd{-1};

extern "C" void relaySignal(int signalNumber)
{
    // Only async-signal-safe calls here: one byte into the pipe, the event loop does the rest.
    const int savedErrno = errno;
    const char byte = char(signalNumber);
    const int fd = g_relayWriteFd.load();
    if (fd >= 0 && ::write(fd, &byte, 1) < 0) {
        // The pipe is full: a signal is pending anyway.
    }
    errno = savedErrno;
}

bool makeNonBlockingCloseOnExec(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0 &&
           ::fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}

} // namespace

struct SignalRelay::Installed
{
    int pipe[2] = {-1, -1};
    int previousWriteFd = -1;
    struct sigaction previousActions[kRelayedSignalCount] = {};

    ~Installed()
    {
        for (int i = 0; i < kRelayedSignalCount; ++i)
            ::sigaction(kRelayedSignals[i], &previousActions[i], nullptr);
        g_relayWriteFd.store(previousWriteFd);
        ::close(pipe[0]);
        ::close(pipe[1]);
    }
};

SignalRelay::SignalRelay(std::function<void(int)> onSignal, QObject *parent)
    : QObject(parent), m_onSignal(std::move(onSignal))
{
}

SignalRelay::~SignalRelay() = default;

bool SignalRelay::install(bool secondSignalEndsProcess)
{
    if (m_installed)
        return true;
    auto installed = std::make_unique<Installed>();
    if (::pipe(installed->pipe) != 0)
        return false;
    if (!makeNonBlockingCloseOnExec(installed->pipe[0]) ||
        !makeNonBlockingCloseOnExec(installed->pipe[1])) {
        ::close(installed->pipe[0]);
        ::close(installed->pipe[1]);
        return false;
    }
    auto *notifier = new QSocketNotifier(installed->pipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &SignalRelay::drain);
    installed->previousWriteFd = g_relayWriteFd.exchange(installed->pipe[1]);
    struct sigaction action = {};
    action.sa_handler = relaySignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | (secondSignalEndsProcess ? SA_RESETHAND : 0);
    for (int i = 0; i < kRelayedSignalCount; ++i)
        ::sigaction(kRelayedSignals[i], &action, &installed->previousActions[i]);
    m_installed = std::move(installed);
    return true;
}

void SignalRelay::drain()
{
    char signalNumber = 0;
    while (::read(m_installed->pipe[0], &signalNumber, 1) > 0) {
        if (m_onSignal)
            m_onSignal(int(signalNumber));
    }
}

#elif defined(Q_OS_WIN)

#include <QWinEventNotifier>

#include <atomic>
#include <csignal>
#include <windows.h>

// Windows has no SIGTERM; Ctrl+C and Ctrl+Break in the console (or GenerateConsoleCtrlEvent)
// reach a handler that Windows runs on a thread of its own. It sets an event that a
// QWinEventNotifier watches, and the relay hands SIGINT or SIGBREAK on in the event loop.
struct SignalRelay::Installed
{
    HANDLE event = nullptr;
    bool secondEndsProcess = false;
    std::atomic<bool> seen{false};
    std::atomic<unsigned> pending{0}; // bit 0: Ctrl+C, bit 1: Ctrl+Break
    Installed *previous = nullptr;

    ~Installed();
};

namespace {

// The newest relay; lock-free, so the handler may read it.
std::atomic<SignalRelay::Installed *> g_relay{nullptr};

BOOL WINAPI relayConsoleEvent(DWORD type)
{
    const unsigned bit = type == CTRL_C_EVENT ? 1u : type == CTRL_BREAK_EVENT ? 2u : 0u;
    SignalRelay::Installed *relay = g_relay.load();
    if (!bit || !relay)
        return FALSE; // the next handler, in the end the default one that ends the process
    if (relay->secondEndsProcess && relay->seen.exchange(true))
        return FALSE;
    relay->pending.fetch_or(bit);
    SetEvent(relay->event);
    return TRUE;
}

} // namespace

SignalRelay::Installed::~Installed()
{
    g_relay.store(previous);
    CloseHandle(event);
}

SignalRelay::SignalRelay(std::function<void(int)> onSignal, QObject *parent)
    : QObject(parent), m_onSignal(std::move(onSignal))
{
}

SignalRelay::~SignalRelay() = default;

bool SignalRelay::install(bool secondSignalEndsProcess)
{
    if (m_installed)
        return true;
    // Registered once; without a relay it passes every event on.
    static const bool registered = SetConsoleCtrlHandler(relayConsoleEvent, TRUE) != FALSE;
    if (!registered)
        return false;
    auto installed = std::make_unique<Installed>();
    installed->event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!installed->event)
        return false;
    installed->secondEndsProcess = secondSignalEndsProcess;
    auto *notifier = new QWinEventNotifier(installed->event, this);
    connect(notifier, &QWinEventNotifier::activated, this, &SignalRelay::drain);
    installed->previous = g_relay.exchange(installed.get());
    m_installed = std::move(installed);
    return true;
}

void SignalRelay::drain()
{
    const unsigned pending = m_installed->pending.exchange(0);
    if (m_onSignal && (pending & 1u))
        m_onSignal(SIGINT);
    if (m_onSignal && (pending & 2u))
        m_onSignal(SIGBREAK);
}

#else

struct SignalRelay::Installed
{
};

SignalRelay::SignalRelay(std::function<void(int)> onSignal, QObject *parent)
    : QObject(parent), m_onSignal(std::move(onSignal))
{
}

SignalRelay::~SignalRelay() = default;

bool SignalRelay::install(bool)
{
    return false;
}

void SignalRelay::drain() {}

#endif
