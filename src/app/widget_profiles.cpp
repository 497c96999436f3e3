// Profile load, save and list: the drop-down list of profiles, loading a
// profile into the sliders and selectors, "WriteStorage" and "SaveAs". The
// keys and their orders come from the parameter catalogue; every file access
// goes through the profile store, which reads a profile once and replaces a
// file in one atomic step.

#include "ui_widget.h"
#include "widget.h"

#include "inifile.h"
#include "parameters.h"
#include "profilefolder.h"
#include "profileslogging.h"
#include "profilestore.h"
#include "switchbutton.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QSlider>

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

QString informationTitle()
{
    return systemLocaleIsChinese() ? Widget::tr("信息") : Widget::tr("information");
}

void showFileNotExists(QWidget *parent)
{
    const QString text =
        systemLocaleIsChinese() ? Widget::tr("文件不存在") : Widget::tr("File Not Exists");
    QMessageBox::information(parent, informationTitle(), text);
}

// True when the user agrees to mark an unmarked profile as one of this
// edition; closing the box counts as No.
bool askToConvertUnmarkedProfile(QWidget *parent)
{
    const QString text =
        systemLocaleIsChinese()
            ? Widget::tr("此版本软件无法设别该文件,是否转换为%1专属文件")
                  .arg(QLatin1String(kThisEditionName))
            : Widget::tr("This version of the software cannot set the file!\nWhether to convert "
                         "to %1 proprietary file.")
                  .arg(QLatin1String(kThisEditionName));
    return QMessageBox::information(parent, informationTitle(), text,
                                    QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void showForeignEdition(QWidget *parent)
{
    const QString text = systemLocaleIsChinese()
                             ? Widget::tr("%1文件").arg(QLatin1String(kForeignEditionName))
                             : Widget::tr("%1 File!\n").arg(QLatin1String(kForeignEditionName));
    // The answer does not matter: the profile is refused either way.
    QMessageBox::information(parent, informationTitle(), text, QMessageBox::Yes | QMessageBox::No);
}

template <typename T> T *control(const QWidget *window, const char *objectName)
{
    T *found = window->findChild<T *>(QLatin1String(objectName));
    if (!found)
        qCWarning(lcProfiles) << "form has no control" << objectName;
    return found;
}

// Sets the control of one parameter to a stored number. Sliders clamp to
// their range; a selector keeps its choice when the profile names an item it
// does not have, so that no undefined mode is shown, stored or sent.
void applyParameter(const QWidget *window, const protocol::ParameterInfo &info, int number)
{
    if (info.group == protocol::ParameterGroup::Choice) {
        auto *combo = control<QComboBox>(window, info.controls.combo);
        if (!combo)
            return;
        if (number < 0 || number >= combo->count()) {
            qCWarning(lcProfiles) << info.name << "index" << number << "is not an item of"
                                  << info.controls.combo << "- left as it was";
            return;
        }
        combo->setCurrentIndex(number);
        return;
    }
    if (auto *slider = control<QSlider>(window, info.controls.slider))
        slider->setValue(number);
}

void applyProfile(const QWidget *window, const profiles::ProfileValues &values)
{
    for (const protocol::ProfileStep &step : protocol::profileLoadOrder()) {
        const protocol::ProfileKey key = protocol::profileKey(step);
        const int number = values.number(QLatin1String(key.group), QLatin1String(key.key));
        switch (step.item) {
        case protocol::ProfileItem::ParameterValue:
            applyParameter(window, protocol::parameterInfo(step.parameter), number);
            break;
        case protocol::ProfileItem::LanguageIndex:
        case protocol::ProfileItem::HelpSwitch:
        case protocol::ProfileItem::EditionMarker:
            // Read with the profile, not applied to the window.
            qCDebug(lcProfiles) << "profile" << key.group << key.key << number << "(not applied)";
            break;
        }
    }
}

// The stored text of one parameter: a line edit's text exactly (it may be
// empty or a lone "-" while the user types), a selector's index in decimal.
QString parameterText(const QWidget *window, const protocol::ParameterInfo &info)
{
    if (info.group == protocol::ParameterGroup::Choice) {
        const auto *combo = control<QComboBox>(window, info.controls.combo);
        return QString::number(combo ? combo->currentIndex() : 0);
    }
    const auto *edit = control<QLineEdit>(window, info.controls.lineEdit);
    return edit ? edit->text() : QString();
}

QVector<profiles::ProfileEntry> profileEntries(const QWidget *window)
{
    QVector<profiles::ProfileEntry> entries;
    for (const protocol::ProfileStep &step : protocol::profileWriteOrder()) {
        const protocol::ProfileKey key = protocol::profileKey(step);
        QString value;
        switch (step.item) {
        case protocol::ProfileItem::ParameterValue:
            value = parameterText(window, protocol::parameterInfo(step.parameter));
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

// Creates a new profile at target from the default profile in the folder, or
// from the shipped one when that is gone or is no profile any more.
bool createProfileFromDefault(const QString &folder, const QString &target)
{
    const QString folderDefault =
        folder + QLatin1Char('/') + QLatin1String(profiles::kDefaultProfileName);
    const QFileInfo info(folderDefault);
    if (info.isFile() && info.size() <= profiles::kMaxProfileBytes &&
        profiles::installResourceCopy(folderDefault, target))
        return true;
    qCInfo(lcProfiles) << "no usable" << folderDefault << "- starting" << target
                       << "from the shipped default profile";
    return profiles::installResourceCopy(QLatin1String(profiles::kDefaultProfileResource), target);
}

} // namespace

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
    const profiles::ProfileValues values = profiles::ProfileValues::read(path);
    if (values.status() != profiles::ReadStatus::Ok) {
        // Gone since the list was built, or nothing this tool can read (not a
        // file, unreadable, far too large to be a profile).
        qCInfo(lcProfiles) << "cannot load" << path;
        showFileNotExists(this);
        return -1;
    }

    switch (values.editionMarker()) {
    case profiles::EditionMarker::Unmarked:
        if (askToConvertUnmarkedProfile(this) &&
            m_iniFile->WriteIniFile(path, QLatin1String(protocol::EditionMarkerKey.group),
                                    QLatin1String(protocol::EditionMarkerKey.key),
                                    QLatin1String(protocol::ThisEditionMarker)) != 0)
            qCWarning(lcProfiles) << "could not mark" << path;
        // Loaded only when chosen again.
        return -1;
    case profiles::EditionMarker::Foreign:
        showForeignEdition(this);
        return -1;
    case profiles::EditionMarker::Ours:
        break;
    }

    m_dataProfilePath = path;
    applyProfile(this, values);
    qCDebug(lcProfiles) << "loaded" << path;
    return 0;
}

int Widget::SaveAsPower(bool Type)
{
    QString target = m_dataProfilePath;
    if (Type) {
        const QString chosen =
            QFileDialog::getSaveFileName(this, tr("Save File"), profileFolder(), tr("*.ini"));
        // Cancelled, or no name at all: the current profile stays current.
        if (chosen.isEmpty() || chosen == QLatin1String(".ini"))
            return -1;
        if (!QFileInfo::exists(chosen) && !createProfileFromDefault(profileFolder(), chosen)) {
            qCWarning(lcProfiles) << "cannot create" << chosen;
            return -1;
        }
        target = chosen;
    }

    // All keys in one atomic rewrite: a profile is never left half written.
    switch (profiles::writeProfileValues(target, profileEntries(this))) {
    case profiles::WriteStatus::Written:
        // Save As makes the new file current once it holds the values.
        m_dataProfilePath = target;
        qCDebug(lcProfiles) << "saved" << target;
        return 0;
    case profiles::WriteStatus::Missing:
        qCWarning(lcProfiles) << "profile" << target << "is gone; nothing saved";
        return -1;
    case profiles::WriteStatus::Failed:
        qCWarning(lcProfiles) << "could not save" << target;
        return -1;
    }
    return -1;
}

int Widget::TxtAndIniFile(QString stDirPath, QString stFileName)
{
    const QString target = stDirPath + QLatin1Char('/') + stFileName;
    if (QFileInfo::exists(target))
        return 0;
    if (!profiles::installResourceCopy(QStringLiteral(":/") + stFileName, target))
        qCWarning(lcProfiles) << "cannot provide" << target;
    return 0;
}

void Widget::on_tbt_savedata_clicked()
{
    SaveAsPower(false);
    // The base is asked to store its settings whatever happened to the file.
    m_storeRequestByte = 0x24;
    ReadOrSaveValue();
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
    const QString folder = profileFolder();
    const QStringList names = profiles::listProfileFiles(folder);
    ui->CB_ReadFile->clear();
    ui->CB_ReadFile->addItems(names);
    m_profileListRefreshing = false;

    // Item positions move when files are added; the index a refused load
    // returns to keeps naming the current profile when the list holds it.
    const QFileInfo current(m_dataProfilePath);
    if (QDir::cleanPath(current.absolutePath()) ==
        QDir::cleanPath(QFileInfo(folder).absoluteFilePath())) {
        const int position = names.indexOf(current.fileName());
        if (position >= 0)
            m_lastLoadedProfileIndex = position;
    }
}

void Widget::Slot_ReadFileCombined()
{
    Slit_InitcbReadFile();
    connect(ui->CB_ReadFile, QOverload<int>::of(&QComboBox::activated), this,
            &Widget::Slot_CB_ReadFile, Qt::UniqueConnection);
}

int Widget::slot_GameModelServoOrSteper(QString Dir, QString fileName)
{
    // Folders are relative to where the profile folder lives: beside the
    // application, or the user's data folder for an installed package.
    const QString base = QFileInfo(profileFolder()).absolutePath();
    const QString folder = base + QLatin1Char('/') + Dir;
    profiles::ensureFolder(folder);
    const QString path = folder + QLatin1Char('/') + fileName;
    if (!QFileInfo(path).isFile()) {
        QMessageBox::information(this, tr("information"), tr("File Not Exists"));
        return -1;
    }
    m_dataProfilePath = path;
    return 0;
}
