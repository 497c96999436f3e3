#pragma once

// Shared pieces of the profile flow tests: the profile keys and the controls
// they belong to, written out here rather than taken from the catalogue, and
// small file and form helpers.

#include "widgetharness.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMap>
#include <QSlider>
#include <QString>

#include <algorithm>

namespace flowutil {

// The English texts of the profile boxes: an unmarked profile (conversion),
// a profile of another maker's tool, and a file that cannot be read.
inline const QString kEnglishConversion = QStringLiteral(
    "This version of the software cannot set the file!\nWhether to convert to Orvex Manager "
    "proprietary file.");
inline const QString kEnglishForeign = QStringLiteral("Torvane Manager File!\n");
inline const QString kEnglishMissing = QStringLiteral("File Not Exists");

struct SliderKey
{
    const char *group;
    const char *key;
    const char *slider;
    const char *lineEdit;
    int minimum;
    int maximum;
};

// The thirteen slider parameters in the order a profile load applies them.
inline const SliderKey kSliderKeys[] = {
    {"MachineSetUp", "ForceFeedback", "SliderGramFreeBack", "lineGramFreeBack", -100, 100},
    {"MachineSetUp", "ExternalElastic", "SliderJump", "lineJump", 0, 100},
    {"MachineSetUp", "OuterDamping", "SliderDamping", "lineDamping", 0, 100},
    {"MachineSetUp", "ExternalMoment", "SliderInertia", "lineInertia", 0, 100},
    {"MachineSetUp", "ExternalFriction", "SliderFriction", "lineFriction", 0, 100},
    {"GameEffect", "GameFlider", "SliderGramFreeBack_Flider", "lineGramFreeBack_Flider", 0, 100},
    {"GameEffect", "GameElastic", "SliderGamesJump", "lineGamesJump", 0, 200},
    {"GameEffect", "GameDamping", "SliderGamesDamping", "lineGamesDamping", 0, 200},
    {"GameEffect", "GameMoment", "SliderGamesInertia", "lineGamesInertia", 0, 200},
    {"GameEffect", "GameFriction", "SliderGamesFriction", "lineGamesFriction", 0, 200},
    {"GameIsForce", "GameConstant", "SliderGamesconstant", "lineGamesconstant", 0, 200},
    {"GameIsForce", "GameSinOne", "SliderGamesSinOne", "lineGamesSinOne", 0, 200},
    {"StreeingAngle", "SliderStreeingAngle", "SliderStreeingAngle", "lineStreeingAngle", 1, 1600},
};

struct ComboKey
{
    const char *group;
    const char *key;
    const char *combo;
    int items;
};

inline const ComboKey kComboKeys[] = {
    {"Softward", "speed", "colorComboBox", 3},
    {"Softward", "type", "colorComboBox_2", 2},
};

inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

// Every file of a folder with its bytes.
inline QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        files.insert(name, readBytes(folder + QLatin1Char('/') + name));
    return files;
}

// Slider positions and selector indexes, by object name.
inline QMap<QString, int> formValues(const WidgetHarness &h)
{
    QMap<QString, int> values;
    for (const SliderKey &row : kSliderKeys)
        values.insert(QLatin1String(row.slider), h.child<QSlider>(row.slider)->value());
    for (const ComboKey &row : kComboKeys)
        values.insert(QLatin1String(row.combo), h.child<QComboBox>(row.combo)->currentIndex());
    return values;
}

// Moves every slider to a value no test profile uses, and the selectors to
// their last items, so that a load visibly changes them.
inline void scrambleForm(const WidgetHarness &h)
{
    for (const SliderKey &row : kSliderKeys) {
        const int value = row.maximum - 3;
        h.child<QSlider>(row.slider)->setValue(value);
        h.child<QLineEdit>(row.lineEdit)->setText(QString::number(value));
    }
    for (const ComboKey &row : kComboKeys)
        h.child<QComboBox>(row.combo)->setCurrentIndex(row.items - 1);
}

// Chooses a list entry the way the drop-down does: the index changes, then
// activated(int) is emitted. Returns false when the list has no such entry.
inline bool choose(const WidgetHarness &h, const QString &name)
{
    auto *list = h.child<QComboBox>("CB_ReadFile");
    const int index = list->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        return false;
    list->setCurrentIndex(index);
    emit list->activated(index);
    return true;
}

inline QStringList listEntries(const WidgetHarness &h)
{
    auto *list = h.child<QComboBox>("CB_ReadFile");
    QStringList entries;
    for (int i = 0; i < list->count(); ++i)
        entries.append(list->itemText(i));
    return entries;
}

inline int clampTo(int value, int minimum, int maximum)
{
    return std::max(minimum, std::min(maximum, value));
}

// A quiet base: no live or periodic status reports, only answers.
inline WidgetHarness::Options quietOptions()
{
    WidgetHarness::Options options;
    options.config.liveRateHz = 0;
    options.config.statusIntervalMs = 0;
    return options;
}

} // namespace flowutil
