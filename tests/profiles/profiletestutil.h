#pragma once

// Small file helpers shared by the profile tests.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QString>
#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace testutil {

// The default profile as the format defines it: 35 lines, CR LF, 422 bytes.
inline QByteArray expectedDefaultProfile()
{
    static const char *const lines[] = {"[MachineSetUp]",
                                        "ForceFeedback=",
                                        "ExternalElastic=26",
                                        "OuterDamping=59",
                                        "ExternalMoment=91",
                                        "ExternalFriction=9",
                                        "",
                                        "[GameEffect]",
                                        "GameElastic=181",
                                        "GameDamping=72",
                                        "GameMoment=76",
                                        "GameFriction=53",
                                        "",
                                        "[GameIsForce]",
                                        "GameConstant=",
                                        "GameSinOne=",
                                        "GameSinTwo=",
                                        "GameSinThree=",
                                        "GameSinFour=",
                                        "",
                                        "[StreeingAngle]",
                                        "SliderStreeingAngle=900",
                                        "",
                                        "",
                                        "[Softward]",
                                        "speed=0",
                                        "type=0",
                                        "",
                                        "[Language]",
                                        "Languages=1",
                                        "",
                                        "[RSaxis]",
                                        "RSHight=",
                                        "RSLow=",
                                        "RSSwitch=0"};
    QByteArray result;
    for (const char *line : lines)
        result += QByteArray(line) + "\r\n";
    return result;
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every entry of a folder (hidden ones included) with its content.
inline QMap<QString, QByteArray> snapshot(const QString &dirPath)
{
    QMap<QString, QByteArray> result;
    const QDir dir(dirPath);
    const QStringList names =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names)
        result.insert(name, readBytes(dir.filePath(name)));
    return result;
}

#ifdef Q_OS_UNIX
inline quint64 inodeOf(const QString &path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    return quint64(info.st_ino);
}

inline bool runningAsRoot()
{
    return ::geteuid() == 0;
}

// Limits the size of any file this process writes, the way a full disk
// would: a write past the limit fails (EFBIG) instead of raising SIGXFSZ.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        struct rlimit limited = m_old;
        limited.rlim_cur = bytes;
        m_active = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    bool isActive() const { return m_active; }

private:
    struct rlimit m_old;
    void (*m_oldHandler)(int) = nullptr;
    bool m_active = false;
};
#endif

} // namespace testutil

#include <QAtomicInt>
#include <QSettings>

namespace testutil {

// What QSettings::IniFormat reads for key from the bytes of path. The bytes
// are copied to a fresh name first: QSettings caches files by name and
// would not notice a same-sized rewrite within the same millisecond.
inline QVariant settingsValue(const QString &path, const QString &key)
{
    static QAtomicInt counter;
    const QString copy = path + QStringLiteral(".qsettings-%1").arg(counter.fetchAndAddRelaxed(1));
    writeBytes(copy, readBytes(path));
    QVariant value;
    {
        QSettings settings(copy, QSettings::IniFormat);
        value = settings.value(key);
    }
    QFile::remove(copy);
    return value;
}

} // namespace testutil
