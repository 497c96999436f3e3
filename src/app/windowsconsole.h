#pragma once

// A GUI-subsystem program on Windows opens no console window, and gets none: these helpers
// connect a command's answers to the console of the program that started it (cmd,
// PowerShell) and write them there as UTF-16, so that every character shows whatever code page
// the console uses. Windows only.

#include <QString>

#include <cstdio>

namespace winconsole {

// Standard output and error that the starter left unconnected (not redirected to a file or a
// pipe) go to the starter's console, if it has one; programs started from here inherit them.
void attachParentConsole();

// When `stream` is a console, writes `text` to it and returns true, with `*written` saying
// whether all of it got there. Returns false for files and pipes, which take bytes.
bool writeIfConsole(std::FILE *stream, const QString &text, bool *written);

// Qt sends a windowed program's diagnostics to the debugger unless a console is attached; when
// standard error was redirected (`2> velorax.log`) they go there instead.
void logToRedirectedStandardError();

// The command line as Windows gave it.
QString commandLine();

} // namespace winconsole
