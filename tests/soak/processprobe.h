#pragma once

// What the soak and shutdown tests read about their own process: its threads
// and its resident memory (Linux /proc; elsewhere empty and -1).

#include <QDir>
#include <QFile>
#include <QSet>
#include <QString>

namespace processprobe {

// Kernel ids of this process's threads.
inline QSet<int> threadIds()
{
    QSet<int> ids;
    const QStringList entries =
        QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries)
        ids.insert(entry.toInt());
    return ids;
}

inline QString threadName(int id)
{
    QFile file(QStringLiteral("/proc/self/task/%1/comm").arg(id));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).trimmed() : QString();
}

// VmRSS in KiB, or -1.
inline long residentKiB()
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

} // namespace processprobe
