// When the window sends what to the base: the debounced slider sends, Enter,
// Center, the combos, the read and factory-reset buttons, all through the real
// window against the simulated base.

#include "flowtestutil.h"

#include "roundcircle.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSlider>
#include <QStackedWidget>
#include <QToolButton>
#include <QtTest>

using namespace flowtest;

namespace {

// Machine settings as the current fields give them, for the defaults the
// simulated base reports at start: angle 900 (84 03), force -100 (9C),
// filter 1, the four wheel values 0.
QByteArray machineDefaults(int center)
{
    QByteArray report = QByteArray::fromHex("80 01 84 03 00 9C 01 00 00 00 00");
    report[4] = char(center);
    return report;
}

} // namespace

class TestWriteFlow : public QObject
{
    Q_OBJECT

private slots:
    void sliderMovesWithinTheDebounceSendOnce();
    void arrowKeysOnASliderSendTheLastValue();
    void typedValueWaitsForEnter();
    void enterSendsOnlyTheDisarmedGroups();
    void enterOnOtherPagesSendsNothing_data();
    void enterOnOtherPagesSendsNothing();
    void centerSendsTheCommandOnce();
    void centerWithoutBaseSendsNothing();
    void settingASliderToItsValueSendsNothing();
    void readButtonSendsTheReadRequest();
    void comboChoiceSendsTheModeReport();
    void factoryResetShowsTheIndicatorUntilAcknowledged();
    void factoryResetIgnoresOtherReplies();
    void factoryResetWithoutBase();
};

void TestWriteFlow::sliderMovesWithinTheDebounceSendOnce()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));
    auto *slider = harness.child<QSlider>("SliderDamping");

    slider->setValue(10);
    WidgetHarness::settle(200);
    slider->setValue(20);
    WidgetHarness::settle(200);
    QVERIFY(withPrefix(harness.features(), kMachinePrefix).isEmpty());
    slider->setValue(30);
    QElapsedTimer clock;
    clock.start();

    const QByteArray sent = harness.waitForFeature(kMachinePrefix, 3000);
    const qint64 after = clock.elapsed();
    QVERIFY(!sent.isEmpty());
    QVERIFY2(after >= 400 && after <= 1000, qPrintable(QString::number(after)));
    QCOMPARE(byteAt(sent, 8), 30);

    WidgetHarness::settle(1200);
    QCOMPARE(withPrefix(harness.features(), kMachinePrefix).size(), 1);
    QVERIFY(withPrefix(harness.features(), kGamePrefix).isEmpty());
}

void TestWriteFlow::arrowKeysOnASliderSendTheLastValue()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));
    auto *slider = harness.child<QSlider>("SliderJump");
    auto *field = harness.child<QLineEdit>("lineJump");
    QCOMPARE(slider->value(), 0);

    QTest::keyClick(slider, Qt::Key_Right);
    QCOMPARE(field->text(), QStringLiteral("1"));
    QTest::keyClick(slider, Qt::Key_Right);
    QCOMPARE(field->text(), QStringLiteral("2"));

    const QByteArray sent = harness.waitForFeature(kMachinePrefix, 3000);
    QCOMPARE(sent.left(11), QByteArray::fromHex("80 01 84 03 00 9C 01 02 00 00 00"));
    WidgetHarness::settle(1000);
    QCOMPARE(withPrefix(harness.features(), kMachinePrefix).size(), 1);
}

void TestWriteFlow::typedValueWaitsForEnter()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));
    auto *field = harness.child<QLineEdit>("lineJump");

    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("25"));
    QCOMPARE(harness.child<QSlider>("SliderJump")->value(), 25);
    WidgetHarness::settle(1200);
    QVERIFY(harness.features().isEmpty());

    // Both groups were left disarmed by the start-up read-back: Enter sends
    // both reports, the game values as the base reported them.
    QTest::keyClick(field, Qt::Key_Return);
    const QList<QByteArray> sent = harness.features();
    QCOMPARE(sent.size(), 2);
    QCOMPARE(sent.at(0).left(11), QByteArray::fromHex("80 01 84 03 00 9C 01 19 00 00 00"));
    QCOMPARE(sent.at(1).left(11), QByteArray::fromHex("80 02 64 96 63 BD 64 C8 00 00 00"));
    QCOMPARE(sent.at(0).size(), int(harness.base().featureReportLength()));

    WidgetHarness::settle(1000);
    QCOMPARE(harness.features().size(), 2);
}

