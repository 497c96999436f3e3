#pragma once

#include <QString>
#include <QWidget>

// Keyed reading and writing of profile files. Holds no state: each call
// reads the file afresh, and each write replaces the file in one atomic step
// or leaves it untouched. Sections and keys match without regard to case on
// every platform ("LanguageS" and "Languages" name one entry), and a write
// reuses the spelling already in the file.
//
// Results: 0 done, or nothing to do because the file is missing (callers that
// care check for the file first); -1 when the file exists but cannot be read
// or written, or a folder or copy cannot be made.
class IniFile : public QWidget
{
    Q_OBJECT

public:
    explicit IniFile(QWidget *parent = nullptr);

public slots:
    // Sets data to the value of stGroupName/stName, or to an empty string
    // when the key is absent. A missing file leaves data as it was; an
    // unreadable one (not a file, over 1 MiB, no permission) empties it.
    int ReadIniFile(QString FilePath, QString stGroupName, QString stName, QString &data);
    // Stores data as the value of stGroupName/stName. Creates nothing when
    // the file is missing.
    int WriteIniFile(QString FilePath, QString stGroupName, QString stName, QString data);
    // Creates the folder (one level) when missing and, unless stFileName is
    // exactly "Null", copies the default profile to stDirPath/stFileName when
    // no file is there.
    int JudgmentFile(QString stDirPath, QString stFileName);
    // Only makes sure the folder exists.
    int JudgmentFile(QString stDirPath);
};
