#pragma once

// The background instance (--background): the wheel base's session, the commands of other
// processes and the bound games, without the window; a tray icon where the desktop has a tray.
// A normal start meanwhile opens this instance's window; closing the window leaves the
// instance running; Quit in the tray menu, SIGTERM, SIGINT or SIGHUP end it.

#include <QMenu>
#include <QStringList>

struct StartupHooks;
class SingleInstanceGuard;
class QByteArray;
namespace cli {
class CommandHost;
}
// The tray icon's menu: open the window, apply a profile from the list, the bound game
// running, quit.
class TrayMenu : public QMenu
{
    Q_OBJECT

public:
    explicit TrayMenu(cli::CommandHost *host, QWidget *parent = nullptr);
    void setActiveGames(const QStringList &games);

signals:
    void openWindowRequested();
    void profileApplied(const QString &name);
    void failed(const QString &reason);

private:
    void fillProfiles();

    cli::CommandHost *m_host;
    QMenu *m_profiles = nullptr;
    QAction *m_games = nullptr;
};

// The request a normal start sends first: a background instance answers it by opening its
// window (true), any other instance does not.
bool askBackgroundToOpenWindow(SingleInstanceGuard &guard);

// Runs the background instance; the process exit code.
int runBackground(int argc, char **argv, const StartupHooks &hooks);
