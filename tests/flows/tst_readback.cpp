// How the base's answers fill the form: one pass per burst, nothing echoed,
// the combos, the effect mask and the firmware check, through the real window
// against the simulated base.

#include "flowtestutil.h"

#include "gaugearc.h"
#include "usbevent.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSlider>
#include <QToolButton>
#include <QtTest>

using namespace flowtest;

namespace {

const char kRed[] = "image: url(://LedRed.png);";
const char kGreen[] = "image: url(://LedGreen.png);";
const char kGrey[] = "image: url(://LEDGrayG.png);";

// The six game parameters in the order of the effect-mask bits.
const char *const kGameFields[] = {"lineGamesconstant", "lineGamesSinOne",   "lineGamesJump",
                                   "lineGamesDamping",  "lineGamesFriction", "lineGamesInertia"};
const char *const kGameSliders[] = {"SliderGamesconstant", "SliderGamesSinOne",
                                    "SliderGamesJump",     "SliderGamesDamping",
                                    "SliderGamesFriction", "SliderGamesInertia"};

} // namespace

class TestReadBack : public QObject
{
    Q_OBJECT

private slots:
    void burstIsAppliedInOnePass();
    void readBackIsNotEchoed();
    void machineEchoFillsFieldsAndGauge();
    void modeEchoSelectsWithoutSending();
    void modeIndexOutsideTheItemsSelectsNothing();
    void effectMaskEnablesGameControls_data();
    void effectMaskEnablesGameControls();
    void disabledParameterIsStillSent();
    void firmwareCheck_data();
    void firmwareCheck();
    void shortReportsAreIgnored();
    void onlyTheNewestReportOfAKindCounts();
};

void TestReadBack::burstIsAppliedInOnePass()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));

    // Each kind's first visible effect, timed from the injection.
    QElapsedTimer clock;
    QList<qint64> applied;
    const auto stamp = [&] { applied << clock.elapsed(); };
    connect(harness.child<QLineEdit>("lineDamping"), &QLineEdit::textChanged, this, stamp);
    connect(harness.child<QLineEdit>("lineGamesSinOne"), &QLineEdit::textChanged, this, stamp);
    connect(harness.child<QComboBox>("colorComboBox_2"),
            QOverload<int>::of(&QComboBox::currentIndexChanged), this, stamp);
    connect(harness.widget(), &Widget::ServoVersion, this, stamp);

    clock.start();
    harness.base().injectReport(
        inputReport({0x80, 0x01, 0x84, 0x03, 0x00, 0x9C, 0x01, 0x00, 0x21, 0x00, 0x00}));
    harness.base().injectReport(
        inputReport({0x80, 0x02, 0x64, 0x96, 0x63, 0xBD, 0x64, 0x37, 0x00, 0x00, 0x00}));
    harness.base().injectReport(inputReport({0x80, 0x04, 0x00, 0x00, 0x01, 0x00}));
    harness.base().injectReport(statusReport(0x01FF, 0, 6001, 31));

    QVERIFY(WidgetHarness::waitFor([&] { return applied.size() >= 4; }));
    WidgetHarness::settle(200);
    QCOMPARE(applied.size(), 4);
    // 100 ms after the first report, all in the same pass.
    QVERIFY2(applied.first() >= 80, qPrintable(QString::number(applied.first())));
    QVERIFY2(applied.last() - applied.first() < 20,
             qPrintable(QString::number(applied.last() - applied.first())));
    QCOMPARE(harness.child<QLineEdit>("lineDamping")->text(), QStringLiteral("33"));
    QCOMPARE(harness.child<QLineEdit>("lineGamesSinOne")->text(), QStringLiteral("55"));
    QCOMPARE(harness.child<QComboBox>("colorComboBox_2")->currentIndex(), 1);
    QCOMPARE(harness.child<QLabel>("label_33")->text(), QStringLiteral("31"));
}

void TestReadBack::readBackIsNotEchoed()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));

    sim::Settings settings;
    settings.angle = 540;
    settings.wheelSpring = 70;
    settings.gameInertia = 12;
    settings.suspension = 2;
    harness.base().loadSettings(settings);
    harness.child<QToolButton>("tbt_readdata")->click();
    QVERIFY(WidgetHarness::waitFor(
        [&] { return harness.child<QSlider>("SliderGamesInertia")->value() == 12; }));
    QCOMPARE(harness.child<QLineEdit>("lineStreeingAngle")->text(), QStringLiteral("540"));
    QCOMPARE(harness.child<QSlider>("SliderJump")->value(), 70);
    QCOMPARE(harness.child<QComboBox>("colorComboBox")->currentIndex(), 2);

    WidgetHarness::settle(1200);
    const QList<QByteArray> sent = harness.features();
    QCOMPARE(sent.size(), 1); // the read request only
    QCOMPARE(sent.at(0).left(3), QByteArray::fromHex("80 03 01"));
    QVERIFY(harness.base().settings() == settings);
}

