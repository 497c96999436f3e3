// The window in the demo's set-up (the simulated base as the demo configures it, driver at the
// wheel), driven in-process: the live data moves the wheel gauge and every axis gauge.
#include "gaugearc.h"
#include "gaugesimple.h"
#include "widgetharness.h"

#include <QSet>
#include <QtTest>

namespace {

const char *const kAxisGauges[] = {"progressBar",   "progressBar_2", "progressBar_3",
                                   "progressBar_4", "progressBar_5", "progressBar_6"};

} // namespace

class TestDemoWindow : public QObject
{
    Q_OBJECT

private slots:
    void liveDataMovesTheGauges();
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

QTEST_MAIN(TestDemoWindow)
#include "tst_demowindow.moc"
