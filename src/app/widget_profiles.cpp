// Profile load, save and list: the drop-down list of profiles, loading a
// profile into the sliders and selectors, "WriteStorage" and "SaveAs". The
// keys and their orders come from the parameter catalogue; every file access
// goes through the profile store, which reads a profile once and replaces a
// file in one atomic step.

#include "ui_widget.h"
#include "widget.h"

#include "inifile.h"
#include "languagetable.h"
#include "parameterprofile.h"
#include "parameters.h"
#include "profiledialogs.h"
#include "profilefolder.h"
#include "profilestore.h"
#include "switchbutton.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QSlider>

Q_LOGGING_CATEGORY(lcProfileUi, "velorax.ui.profiles")

using namespace profiledialogs;

QString Widget::profileFolder() const
{
    return profiles::profileFolder();
}

int Widget::InitSliderValue()
{
    const QString name = ui->CB_ReadFile->currentText();
    if (name.isEmpty())
        return -1;
    const QString folder = profileFolder();
    profiles::ensureFolder(folder);

    // The list holds file names exactly as listed; trimming them could name a
    // different file (" a.ini" is not "a.ini"). The path becomes the current
    // profile only once it has loaded, so that "WriteStorage" never writes
    // into a refused file, not even from inside one of the boxes below.
    const QString path = folder + QLatin1Char('/') + name;
    const profiles::CheckedProfile profile = profiles::checkProfile(path);
    switch (profile.verdict) {
    case profiles::ProfileVerdict::Loadable:
        break;
    case profiles::ProfileVerdict::Unreadable:
        // Gone since the list was built, or nothing this tool can read (not a
        // file, unreadable, far too large to be a profile).
        qCInfo(lcProfileUi) << "cannot load" << path;
        showProfileProblem(this, path, profile.problem);
        return -1;
    case profiles::ProfileVerdict::Unmarked:
        if (askToConvertUnmarkedProfile(this) &&
            m_iniFile->WriteIniFile(path, QLatin1String(protocol::EditionMarkerKey.group),
                                    QLatin1String(protocol::EditionMarkerKey.key),
                                    QLatin1String(protocol::ThisEditionMarker)) != 0)
            qCWarning(lcProfileUi) << "could not mark" << path;
        // Loaded only when chosen again.
        return -1;
    case profiles::ProfileVerdict::Foreign:
        showForeignEdition(this);
        return -1;
    case profiles::ProfileVerdict::Damaged:
    case profiles::ProfileVerdict::Invalid:
        // A profile that lost keys (cut short by a crash, edited elsewhere) or holds a value the
        // base cannot take is refused whole: nothing is turned into zeros or clamped.
        qCInfo(lcProfileUi) << "refused" << path << profile.missingKeys << profile.badValues;
        QMessageBox::information(this, informationTitle(),
                                 language::profileRefusalText(profile, path));
        return -1;
    }

    // What the user set goes out before the snapshot, so that undoing the load returns to it.
    m_session->sendPendingChanges();
    m_session->saveSnapshot(QStringLiteral("before profile load"));
    m_dataProfilePath = path;
    m_session->loadValues(profile.values);
    qCDebug(lcProfileUi) << "loaded" << path;
    return 0;
}