void TestWriteFlow::enterSendsOnlyTheDisarmedGroups()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));

    // A game slider arms its group and starts its timer.
    harness.child<QSlider>("SliderGamesDamping")->setValue(120);
    auto *field = harness.child<QLineEdit>("lineDamping");
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("7"));
    QTest::keyClick(field, Qt::Key_Return);

    QList<QByteArray> sent = harness.features();
    QCOMPARE(sent.size(), 1);
    QCOMPARE(byteAt(sent.at(0), 1), 0x01);
    QCOMPARE(byteAt(sent.at(0), 8), 7);

    // The game report follows from its timer, once.
    const QByteArray game = harness.waitForFeature(kGamePrefix, 3000);
    QCOMPARE(byteAt(game, 3), 120);
    WidgetHarness::settle(1000);
    sent = harness.features();
    QCOMPARE(withPrefix(sent, kGamePrefix).size(), 1);
    QCOMPARE(withPrefix(sent, kMachinePrefix).size(), 1);

    // Both armed now: Enter sends nothing.
    harness.clearFeatures();
    QTest::keyClick(field, Qt::Key_Return);
    WidgetHarness::settle(700);
    QVERIFY(harness.features().isEmpty());
}

void TestWriteFlow::enterOnOtherPagesSendsNothing_data()
{
    QTest::addColumn<int>("page");
    QTest::newRow("calibration") << 1;
    QTest::newRow("status") << 2;
}

void TestWriteFlow::enterOnOtherPagesSendsNothing()
{
    QFETCH(int, page);
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));

    harness.child<QStackedWidget>("stackedWidget")->setCurrentIndex(page);
    QTest::keyClick(harness.widget(), Qt::Key_Return);
    QTest::keyClick(harness.widget(), Qt::Key_Enter);
    WidgetHarness::settle(700);
    QVERIFY(harness.features().isEmpty());

    // The same keys on the settings page do send.
    harness.child<QStackedWidget>("stackedWidget")->setCurrentIndex(0);
    QTest::keyClick(harness.widget(), Qt::Key_Enter);
    QCOMPARE(harness.features().size(), 2);
}

void TestWriteFlow::centerSendsTheCommandOnce()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));

    harness.child<QToolButton>("toolButton_3")->click();
    QCOMPARE(harness.features().size(), 1);
    QCOMPARE(harness.waitForFeature(kMachinePrefix, 0).left(11), machineDefaults(0x2D));

    harness.child<QSlider>("SliderFriction")->setValue(4);
    const QByteArray next = harness.waitForFeature(kMachinePrefix, 3000);
    QCOMPARE(next.left(11), QByteArray::fromHex("80 01 84 03 00 9C 01 00 00 00 04"));
    WidgetHarness::settle(800);
    QCOMPARE(harness.features().size(), 2);
}

void TestWriteFlow::centerWithoutBaseSendsNothing()
{
    WidgetHarness::Options options = quietBase();
    options.plugged = false;
    WidgetHarness harness(options);

    harness.child<QToolButton>("toolButton_3")->click();
    WidgetHarness::settle(300);
    QVERIFY(harness.base().featureLog().isEmpty());

    // Once the base is there, the next machine report carries no Center.
    harness.base().plug();
    QVERIFY(WidgetHarness::waitFor([&] { return harness.widget()->deviceFound(); }));
    QVERIFY(settleStartUp(harness));
    harness.child<QSlider>("SliderFriction")->setValue(9);
    const QByteArray next = harness.waitForFeature(kMachinePrefix, 3000);
    QCOMPARE(byteAt(next, 4), 0);
    QCOMPARE(byteAt(next, 10), 9);
}

void TestWriteFlow::settingASliderToItsValueSendsNothing()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));

    for (const char *name : {"SliderStreeingAngle", "SliderGramFreeBack", "SliderGamesJump"}) {
        auto *slider = harness.child<QSlider>(name);
        slider->setValue(slider->value());
    }
    WidgetHarness::settle(1000);
    QVERIFY(harness.features().isEmpty());

    // A new value does go out, once per group.
    harness.child<QSlider>("SliderGramFreeBack")->setValue(-20);
    harness.child<QSlider>("SliderGamesJump")->setValue(50);
    QVERIFY(!harness.waitForFeature(kMachinePrefix, 3000).isEmpty());
    WidgetHarness::settle(800);
    const QList<QByteArray> sent = harness.features();
    QCOMPARE(withPrefix(sent, kMachinePrefix).size(), 1);
    QCOMPARE(byteAt(withPrefix(sent, kMachinePrefix).at(0), 5), 0xEC);
    QCOMPARE(withPrefix(sent, kGamePrefix).size(), 1);
    QCOMPARE(byteAt(withPrefix(sent, kGamePrefix).at(0), 2), 50);
}

