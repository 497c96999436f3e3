#include "profiledialogs.h"

#include "inifile.h"
#include "languagetable.h"
#include "parameterprofile.h"
#include "parameters.h"
#include "profilefolder.h"
#include "profilestore.h"
#include "switchbutton.h"
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QSlider>

Q_LOGGING_CATEGORY(lcProfileDialogs, "velorax.ui.profiles.dialogs")

namespace profiledialogs {

namespace {

// The other edition's name in its refusal box, and this edition's in the
// conversion offer.
const char kForeignEditionName[] = "Torvane Manager";
const char kThisEditionName[] = "Orvex Manager";

// Message boxes follow the system locale, not the language chosen in the window.
bool systemLocaleIsChinese()
{
    return QLocale().language() == QLocale::Chinese;
}

} // namespace

QString informationTitle()
{
    return language::messageText(language::InformationTitle);
}

namespace {

void showFileNotExists(QWidget *parent)
{
    const QString text = systemLocaleIsChinese()
                             ? QCoreApplication::translate("Widget", "文件不存在")
                             : QCoreApplication::translate("Widget", "File Not Exists");
    QMessageBox::information(parent, informationTitle(), text);
}

} // namespace

bool askToConvertUnmarkedProfile(QWidget *parent)
{
    const QString text =
        systemLocaleIsChinese()
            ? QCoreApplication::translate("Widget", "此版本软件无法设别该文件,是否转换为%1专属文件")
                  .arg(QLatin1String(kThisEditionName))
            : QCoreApplication::translate(
                  "Widget", "This version of the software cannot set the file!\nWhether to convert "
                            "to %1 proprietary file.")
                  .arg(QLatin1String(kThisEditionName));
    return QMessageBox::information(parent, informationTitle(), text,
                                    QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void showForeignEdition(QWidget *parent)
{
    const QString text = systemLocaleIsChinese()
                             ? QCoreApplication::translate("Widget", "%1文件")
                                   .arg(QLatin1String(kForeignEditionName))
                             : QCoreApplication::translate("Widget", "%1 File!\n")
                                   .arg(QLatin1String(kForeignEditionName));
    // The answer does not matter: the profile is refused either way.
    QMessageBox::information(parent, informationTitle(), text, QMessageBox::Yes | QMessageBox::No);
}

namespace {

template <typename T> T *control(const QWidget *window, const char *objectName)
{
    T *found = window->findChild<T *>(QLatin1String(objectName));
    if (!found)
        qCWarning(lcProfileDialogs) << "form has no control" << objectName;
    return found;
}

} // namespace

QVector<profiles::ProfileEntry> profileEntries(const QWidget *window,
                                               const protocol::ParameterValues &committed)
{
    QVector<profiles::ProfileEntry> entries;
    for (const protocol::ProfileStep &step : protocol::profileWriteOrder()) {
        const protocol::ProfileKey key = protocol::profileKey(step);
        QString value;
        switch (step.item) {
        case protocol::ProfileItem::ParameterValue:
            value = QString::number(committed.value(step.parameter));
            break;
        case protocol::ProfileItem::EditionMarker:
            value = QLatin1String(protocol::ThisEditionMarker);
            break;
        case protocol::ProfileItem::HelpSwitch: {
            const auto *help = control<SwitchButton>(window, "SwitchHelp");
            value = (help && help->isChecked()) ? QStringLiteral("1") : QStringLiteral("0");
            break;
        }
        case protocol::ProfileItem::LanguageIndex:
            continue; // written by the language switch only
        }
        entries.append({QLatin1String(key.group), QLatin1String(key.key), value});
    }
    return entries;
}

// What a new profile starts from: the default profile in the folder, or the
// shipped one when that is gone or is no profile any more.
QByteArray defaultProfileBytes(const QString &folder)
{
    const QString folderDefault =
        folder + QLatin1Char('/') + QLatin1String(profiles::kDefaultProfileName);
    QByteArray bytes;
    if (profiles::readFileLimited(folderDefault, profiles::kMaxProfileBytes, &bytes) ==
        profiles::ReadStatus::Ok)
        return bytes;
    qCInfo(lcProfileDialogs) << "no usable" << folderDefault << "- starting from the shipped one";
    return profiles::shippedDefaultProfile();
}

bool inFolder(const QString &path, const QString &folder)
{
    return QDir::cleanPath(QFileInfo(path).absolutePath()) ==
           QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
}

// Tells the user why a profile could not be read or written; a missing file
// keeps its own box.
void showProfileProblem(QWidget *parent, const QString &path, const profiles::FileProblem &problem)
{
    const QString name = QDir::toNativeSeparators(path);
    QString text;
    switch (problem.kind) {
    case profiles::FileProblem::None:
        return;
    case profiles::FileProblem::Missing:
        showFileNotExists(parent);
        return;
    case profiles::FileProblem::NotAFile:
        text = language::messageText(language::ProfileIsFolderMessage).arg(name);
        break;
    case profiles::FileProblem::TooLarge:
        text = language::messageText(language::ProfileTooLargeMessage).arg(name);
        break;
    case profiles::FileProblem::NoPermission:
        text = language::messageText(language::ProfileNoAccessMessage).arg(name);
        break;
    case profiles::FileProblem::Busy:
        text = language::messageText(language::ProfileBusyMessage).arg(name);
        break;
    case profiles::FileProblem::IoError:
        text = language::messageText(language::ProfileIoErrorMessage).arg(name, problem.detail);
        break;
    }
    QMessageBox::information(parent, informationTitle(), text);
}

QString askSaveAsPath(QWidget *parent, const QString &folder)
{
    QFileDialog dialog(parent, QCoreApplication::translate("Widget", "Save File"), folder,
                       QCoreApplication::translate("Widget", "*.ini"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // A name typed without an extension gets ".ini" before the dialog
    // asks whether to replace a file of that name.
    dialog.setDefaultSuffix(QStringLiteral("ini"));
    QString chosen;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        chosen = dialog.selectedFiles().constFirst();
    // Cancelled, or no name at all: the current profile stays current.
    if (chosen.isEmpty() || QFileInfo(chosen).fileName() == QLatin1String(".ini"))
        return QString();
    if (QFileInfo(chosen).suffix().compare(QLatin1String("ini"), Qt::CaseInsensitive) != 0) {
        chosen += QStringLiteral(".ini");
        // The dialog asked about the name without the extension.
        if (QFileInfo::exists(chosen) &&
            QMessageBox::question(parent, informationTitle(),
                                  language::messageText(language::ProfileReplaceMessage)
                                      .arg(QDir::toNativeSeparators(chosen))) != QMessageBox::Yes)
            return QString();
    }
    return chosen;
}

} // namespace profiledialogs
