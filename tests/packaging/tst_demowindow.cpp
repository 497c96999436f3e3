// The window in the demo's set-up (the simulated base as the demo configures
// it, driver at the wheel), driven in-process: the live data reaches the
// gauges and a slider change reaches the base.
#include "gaugearc.h"
#include "gaugesimple.h"
#include "widgetharness.h"

#include <QLineEdit>
#include <QSet>
#include <QSlider>
#include <QToolButton>
#include <QtTest>

namespace {

const char *const kAxisGauges[] = {"progressBar",   "progressBar_2", "progressBar_3",
                                   "progressBar_4", "progressBar_5", "progressBar_6"};

// A whole feature report as the base receives it: the 11-byte record written
// out in hex, then zeros up to the base's feature-report length.
QByteArray featureReport(const char *recordHex, int length)
{
    QByteArray report = QByteArray::fromHex(recordHex);
    report.append(QByteArray(length - report.size(), '\0'));
    return report;
}

} // namespace

class TestDemoWindow : public QObject
{
    Q_OBJECT

private slots:
    void liveDataMovesTheGauges();
    void wheelPositionIsShownInDegrees();
    void injectedLiveReportReachesTheAxisGauges();
    void sliderChangeReachesTheBase();
};

void TestDemoWindow::liveDataMovesTheGauges()
{
    WidgetHarness harness;
    auto *wheel = harness.child<GaugeArc>("gaugeArc");
    QVERIFY(wheel);
    QList<GaugeSimple *> axes;
    for (const char *name : kAxisGauges) {
        axes.append(harness.child<GaugeSimple>(name));
        QVERIFY2(axes.last(), name);
    }

    // The driver steers and works the pedals: over a few seconds the wheel
    // gauge and every axis gauge take more than one value.
    QSet<int> wheelValues;
    QVector<QSet<int>> axisValues(axes.size());
    const bool moved = WidgetHarness::waitFor(
        [&] {
            wheelValues.insert(int(wheel->value()));
            bool allAxesMoved = true;
            for (int i = 0; i < axes.size(); ++i) {
                axisValues[i].insert(int(axes.at(i)->value()));
                allAxesMoved = allAxesMoved && axisValues.at(i).size() > 1;
            }
            return wheelValues.size() > 2 && allAxesMoved;
        },
        15000);
    QVERIFY2(moved, qPrintable(QStringLiteral("wheel took %1 values").arg(wheelValues.size())));
}

void TestDemoWindow::wheelPositionIsShownInDegrees()
{
    WidgetHarness harness;
    auto *wheel = harness.child<GaugeArc>("gaugeArc");
    QVERIFY(wheel);
    // The read-back tells the window the 900-degree range of the base.
    QVERIFY(harness.waitForFeature(QByteArray::fromHex("800301")).size() > 0);

    harness.base().setDriverActive(false);
    for (const double degrees : {123.0, -300.0}) {
        harness.base().setWheelAngle(degrees);
        const bool shown =
            WidgetHarness::waitFor([&] { return qAbs(wheel->value() - degrees) <= 1.0; }, 5000);
        QVERIFY2(shown, qPrintable(QStringLiteral("wheel at %1 degrees, gauge shows %2")
                                       .arg(degrees)
                                       .arg(wheel->value())));
    }
}

void TestDemoWindow::injectedLiveReportReachesTheAxisGauges()
{
    WidgetHarness harness;
    harness.base().setLiveRate(0);
    WidgetHarness::settle(100);

    // Axes X..RZ = 0x234, 0xAB1, 0x000, 0xFFF, 0x800, 0x07F, packed two per
    // three bytes, low nibble first; wheel at the centre, no buttons.
    harness.base().injectReport(QByteArray::fromHex("01FF7F3412AB00F0FF00F8070000000000000000"));
    const int expected[] = {0x234, 0xAB1, 0x000, 0xFFF, 0x800, 0x07F};
    for (int i = 0; i < 6; ++i) {
        auto *gauge = harness.child<GaugeSimple>(kAxisGauges[i]);
        QVERIFY(gauge);
        const bool shown =
            WidgetHarness::waitFor([&] { return int(gauge->value()) == expected[i]; }, 3000);
        QVERIFY2(shown, qPrintable(QStringLiteral("%1 shows %2, expected %3")
                                       .arg(QLatin1String(kAxisGauges[i]))
                                       .arg(gauge->value())
                                       .arg(expected[i])));
    }
}

void TestDemoWindow::sliderChangeReachesTheBase()
{
    WidgetHarness harness;
    sim::Settings stored;
    stored.angle = 900;
    stored.totalForce = -20;
    stored.filterFrequency = 1;
    stored.wheelSpring = 26;
    stored.wheelDamper = 59;
    stored.wheelSpeed = 91;
    stored.wheelFriction = 9;
    harness.base().loadSettings(stored);

    // The user reads the base's settings into the form ...
    auto *read = harness.child<QToolButton>("tbt_readdata");
    QVERIFY(read);
    QTest::mouseClick(read, Qt::LeftButton);
    auto *damping = harness.child<QLineEdit>("lineDamping");
    QVERIFY(damping);
    QVERIFY(WidgetHarness::waitFor([&] { return damping->text() == QLatin1String("59"); }, 5000));
    harness.clearFeatures();

    // ... and nudges WheelDamper one step up with the keyboard.
    auto *slider = harness.child<QSlider>("SliderDamping");
    QVERIFY(slider);
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    QCOMPARE(slider->value(), 60);

    const QByteArray sent = harness.waitForFeature(QByteArray::fromHex("8001"), 5000);
    const int length = int(harness.base().featureReportLength());
    QCOMPARE(sent.toHex(' '), featureReport("8001840300EC011A3C5B09", length).toHex(' '));
    QVERIFY(WidgetHarness::waitFor([&] { return harness.base().settings().wheelDamper == 60; }));
}

QTEST_MAIN(TestDemoWindow)
#include "tst_demowindow.moc"
