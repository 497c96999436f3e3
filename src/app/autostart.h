#pragma once

// Starting the background instance with the desktop: an XDG autostart entry
// (~/.config/autostart/velorax-manager.desktop) on Linux, the per-user Run key on Windows.

#include <QString>

namespace autostart {

// Whether the tool starts with the desktop.
bool enabled();
// Writes or removes the entry for this program; false and the reason in *error on failure.
bool setEnabled(bool on, QString *error);
// The command the entry runs: this program (by its name when the search path finds it there)
// with --background.
QString command();

} // namespace autostart
