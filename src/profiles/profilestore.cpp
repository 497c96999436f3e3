#include "profilestore.h"

#include "profileslogging.h"
#include "velorax_resources.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>
#include <QThread>

namespace profiles {

namespace {

// Between two attempts to take a profile's lock.
constexpr unsigned long kLockRetryMs = 2;

// Checks that an edited document says what was asked and nothing else:
// every written key reads its new value, every other key of the original
// reads as before, and no key appeared from nowhere.
bool readsBackAs(const IniDocument &before, const IniDocument &after,
                 const QHash<QString, QString> &written)
{
    const QHash<QString, QString> oldValues = before.foldedValues();
    const QHash<QString, QString> newValues = after.foldedValues();
    for (auto it = written.constBegin(); it != written.constEnd(); ++it) {
        const auto found = newValues.constFind(it.key());
        if (found == newValues.constEnd() || found.value() != it.value())
            return false;
    }
    for (auto it = oldValues.constBegin(); it != oldValues.constEnd(); ++it) {
        if (written.contains(it.key()))
            continue;
        const auto found = newValues.constFind(it.key());
        if (found == newValues.constEnd() || found.value() != it.value())
            return false;
    }
    for (auto it = newValues.constBegin(); it != newValues.constEnd(); ++it) {
        if (!oldValues.contains(it.key()) && !written.contains(it.key()))
            return false;
    }
    return true;
}

} // namespace

int profileNumber(const QString &text)
{
    bool ok = false;
    const int number = text.toInt(&ok, 10);
    return ok ? number : 0;
}

EditionMarker classifyEditionMarker(const QString &marker)
{
    if (marker.isEmpty())
        return EditionMarker::Unmarked;
    static const QRegularExpression integer(QStringLiteral("^[+-]?([0-9]+)$"));
    const QRegularExpressionMatch match = integer.match(marker.trimmed());
    if (!match.hasMatch())
        return EditionMarker::Ours;
    // Any integer other than zero, however long, belongs to the other edition.
    const QString digits = match.captured(1);
    for (const QChar c : digits) {
        if (c != QLatin1Char('0'))
            return EditionMarker::Foreign;
    }
    return EditionMarker::Ours;
}

ReadStatus readFileLimited(const QString &path, qint64 limit, QByteArray *data,
                           FileProblem *problem)
{
    FileProblem ignored;
    FileProblem &why = problem ? *problem : ignored;
    why = FileProblem();
    const QFileInfo info(path);
    if (!info.exists()) {
        why.kind = FileProblem::Missing;
        return ReadStatus::Missing;
    }
    if (!info.isFile()) {
        qCWarning(lcProfiles) << "not a regular file:" << path;
        why.kind = FileProblem::NotAFile;
        return ReadStatus::Unreadable;
    }
    if (info.size() > limit) {
        qCWarning(lcProfiles) << "file too large:" << path << info.size() << "bytes";
        why.kind = FileProblem::TooLarge;
        return ReadStatus::Unreadable;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcProfiles) << "cannot open" << path << file.errorString();
        why.kind = file.error() == QFileDevice::PermissionsError ? FileProblem::NoPermission
                                                                 : FileProblem::IoError;
        why.detail = file.errorString();
        return ReadStatus::Unreadable;
    }
    QByteArray bytes = file.read(limit + 1);
    if (bytes.size() > limit || file.error() != QFileDevice::NoError) {
        qCWarning(lcProfiles) << "cannot read" << path << file.errorString();
        why.kind = bytes.size() > limit ? FileProblem::TooLarge : FileProblem::IoError;
        why.detail = file.errorString();
        return ReadStatus::Unreadable;
    }
    *data = bytes;
    return ReadStatus::Ok;
}

ProfileLock::ProfileLock(const QString &filePath, int timeoutMs)
    : m_lock(filePath + QStringLiteral(".lock"))
{
    // QSettings keeps its lock for a few milliseconds, so it is asked for
    // often rather than with QLockFile's growing pauses, which another
    // program's next edit would win every time. A lock older than the stale
    // time, or whose process is gone, was left by a crash and is taken over.
    QElapsedTimer clock;
    clock.start();
    while (!m_lock.tryLock(0)) {
        if (m_lock.error() != QLockFile::LockFailedError || clock.elapsed() > timeoutMs) {
            qCWarning(lcProfiles) << "cannot lock" << filePath << "- error" << int(m_lock.error());
            return;
        }
        QThread::msleep(kLockRetryMs);
    }
}

