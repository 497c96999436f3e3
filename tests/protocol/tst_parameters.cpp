// Consistency of the parameter catalogue and of the lists derived from it. Expected lists are
// written out from the form's documented orders.

#include "parameters.h"

#include <QSet>
#include <QtTest>

using namespace protocol;

namespace {

QStringList names(std::initializer_list<const char *> list)
{
    QStringList out;
    for (const char *n : list) {
        out.append(QString::fromLatin1(n));
    }
    return out;
}

QStringList parameterNames(const QVector<const ParameterInfo *> &rows)
{
    QStringList out;
    for (const ParameterInfo *info : rows) {
        out.append(QString::fromLatin1(info->name));
    }
    return out;
}

QString keyText(const ProfileKey &key)
{
    return QString::fromLatin1(key.group) + QLatin1Char('/') + QString::fromLatin1(key.key);
}

QStringList profileKeys(const std::array<ProfileStep, ProfileStepCount> &steps)
{
    QStringList out;
    for (const ProfileStep &step : steps) {
        out.append(keyText(profileKey(step)));
    }
    return out;
}

} // namespace

class TestParameters : public QObject
{
    Q_OBJECT

private slots:
    void everyParameterHasOneRow();
    void derivedLists_data();
    void derivedLists();
    void reportFieldsDoNotOverlap();
    void rangesAndFormValues();
    void effectMasks();
    void objectNamesAreUnique();
    void buttonLeds();
    void statusCodes();
    void axes();
    void validatorAssignments();
    void profileOrders();
};

void TestParameters::everyParameterHasOneRow()
{
    const auto &table = parameterTable();
    QSet<int> seen;
    QSet<QString> seenNames;
    for (const ParameterInfo &info : table) {
        QVERIFY(!seen.contains(int(info.parameter)));
        seen.insert(int(info.parameter));
        QVERIFY(!seenNames.contains(QLatin1String(info.name)));
        seenNames.insert(QLatin1String(info.name));
        QCOMPARE(&parameterInfo(info.parameter), &info);
        QCOMPARE(findParameter(QLatin1String(info.name)), &info);
        // The name is the English label.
        QCOMPARE(QLatin1String(info.labels.english), QLatin1String(info.name));
    }
    QCOMPARE(seen.size(), ParameterCount);
    QVERIFY(!findParameter(QStringLiteral("angle")));
    QVERIFY(!findParameter(QString()));

    QCOMPARE(parameterInfo(Parameter::FilterFrequency).labels.chinese, "力反馈滤波");
    QCOMPARE(parameterInfo(Parameter::FilterFrequency).labels.chineseSwitched, "滤波频率");
    QCOMPARE(parameterInfo(Parameter::WheelSpring).controls.slider, "SliderJump");
    QCOMPARE(parameterInfo(Parameter::WheelSpeed).controls.slider, "SliderInertia");
    QCOMPARE(parameterInfo(Parameter::WheelDamper).controls.slider, "SliderDamping");
    QCOMPARE(parameterInfo(Parameter::Angle).controls.label, "label_17");
}

void TestParameters::derivedLists_data()
{
    QTest::addColumn<QStringList>("derived");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("machine sliders")
        << machineSliderNames()
        << names({"SliderStreeingAngle", "SliderGramFreeBack", "SliderJump", "SliderDamping",
                  "SliderInertia", "SliderFriction", "SliderGramFreeBack_Flider"});
    QTest::newRow("machine line edits")
        << machineLineEditNames()
        << names({"lineStreeingAngle", "lineGramFreeBack", "lineJump", "lineDamping", "lineInertia",
                  "lineFriction", "lineGramFreeBack_Flider"});
    QTest::newRow("game line edits, send order")
        << gameLineEditNamesInSendOrder()
        << names({"lineGamesJump", "lineGamesDamping", "lineGamesInertia", "lineGamesFriction",
                  "lineGamesconstant", "lineGamesSinOne"});
    QTest::newRow("game sliders, send order")
        << gameSliderNamesInSendOrder()
        << names({"SliderGamesJump", "SliderGamesDamping", "SliderGamesInertia",
                  "SliderGamesFriction", "SliderGamesconstant", "SliderGamesSinOne"});
    QTest::newRow("game line edits, mask order")
        << gameLineEditNamesInMaskOrder()
        << names({"lineGamesconstant", "lineGamesSinOne", "lineGamesJump", "lineGamesDamping",
                  "lineGamesFriction", "lineGamesInertia"});
    QTest::newRow("game sliders, mask order")
        << gameSliderNamesInMaskOrder()
        << names({"SliderGamesconstant", "SliderGamesSinOne", "SliderGamesJump",
                  "SliderGamesDamping", "SliderGamesFriction", "SliderGamesInertia"});
    QTest::newRow("pilot lamps") << pilotLampNames()
                                 << names({"imagePilot1", "imagePilot2", "imagePilot3",
                                           "imagePilot4", "imagePilot5", "imagePilot6",
                                           "imagePilot7", "imagePilot8", "imagePilot9"});
    QTest::newRow("machine report, byte order")
        << parameterNames(reportParameters(SubCommand::MachineSettings))
        << names({"Angle", "TotalForce", "FilterFrequency", "WheelSpring", "WheelDamper",
                  "WheelSpeed", "WheelFriction"});
    QTest::newRow("mode report") << parameterNames(reportParameters(SubCommand::Mode))
                                 << names({"Suspension", "Response"});
    QTest::newRow("choices") << parameterNames(choiceParameters())
                             << names({"Suspension", "Response"});
    QTest::newRow("no parameters in requests")
        << parameterNames(reportParameters(SubCommand::ReadStore)) << QStringList();
    QTest::newRow("calibration limits")
        << calibrationLimitNames()
        << names({"lineFriction_2", "lineFriction_3", "lineFriction_4", "lineFriction_5",
                  "lineFriction_6", "lineFriction_7", "lineFriction_8", "lineFriction_9",
                  "lineFriction_10", "lineFriction_11", "lineFriction_12", "lineFriction_13"});
}

