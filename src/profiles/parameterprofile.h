#pragma once

// A profile as a set of parameter values: the checks a profile passes before
// it may reach the base, the entries a profile of this edition holds, and
// the history folder of snapshots taken before the base's settings are
// overwritten.

#include "profilestore.h"
#include "reports.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

namespace profiles {

enum class ProfileVerdict
{
    Loadable,
    Unreadable, // missing, not a file, too large, no access: see problem
    Unmarked,   // no edition marker: the user may mark it first
    Foreign,    // the other edition's profile
    Damaged,    // this edition's, but parameter keys are missing: see missingKeys
    Invalid     // values that are no whole number inside their range: see badValues
};

struct CheckedProfile
{
    ProfileVerdict verdict = ProfileVerdict::Unreadable;
    // The stored numbers, as written (a selector index may name no item).
    protocol::ParameterValues values;
    FileProblem problem;
    QStringList missingKeys; // "group/key"
    QStringList badValues;   // "group/key=value [minimum..maximum]"
};

// A stored parameter value as the number it stands for: a whole decimal number inside `range`.
// An empty value or a lone "-" (what a field could hold when it was saved) stands for 0 where 0
// is in range. Anything else (fractions, exponents, hex, signs in other places, numbers past
// the range) stands for nothing.
std::optional<int> storedParameterValue(const QString &text, const protocol::IntRange &range);

// Reads the profile at path once and checks it as a load does: Loadable only when every
// parameter has a value the base can take; then `values` holds exactly the file's numbers.
CheckedProfile checkProfile(const QString &path);

// The parameter keys a profile must hold that `values` lacks, as "group/key".
QStringList missingParameterKeys(const ProfileValues &values);

// Every parameter key of `values` and the edition marker, in the order a save writes them.
QVector<ProfileEntry> parameterEntries(const protocol::ParameterValues &values);

// ---- Snapshots --------------------------------------------------------------------------------

inline constexpr char kHistoryFolderName[] = "history";
inline constexpr int kSnapshotsKept = 50;

QString historyFolder(const QString &profileFolder);

// Writes `values` as a profile of this edition named "<yyyy-MM-dd HH-mm-ss.zzz> <reason>.ini"
// in the history folder (created when missing), starting from `seed` (the default profile),
// then removes all but the newest kSnapshotsKept snapshots, keeping those a run of the --profile
// wrapper still needs. The time in the name is `when`, moved on past the newest snapshot's when
// that one is not older, so that names order as the snapshots were taken. Returns the path,
// empty on failure.
QString saveSnapshot(const QString &profileFolder, const protocol::ParameterValues &values,
                     const QString &reason, const QDateTime &when, const QByteArray &seed);

// The snapshot file names in the history folder, oldest first (by the time in their names).
QStringList listSnapshots(const QString &profileFolder);

} // namespace profiles
