#pragma once

// The background instance (--background): the wheel base's session, the commands of other
// processes and the bound games, without the window; a tray icon where the desktop has a tray.
// A normal start meanwhile opens this instance's window; closing the window leaves the
// instance running; Quit in the tray menu, SIGTERM, SIGINT or SIGHUP end it.

struct StartupHooks;
class SingleInstanceGuard;
class QByteArray;

// The request a normal start sends first: a background instance answers it by opening its
// window (true), any other instance does not.
bool askBackgroundToOpenWindow(SingleInstanceGuard &guard);

// Runs the background instance; the process exit code.
int runBackground(int argc, char **argv, const StartupHooks &hooks);
