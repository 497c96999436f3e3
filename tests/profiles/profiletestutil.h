#pragma once

// Small file helpers shared by the profile tests.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QRandomGenerator>
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
    return QByteArrayLiteral(
        "[MachineSetUp]\r\nForceFeedback=\r\nExternalElastic=26\r\nOuterDamping=59\r\n"
        "ExternalMoment=91\r\nExternalFriction=9\r\n\r\n[GameEffect]\r\n"
        "GameElastic=181\r\nGameDamping=72\r\nGameMoment=76\r\nGameFriction=53\r\n\r\n"
        "[GameIsForce]\r\nGameConstant=\r\nGameSinOne=\r\nGameSinTwo=\r\nGameSinThree=\r\n"
        "GameSinFour=\r\n\r\n[StreeingAngle]\r\nSliderStreeingAngle=900\r\n\r\n\r\n[Softward]\r\n"
        "speed=0\r\ntype=0\r\n\r\n[Language]\r\nLanguages=1\r\n\r\n[RSaxis]\r\nRSHight=\r\n"
        "RSLow=\r\nRSSwitch=0\r\n");
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
    for (const QString &name :
         dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        result.insert(name, readBytes(dir.filePath(name)));
    return result;
}

#ifdef Q_OS_UNIX
inline quint64 inodeOf(const QString &path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? quint64(info.st_ino) : 0;
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

// Profile-like INI text, reproducible from the seed, with unusual but valid
// and invalid constructs: escapes, quotes, comments, lists, typed forms, odd
// sections and numbers. Names carry a running number, so no two differ only
// by case.
class IniGenerator
{
public:
    explicit IniGenerator(quint32 seed) : m_random(seed) {}

    int bounded(int low, int high) { return int(m_random.bounded(low, high)); }
    bool chance(int percent) { return bounded(0, 100) < percent; }
    // One of the '|'-separated items of list.
    QByteArray pick(const char *list)
    {
        const QList<QByteArray> items = QByteArray(list).split('|');
        return items.at(bounded(0, items.size()));
    }

    QByteArray file()
    {
        QByteArray text = chance(10) ? "\xef\xbb\xbf" : "";
        const QByteArray eol = chance(50) ? "\r\n" : "\n";
        for (int line = bounded(1, 40); line > 0; --line) {
            const int kind = bounded(0, 100);
            if (kind < 12) {
                text += '[' + name() + ']';
            } else if (kind < 16) {
                text += pick("; a comment|  ;indented||   |[General]|[%General]|no equals sign|"
                             "[Broken|=x");
            } else {
                text += pick("| |\t") + name() + pick("| |\t") + '=';
                for (int part = bounded(0, 4); part > 0; --part)
                    text += pick("26|abc| spaced |\"quoted, ; =\"|\\n|\\x41|\\x4g|\\101|\\\"|\\\\|"
                                 "\\q|a,b|@@at|@ByteArray(\xc3\xa9)|@String(s)|@Rect(1 2 3 4)|"
                                 "@Rect(1 2)|@Size(1 2)|@Point(3 4)|@Invalid()|@other|"
                                 "\xe4\xb8\xad|\t|\\|\"unclosed|x\\\ny|-|99999999999|1e3|0x1F");
            }
            text += (chance(10) ? pick(" ; trailing comment|;x| \t") : QByteArray()) + eol;
        }
        return text;
    }

    QString unicodeText()
    {
        QString text;
        for (int i = bounded(0, 12); i > 0; --i) {
            const int kind = bounded(0, 10);
            text += QChar(ushort(kind < 5   ? bounded(0x20, 0x7f)
                                 : kind < 7 ? bounded(0, 0x20)
                                            : bounded(0x80, 0xd7ff)));
        }
        return text;
    }

private:
    QByteArray name()
    {
        return pick("Key|k|Game Flider|a%41b|sl\\ash|p%U00E9|pct%|dot.ted|\xe9t\xe9|q\"uote") +
               QByteArray::number(++m_counter);
    }

    QRandomGenerator m_random;
    int m_counter = 0;
};

} // namespace testutil
