// The indicator rules: pilot lamps, effect-mask enabling, firmware acceptance and the
// connection lamp sequence.

#include "indicators.h"

#include <QtTest>

using namespace protocol;

using Looks = std::array<PilotLook, StatusCodeCount>;
using Flags = std::array<bool, GameParameterCount>;
Q_DECLARE_METATYPE(Looks)
Q_DECLARE_METATYPE(Flags)

class TestIndicators : public QObject
{
    Q_OBJECT

private slots:
    void pilotLamps_data();
    void pilotLamps();
    void lookStrings();
    void effectMask_data();
    void effectMask();
    void firmwareAcceptance_data();
    void firmwareAcceptance();
    void connectionSequence();
    void connectionSequenceIgnoresOtherSteps_data();
    void connectionSequenceIgnoresOtherSteps();
};

void TestIndicators::pilotLamps_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("lit"); // -1: none
    QTest::addColumn<Looks>("looks");

    constexpr PilotLook o = PilotLook::Grey;
    constexpr PilotLook G = PilotLook::Green;
    constexpr PilotLook R = PilotLook::Red;
    QTest::newRow("normal") << 0 << 0 << Looks{G, o, o, o, o, o, o, o, o};
    QTest::newRow("over current") << 1 << 1 << Looks{o, R, o, o, o, o, o, o, o};
    QTest::newRow("ROM error") << 3 << 3 << Looks{o, o, o, R, o, o, o, o, o};
    QTest::newRow("out of angle") << 5 << 5 << Looks{o, o, o, o, o, R, o, o, o};
    QTest::newRow("no zero point") << 8 << 8 << Looks{o, o, o, o, o, o, o, o, R};
    QTest::newRow("code 9") << 9 << -1 << Looks{o, o, o, o, o, o, o, o, o};
    QTest::newRow("code 256") << 256 << -1 << Looks{o, o, o, o, o, o, o, o, o};
    QTest::newRow("code 65535") << 65535 << -1 << Looks{o, o, o, o, o, o, o, o, o};
}

void TestIndicators::pilotLamps()
{
    QFETCH(int, code);
    QFETCH(int, lit);
    QFETCH(Looks, looks);

    const std::optional<int> lamp = litPilotLamp(quint16(code));
    QCOMPARE(lamp.value_or(-1), lit);
    QVERIFY(pilotLampLooks(quint16(code)) == looks);
    if (lit >= 0) {
        QCOMPARE(pilotLampNames().at(lit), QStringLiteral("imagePilot%1").arg(code + 1));
    }
}

void TestIndicators::lookStrings()
{
    QCOMPARE(pilotLampStyle(PilotLook::Green), "image: url(://LedGreen.png);");
    QCOMPARE(pilotLampStyle(PilotLook::Red), "image: url(://LedRed.png);");
    QCOMPARE(pilotLampStyle(PilotLook::Grey), "image: url(://LEDGrayG.png);");
    QCOMPARE(buttonLedStyle(true), "color: rgb(255, 255, 255);image: url(://LedBlueThree.png);");
    QCOMPARE(buttonLedStyle(false), "color: rgb(255, 255, 255);image: url(://LEDGrayG.png);");
    QCOMPARE(headerLampStyle(HeaderLampLook::Running), "image: url(://LedBlueThree.png);");
    QCOMPARE(headerLampStyle(HeaderLampLook::Off), "image: url(://LedGrayThree.png);");
    QCOMPARE(headerLampStyle(HeaderLampLook::Connected), "image: url(://LedGreenThree.png);");
}

void TestIndicators::effectMask_data()
{
    QTest::addColumn<int>("mask");
    QTest::addColumn<Flags>("enabled"); // mask order: Constant, Period, Spring, Damper, Friction,
                                        // Inertia

    QTest::newRow("none") << 0x0000 << Flags{false, false, false, false, false, false};
    QTest::newRow("all") << 0x01FF << Flags{true, true, true, true, true, true};
    QTest::newRow("bit 6: period only") << 0x0040 << Flags{false, true, false, false, false, false};
    QTest::newRow("bit 1: period") << 0x0002 << Flags{false, true, false, false, false, false};
    QTest::newRow("bit 7: period") << 0x0080 << Flags{false, true, false, false, false, false};
    QTest::newRow("bit 8: period") << 0x0100 << Flags{false, true, false, false, false, false};
    QTest::newRow("constant") << 0x0001 << Flags{true, false, false, false, false, false};
    QTest::newRow("spring") << 0x0004 << Flags{false, false, true, false, false, false};
    QTest::newRow("damper") << 0x0008 << Flags{false, false, false, true, false, false};
    QTest::newRow("friction is bit 4") << 0x0010 << Flags{false, false, false, false, true, false};
    QTest::newRow("inertia is bit 5") << 0x0020 << Flags{false, false, false, false, false, true};
    QTest::newRow("unused high bits") << 0xFE00 << Flags{false, false, false, false, false, false};
}