void TestParameters::derivedLists()
{
    QFETCH(QStringList, derived);
    QFETCH(QStringList, expected);
    QCOMPARE(derived, expected);
}

void TestParameters::reportFieldsDoNotOverlap()
{
    // Byte positions taken per sub-command; the machine report's byte 4 is the center byte.
    QMap<int, QSet<int>> used;
    used[int(SubCommand::MachineSettings)].insert(4);
    for (const ParameterInfo &info : parameterTable()) {
        QSet<int> &bytes = used[int(info.field.subCommand)];
        for (int b = 0; b < fieldWidth(info.field.format); ++b) {
            const int position = info.field.position + b;
            QVERIFY2(position >= 2 && position <= 10, info.name);
            QVERIFY2(!bytes.contains(position), info.name);
            bytes.insert(position);
        }
    }
    const auto range = [](int first, int last) {
        QSet<int> s;
        for (int i = first; i <= last; ++i) {
            s.insert(i);
        }
        return s;
    };
    QCOMPARE(used[int(SubCommand::MachineSettings)], range(2, 10));
    QCOMPARE(used[int(SubCommand::GameSettings)], range(2, 7));
    QCOMPARE(used[int(SubCommand::Mode)], range(2, 5));

    for (const ParameterInfo &info : parameterTable()) {
        const bool expectSigned = info.parameter == Parameter::TotalForce;
        QCOMPARE(isSigned(info.field.format), expectSigned);
    }
    QCOMPARE(parameterInfo(Parameter::Angle).field.format, FieldFormat::Unsigned16);
    QCOMPARE(parameterInfo(Parameter::Suspension).field.format, FieldFormat::Index16);
    QCOMPARE(fieldWidth(FieldFormat::Index16), 2);
    QCOMPARE(fieldWidth(FieldFormat::Signed8), 1);
}

void TestParameters::rangesAndFormValues()
{
    for (const ParameterInfo &info : parameterTable()) {
        QVERIFY2(info.range.minimum < info.range.maximum, info.name);
        QVERIFY2(info.range.contains(info.formValue), info.name);
        // The validator never refuses a value the slider can take.
        QVERIFY2(info.validatorRange.contains(info.range.minimum), info.name);
        QVERIFY2(info.validatorRange.contains(info.range.maximum), info.name);
        if (info.group == ParameterGroup::Choice) {
            QVERIFY2(info.controls.combo && !info.controls.slider && !info.controls.lineEdit,
                     info.name);
            QCOMPARE(info.items.count, info.range.maximum + 1);
            QVERIFY(info.items.chinese && info.items.english);
            QCOMPARE(info.field.subCommand, SubCommand::Mode);
        } else {
            QVERIFY2(info.controls.slider && info.controls.lineEdit && !info.controls.combo,
                     info.name);
            QVERIFY2(info.pageStep > 0, info.name);
            QVERIFY2(info.placeholder, info.name);
            QCOMPARE(info.items.count, 0);
            QCOMPARE(info.field.subCommand, info.group == ParameterGroup::Machine
                                                ? SubCommand::MachineSettings
                                                : SubCommand::GameSettings);
        }
    }
    const ParameterInfo &angle = parameterInfo(Parameter::Angle);
    QCOMPARE(angle.range.minimum, 1);
    QCOMPARE(angle.validatorRange.minimum, 0);
    QCOMPARE(angle.pageStep, 10);
    QCOMPARE(parameterInfo(Parameter::TotalForce).formValue, -100);
    QCOMPARE(parameterInfo(Parameter::TotalForce).placeholder, "±100");
    QCOMPARE(parameterInfo(Parameter::Suspension).items.english[2], "Hard");
    QCOMPARE(parameterInfo(Parameter::Response).items.chinese[1], "狂野");

    for (const UnboundSliderRow &row : unboundPeriodicRows()) {
        QCOMPARE(row.range.minimum, 0);
        QCOMPARE(row.range.maximum, 200);
        QCOMPARE(row.formValue, 0);
    }
}

