#pragma once

// The journal of the --profile wrapper's runs in the profile folder ("runs.json"): one lease per
// running wrapper, oldest first, each with the wrapper's process id and start time, the profile
// it sent and the settings the base goes back to when no run is left. It is written atomically
// and only under the folder's lock, so a run that dies (or a power cut) leaves either the old or
// the new journal, and a later start of the tool finishes the runs whose wrapper is gone.

#include "reports.h"

#include <QLockFile>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

namespace profiles {

inline constexpr char kRunJournalName[] = "runs.json";

struct RunLease
{
    qint64 pid = 0;
    qint64 started = 0; // the process's start time, as processStartTime() gives it
    QString profile;    // as the wrapper named it, for messages
    protocol::ParameterValues sent;
    // What the base had before the first of the overlapping runs, and its snapshot's file name
    // in the history folder.
    protocol::ParameterValues restore;
    QString restorePoint;

    bool sameProcess(qint64 otherPid, qint64 otherStarted) const
    {
        return pid == otherPid && started == otherStarted;
    }
};

// The profile folder's lock ("runs.lock"), held while the journal or the history folder
// changes. Nested locks of one process on one folder share the first one.
class FolderLock
{
public:
    static constexpr int kWaitMs = 15000;
    explicit FolderLock(const QString &profileFolder, int waitMs = kWaitMs);
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;
    bool isLocked() const { return m_locked; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    bool m_locked = false;
};

// The leases of the journal, oldest first; leases whose values are missing or out of range are
// left out (and said so in *problem). No journal: none.
QVector<RunLease> readRuns(const QString &profileFolder, QString *problem = nullptr);
// Replaces the journal (removes it when `runs` is empty); false and the reason on failure.
bool writeRuns(const QString &profileFolder, const QVector<RunLease> &runs, QString *error);

// When process `pid` started, in the system's own units (Linux: field 22 of /proc/PID/stat;
// Windows: the creation time); -1 when there is no such process. Where the system cannot tell,
// 0 for any live process.
qint64 processStartTime(qint64 pid);
// Whether the lease's wrapper still runs: a process with its id and its start time.
bool wrapperRunning(const RunLease &lease);
// Whether the journal holds a lease whose wrapper is gone.
bool hasEndedRuns(const QString &profileFolder);

// The snapshot names the journal's leases still need.
QStringList leasedSnapshots(const QString &profileFolder);

} // namespace profiles
