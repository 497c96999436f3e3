#pragma once

// The tool's command line: what a start with arguments asks for, parsed into one request that
// either this process or the running window carries out.

#include "languagetable.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace cli {

enum ExitCode
{
    ExitDone = 0,
    ExitFailed = 1, // refused or failed
    ExitUsage = 2,
    ExitNoBase = 3,
    // --diff answers as diff does: 0 the same, 1 different, 2 (or 3, no base) on trouble.
    ExitDiffers = 1,
    ExitDiffTrouble = 2,
};

enum class Command
{
    None,
    List,
    Where,
    Status,
    Read,
    Save,
    Apply,
    Store,
    Diff,
    Bind,       // --bind PROGRAM PROFILE
    Unbind,     // --unbind PROGRAM
    Bindings,   // --bindings
    Autostart,  // --autostart on|off
    Background, // --background (the start-up runs it; listed here for the help)
    Wrap,       // --profile PROFILE -- COMMAND [ARGS...]
    // The wrapper's steps, which its process asks the window (or its own link) for: a run
    // starts with PROFILE, a run ends, and runs whose wrapper is gone are finished.
    BeginRun,
    EndRun,
    Recover
};

// The word that names the base's settings in --diff.
inline constexpr char kBaseOperand[] = "base";
// As a file: standard output (--read), standard input (--apply, --diff, --profile).
inline constexpr char kStandardStream[] = "-";
// Profile names of this form name a snapshot, as --list prints them.
inline constexpr char kSnapshotPrefix[] = "history/";

struct CommandRequest
{
    Command command = Command::None;
    bool json = false;                // --status --json
    QString file;                     // --read FILE (empty or "-": standard output)
    QString profile;                  // --apply, --profile; --save: the name
    QStringList diffOperands;         // --diff A B
    QStringList program;              // after "--": the command and its arguments
    QString game;                     // --bind, --unbind: the program
    QString workingDirectory;         // of the caller: relative paths resolve there
    int language = language::English; // of the caller's terminal: the answer's language
    QString standardInput;            // a file holding what the caller read from its standard input
    qint64 runPid = 0;                // BeginRun, EndRun: the wrapper's process and start time
    qint64 runStarted = 0;
    QStringList arguments; // as given, for the running window

    // Whether the command needs the wheel base (and so a window or a link of its own).
    bool needsBase() const;
    // Whether a profile operand is "-", to be read from the caller's standard input.
    bool readsStandardInput() const;

    // The form that travels over the single-instance channel.
    QJsonObject toJson() const;
};

// What parsing gave: a request to carry out, or an answer that is final (help, version, a
// usage error) with its exit code and texts.
struct ParseOutcome
{
    bool final = false;
    int exitCode = ExitDone;
    QString out;
    QString err;
    CommandRequest request;
};

// Parses the arguments after the program's name; `programName` is shown in the help and in
// usage errors, which are written in the language of `languageIndex`.
ParseOutcome parseCommandLine(const QStringList &arguments, const QString &programName,
                              const QString &workingDirectory, int languageIndex);
// The same for a request that came over the channel.
ParseOutcome parseRequest(const QJsonObject &request);

// Where a profile argument points. A path (absolute, containing "/", or ending in ".ini" and
// present in the working folder) is a file; "history/NAME" is a snapshot; any other name is a
// profile of the profile folder, as given or with ".ini".
struct ProfileLocation
{
    QString path; // absolute
    bool found = false;
    QString notFound; // the message when it is not there, saying where it was looked for
};
ProfileLocation locateProfile(const QString &name, const QString &profileFolder,
                              const QString &workingDirectory);

// Whether `name` can name a profile of the profile folder (--save): no folder part.
bool isProfileName(const QString &name);

} // namespace cli
