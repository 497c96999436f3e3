#pragma once

// The tool's command line: what a start with arguments asks for, parsed into one request that
// either this process or the running window carries out.

#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace cli {

enum ExitCode
{
    ExitDone = 0,
    ExitFailed = 1, // refused or failed
    ExitUsage = 2,
    ExitNoBase = 3
};

enum class Command
{
    None,
    List,
    Status,
    Read,
    Apply,
    Store,
    Diff,
    Wrap // --profile PROFILE -- COMMAND [ARGS...]
};

// The word that names the base's settings in --diff.
inline constexpr char kBaseOperand[] = "base";

struct CommandRequest
{
    Command command = Command::None;
    bool json = false;             // --status --json
    QString file;                  // --read FILE (empty: standard output)
    QString profile;               // --apply, --profile
    QStringList diffOperands;      // --diff A B
    QStringList program;           // after "--": the command and its arguments
    QString workingDirectory;      // of the caller: relative paths resolve there
    bool keepRestorePoint = false; // --apply: save a snapshot and report its path
    QStringList arguments;         // as given, for the running window

    // Whether the command needs the wheel base (and so a window or a link of its own).
    bool needsBase() const;

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

// Parses the arguments after the program's name; `programName` is shown in the help.
ParseOutcome parseCommandLine(const QStringList &arguments, const QString &programName,
                              const QString &workingDirectory);
// The same for a request that came over the channel.
ParseOutcome parseRequest(const QJsonObject &request);

// The path a profile argument names: an absolute path, or one starting with "./" or "../", is a
// file; any other name is looked for in `profileFolder` (as given, then with ".ini"), then in
// `workingDirectory`, and names the profile "<name>.ini" when it is in neither.
QString resolveProfilePath(const QString &name, const QString &profileFolder,
                           const QString &workingDirectory);

} // namespace cli