bool writeFileAtomically(const QString &path, const QByteArray &data, bool textMode, QString *error)
{
    QSaveFile file(path);
    const auto failed = [&file, error] {
        if (error)
            *error = file.errorString();
        return false;
    };
    QIODevice::OpenMode mode = QIODevice::WriteOnly;
    if (textMode)
        mode |= QIODevice::Text;
    if (!file.open(mode)) {
        qCWarning(lcProfiles) << "cannot write" << path << file.errorString();
        return failed();
    }
    const qint64 written = file.write(data);
    const bool flushed = file.flush();
    // QSaveFile::commit() does not notice a short write (full disk, file size
    // limit), so the temporary file is checked before it replaces the old one.
    if (written != data.size() || !flushed || file.error() != QFileDevice::NoError ||
        file.size() < data.size()) {
        qCWarning(lcProfiles) << "write failed, keeping the old file:" << path
                              << file.errorString();
        const bool result = failed();
        file.cancelWriting();
        return result;
    }
    if (!file.commit()) {
        qCWarning(lcProfiles) << "cannot replace" << path << file.errorString();
        return failed();
    }
    return true;
}

ProfileValues ProfileValues::read(const QString &filePath)
{
    ProfileValues values;
    QByteArray bytes;
    values.m_status = readFileLimited(filePath, kMaxProfileBytes, &bytes, &values.m_problem);
    if (values.m_status == ReadStatus::Ok)
        values.m_document = IniDocument(bytes);
    return values;
}

bool ProfileValues::contains(const QString &group, const QString &name) const
{
    return m_document.contains(IniDocument::settingsKey(group, name));
}

QString ProfileValues::value(const QString &group, const QString &name) const
{
    return m_document.value(IniDocument::settingsKey(group, name));
}

int ProfileValues::number(const QString &group, const QString &name) const
{
    return profileNumber(value(group, name));
}

EditionMarker ProfileValues::editionMarker() const
{
    return classifyEditionMarker(value(QLatin1String(kSoftwareGroup), QLatin1String(kEditionKey)));
}

ReadStatus readProfileValue(const QString &filePath, const QString &group, const QString &name,
                            QString *value)
{
    const ProfileValues values = ProfileValues::read(filePath);
    if (values.status() == ReadStatus::Ok)
        *value = values.value(group, name);
    return values.status();
}

namespace {

// Replaces the file and makes its modification time differ from before even
// when size and clock tick are unchanged: QSettings notices a change by size
// and time alone and would otherwise keep writing its stale copy back.
bool replaceProfile(const QString &path, const QByteArray &data)
{
    const QFileInfo before(path);
    const bool existed = before.exists();
    const QDateTime modified = before.lastModified();
    const qint64 size = before.size();
    if (!writeFileAtomically(path, data))
        return false;
    const QFileInfo after(path);
    if (existed && after.size() == size && after.lastModified() <= modified) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) ||
            !file.setFileTime(modified.addMSecs(1), QFileDevice::FileModificationTime))
            qCWarning(lcProfiles) << "cannot advance the modification time of" << path;
    }
    return true;
}

FileProblem writeProblem(const QString &path)
{
    const QFileInfo folder(QFileInfo(path).absolutePath());
    if (!folder.isWritable() || (QFileInfo::exists(path) && !QFileInfo(path).isWritable()))
        return {FileProblem::NoPermission, QString()};
    return {FileProblem::IoError, QString()};
}

} // namespace