void TestParameters::effectMasks()
{
    quint16 all = 0;
    for (const ParameterInfo &info : parameterTable()) {
        if (info.group != ParameterGroup::Game) {
            QCOMPARE(int(info.effectMask), 0);
            continue;
        }
        QVERIFY2(info.effectMask != 0, info.name);
        QVERIFY2((all & info.effectMask) == 0, info.name);
        all |= info.effectMask;
    }
    QCOMPARE(int(all), 0x01FF);
    QCOMPARE(int(parameterInfo(Parameter::PeriodForce).effectMask), 0x01C2);
    QCOMPARE(int(parameterInfo(Parameter::GameInertia).effectMask), 0x0020);
    QCOMPARE(int(parameterInfo(Parameter::GameFriction).effectMask), 0x0010);
}

void TestParameters::objectNamesAreUnique()
{
    QStringList all;
    const auto add = [&all](const char *name) {
        if (name) {
            all.append(QString::fromLatin1(name));
        }
    };
    for (const ParameterInfo &info : parameterTable()) {
        add(info.controls.label);
        add(info.controls.slider);
        add(info.controls.lineEdit);
        add(info.controls.combo);
        add(info.controls.rangeLabel);
    }
    for (const UnboundSliderRow &row : unboundPeriodicRows()) {
        add(row.slider);
        add(row.lineEdit);
    }
    for (const AxisInfo &axis : axisTable()) {
        add(axis.gauge);
        add(axis.directionSwitch);
        add(axis.lowerLimit);
        add(axis.upperLimit);
    }
    for (const StatusCodeInfo &code : statusCodeTable()) {
        add(code.lamp);
        add(code.label);
    }
    add(WheelGaugeObject);
    add(FirmwareLabelObject);
    add(VoltageLabelObject);
    add(VoltageUnitLabelObject);
    all += buttonLedNames();

    const QSet<QString> unique(all.begin(), all.end());
    QCOMPARE(unique.size(), all.size());
}

void TestParameters::buttonLeds()
{
    const QStringList leds = buttonLedNames();
    QCOMPARE(leds.size(), ButtonCount);
    QCOMPARE(leds.first(), QStringLiteral("led_1"));
    QCOMPARE(leds.at(7), QStringLiteral("led_8"));
    QCOMPARE(leds.at(8), QStringLiteral("led_57"));
    QCOMPARE(leds.at(47), QStringLiteral("led_96"));
    QCOMPARE(leds.last(), QStringLiteral("led_112"));
    int previous = 0;
    for (const QString &led : leds) {
        const int number = led.mid(4).toInt();
        QVERIFY2(number > previous, qPrintable(led));
        QVERIFY(number <= 8 || number >= 57);
        previous = number;
    }
}

void TestParameters::statusCodes()
{
    const auto &codes = statusCodeTable();
    const QStringList labels = names({"label_12", "label_23", "label_24", "label_26", "label_25",
                                      "label_27", "label_29", "label_30", "label_31"});
    const QStringList english = names({"Normal", "OverCur", "TestCur", "ROMErr", "OverVol",
                                       "OutOfAng", "LosingPhase", "OverSpeed", "AssErr"});
    for (int k = 0; k < StatusCodeCount; ++k) {
        QCOMPARE(int(codes[k].code), k);
        QCOMPARE(QLatin1String(codes[k].label), labels.at(k));
        QCOMPARE(QLatin1String(codes[k].labels.english), english.at(k));
        QCOMPARE(statusCodeInfo(quint16(k)), &codes[k]);
    }
    QCOMPARE(codes[3].labels.chinese, "参数读取");
    QCOMPARE(codes[3].labels.chineseSwitched, "系统读取");
    QVERIFY(!statusCodeInfo(9));
    QVERIFY(!statusCodeInfo(0xFFFF));
}