void TestWriteFlow::readButtonSendsTheReadRequest()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));

    harness.child<QToolButton>("tbt_readdata")->click();
    const QList<QByteArray> sent = harness.features();
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent.at(0).left(11), QByteArray::fromHex("80 03 01 00 00 00 00 00 00 00 00"));

    // The answer fills the form and is not sent back.
    QVERIFY(WidgetHarness::waitFor([&] { return harness.base().statusReportsSent() >= 2; }));
    WidgetHarness::settle(1000);
    QCOMPARE(harness.features().size(), 1);
}

void TestWriteFlow::comboChoiceSendsTheModeReport()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));

    // The start-up read-back of the mode report armed the combos.
    harness.child<QComboBox>("colorComboBox")->setCurrentIndex(2);
    QList<QByteArray> sent = harness.features();
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent.at(0).left(11), QByteArray::fromHex("80 04 02 00 00 00 00 00 00 00 00"));

    harness.child<QComboBox>("colorComboBox_2")->setCurrentIndex(1);
    sent = harness.features();
    QCOMPARE(sent.size(), 2);
    QCOMPARE(sent.at(1).left(11), QByteArray::fromHex("80 04 02 00 01 00 00 00 00 00 00"));
}

void TestWriteFlow::factoryResetShowsTheIndicatorUntilAcknowledged()
{
    WidgetHarness::Options options = quietBase();
    options.config.factoryResetDelayMs = 300;
    WidgetHarness harness(options);
    QVERIFY(settleStartUp(harness));
    auto *wait = harness.child<RoundCircle>("Factory_wait");
    QVERIFY(wait->isHidden());

    harness.child<QToolButton>("tbt_original_state")->click();
    QCOMPARE(harness.features().value(0).left(11),
             QByteArray::fromHex("80 05 55 55 00 00 00 00 00 00 00"));
    QVERIFY(!wait->isHidden());

    // The acknowledgement 80 05 AA AA hides it and asks for the new settings.
    const QByteArray read = harness.waitForFeature(kReadStorePrefix, 3000);
    QCOMPARE(read.left(4), QByteArray::fromHex("80 03 01 00"));
    QVERIFY(wait->isHidden());
}

void TestWriteFlow::factoryResetIgnoresOtherReplies()
{
    WidgetHarness::Options options = quietBase();
    options.config.factoryResetDelayMs = 60000;
    WidgetHarness harness(options);
    QVERIFY(settleStartUp(harness));
    auto *wait = harness.child<RoundCircle>("Factory_wait");

    harness.child<QToolButton>("tbt_original_state")->click();
    QVERIFY(!wait->isHidden());
    harness.base().injectReport(inputReport({0x80, 0x05, 0xAA, 0x00}));
    harness.base().injectReport(inputReport({0x80, 0x05, 0x00, 0xAA}));
    WidgetHarness::settle(500);
    QVERIFY(!wait->isHidden());
    QCOMPARE(harness.features().size(), 1);

    harness.base().injectReport(inputReport({0x80, 0x05, 0xAA, 0xAA}));
    QVERIFY(WidgetHarness::waitFor([&] { return wait->isHidden(); }));
    QCOMPARE(harness.waitForFeature(kReadStorePrefix, 3000).left(4),
             QByteArray::fromHex("80 03 01 00"));
}

void TestWriteFlow::factoryResetWithoutBase()
{
    WidgetHarness::Options options = quietBase();
    options.plugged = false;
    WidgetHarness harness(options);

    harness.child<QToolButton>("tbt_original_state")->click();
    WidgetHarness::settle(200);
    QVERIFY(harness.base().featureLog().isEmpty());
    QVERIFY(harness.child<RoundCircle>("Factory_wait")->isHidden());
}

QTEST_MAIN(TestWriteFlow)
#include "tst_writeflow.moc"