int Widget::SaveAsPower(bool Type)
{
    // The file gets what the base gets: what is pending goes out first.
    m_session->sendPendingChanges();
    QString target = m_dataProfilePath;
    profiles::WriteOptions options;
    if (Type) {
        const QString chosen = askSaveAsPath(this, profileFolder());
        if (chosen.isEmpty())
            return -1;
        target = chosen;
        // A new file starts from the default profile; an existing one the
        // user agreed to replace keeps its other keys only if it is ours.
        options.seed = defaultProfileBytes(profileFolder());
        options.createMissing = true;
        options.replaceOthers = true;
    } else {
        // Only into a profile accepted as this edition's, and still marked so.
        options.requireOurs = true;
        if (target.isEmpty()) {
            qCInfo(lcProfileUi) << "no profile chosen; nothing saved";
            return -1;
        }
    }

    // All keys in one atomic rewrite: a profile is never left half written.
    profiles::FileProblem problem;
    switch (profiles::writeProfileValues(target, profileEntries(this, m_session->committedValues()),
                                         options, &problem)) {
    case profiles::WriteStatus::Written:
        qCDebug(lcProfileUi) << "saved" << target;
        // Save As makes the new file current when the list can show it.
        if (Type && inFolder(target, profileFolder()))
            setWriteTarget(target);
        return 0;
    case profiles::WriteStatus::Missing:
        qCWarning(lcProfileUi) << "profile" << target << "is gone; nothing saved";
        return -1;
    case profiles::WriteStatus::Refused:
        qCWarning(lcProfileUi) << "profile" << target << "is no longer ours; nothing saved";
        setWriteTarget(QString());
        return -1;
    case profiles::WriteStatus::Failed:
        qCWarning(lcProfileUi) << "could not save" << target;
        showProfileProblem(this, target, problem);
        return -1;
    }
    return -1;
}

void Widget::setWriteTarget(const QString &path)
{
    // Only a profile of this edition is written by "WriteStorage" and the
    // language switch; the list shows it, or nothing when there is none.
    const bool ours =
        !path.isEmpty() && QFileInfo(path).isFile() &&
        profiles::ProfileValues::read(path).editionMarker() == profiles::EditionMarker::Ours;
    m_dataProfilePath = ours ? path : QString();
    m_lastLoadedProfileIndex =
        ours && inFolder(path, profileFolder())
            ? ui->CB_ReadFile->findText(QFileInfo(path).fileName(),
                                        Qt::MatchFixedString | Qt::MatchCaseSensitive)
            : -1;
    ui->CB_ReadFile->setCurrentIndex(m_lastLoadedProfileIndex);
}

int Widget::TxtAndIniFile(QString stDirPath, QString stFileName)
{
    const QString target = stDirPath + QLatin1Char('/') + stFileName;
    if (QFileInfo::exists(target))
        return 0;
    if (!profiles::installResourceCopy(QStringLiteral(":/") + stFileName, target))
        qCWarning(lcProfileUi) << "cannot provide" << target;
    return 0;
}

void Widget::on_tbt_savedata_clicked()
{
    SaveAsPower(false);
    // The base is asked to store its settings whatever happened to the file.
    if (!m_session->store())
        qCWarning(lcProfileUi) << "the base was not asked to store its settings";
}

void Widget::on_toolButton_5_clicked()
{
    SaveAsPower(true);
    Slit_InitcbReadFile();
}

void Widget::Slot_CB_ReadFile(int index)
{
    Q_UNUSED(index);
    if (m_profileListRefreshing)
        return;
    if (InitSliderValue() == -1) {
        ui->CB_ReadFile->setCurrentIndex(m_lastLoadedProfileIndex);
        return;
    }
    EightZeroZeroFour();
    m_lastLoadedProfileIndex = ui->CB_ReadFile->currentIndex();
}

void Widget::Slit_InitcbReadFile()
{
    m_profileListRefreshing = true;
    const QStringList names = profiles::listProfileFiles(profileFolder());
    ui->CB_ReadFile->clear();
    ui->CB_ReadFile->addItems(names);
    // The list shows the profile that is written, or nothing when none is.
    setWriteTarget(m_dataProfilePath);
    m_profileListRefreshing = false;
}

void Widget::Slot_ReadFileCombined()
{
    // Also decides the start-up target: data.ini is written only when it is
    // a profile of this edition; an unmarked or foreign one stays untouched
    // until the user chooses it.
    Slit_InitcbReadFile();
    connect(ui->CB_ReadFile, QOverload<int>::of(&QComboBox::activated), this,
            &Widget::Slot_CB_ReadFile, Qt::UniqueConnection);
}
