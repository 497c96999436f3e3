#include "autostart.h"

#include "profilestore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace autostart {

namespace {

#ifdef Q_OS_WIN
const char kRunKey[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunValue[] = "Velorax Manager";
#else
QString entryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/velorax-manager.desktop");
}
#endif

} // namespace

QString command()
{
    const QString program = QCoreApplication::applicationFilePath();
    const QString name = QFileInfo(program).fileName();
    const bool onPath = QFileInfo(QStandardPaths::findExecutable(name)).canonicalFilePath() ==
                        QFileInfo(program).canonicalFilePath();
    QString shown = onPath ? name : QDir::toNativeSeparators(program);
    if (shown.contains(QLatin1Char(' ')))
        shown = QLatin1Char('"') + shown + QLatin1Char('"');
    return shown + QStringLiteral(" --background");
}

#ifdef Q_OS_WIN
bool enabled()
{
    return QSettings(QLatin1String(kRunKey), QSettings::NativeFormat)
        .contains(QLatin1String(kRunValue));
}

bool setEnabled(bool on, QString *error)
{
    QSettings run(QLatin1String(kRunKey), QSettings::NativeFormat);
    if (on)
        run.setValue(QLatin1String(kRunValue), command());
    else
        run.remove(QLatin1String(kRunValue));
    run.sync();
    if (run.status() == QSettings::NoError)
        return true;
    *error = QStringLiteral("HKEY_CURRENT_USER\\...\\Run");
    return false;
}
#else
bool enabled()
{
    return QFileInfo::exists(entryPath());
}

bool setEnabled(bool on, QString *error)
{
    const QString path = entryPath();
    if (!on) {
        if (!QFileInfo::exists(path) || QFile::remove(path))
            return true;
        *error = QFile(path).errorString();
        return false;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray entry = "[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=Velorax Manager\n"
                             "Comment=Wheel base settings and per-game profiles in the background\n"
                             "Exec=" +
                             command().toUtf8() +
                             "\n"
                             "Icon=com.velorax.Manager\n"
                             "Terminal=false\n"
                             "X-GNOME-Autostart-enabled=true\n";
    return profiles::writeFileAtomically(path, entry, false, error);
}
#endif

} // namespace autostart
