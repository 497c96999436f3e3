#include "profilefolder.h"

#include "profileslogging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace profiles {

namespace {

struct FolderChoice
{
    QMutex mutex;
    QString folder;
};

FolderChoice &folderChoice()
{
    static FolderChoice choice;
    return choice;
}

// Permission bits do not tell whether a file can really be created (read-only
// mounts, ACLs, an administrator's folder), so this tries it.
bool acceptsNewFiles(const QString &dirPath)
{
    QTemporaryFile probe(dirPath + QStringLiteral("/.velorax-probe-XXXXXX"));
    return probe.open();
}

bool prepareFolder(const QString &dirPath, bool withParents)
{
    const QFileInfo info(dirPath);
    if (!info.exists()) {
        const bool made = withParents ? QDir().mkpath(dirPath) : QDir().mkdir(dirPath);
        if (!made)
            return false;
    } else if (!info.isDir()) {
        return false;
    }
    return acceptsNewFiles(dirPath);
}

// Files an installation of this tool puts beside its "bin" folder, relative to the prefix.
const char *const kInstalledMarkers[] = {
    "share/doc/velorax-manager",
    "share/applications/com.velorax.Manager.desktop",
    "share/man/man1/velorax-manager.1.gz",
};

} // namespace

bool isInstalledProgramFolder(const QString &applicationDir)
{
    const QString folder = QDir::cleanPath(QFileInfo(applicationDir).canonicalFilePath());
    if (folder.isEmpty())
        return false;
#ifdef VELORAX_INSTALL_BINDIR
    if (folder ==
        QDir::cleanPath(QFileInfo(QStringLiteral(VELORAX_INSTALL_BINDIR)).canonicalFilePath()))
        return true;
#endif
    for (const char *system : {"/usr/bin", "/usr/local/bin", "/bin", "/usr/games"}) {
        if (folder == QDir::cleanPath(QFileInfo(QLatin1String(system)).canonicalFilePath()))
            return true;
    }
    if (QFileInfo(folder).fileName() != QLatin1String("bin"))
        return false;
    const QDir prefix(folder + QStringLiteral("/.."));
    for (const char *marker : kInstalledMarkers) {
        if (QFileInfo::exists(prefix.filePath(QLatin1String(marker))))
            return true;
    }
    return false;
}

QString resolveProfileFolder(const QString &applicationDir, const QString &userDataDir)
{
    // An installed program never writes under its prefix, whoever runs it: the folder would
    // outlive the package, and root could write there.
    const QString beside = applicationDir.isEmpty() || isInstalledProgramFolder(applicationDir)
                               ? QString()
                               : applicationDir + QStringLiteral("/ini");
    if (!beside.isEmpty()) {
        if (prepareFolder(beside, false))
            return beside;
        qCInfo(lcProfiles) << "cannot store profiles in" << beside << "- using the user folder";
    }
    if (userDataDir.isEmpty()) {
        qCWarning(lcProfiles) << "no user data folder; profiles cannot be stored";
        return beside;
    }
    const QString perUser = userDataDir + QStringLiteral("/ini");
    if (!prepareFolder(perUser, true))
        qCWarning(lcProfiles) << "cannot prepare the profile folder" << perUser;
    return perUser;
}

QString profileFolder()
{
    FolderChoice &choice = folderChoice();
    QMutexLocker lock(&choice.mutex);
    if (choice.folder.isEmpty()) {
        // A folder named by the environment wins, for a second set of profiles (and for
        // scripts and tests that must not touch the user's own).
        const QString named = qEnvironmentVariable(kProfileFolderVariable);
        if (!named.isEmpty() && prepareFolder(named, true))
            choice.folder = QDir(named).absolutePath();
        else
            choice.folder = resolveProfileFolder(
                QCoreApplication::applicationDirPath(),
                QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
        qCDebug(lcProfiles) << "profile folder" << choice.folder;
    }
    return choice.folder;
}

void setProfileFolderForTesting(const QString &folder)
{
    FolderChoice &choice = folderChoice();
    QMutexLocker lock(&choice.mutex);
    choice.folder = folder;
}

} // namespace profiles
