#include "profilestore.h"

#include "profileslogging.h"
#include "velorax_resources.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>

namespace profiles {

namespace {

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

ReadStatus readFileLimited(const QString &path, qint64 limit, QByteArray *data)
{
    const QFileInfo info(path);
    if (!info.exists())
        return ReadStatus::Missing;
    if (!info.isFile()) {
        qCWarning(lcProfiles) << "not a regular file:" << path;
        return ReadStatus::Unreadable;
    }
    if (info.size() > limit) {
        qCWarning(lcProfiles) << "file too large:" << path << info.size() << "bytes";
        return ReadStatus::Unreadable;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcProfiles) << "cannot open" << path << file.errorString();
        return ReadStatus::Unreadable;
    }
    QByteArray bytes = file.read(limit + 1);
    if (bytes.size() > limit || file.error() != QFileDevice::NoError) {
        qCWarning(lcProfiles) << "cannot read" << path << file.errorString();
        return ReadStatus::Unreadable;
    }
    *data = bytes;
    return ReadStatus::Ok;
}

bool writeFileAtomically(const QString &path, const QByteArray &data, bool textMode)
{
    QSaveFile file(path);
    QIODevice::OpenMode mode = QIODevice::WriteOnly;
    if (textMode)
        mode |= QIODevice::Text;
    if (!file.open(mode)) {
        qCWarning(lcProfiles) << "cannot write" << path << file.errorString();
        return false;
    }
    const qint64 written = file.write(data);
    const bool flushed = file.flush();
    // QSaveFile::commit() does not notice a short write (full disk, file size
    // limit), so the temporary file is checked before it replaces the old one.
    if (written != data.size() || !flushed || file.error() != QFileDevice::NoError ||
        file.size() < data.size()) {
        qCWarning(lcProfiles) << "write failed, keeping the old file:" << path
                              << file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        qCWarning(lcProfiles) << "cannot replace" << path << file.errorString();
        return false;
    }
    return true;
}

ProfileValues ProfileValues::read(const QString &filePath)
{
    ProfileValues values;
    QByteArray bytes;
    values.m_status = readFileLimited(filePath, kMaxProfileBytes, &bytes);
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

WriteStatus writeProfileValues(const QString &filePath, const QVector<ProfileEntry> &entries)
{
    QByteArray bytes;
    switch (readFileLimited(filePath, kMaxProfileBytes, &bytes)) {
    case ReadStatus::Missing:
        return WriteStatus::Missing;
    case ReadStatus::Unreadable:
        return WriteStatus::Failed;
    case ReadStatus::Ok:
        break;
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
        return WriteStatus::Failed;
    }
    if (!readsBackAs(before, after, written)) {
        qCWarning(lcProfiles) << "malformed profile cannot be edited safely, not written:"
                              << filePath;
        return WriteStatus::Failed;
    }
    if (after.data() == bytes)
        return WriteStatus::Written;
    return writeFileAtomically(filePath, after.data()) ? WriteStatus::Written : WriteStatus::Failed;
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

QStringList listProfileFiles(const QString &folder)
{
    return QDir(folder).entryList(QStringList{QLatin1String(kProfileNameFilter)}, QDir::Files,
                                  QDir::Name | QDir::IgnoreCase);
}

} // namespace profiles
