#include "parameterprofile.h"

#include "profileslogging.h"
#include "runjournal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace profiles {

namespace {

QString keyText(const protocol::ProfileKey &key)
{
    return QLatin1String(key.group) + QLatin1Char('/') + QLatin1String(key.key);
}

// "2026-12-07 21-04-33.120 <reason>.ini": the name starts with the time to the millisecond.
// Names without milliseconds (and with a " (2)" counter within one second) are older ones.
const char kSnapshotTimeFormat[] = "yyyy-MM-dd HH-mm-ss";
constexpr int kSnapshotSecondsLength = 19;

const QRegularExpression &snapshotNamePattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2} \\d{2}-\\d{2}-\\d{2}(\\.\\d{3})? .*\\.ini$"),
        QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

// Where a snapshot name stands in time: its milliseconds, then an old-style counter.
struct SnapshotOrder
{
    qint64 msecs = 0;
    int counter = 0;
    bool operator<(const SnapshotOrder &other) const
    {
        return msecs != other.msecs ? msecs < other.msecs : counter < other.counter;
    }
};

SnapshotOrder snapshotOrder(const QString &name)
{
    SnapshotOrder order;
    QDateTime time = QDateTime::fromString(name.left(kSnapshotSecondsLength),
                                           QLatin1String(kSnapshotTimeFormat));
    if (name.at(kSnapshotSecondsLength) == QLatin1Char('.'))
        time = time.addMSecs(name.mid(kSnapshotSecondsLength + 1, 3).toInt());
    order.msecs = time.toMSecsSinceEpoch();
    static const QRegularExpression counter(QStringLiteral(" \\((\\d+)\\)\\.ini$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = counter.match(name);
    if (match.hasMatch() && name.at(kSnapshotSecondsLength) != QLatin1Char('.'))
        order.counter = match.captured(1).toInt();
    return order;
}

// Snapshots still needed by a run of the --profile wrapper are kept whatever their age.
void removeOldSnapshots(const QString &profileFolder)
{
    const QStringList names = listSnapshots(profileFolder);
    const QString folder = historyFolder(profileFolder);
    const QStringList leased = leasedSnapshots(profileFolder);
    for (int i = 0; i + kSnapshotsKept < names.size(); ++i) {
        if (leased.contains(names.at(i)))
            continue;
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
    // Another process may save one at the same moment.
    const FolderLock lock(profileFolder);
    if (!lock.isLocked())
        return QString();
    // Each name later than every other, so that the names keep the order they were taken in,
    // also within one millisecond or when the clock went back.
    const QStringList existing = listSnapshots(profileFolder);
    QDateTime stamp = when;
    if (!existing.isEmpty()) {
        const qint64 newest = snapshotOrder(existing.last()).msecs;
        if (stamp.toMSecsSinceEpoch() <= newest)
            stamp = QDateTime::fromMSecsSinceEpoch(newest + 1, when.timeSpec());
    }
    const QString path = folder + QLatin1Char('/') +
                         stamp.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss.zzz")) +
                         QLatin1Char(' ') + reason + QStringLiteral(".ini");
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
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const SnapshotOrder x = snapshotOrder(a), y = snapshotOrder(b);
        return x < y || (!(y < x) && a < b);
    });
    return names;
}

} // namespace profiles
