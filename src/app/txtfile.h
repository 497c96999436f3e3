#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

// Folder preparation and line-oriented text files. Holds no state. Results:
// 0 done (or nothing to do), -1 when the file cannot be read or written or a
// folder or file cannot be created.
class TxtFile : public QWidget
{
    Q_OBJECT

public:
    explicit TxtFile(QWidget *parent = nullptr);

public slots:
    // Appends every line of the file, without its line end, to data (which
    // is not cleared first). -1 when the file cannot be opened, is not a
    // regular file or is larger than 1 MiB; data is then left as it was.
    int ReadFile(QString FilePath, QStringList &data);
    // Replaces the content of an existing file with the strings, each
    // followed by a line end, in one atomic step. A missing file is not
    // created.
    int WriteFile(QString FilePath, QStringList data);
    // Creates the folder when missing and, unless stFileName is exactly
    // "Null", stDirPath/stFileName as an empty file when it does not exist.
    int JudgmentFile(QString stDirPath, QString stFileName);
    // Only makes sure the folder exists.
    int JudgmentFile(QString stDirPath);
};