void TestParameters::axes()
{
    const auto &table = axisTable();
    const QStringList titles = names({"X", "Y", "Z", "RX", "RY", "RZ"});
    const QStringList gauges = names({"progressBar", "progressBar_2", "progressBar_3",
                                      "progressBar_4", "progressBar_5", "progressBar_6"});
    const QStringList switches = names({"switchButton", "switchButton_2", "switchButton_3",
                                        "switchButton_4", "switchButton_5", "switchButton_6"});
    for (int i = 0; i < AxisCount; ++i) {
        QCOMPARE(int(table[i].axis), i);
        QCOMPARE(QLatin1String(table[i].title), titles.at(i));
        QCOMPARE(QLatin1String(table[i].gauge), gauges.at(i));
        QCOMPARE(QLatin1String(table[i].directionSwitch), switches.at(i));
        // Axes share bytes pairwise: each stays inside the live report's axis bytes 3..11.
        QVERIFY(table[i].firstByte >= 3 && table[i].firstByte + 1 <= 11);
    }
}

void TestParameters::validatorAssignments()
{
    const QVector<ValidatorAssignment> list = protocol::validatorAssignments();
    QCOMPARE(list.size(), 7 + 6 + 2 + 12);

    QMap<QString, IntRange> byName;
    for (const ValidatorAssignment &a : list) {
        QVERIFY2(!byName.contains(a.lineEdit), qPrintable(a.lineEdit));
        byName.insert(a.lineEdit, a.range);
    }
    const struct
    {
        const char *lineEdit;
        int minimum;
        int maximum;
    } expected[] = {
        {"lineStreeingAngle", 0, 1600},
        {"lineGramFreeBack", -100, 100},
        {"lineGramFreeBack_Flider", 0, 100},
        {"lineJump", 0, 100},
        {"lineDamping", 0, 100},
        {"lineInertia", 0, 100},
        {"lineFriction", 0, 100},
        {"lineGamesJump", 0, 200},
        {"lineGamesDamping", 0, 200},
        {"lineGamesInertia", 0, 200},
        {"lineGamesFriction", 0, 200},
        {"lineGamesconstant", 0, 200},
        {"lineGamesSinOne", 0, 200},
        {"lineGamesSinTwo", 0, 200},
        {"lineGamesSinThree", 0, 200},
        {"lineFriction_2", 0, 4095},
        {"lineFriction_7", 0, 4095},
        {"lineFriction_13", 0, 4095},
    };
    for (const auto &e : expected) {
        const QString name = QString::fromLatin1(e.lineEdit);
        QVERIFY2(byName.contains(name), e.lineEdit);
        QCOMPARE(byName.value(name).minimum, e.minimum);
        QCOMPARE(byName.value(name).maximum, e.maximum);
    }
    QVERIFY(!byName.contains(QStringLiteral("lineGamesSinFour")));
}

void TestParameters::profileOrders()
{
    QCOMPARE(profileKeys(profileWriteOrder()),
             names({"MachineSetUp/ForceFeedback", "MachineSetUp/ExternalElastic",
                    "MachineSetUp/OuterDamping", "MachineSetUp/ExternalMoment",
                    "MachineSetUp/ExternalFriction", "GameEffect/GameFlider",
                    "GameEffect/GameElastic", "GameEffect/GameDamping", "GameEffect/GameMoment",
                    "GameEffect/GameFriction", "GameIsForce/GameConstant", "GameIsForce/GameSinOne",
                    "StreeingAngle/SliderStreeingAngle", "Softward/speed", "Softward/type",
                    "Softward/Ver", "Softward/Help"}));
    QCOMPARE(profileKeys(profileLoadOrder()),
             names({"Softward/type", "MachineSetUp/ForceFeedback", "MachineSetUp/ExternalElastic",
                    "MachineSetUp/OuterDamping", "MachineSetUp/ExternalMoment",
                    "MachineSetUp/ExternalFriction", "GameEffect/GameFlider",
                    "GameEffect/GameElastic", "GameEffect/GameDamping", "GameEffect/GameMoment",
                    "GameEffect/GameFriction", "GameIsForce/GameConstant", "GameIsForce/GameSinOne",
                    "StreeingAngle/SliderStreeingAngle", "Softward/speed", "Language/Languages",
                    "Softward/Help"}));

    // Each parameter is written once and loaded once.
    for (const auto *order : {&profileWriteOrder(), &profileLoadOrder()}) {
        QSet<int> seen;
        for (const ProfileStep &step : *order) {
            if (step.item == ProfileItem::ParameterValue) {
                QVERIFY(!seen.contains(int(step.parameter)));
                seen.insert(int(step.parameter));
            }
        }
        QCOMPARE(seen.size(), ParameterCount);
    }
    QCOMPARE(keyText(LanguageWriteKey), QStringLiteral("Language/LanguageS"));
    QCOMPARE(ThisEditionMarker, "0");
}

QTEST_APPLESS_MAIN(TestParameters)
#include "tst_parameters.moc"
