#pragma once

// Watches which programs run: every second it lists the processes and announces when one whose
// program name is watched starts or ends. A process is named by its executable's file name and
// by the file name of its first argument (a Windows game under Wine or Proton shows as
// "game.exe" there), compared as profiles::programKey compares them. Only processes it has not
// seen before are read, so a scan of a few hundred processes costs one directory listing.

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <vector>

namespace session {

class ProcessWatcher : public QObject
{
    Q_OBJECT

public:
    // The ids of the running processes, and the program keys of one of them.
    using ListProcesses = std::function<std::vector<qint64>()>;
    using ProgramKeys = std::function<QStringList(qint64 pid)>;

    explicit ProcessWatcher(QObject *parent = nullptr);
    // Other sources than the system's (tests).
    void setSources(ListProcesses list, ProgramKeys keys);
    // The program keys watched; a change takes effect at the next scan.
    void setPrograms(const QStringList &keys);
    void start(int intervalMs = kIntervalMs);

    static constexpr int kIntervalMs = 1000;

public slots:
    void scan();

signals:
    // A scan begins (the watched programs may be set again here).
    void scanning();
    // `pid` runs program `key`, since `started` (profiles::processStartTime).
    void programStarted(const QString &key, qint64 pid, qint64 started);
    void programEnded(const QString &key, qint64 pid, qint64 started);

private:
    struct Seen
    {
        QStringList keys;
        QString watched; // the key it was announced under, when it was
        qint64 started = 0;
    };
    QString watchedKey(const QStringList &keys) const;

    QTimer *m_timer;
    ListProcesses m_list;
    ProgramKeys m_keys;
    QStringList m_programs;
    QHash<qint64, Seen> m_seen;
};

// The system's processes and their program keys.
std::vector<qint64> systemProcessIds();
QStringList systemProgramKeys(qint64 pid);

} // namespace session
