#include "processwatcher.h"

#include "gamebindings.h"
#include "runjournal.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdlib>
#include <iterator>

#ifdef Q_OS_LINUX
#include <dirent.h>
#endif
#ifdef Q_OS_WIN
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <tlhelp32.h>
#endif

namespace session {

ProcessWatcher::ProcessWatcher(QObject *parent)
    : QObject(parent), m_timer(new QTimer(this)), m_list(&systemProcessIds),
      m_keys(&systemProgramKeys)
{
    m_timer->setObjectName(QStringLiteral("processWatchTimer"));
    connect(m_timer, &QTimer::timeout, this, &ProcessWatcher::scan);
}

void ProcessWatcher::setSources(ListProcesses list, ProgramKeys keys)
{
    m_list = std::move(list);
    m_keys = std::move(keys);
    m_seen.clear();
}

void ProcessWatcher::setPrograms(const QStringList &keys)
{
    m_programs = keys;
}

void ProcessWatcher::start(int intervalMs)
{
    m_timer->start(intervalMs);
    scan();
}

QString ProcessWatcher::watchedKey(const QStringList &keys) const
{
    for (const QString &key : keys) {
        if (m_programs.contains(key))
            return key;
    }
    return QString();
}

void ProcessWatcher::scan()
{
    emit scanning();
    // Nothing watched and nothing running that was: no need to look.
    if (m_programs.isEmpty() && std::none_of(m_seen.cbegin(), m_seen.cend(), [](const Seen &seen) {
            return !seen.watched.isEmpty();
        })) {
        m_seen.clear();
        return;
    }
    const std::vector<qint64> running = m_list();
    QHash<qint64, Seen> seen;
    seen.reserve(int(running.size()));
    for (const qint64 pid : running) {
        auto known = m_seen.find(pid);
        Seen entry;
        if (known != m_seen.end()) {
            entry = *known;
            m_seen.erase(known);
        } else {
            entry.keys = m_keys(pid);
        }
        // A program watched since it started (or since its binding was made) is announced once.
        const QString key = watchedKey(entry.keys);
        if (entry.watched.isEmpty() && !key.isEmpty()) {
            entry.started = profiles::processStartTime(pid);
            if (entry.started >= 0) {
                entry.watched = key;
                emit programStarted(key, pid, entry.started);
            }
        }
        seen.insert(pid, entry);
    }
    // What is left has ended.
    for (auto gone = m_seen.cbegin(); gone != m_seen.cend(); ++gone) {
        if (!gone->watched.isEmpty())
            emit programEnded(gone->watched, gone.key(), gone->started);
    }
    m_seen = std::move(seen);
}

std::vector<qint64> systemProcessIds()
{
    std::vector<qint64> ids;
#if defined(Q_OS_LINUX)
    // One listing of /proc: its numeric entries are the processes.
    DIR *proc = opendir("/proc");
    if (!proc)
        return ids;
    while (const dirent *entry = readdir(proc)) {
        char *end = nullptr;
        const long long pid = std::strtoll(entry->d_name, &end, 10);
        if (end != entry->d_name && *end == '\0' && pid > 0)
            ids.push_back(qint64(pid));
    }
    closedir(proc);
#elif defined(Q_OS_WIN)
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return ids;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry))
        ids.push_back(qint64(entry.th32ProcessID));
    CloseHandle(snapshot);
#endif
    return ids;
}

QStringList systemProgramKeys(qint64 pid)
{
    QStringList keys;
    const auto add = [&keys](const QString &name) {
        const QString key = profiles::programKey(name);
        if (!key.isEmpty() && !keys.contains(key))
            keys << key;
    };
#if defined(Q_OS_LINUX)
    const QString folder = QStringLiteral("/proc/%1/").arg(pid);
    add(QFileInfo(folder + QStringLiteral("exe")).symLinkTarget());
    QFile commandLine(folder + QStringLiteral("cmdline"));
    if (commandLine.open(QIODevice::ReadOnly)) {
        const QByteArray first = commandLine.read(4096);
        add(QString::fromLocal8Bit(first.left(first.indexOf('\0'))));
    }
#elif defined(Q_OS_WIN)
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (process) {
        wchar_t path[MAX_PATH * 4];
        DWORD length = DWORD(std::size(path));
        if (QueryFullProcessImageNameW(process, 0, path, &length))
            add(QString::fromWCharArray(path, int(length)));
        CloseHandle(process);
    }
#else
    Q_UNUSED(pid);
#endif
    return keys;
}

} // namespace session
