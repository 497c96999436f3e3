#include "inifile.h"

#include "profilestore.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcIniFile, "velorax.ui.inifile")

IniFile::IniFile(QWidget *parent) : QWidget(parent)
{
    // A helper, never shown: kept hidden so that it does not cover a corner
    // of the window that owns it.
    hide();
}

int IniFile::ReadIniFile(QString FilePath, QString stGroupName, QString stName, QString &data)
{
    QString value;
    switch (profiles::readProfileValue(FilePath, stGroupName, stName, &value)) {
    case profiles::ReadStatus::Ok:
        data = value;
        return 0;
    case profiles::ReadStatus::Missing:
        return 0;
    case profiles::ReadStatus::Unreadable:
        data.clear();
        return -1;
    }
    return -1;
}

int IniFile::WriteIniFile(QString FilePath, QString stGroupName, QString stName, QString data)
{
    const profiles::WriteStatus status =
        profiles::writeProfileValues(FilePath, {{stGroupName, stName, data}});
    if (status == profiles::WriteStatus::Failed) {
        qCWarning(lcIniFile) << "could not store" << stGroupName << stName << "in" << FilePath;
        return -1;
    }
    return 0;
}

int IniFile::JudgmentFile(QString stDirPath, QString stFileName)
{
    const bool folderReady = profiles::ensureFolder(stDirPath);
    if (stFileName == QLatin1String("Null"))
        return folderReady ? 0 : -1;
    if (!folderReady)
        return -1;
    const bool copied =
        profiles::installResourceCopy(QLatin1String(profiles::kDefaultProfileResource),
                                      stDirPath + QLatin1Char('/') + stFileName);
    return copied ? 0 : -1;
}

int IniFile::JudgmentFile(QString stDirPath)
{
    return JudgmentFile(stDirPath, QStringLiteral("Null"));
}