void TestIndicators::effectMask()
{
    QFETCH(int, mask);
    QFETCH(Flags, enabled);

    QVERIFY(enabledByEffectMask(quint16(mask)) == enabled);
    const Parameter maskOrder[] = {Parameter::ConstantForce, Parameter::PeriodForce,
                                   Parameter::GameSpring,    Parameter::GameDamper,
                                   Parameter::GameFriction,  Parameter::GameInertia};
    for (int i = 0; i < GameParameterCount; ++i) {
        QCOMPARE(isEnabledByEffectMask(maskOrder[i], quint16(mask)), enabled[i]);
    }
    QVERIFY(!isEnabledByEffectMask(Parameter::Angle, quint16(mask)));
    QVERIFY(!isEnabledByEffectMask(Parameter::Suspension, quint16(mask)));
}

void TestIndicators::firmwareAcceptance_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("0") << 0 << false;
    QTest::newRow("4999") << 4999 << false;
    QTest::newRow("5000") << 5000 << true;
    QTest::newRow("5001") << 5001 << true;
    QTest::newRow("6001") << 6001 << true;
    QTest::newRow("65535") << 65535 << true;
}

void TestIndicators::firmwareAcceptance()
{
    QFETCH(int, version);
    QFETCH(bool, accepted);
    QCOMPARE(isFirmwareAccepted(quint16(version)), accepted);
}

void TestIndicators::connectionSequence()
{
    const auto &groups = headerLampGroups();
    QCOMPARE(groups[0].lamps[0], "label_47");
    QCOMPARE(groups[0].lamps[1], "label_125");
    QCOMPARE(groups[0].lamps[2], "label_49");
    QCOMPARE(groups[1].lamps[0], "label_50");
    QCOMPARE(groups[2].lamps[2], "label_61");
    QCOMPARE(groups[3].lamps[0], "label_54");
    QCOMPARE(groups[3].lamps[1], "label_56");
    QCOMPARE(groups[3].lamps[2], "label_62");

    using L = HeaderLampLook;
    // Looks of groups A, B, C, Link at each step, then the step that follows.
    const struct
    {
        std::array<L, HeaderLampGroupCount> looks;
        int next;
        bool stops;
    } expected[] = {
        {{L::Running, L::Off, L::Off, L::Off}, 1, false},
        {{L::Off, L::Running, L::Off, L::Off}, 2, false},
        {{L::Off, L::Off, L::Running, L::Off}, 3, false},
        {{L::Off, L::Off, L::Off, L::Connected}, 0, true},
    };

    // Walk the sequence as the LED timer does: it ends after exactly four ticks.
    int step = 0;
    int ticks = 0;
    for (;;) {
        const std::optional<ConnectionStep> current = connectionStep(step);
        QVERIFY(current);
        QVERIFY(ticks < 4);
        for (int g = 0; g < HeaderLampGroupCount; ++g) {
            QCOMPARE(headerLampLook(*current, groups[g].group), expected[ticks].looks[g]);
        }
        QCOMPARE(current->nextStep, expected[ticks].next);
        QCOMPARE(current->stopsSequence, expected[ticks].stops);
        ++ticks;
        step = current->nextStep;
        if (current->stopsSequence) {
            break;
        }
    }
    QCOMPARE(ticks, 4);
    QCOMPARE(step, 0);
}

void TestIndicators::connectionSequenceIgnoresOtherSteps_data()
{
    QTest::addColumn<int>("step");
    QTest::newRow("-1") << -1;
    QTest::newRow("4") << 4;
    QTest::newRow("255") << 255;
}

void TestIndicators::connectionSequenceIgnoresOtherSteps()
{
    QFETCH(int, step);
    QVERIFY(!connectionStep(step));
}

QTEST_APPLESS_MAIN(TestIndicators)
#include "tst_indicators.moc"