void TestReadBack::machineEchoFillsFieldsAndGauge()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));
    harness.child<QSlider>("SliderStreeingAngle")->setValue(300);
    WidgetHarness::settle(700);
    harness.clearFeatures();

    harness.base().injectReport(
        inputReport({0x80, 0x01, 0x84, 0x03, 0x00, 0xEC, 0x01, 0x1A, 0x3B, 0x5B, 0x09}));
    auto *angle = harness.child<QLineEdit>("lineStreeingAngle");
    QVERIFY(WidgetHarness::waitFor([&] { return angle->text() == QLatin1String("900"); }));
    QCOMPARE(harness.child<QSlider>("SliderStreeingAngle")->value(), 900);
    QCOMPARE(harness.child<QLineEdit>("lineGramFreeBack")->text(), QStringLiteral("-20"));
    QCOMPARE(harness.child<QSlider>("SliderGramFreeBack")->value(), -20);
    QCOMPARE(harness.child<QLineEdit>("lineGramFreeBack_Flider")->text(), QStringLiteral("1"));
    QCOMPARE(harness.child<QLineEdit>("lineJump")->text(), QStringLiteral("26"));
    QCOMPARE(harness.child<QLineEdit>("lineDamping")->text(), QStringLiteral("59"));
    QCOMPARE(harness.child<QLineEdit>("lineInertia")->text(), QStringLiteral("91"));
    QCOMPARE(harness.child<QLineEdit>("lineFriction")->text(), QStringLiteral("9"));
    auto *gauge = harness.child<GaugeArc>("gaugeArc");
    QCOMPARE(gauge->minValue(), -450.0);
    QCOMPARE(gauge->maxValue(), 450.0);

    WidgetHarness::settle(800);
    QVERIFY(harness.features().isEmpty());
}

void TestReadBack::modeEchoSelectsWithoutSending()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));
    auto *suspension = harness.child<QComboBox>("colorComboBox");
    QCOMPARE(suspension->currentIndex(), 0);

    harness.base().injectReport(inputReport({0x80, 0x04, 0x01, 0x00, 0x00, 0x00}));
    QVERIFY(WidgetHarness::waitFor([&] { return suspension->currentIndex() == 1; }));
    QCOMPARE(suspension->currentText(), QStringLiteral("Normal"));
    WidgetHarness::settle(300);
    QVERIFY(harness.features().isEmpty());
}

void TestReadBack::modeIndexOutsideTheItemsSelectsNothing()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));
    auto *response = harness.child<QComboBox>("colorComboBox_2");

    harness.base().injectReport(inputReport({0x80, 0x04, 0x00, 0x00, 0x07, 0x01}));
    QVERIFY(WidgetHarness::waitFor([&] { return response->currentIndex() == -1; }));
    WidgetHarness::settle(300);
    QVERIFY(harness.features().isEmpty());
}

void TestReadBack::effectMaskEnablesGameControls_data()
{
    QTest::addColumn<int>("mask");
    // In mask order: ConstantForce, PeriodForce, GameSpring, GameDamper,
    // GameFriction, GameInertia.
    QTest::addColumn<QVector<bool>>("enabled");
    using V = QVector<bool>;
    QTest::newRow("none") << 0x0000 << V{false, false, false, false, false, false};
    QTest::newRow("constant") << 0x0001 << V{true, false, false, false, false, false};
    QTest::newRow("periodic 0x02") << 0x0002 << V{false, true, false, false, false, false};
    QTest::newRow("periodic 0x40") << 0x0040 << V{false, true, false, false, false, false};
    QTest::newRow("periodic 0x80") << 0x0080 << V{false, true, false, false, false, false};
    QTest::newRow("periodic 0x100") << 0x0100 << V{false, true, false, false, false, false};
    QTest::newRow("spring") << 0x0004 << V{false, false, true, false, false, false};
    QTest::newRow("damper") << 0x0008 << V{false, false, false, true, false, false};
    QTest::newRow("friction") << 0x0010 << V{false, false, false, false, true, false};
    QTest::newRow("inertia") << 0x0020 << V{false, false, false, false, false, true};
    QTest::newRow("unused high bits") << 0xFE00 << V{false, false, false, false, false, false};
    QTest::newRow("all") << 0x01FF << V{true, true, true, true, true, true};
}

