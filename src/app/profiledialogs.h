#pragma once

// The profile list's message boxes and file helpers: what a load, a save or a refusal tells
// the user, and what a save writes.

#include "profilestore.h"
#include "reports.h"

#include <QByteArray>
#include <QString>
#include <QVector>

class QWidget;

namespace profiledialogs {

QString informationTitle();
// True when the user agrees to mark an unmarked profile as one of this edition; closing the
// box counts as No.
bool askToConvertUnmarkedProfile(QWidget *parent);
void showForeignEdition(QWidget *parent);
// The committed values (and the help switch of `window`) as a save writes them.
QVector<profiles::ProfileEntry> profileEntries(const QWidget *window,
                                               const protocol::ParameterValues &committed);
// What a new profile starts from: the default profile in the folder, or the shipped one.
QByteArray defaultProfileBytes(const QString &folder);
bool inFolder(const QString &path, const QString &folder);
// Tells the user why a profile could not be read or written; a missing file keeps its own box.
void showProfileProblem(QWidget *parent, const QString &path, const profiles::FileProblem &problem);

// The file "SaveAs" writes, as the user chose it (".ini" added, a replacement confirmed); empty
// when cancelled.
QString askSaveAsPath(QWidget *parent, const QString &folder);

} // namespace profiledialogs
