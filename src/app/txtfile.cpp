#include "txtfile.h"

#include "profilestore.h"

#include <QLoggingCategory>

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

Q_LOGGING_CATEGORY(lcTxtFile, "velorax.ui.txtfile")

TxtFile::TxtFile(QWidget *parent) : QWidget(parent)
{
    // A helper, never shown: kept hidden so that it does not cover a corner
    // of the window that owns it.
    hide();
}

int TxtFile::ReadFile(QString FilePath, QStringList &data)
{
    const QFileInfo info(FilePath);
    if (!info.isFile() || info.size() > profiles::kMaxTextFileBytes)
        return -1;
    QFile file(FilePath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    // Read in one piece with a limit, so that a file that grows while it is
    // read cannot exhaust memory.
    QByteArray bytes = file.read(profiles::kMaxTextFileBytes + 1);
    if (bytes.size() > profiles::kMaxTextFileBytes || file.error() != QFileDevice::NoError) {
        qCWarning(lcTxtFile) << "cannot read" << FilePath;
        return -1;
    }
    QTextStream in(&bytes, QIODevice::ReadOnly);
    while (!in.atEnd())
        data.append(in.readLine());
    return 0;
}

int TxtFile::WriteFile(QString FilePath, QStringList data)
{
    if (!QFileInfo::exists(FilePath))
        return 0;
    QByteArray bytes;
    {
        QTextStream out(&bytes, QIODevice::WriteOnly);
        for (const QString &line : qAsConst(data))
            out << line << '\n';
        out.flush();
    }
    return profiles::writeFileAtomically(FilePath, bytes, true) ? 0 : -1;
}

int TxtFile::JudgmentFile(QString stDirPath, QString stFileName)
{
    const bool folderReady = profiles::ensureFolder(stDirPath);
    if (stFileName == QLatin1String("Null"))
        return folderReady ? 0 : -1;
    if (!folderReady)
        return -1;
    const QString path = stDirPath + QLatin1Char('/') + stFileName;
    if (QFileInfo::exists(path))
        return 0;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) {
        qCWarning(lcTxtFile) << "cannot create" << path << file.errorString();
        return -1;
    }
    file.close();
    return 0;
}

int TxtFile::JudgmentFile(QString stDirPath)
{
    return JudgmentFile(stDirPath, QStringLiteral("Null"));
}