void TestReadBack::effectMaskEnablesGameControls()
{
    QFETCH(int, mask);
    QFETCH(QVector<bool>, enabled);
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));

    harness.base().injectReport(statusReport(mask, 0, 6002, 24));
    QVERIFY(WidgetHarness::waitFor(
        [&] { return harness.child<QLabel>("label_16")->text() == QLatin1String("6002"); }));
    for (int j = 0; j < 6; ++j) {
        QCOMPARE(harness.child<QLineEdit>(kGameFields[j])->isEnabled(), enabled.at(j));
        QCOMPARE(harness.child<QSlider>(kGameSliders[j])->isEnabled(), enabled.at(j));
    }
    // The machine controls do not depend on it.
    QVERIFY(harness.child<QSlider>("SliderDamping")->isEnabled());
}

void TestReadBack::disabledParameterIsStillSent()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));
    harness.base().injectReport(statusReport(0, 0, 6002, 24));
    QVERIFY(WidgetHarness::waitFor(
        [&] { return !harness.child<QSlider>("SliderGamesSinOne")->isEnabled(); }));

    harness.child<QSlider>("SliderGamesJump")->setValue(17);
    const QByteArray game = harness.waitForFeature(kGamePrefix, 3000);
    QCOMPARE(game.left(11), QByteArray::fromHex("80 02 11 96 63 BD 64 C8 00 00 00"));
}

void TestReadBack::firmwareCheck_data()
{
    QTest::addColumn<int>("firmware");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("4999") << 4999 << false;
    QTest::newRow("0") << 0 << false;
    QTest::newRow("5000") << 5000 << true;
    QTest::newRow("65535") << 65535 << true;
}

void TestReadBack::firmwareCheck()
{
    QFETCH(int, firmware);
    QFETCH(bool, accepted);
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));
    QVERIFY(harness.widget()->deviceFound());

    // Status code 5 and 30 V in the same report.
    harness.base().injectReport(statusReport(0x01FF, 5, firmware, 30));
    auto *voltage = harness.child<QLabel>("label_33");
    QVERIFY(WidgetHarness::waitFor([&] { return voltage->text() == QLatin1String("30"); }));
    QCOMPARE(harness.widget()->deviceFound(), accepted);
    QCOMPARE(harness.child<QLabel>("label_16")->text(),
             accepted ? QString::number(firmware) : QStringLiteral("0"));
    for (int lamp = 1; lamp <= 9; ++lamp) {
        const QString name = QStringLiteral("imagePilot%1").arg(lamp);
        QCOMPARE(harness.widget()->findChild<QLabel *>(name)->styleSheet(),
                 QString::fromLatin1(lamp == 6 ? kRed : kGrey));
    }

    // A dropped link sends nothing any more.
    harness.child<QToolButton>("toolButton_3")->click();
    WidgetHarness::settle(100);
    QCOMPARE(harness.features().size(), accepted ? 1 : 0);
}

void TestReadBack::shortReportsAreIgnored()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));
    auto *angle = harness.child<QLineEdit>("lineStreeingAngle");

    // The reader always hands on whole reports; one cut before the fields it
    // carries must still not be read past its end.
    QCoreApplication::postEvent(harness.widget(),
                                new USBEvent(QByteArray::fromHex("80 01 10 02 00 00 00")));
    QCoreApplication::postEvent(harness.widget(),
                                new USBEvent(QByteArray::fromHex("80 0A FF 01 03")));
    QCoreApplication::postEvent(harness.widget(), new USBEvent(QByteArray::fromHex("80 05 AA")));
    WidgetHarness::settle(400);
    QCOMPARE(angle->text(), QStringLiteral("900"));
    QCOMPARE(harness.child<QLabel>("label_16")->text(), QString::fromLatin1(kSimFirmwareText));
    QCOMPARE(harness.child<QLabel>("imagePilot1")->styleSheet(), QString::fromLatin1(kGreen));
    QVERIFY(harness.features().isEmpty());

    // The window still takes the next full report.
    harness.base().injectReport(
        inputReport({0x80, 0x01, 0x10, 0x02, 0x00, 0x9C, 0x01, 0x00, 0x00, 0x00, 0x00}));
    QVERIFY(WidgetHarness::waitFor([&] { return angle->text() == QLatin1String("528"); }));
}

void TestReadBack::onlyTheNewestReportOfAKindCounts()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));

    harness.base().injectReport(statusReport(0x01FF, 3, 6003, 20));
    harness.base().injectReport(statusReport(0x01FF, 0, 6004, 21));
    QVERIFY(WidgetHarness::waitFor(
        [&] { return harness.child<QLabel>("label_16")->text() == QLatin1String("6004"); }));
    QCOMPARE(harness.child<QLabel>("label_33")->text(), QStringLiteral("21"));
    QCOMPARE(harness.child<QLabel>("imagePilot4")->styleSheet(), QString::fromLatin1(kGrey));
    QCOMPARE(harness.child<QLabel>("imagePilot1")->styleSheet(), QString::fromLatin1(kGreen));
}

QTEST_MAIN(TestReadBack)
#include "tst_readback.moc"
