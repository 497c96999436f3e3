#pragma once

#include "inidocument.h"

#include <QByteArray>
#include <QLockFile>
#include <QString>
#include <QStringList>
#include <QVector>

// File access behind the profile helpers, free of widgets: reading profiles
// with case-insensitive keys, atomic writes that either replace a file
// completely or leave it as it was, the default profile copy and the
// conversions the window applies to stored values.
namespace profiles {

// The default profile shipped in the resources and its name in the folder.
inline constexpr char kDefaultProfileResource[] = ":/data.ini";
inline constexpr char kDefaultProfileName[] = "data.ini";
inline constexpr char kProfileNameFilter[] = "*.ini";

// Bookkeeping keys that are not parameters.
inline constexpr char kSoftwareGroup[] = "Softward";
inline constexpr char kEditionKey[] = "Ver";
inline constexpr char kHelpKey[] = "Help";
inline constexpr char kLanguageGroup[] = "Language";
inline constexpr char kLanguageReadKey[] = "Languages";
inline constexpr char kLanguageWriteKey[] = "LanguageS";

// A profile is a few hundred bytes; anything above this is not one and is
// refused rather than read into memory.
inline constexpr qint64 kMaxProfileBytes = 1024 * 1024;
inline constexpr qint64 kMaxTextFileBytes = 1024 * 1024;

enum class ReadStatus
{
    Ok,
    Missing,   // nothing exists at the path
    Unreadable // not a regular file, too large, or cannot be opened
};

enum class WriteStatus
{
    Written,
    Missing, // no file at the path; nothing was created
    Failed,  // nothing was changed on disk
    Refused  // not a profile of this edition, where one was required; nothing written
};

// What kept a file from being read or written, for telling the user.
struct FileProblem
{
    enum Kind
    {
        None,
        Missing,
        NotAFile,     // a folder, a device, ...
        TooLarge,     // over kMaxProfileBytes
        NoPermission, // the system refused access
        Busy,         // another program held "<file>.lock" past the time-out
        IoError       // anything else; detail says what
    };
    Kind kind = None;
    QString detail;
};

// How long a read-modify-write waits for another program's "<file>.lock".
inline constexpr int kProfileLockTimeoutMs = 3000;

// Holds "<file>.lock", the lock QSettings takes around its own
// read-modify-write of an INI file, so that neither side loses the other's
// update. A lock left by a crashed process is taken over.
class ProfileLock
{
public:
    explicit ProfileLock(const QString &filePath, int timeoutMs = kProfileLockTimeoutMs);
    bool isLocked() const { return m_lock.isLocked(); }

private:
    QLockFile m_lock;
};

// Which edition a profile's marker (Softward/Ver) assigns it to.
enum class EditionMarker
{
    Unmarked, // absent or empty: the tool offers to mark it
    Ours,     // "0", or text that is not a number
    Foreign   // any other integer: a profile of the other edition
};

// A stored value as a number: decimal, and 0 when empty, absent, not a
// number or outside the int range.
int profileNumber(const QString &text);
EditionMarker classifyEditionMarker(const QString &marker);

// Reads at most limit bytes of the regular file at path; *problem says why not.
ReadStatus readFileLimited(const QString &path, qint64 limit, QByteArray *data,
                           FileProblem *problem = nullptr);
// Replaces (or creates) the file at path with data in one step: a temporary
// file beside it is written, checked and renamed over it. On failure the old
// file is untouched and no temporary file is left. textMode writes "\n" as
// the platform's line end.
// With `error`, a failure's reason in the system's words.
bool writeFileAtomically(const QString &path, const QByteArray &data, bool textMode = false,
                         QString *error = nullptr);

// All values of one profile file, read once.
class ProfileValues
{
public:
    static ProfileValues read(const QString &filePath);

    ReadStatus status() const { return m_status; }
    const FileProblem &problem() const { return m_problem; }
    bool contains(const QString &group, const QString &name) const;
    // The stored string, empty when the key or the file is absent.
    QString value(const QString &group, const QString &name) const;
    int number(const QString &group, const QString &name) const;
    EditionMarker editionMarker() const;
    QStringList keys() const { return m_document.keys(); }

private:
    ReadStatus m_status = ReadStatus::Missing;
    FileProblem m_problem;
    IniDocument m_document;
};

struct ProfileEntry
{
    QString group;
    QString name;
    QString value;
};

// Reads one value; *value is set only when the status is Ok (to an empty
// string for an absent key).
ReadStatus readProfileValue(const QString &filePath, const QString &group, const QString &name,
                            QString *value);
struct WriteOptions
{
    // Refused unless the file is marked as this edition's.
    bool requireOurs = false;
    // The profile to start from when no file is there, or (replaceOthers)
    // when the file is not marked as ours: a replacement the user confirmed.
    QByteArray seed;
    bool createMissing = false;
    bool replaceOthers = false;
};

// Stores all entries into the file at filePath in one atomic rewrite, reusing
// the spelling of keys and sections already in the file, while holding the
// file's lock. The result is checked before it replaces the file: the entries
// must read back with their new values and every other entry unchanged.
WriteStatus writeProfileValues(const QString &filePath, const QVector<ProfileEntry> &entries,
                               const WriteOptions &options = {}, FileProblem *problem = nullptr);

// Copies a resource (for example the default profile) to targetPath when no
// file is there, and makes the copy writable by its owner. Returns true when
// the file exists afterwards.
bool installResourceCopy(const QString &resourcePath, const QString &targetPath);
// The default profile shipped in the resources, as bytes (empty if the resource is missing).
QByteArray shippedDefaultProfile();

// Creates the folder when it is missing (one level, like QDir::mkdir).
bool ensureFolder(const QString &dirPath);

// Profile file names ("*.ini", any case) in folder, sorted without regard to
// case. Only files are listed: a folder named "x.ini" is no profile.
QStringList listProfileFiles(const QString &folder);

} // namespace profiles
