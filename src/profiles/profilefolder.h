#pragma once

#include <QString>

// Where profiles live: the "ini" folder beside the application when it is not installed (an
// unpacked folder or a build tree) and files can be created there, otherwise "ini" in the
// user's data folder (QStandardPaths::AppDataLocation); VELORAX_PROFILE_DIR overrides both.
namespace profiles {

// When set, names the profile folder instead (created when missing).
inline constexpr char kProfileFolderVariable[] = "VELORAX_PROFILE_DIR";

// The profile folder, worked out (and created) on first use and then kept.
// Needs the QCoreApplication and its application name to exist.
QString profileFolder();

// Whether `applicationDir` is where an installation put the program: the configured
// installation's program folder, a system program folder (/usr/bin, /usr/local/bin, /bin), or
// a "bin" folder whose prefix holds this tool's installed files (its share/doc folder, desktop
// entry or manual page).
bool isInstalledProgramFolder(const QString &applicationDir);

// The choice itself, for given folders: applicationDir + "/ini" when the program is not
// installed there and that folder exists or can be created and takes new files, else
// userDataDir + "/ini", created with its parents when missing.
QString resolveProfileFolder(const QString &applicationDir, const QString &userDataDir);

// Makes profileFolder() return folder from now on; an empty string makes it
// work the folder out again on its next call.
void setProfileFolderForTesting(const QString &folder);

} // namespace profiles
