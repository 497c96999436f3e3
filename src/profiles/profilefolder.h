#pragma once

#include <QString>

// Where profiles live: the "ini" folder beside the application when files can
// be created there (a portable installation), otherwise "ini" in the user's
// data folder (QStandardPaths::AppDataLocation), for an installation in a
// read-only place such as /usr or Program Files; VELORAX_PROFILE_DIR overrides both.
namespace profiles {

// When set, names the profile folder instead (created when missing).
inline constexpr char kProfileFolderVariable[] = "VELORAX_PROFILE_DIR";

// The profile folder, worked out (and created) on first use and then kept.
// Needs the QCoreApplication and its application name to exist.
QString profileFolder();

// The choice itself, for given folders: applicationDir + "/ini" when that
// folder exists or can be created and takes new files, else
// userDataDir + "/ini", created with its parents when missing.
QString resolveProfileFolder(const QString &applicationDir, const QString &userDataDir);

// Makes profileFolder() return folder from now on; an empty string makes it
// work the folder out again on its next call.
void setProfileFolderForTesting(const QString &folder);

} // namespace profiles
