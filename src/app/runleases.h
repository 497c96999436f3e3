#pragma once

// The --profile wrapper's runs as leases in the profile folder's journal (profiles/runjournal.h),
// carried out against a window whose base settings were just read back. While runs overlap, the
// newest one's profile is on the base; when a run ends the base gets the profile of the newest
// run still going or, when none is left, what it had before the first one. Runs whose wrapper
// is gone are finished as if they had ended.

#include <QString>

namespace session {
class BaseSession;
}

namespace runs {

struct Outcome
{
    bool done = true;
    QString message; // for standard output when done, standard error otherwise
    QString notes;   // lines for standard error either way
};

// Records a run of process `pid` (started at `started`) and sends the profile at `path`; the
// settings the window read back are the restore point when no other run is going. `shownName`
// names the profile in messages. A wrapper that asks again (its answer was lost) keeps its run.
Outcome begin(session::BaseSession &window, const QString &path, const QString &shownName,
              qint64 pid, qint64 started);
// Ends the run of process `pid`; nothing to do when it has none.
Outcome end(session::BaseSession &window, qint64 pid, qint64 started);
// Finishes the runs whose wrapper is gone; without a base (`window` null or unlinked) it only
// says that they wait for one.
Outcome recover(session::BaseSession *window);

} // namespace runs
