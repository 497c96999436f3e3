#pragma once

#include <QObject>

#include <functional>
#include <memory>

// Turns SIGTERM, SIGINT and SIGHUP (the terminal closed) into a call in the GUI thread's event
// loop, through a self-pipe a socket notifier watches, for as long as the relay lives. The newest
// installed relay takes the signals; when it goes, the one before it (or the actions before any
// relay) has them again. On Windows Ctrl+C and Ctrl+Break in the console are relayed as SIGINT
// and SIGBREAK.
class SignalRelay : public QObject
{
public:
    struct Installed; // the platform's state while the relay is installed

    explicit SignalRelay(std::function<void(int signalNumber)> onSignal, QObject *parent = nullptr);
    ~SignalRelay() override;

    // With `secondSignalEndsProcess` a signal that arrives while the first is still pending
    // finds the default action and ends the process even if the event loop is stuck.
    bool install(bool secondSignalEndsProcess);

private:
    void drain();

    std::function<void(int)> m_onSignal;
    std::unique_ptr<Installed> m_installed;
};
