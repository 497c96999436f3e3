#include "runjournal.h"

#include "parameters.h"
#include "profileslogging.h"
#include "profilestore.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#endif
#ifdef Q_OS_WIN
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace profiles {

namespace {

QString journalPath(const QString &profileFolder)
{
    return profileFolder + QLatin1Char('/') + QLatin1String(kRunJournalName);
}

// Lock depth per folder of this process; the GUI thread is the only user.
QHash<QString, int> &lockDepths()
{
    static QHash<QString, int> depths;
    return depths;
}

QJsonObject valuesToJson(const protocol::ParameterValues &values)
{
    QJsonObject json;
    for (const protocol::ParameterInfo &info : protocol::parameterTable())
        json.insert(QLatin1String(info.profile.key), values.value(info.parameter));
    return json;
}

// Every parameter, a whole number inside its range; anything else is no set of values.
bool valuesFromJson(const QJsonValue &json, protocol::ParameterValues *values)
{
    const QJsonObject object = json.toObject();
    for (const protocol::ParameterInfo &info : protocol::parameterTable()) {
        const QJsonValue value = object.value(QLatin1String(info.profile.key));
        const double number = value.toDouble(-1e9);
        if (!value.isDouble() || number != double(qint64(number)) ||
            !info.range.contains(int(number)))
            return false;
        values->setValue(info.parameter, int(number));
    }
    return true;
}

} // namespace

FolderLock::FolderLock(const QString &profileFolder, int waitMs)
    : m_path(profileFolder + QStringLiteral("/runs.lock"))
{
    int &depth = lockDepths()[m_path];
    if (depth == 0) {
        m_lock = std::make_unique<QLockFile>(m_path);
        // Only a dead owner makes it stale: an owner may wait for the base for a while.
        m_lock->setStaleLockTime(0);
        if (!m_lock->tryLock(waitMs)) {
            qCWarning(lcProfiles) << "cannot lock" << m_path << m_lock->error();
            lockDepths().remove(m_path);
            return;
        }
    }
    ++depth;
    m_locked = true;
}

FolderLock::~FolderLock()
{
    if (!m_locked)
        return;
    int &depth = lockDepths()[m_path];
    if (--depth == 0) {
        lockDepths().remove(m_path);
        m_lock->unlock();
    }
}

QVector<RunLease> readRuns(const QString &profileFolder, QString *problem)
{
    QVector<RunLease> runs;
    QFile file(journalPath(profileFolder));
    if (!file.exists())
        return runs;
    if (!file.open(QIODevice::ReadOnly)) {
        if (problem)
            *problem = file.errorString();
        return runs;
    }
    const QJsonArray leases = QJsonDocument::fromJson(file.read(1 << 20))
                                  .object()
                                  .value(QStringLiteral("runs"))
                                  .toArray();
    for (const QJsonValue &value : leases) {
        const QJsonObject json = value.toObject();
        RunLease lease;
        lease.pid = qint64(json.value(QStringLiteral("pid")).toDouble());
        lease.started = qint64(json.value(QStringLiteral("started")).toDouble(-1));
        lease.profile = json.value(QStringLiteral("profile")).toString();
        lease.restorePoint = json.value(QStringLiteral("restorePoint")).toString();
        if (lease.pid <= 0 || lease.started < 0 ||
            !valuesFromJson(json.value(QStringLiteral("sent")), &lease.sent) ||
            !valuesFromJson(json.value(QStringLiteral("restore")), &lease.restore)) {
            qCWarning(lcProfiles) << "ignoring a damaged run in" << file.fileName();
            if (problem)
                *problem = file.fileName();
            continue;
        }
        runs.append(lease);
    }
    return runs;
}

bool writeRuns(const QString &profileFolder, const QVector<RunLease> &runs, QString *error)
{
    const QString path = journalPath(profileFolder);
    if (runs.isEmpty()) {
        if (!QFileInfo::exists(path) || QFile::remove(path))
            return true;
        *error = QStringLiteral("%1 could not be removed").arg(path);
        return false;
    }
    QJsonArray leases;
    for (const RunLease &lease : runs)
        leases.append(QJsonObject{{QStringLiteral("pid"), lease.pid},
                                  {QStringLiteral("started"), lease.started},
                                  {QStringLiteral("profile"), lease.profile},
                                  {QStringLiteral("sent"), valuesToJson(lease.sent)},
                                  {QStringLiteral("restore"), valuesToJson(lease.restore)},
                                  {QStringLiteral("restorePoint"), lease.restorePoint}});
    return writeFileAtomically(
        path,
        QJsonDocument(QJsonObject{{QStringLiteral("runs"), leases}}).toJson(QJsonDocument::Compact),
        false, error);
}

qint64 processStartTime(qint64 pid)
{
    if (pid <= 0)
        return -1;
#if defined(Q_OS_LINUX)
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    // "pid (name) state ppid ...": the name may hold blanks and parentheses, so fields count
    // from the last ')'; the start time is field 22, the 20th after it.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    bool ok = false;
    const qint64 started = fields.value(19).toLongLong(&ok);
    return ok ? started : -1;
#elif defined(Q_OS_UNIX)
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM ? 0 : -1;
#elif defined(Q_OS_WIN)
    // The creation time in 100 ns units; an ended process whose handle someone still holds
    // counts as gone.
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED ? 0 : -1;
    FILETIME created{}, exited{}, kernel{}, user{};
    DWORD exitCode = 0;
    const bool running = GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE;
    const bool timed = GetProcessTimes(process, &created, &exited, &kernel, &user);
    CloseHandle(process);
    if (!running)
        return -1;
    return timed ? qint64((quint64(created.dwHighDateTime) << 32) | created.dwLowDateTime) : 0;
#else
    return 0;
#endif
}

bool wrapperRunning(const RunLease &lease)
{
    return processStartTime(lease.pid) == lease.started;
}

bool hasEndedRuns(const QString &profileFolder)
{
    for (const RunLease &lease : readRuns(profileFolder)) {
        if (!wrapperRunning(lease))
            return true;
    }
    return false;
}

QStringList leasedSnapshots(const QString &profileFolder)
{
    QStringList names;
    for (const RunLease &lease : readRuns(profileFolder))
        names << QFileInfo(lease.restorePoint).fileName();
    return names;
}

} // namespace profiles
