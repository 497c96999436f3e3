#include "runleases.h"

#include "basesession.h"
#include "languagetable.h"
#include "parameterprofile.h"
#include "profilefolder.h"
#include "runjournal.h"

#include <QDir>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcRuns, "velorax.ui.runs")

namespace runs {

namespace {

using language::messageText;
using profiles::RunLease;

QString line(const QString &text)
{
    return text + QLatin1Char('\n');
}

int findRun(const QVector<RunLease> &runs, qint64 pid, qint64 started)
{
    for (int i = 0; i < runs.size(); ++i) {
        if (runs.at(i).sameProcess(pid, started))
            return i;
    }
    return -1;
}

bool writeJournal(const QVector<RunLease> &runs, Outcome *outcome)
{
    QString reason;
    if (profiles::writeRuns(profiles::profileFolder(), runs, &reason))
        return true;
    const QString path = QDir::toNativeSeparators(profiles::profileFolder() + QLatin1Char('/') +
                                                  QLatin1String(profiles::kRunJournalName));
    outcome->done = false;
    outcome->message = messageText(language::FileNotWrittenMessage).arg(path, reason);
    return false;
}

Outcome lockFailed()
{
    return {false,
            messageText(language::FileNotWrittenMessage)
                .arg(QDir::toNativeSeparators(profiles::profileFolder() + QLatin1Char('/') +
                                              QLatin1String(profiles::kRunJournalName)),
                     QStringLiteral("locked")),
            QString()};
}

// Ends run `index` against `current`, what the base has: the newest run's end sends the profile
// of the run before it, or the restore point when it was the last, after keeping a change the
// user made meanwhile as a snapshot. False (the journal unchanged) when that failed.
bool finishRun(session::BaseSession &window, QVector<RunLease> &runs, int index,
               protocol::ParameterValues &current, Outcome *outcome)
{
    const RunLease lease = runs.at(index);
    if (index == runs.size() - 1) {
        const protocol::ParameterValues target =
            runs.size() == 1 ? lease.restore : runs.at(index - 1).sent;
        if (current != lease.sent && current != target) {
            const QString snapshot = window.saveSnapshot(QStringLiteral("before restore"), current);
            if (snapshot.isEmpty()) {
                outcome->done = false;
                outcome->message = messageText(language::SnapshotFailedMessage);
                return false;
            }
            outcome->notes += line(messageText(language::ChangesKeptMessage)
                                       .arg(lease.profile, QDir::toNativeSeparators(snapshot)));
        }
        if (current != target && !window.sendSettings(target)) {
            outcome->done = false;
            outcome->message = messageText(language::RestoreLaterMessage);
            return false;
        }
        current = target;
    }
    // A run that is not the newest left nothing of its own on the base.
    runs.remove(index);
    qCInfo(lcRuns) << "run of process" << lease.pid << "ended;" << runs.size() << "left";
    return true;
}

} // namespace

Outcome begin(session::BaseSession &window, const QString &path, const QString &shownName,
              qint64 pid, qint64 started)
{
    const profiles::CheckedProfile profile = profiles::checkProfile(path);
    if (profile.verdict != profiles::ProfileVerdict::Loadable)
        return {false, language::profileRefusalText(profile, path), QString()};
    const profiles::FolderLock lock(profiles::profileFolder());
    if (!lock.isLocked())
        return lockFailed();
    QVector<RunLease> runs = profiles::readRuns(profiles::profileFolder());
    // Read back just now (with what was sent since): the restore point and the snapshot are
    // what the base has.
    const protocol::ParameterValues current = window.baseHasSettings();
    Outcome outcome;
    int index = findRun(runs, pid, started);
    const bool created = index < 0;
    if (created) {
        const QString snapshot =
            window.saveSnapshot(QStringLiteral("before profile load"), current);
        if (snapshot.isEmpty())
            return {false, messageText(language::SnapshotFailedMessage), QString()};
        // A change made during the run going on is overwritten now: say where it is kept.
        if (!runs.isEmpty() && current != runs.last().sent)
            outcome.notes +=
                line(messageText(language::ChangesKeptMessage)
                         .arg(runs.last().profile, QDir::toNativeSeparators(snapshot)));
        RunLease lease;
        lease.pid = pid;
        lease.started = started;
        lease.profile = shownName;
        // Runs nest: the base goes back to what it had before the first of them.
        lease.restore = runs.isEmpty() ? current : runs.first().restore;
        lease.restorePoint = runs.isEmpty() ? snapshot : runs.first().restorePoint;
        runs.append(lease);
        index = runs.size() - 1;
    }
    runs[index].sent = profile.values;
    // Recorded before anything is sent, so that a crash in between still restores.
    if (!writeJournal(runs, &outcome))
        return outcome;
    if (!window.sendSettings(profile.values)) {
        // A new run leaves nothing behind; one asked for again keeps its restore point.
        if (created) {
            runs.remove(index);
            window.sendSettings(current);
            writeJournal(runs, &outcome);
        }
        return {false, messageText(language::BaseRequestFailedMessage), QString()};
    }
    outcome.message = messageText(language::ProfileAppliedMessage).arg(shownName);
    return outcome;
}

Outcome end(session::BaseSession &window, qint64 pid, qint64 started)
{
    const profiles::FolderLock lock(profiles::profileFolder());
    if (!lock.isLocked())
        return lockFailed();
    QVector<RunLease> runs = profiles::readRuns(profiles::profileFolder());
    const int index = findRun(runs, pid, started);
    Outcome outcome;
    protocol::ParameterValues current = window.baseHasSettings();
    if (index >= 0 && finishRun(window, runs, index, current, &outcome))
        writeJournal(runs, &outcome);
    return outcome;
}

Outcome recover(session::BaseSession *window)
{
    Outcome outcome;
    const profiles::FolderLock lock(profiles::profileFolder());
    if (!lock.isLocked())
        return lockFailed();
    QVector<RunLease> runs = profiles::readRuns(profiles::profileFolder());
    const bool linked = window && window->linked() && window->baseSettingsKnown();
    protocol::ParameterValues current =
        linked ? window->baseHasSettings() : protocol::ParameterValues();
    bool changed = false;
    // Oldest first: the runs before the newest leave the base alone, the newest restores.
    for (int i = 0; i < runs.size();) {
        const RunLease lease = runs.at(i);
        if (profiles::wrapperRunning(lease)) {
            ++i;
            continue;
        }
        const QString pid = QString::number(lease.pid);
        if (!linked) {
            outcome.notes += line(messageText(language::RunKeptMessage).arg(lease.profile, pid));
            ++i;
            continue;
        }
        if (!finishRun(*window, runs, i, current, &outcome))
            break;
        changed = true;
        outcome.notes += line(messageText(language::RunFinishedMessage).arg(lease.profile, pid));
    }
    if (changed)
        writeJournal(runs, &outcome);
    if (!outcome.done)
        outcome.notes += line(outcome.message);
    return outcome;
}

} // namespace runs