WriteStatus writeProfileValues(const QString &filePath, const QVector<ProfileEntry> &entries,
                               const WriteOptions &options, FileProblem *problem)
{
    FileProblem ignored;
    FileProblem &why = problem ? *problem : ignored;
    why = FileProblem();
    // Nothing to write into: no lock file is left in a folder that has no profile.
    if (filePath.isEmpty() || (!options.createMissing && !QFileInfo::exists(filePath))) {
        why.kind = FileProblem::Missing;
        return WriteStatus::Missing;
    }
    const ProfileLock lock(filePath);
    if (!lock.isLocked()) {
        why = QFileInfo(QFileInfo(filePath).absolutePath()).isWritable()
                  ? FileProblem{FileProblem::Busy, QString()}
                  : FileProblem{FileProblem::NoPermission, QString()};
        return WriteStatus::Failed;
    }

    QByteArray onDisk;
    const ReadStatus read = readFileLimited(filePath, kMaxProfileBytes, &onDisk, &why);
    QByteArray bytes = onDisk;
    switch (read) {
    case ReadStatus::Missing:
        if (!options.createMissing)
            return WriteStatus::Missing;
        bytes = options.seed;
        break;
    case ReadStatus::Unreadable:
        return WriteStatus::Failed;
    case ReadStatus::Ok: {
        const EditionMarker marker = classifyEditionMarker(IniDocument(bytes).value(
            IniDocument::settingsKey(QLatin1String(kSoftwareGroup), QLatin1String(kEditionKey))));
        if (marker != EditionMarker::Ours) {
            if (options.replaceOthers) {
                bytes = options.seed;
            } else if (options.requireOurs) {
                qCWarning(lcProfiles) << "not a profile of this edition, not written:" << filePath;
                return WriteStatus::Refused;
            }
        }
        break;
    }
    }

    const IniDocument before(bytes);
    IniDocument after(bytes);
    QHash<QString, QString> written;
    for (const ProfileEntry &entry : entries) {
        const QString key = IniDocument::settingsKey(entry.group, entry.name);
        if (!after.setValue(key, entry.value)) {
            qCWarning(lcProfiles) << "empty key, nothing written to" << filePath;
            return WriteStatus::Failed;
        }
        written.insert(key.toLower(), entry.value);
    }
    if (after.data().size() > kMaxProfileBytes) {
        qCWarning(lcProfiles) << "profile would grow too large, not written:" << filePath;
        why.kind = FileProblem::TooLarge;
        return WriteStatus::Failed;
    }
    if (!readsBackAs(before, after, written)) {
        qCWarning(lcProfiles) << "malformed profile cannot be edited safely, not written:"
                              << filePath;
        why.kind = FileProblem::IoError;
        return WriteStatus::Failed;
    }
    if (read == ReadStatus::Ok && after.data() == onDisk)
        return WriteStatus::Written;
    if (!replaceProfile(filePath, after.data())) {
        why = writeProblem(filePath);
        return WriteStatus::Failed;
    }
    return WriteStatus::Written;
}

bool installResourceCopy(const QString &resourcePath, const QString &targetPath)
{
    const QFileInfo target(targetPath);
    if (target.exists())
        return target.isFile();
    veloraxInitResources();
    QFile source(resourcePath);
    if (!source.open(QIODevice::ReadOnly)) {
        qCWarning(lcProfiles) << "missing resource" << resourcePath;
        return false;
    }
    if (!writeFileAtomically(targetPath, source.readAll()))
        return false;
    // A copy of a resource may come out read-only; the owner must be able to
    // store into it. Others get read access only: a profile drives the forces
    // of the wheel, so it is not left writable for everyone.
    const QFile::Permissions wanted = QFile::permissions(targetPath) | QFile::ReadOwner |
                                      QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
    if (!QFile::setPermissions(targetPath, wanted))
        qCWarning(lcProfiles) << "cannot make" << targetPath << "writable";
    qCDebug(lcProfiles) << "installed" << resourcePath << "as" << targetPath;
    return true;
}

bool ensureFolder(const QString &dirPath)
{
    if (dirPath.isEmpty())
        return false;
    const QFileInfo info(dirPath);
    if (info.isDir())
        return true;
    if (info.exists() || !QDir().mkdir(dirPath)) {
        qCWarning(lcProfiles) << "cannot create folder" << dirPath;
        return false;
    }
    return true;
}

QByteArray shippedDefaultProfile()
{
    veloraxInitResources();
    QFile shipped(QString::fromLatin1(kDefaultProfileResource));
    return shipped.open(QIODevice::ReadOnly) ? shipped.readAll() : QByteArray();
}

QStringList listProfileFiles(const QString &folder)
{
    return QDir(folder).entryList(QStringList{QLatin1String(kProfileNameFilter)}, QDir::Files,
                                  QDir::Name | QDir::IgnoreCase);
}

} // namespace profiles
