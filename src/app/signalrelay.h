#pragma once

#include <QObject>

#include <functional>
#include <memory>

// Turns SIGTERM, SIGINT and SIGHUP (the terminal closed) into a call in the GUI thread's event
// loop, through a self-pipe a socket notifier watches, for as long as the relay lives. The newest
// installed relay takes the signals; when it goes, the one before it (or the actions before any
// relay) has them again. Without POSIX signals (Windows) install() returns false.
class SignalRelay : public QObject
{
public:
    explicit SignalRelay(std::function<void(int signalNumber)> onSignal, QObject *parent = nullptr);
    ~SignalRelay() override;

    // With `secondSignalEndsProcess` a signal that arrives while the first is still pending
    // finds the default action and ends the process even if the event loop is stuck.
    bool install(bool secondSignalEndsProcess);

private:
    void drain();

    struct Installed;
    std::function<void(int)> m_onSignal;
    std::unique_ptr<Installed> m_installed;
};
