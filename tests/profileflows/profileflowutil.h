#pragma once

// Shared pieces of the profile flow tests: the profile keys and the controls
// they belong to, written out here rather than taken from the catalogue, the
// box texts, and small file and form helpers.

#include "../profiles/profiletestutil.h"
#include "widgetharness.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QSlider>
#include <QString>
#include <QTest>

namespace flowutil {

using namespace testutil;

// The English texts of the profile boxes; %1 is the file's native path.
inline const QString kEnglishConversion = QStringLiteral(
    "This version of the software cannot set the file!\nWhether to convert to Orvex Manager "
    "proprietary file.");
inline const QString kEnglishForeign = QStringLiteral("Torvane Manager File!\n");
inline const QString kEnglishMissing = QStringLiteral("File Not Exists");
inline const QString kEnglishFolder = QStringLiteral("\"%1\" is a folder, not a profile file.");
inline const QString kEnglishTooLarge =
    QStringLiteral("\"%1\" is larger than 1 MiB and is not a profile.");
inline const QString kEnglishDamaged =
    QStringLiteral("This profile is damaged and was not loaded. Missing:\n%1");
inline const QString kEnglishInvalid = QStringLiteral(
    "This profile holds values the wheel base cannot take; nothing was loaded or sent:\n%1");

struct SliderKey
{
    const char *group, *key, *slider, *lineEdit;
    int minimum, maximum;
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
    const char *group, *key, *combo;
    int items;
};

inline const ComboKey kComboKeys[] = {{"Softward", "speed", "colorComboBox", 3},
                                      {"Softward", "type", "colorComboBox_2", 2}};

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
// their last items, then lets the send timers' slots send that at once.
inline void scrambleForm(const WidgetHarness &h)
{
    for (const SliderKey &row : kSliderKeys)
        h.child<QSlider>(row.slider)->setValue(row.maximum - 3);
    for (const ComboKey &row : kComboKeys)
        h.child<QComboBox>(row.combo)->setCurrentIndex(row.items - 1);
    h.widget()->SetSendMachineryData();
    h.widget()->SetSendGamesData();
}

// Replaces a field's text by typing, as a user does ("" clears it), then leaves the field with
// Tab, which commits it.
inline void typeInto(const WidgetHarness &h, const char *lineEdit, const QString &text)
{
    auto *edit = h.child<QLineEdit>(lineEdit);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(edit, &leave);
}

// Chooses a list entry the way the drop-down does: the index changes, then
// activated(int) is emitted. Returns false when the list has no such entry.
inline bool choose(const WidgetHarness &h, const QString &name)
{
    auto *list = h.child<QComboBox>("CB_ReadFile");
    const int index = list->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0) {
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
    return index >= 0;
}

// A quiet base: no live or periodic status reports, only answers.
inline WidgetHarness::Options quietOptions()
{
    WidgetHarness::Options options;
    options.config.liveRateHz = 0;
    options.config.statusIntervalMs = 0;
    return options;
}

// Waits until the start-up read-back has reached the form (the firmware
// version shows), runs the send timers' slots so that nothing of the
// start-up is pending, and forgets what was sent.
inline bool waitForStartUp(WidgetHarness &h)
{
    const bool ready = WidgetHarness::waitFor(
        [&h] { return h.child<QLabel>("label_16")->text() == QLatin1String("6001"); }, 5000);
    h.widget()->SetSendMachineryData();
    h.widget()->SetSendGamesData();
    h.clearFeatures();
    return ready;
}

} // namespace flowutil
