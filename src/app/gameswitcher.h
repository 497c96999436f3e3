#pragma once

// Profiles that follow the running game: the bound programs (profiles/gamebindings.h) are
// watched, and each one that starts gets its profile as a run of the lease journal, under the
// game's own process id and start time, as a wrapped run would; its end (or, should this tool
// not see it, the next start of the tool) puts back what the base had. Two bound games nest as
// two wrapped runs do. A profile that is refused is told once per start of the game.

#include <QObject>
#include <QStringList>

#include <functional>

#include "commandline.h"

namespace cli {
class CommandHost;
struct CommandResult;
} // namespace cli
namespace session {
class ProcessWatcher;
}

class GameSwitcher : public QObject
{
    Q_OBJECT

public:
    // Runs its begins and ends through `host` (the window's commands); `tell` shows a refusal.
    GameSwitcher(cli::CommandHost *host, std::function<void(const QString &)> tell,
                 QObject *parent = nullptr);
    session::ProcessWatcher *watcher() const { return m_watcher; }
    // Reads the bindings again (they are read at every scan whose file changed).
    void reloadBindings();

signals:
    // The bound programs running now.
    void activeGamesChanged(const QStringList &programs);

private:
    void onStarted(const QString &key, qint64 pid, qint64 started);
    void onEnded(const QString &key, qint64 pid, qint64 started);
    // A run's begin (with `profile`) or end, through the command host.
    void submitRun(cli::Command step, const QString &profile, qint64 pid, qint64 started);

    cli::CommandHost *m_host;
    std::function<void(const QString &)> m_tell;
    session::ProcessWatcher *m_watcher;
    qint64 m_bindingsStamp = -1;
    QStringList m_active;
};
