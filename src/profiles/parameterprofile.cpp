#include "parameterprofile.h"

#include "profileslogging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace profiles {

namespace {

QString keyText(const protocol::ProfileKey &key)
{
    return QLatin1String(key.group) + QLatin1Char('/') + QLatin1String(key.key);
}

// "2026-12-07 21-04-33 <reason>.ini": the name sorts by time.
const char kSnapshotTimeFormat[] = "yyyy-MM-dd HH-mm-ss";

const QRegularExpression &snapshotNamePattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2} \\d{2}-\\d{2}-\\d{2} .*\\.ini$"),
        QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

// A free name for a snapshot: a second one within the same second gets a counter.
QString freeSnapshotPath(const QString &folder, const QString &stem)
{
    QString path = folder + QLatin1Char('/') + stem + QStringLiteral(".ini");
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder + QLatin1Char('/') + stem + QStringLiteral(" (%1).ini").arg(n);
    return path;
}

void removeOldSnapshots(const QString &profileFolder)
{
    const QStringList names = listSnapshots(profileFolder);
    const QString folder = historyFolder(profileFolder);
    for (int i = 0; i + kSnapshotsKept < names.size(); ++i) {
        if (!QFile::remove(folder + QLatin1Char('/') + names.at(i)))
            qCWarning(lcProfiles) << "cannot remove the old snapshot" << names.at(i);
    }
}

} // namespace

std::optional<int> storedParameterValue(const QString &text, const protocol::IntRange &range)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed == QLatin1String("-"))
        return range.contains(0) ? std::optional<int>(0) : std::nullopt;
    static const QRegularExpression wholeDecimal(QStringLiteral("^-?[0-9]+$"));
    if (!wholeDecimal.match(trimmed).hasMatch())
        return std::nullopt;
    bool ok = false;
    const qlonglong number = trimmed.toLongLong(&ok, 10);
    if (!ok || number < range.minimum || number > range.maximum)
        return std::nullopt;
    return int(number);
}

QStringList missingParameterKeys(const ProfileValues &values)
{
    QStringList missing;
    for (const protocol::ProfileStep &step : protocol::profileWriteOrder()) {
        const protocol::ProfileKey key = protocol::profileKey(step);
        if (step.item == protocol::ProfileItem::ParameterValue && !key.mayBeAbsent &&
            !values.contains(QLatin1String(key.group), QLatin1String(key.key)))
            missing.append(keyText(key));
    }
    return missing;
}

CheckedProfile checkProfile(const QString &path)
{
    CheckedProfile checked;
    const ProfileValues values = ProfileValues::read(path);
    if (values.status() != ReadStatus::Ok) {
        checked.problem = values.problem();
        return checked;
    }
    switch (values.editionMarker()) {
    case EditionMarker::Unmarked:
        checked.verdict = ProfileVerdict::Unmarked;
        return checked;
    case EditionMarker::Foreign:
        checked.verdict = ProfileVerdict::Foreign;
        return checked;
    case EditionMarker::Ours:
        break;
    }
    checked.missingKeys = missingParameterKeys(values);
    if (!checked.missingKeys.isEmpty()) {
        checked.verdict = ProfileVerdict::Damaged;
        return checked;
    }
    // In the order of the file's keys, as the message lists them.
    for (const protocol::ProfileStep &step : protocol::profileWriteOrder()) {
        if (step.item != protocol::ProfileItem::ParameterValue)
            continue;
        const protocol::ParameterInfo &info = protocol::parameterInfo(step.parameter);
        const QString text =
            values.value(QLatin1String(info.profile.group), QLatin1String(info.profile.key));
        if (const std::optional<int> number = storedParameterValue(text, info.range))
            checked.values.setValue(info.parameter, *number);
        else
            checked.badValues.append(QStringLiteral("%1=%2 [%3..%4]")
                                         .arg(keyText(info.profile), text.left(40))
                                         .arg(info.range.minimum)
                                         .arg(info.range.maximum));
    }
    checked.verdict =
        checked.badValues.isEmpty() ? ProfileVerdict::Loadable : ProfileVerdict::Invalid;
    return checked;
}

QVector<ProfileEntry> parameterEntries(const protocol::ParameterValues &values)
{
    QVector<ProfileEntry> entries;
    for (const protocol::ProfileStep &step : protocol::profileWriteOrder()) {
        const protocol::ProfileKey key = protocol::profileKey(step);
        if (step.item == protocol::ProfileItem::ParameterValue)
            entries.append({QLatin1String(key.group), QLatin1String(key.key),
                            QString::number(values.value(step.parameter))});
        else if (step.item == protocol::ProfileItem::EditionMarker)
            entries.append({QLatin1String(key.group), QLatin1String(key.key),
                            QLatin1String(protocol::ThisEditionMarker)});
    }
    return entries;
}

QString historyFolder(const QString &profileFolder)
{
    return profileFolder + QLatin1Char('/') + QLatin1String(kHistoryFolderName);
}

QString saveSnapshot(const QString &profileFolder, const protocol::ParameterValues &values,
                     const QString &reason, const QDateTime &when, const QByteArray &seed)
{
    const QString folder = historyFolder(profileFolder);
    if (!QDir().mkpath(folder)) {
        qCWarning(lcProfiles) << "cannot create" << folder;
        return QString();
    }
    const QString path = freeSnapshotPath(
        folder, when.toString(QLatin1String(kSnapshotTimeFormat)) + QLatin1Char(' ') + reason);
    WriteOptions options;
    options.seed = seed;
    options.createMissing = true;
    if (writeProfileValues(path, parameterEntries(values), options) != WriteStatus::Written) {
        qCWarning(lcProfiles) << "cannot write the snapshot" << path;
        return QString();
    }
    qCInfo(lcProfiles) << "snapshot" << path;
    removeOldSnapshots(profileFolder);
    return path;
}

QStringList listSnapshots(const QString &profileFolder)
{
    QStringList names =
        listProfileFiles(historyFolder(profileFolder)).filter(snapshotNamePattern());
    names.sort(Qt::CaseSensitive);
    return names;
}

} // namespace profiles
