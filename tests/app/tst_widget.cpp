// The assembled window against the simulated wheel base: the state after construction and the
// device link as the window sees it (discovery, removal, the send path after a refusal, which
// reports start the read-back).
#include "usbevent.h"
#include "usbthread.h"
#include "widgetharness.h"

#include <QLabel>
#include <QTimer>
#include <QtTest>

namespace {

const QByteArray kReadRequest = QByteArray::fromHex("800301");

// The timer of `intervalMs` of the window or its session (read-back 100 ms, live display 50 ms,
// lamps 1000 ms).
QTimer *timer(QWidget *window, int intervalMs)
{
    for (QTimer *t : window->findChildren<QTimer *>()) {
        if (t->interval() == intervalMs)
            return t;
    }
    return nullptr;
}

WidgetHarness::Options quiet(bool plugged = true)
{
    WidgetHarness::Options options;
    options.config.liveRateHz = 0;
    options.config.statusIntervalMs = 0;
    options.plugged = plugged;
    return options;
}

} // namespace

class TestWidget : public QObject
{
    Q_OBJECT

private slots:
    void startsWithOneReadRequestAndOneReader_data();
    void startsWithOneReadRequestAndOneReader();
    void onlyTheMatchingProductIsOpened();
    void refusalAndRemoval();
    void reportFilingStartsTheReadBackTimer();
};

void TestWidget::startsWithOneReadRequestAndOneReader_data()
{
    QTest::addColumn<bool>("plugged");
    QTest::newRow("base present") << true;
    QTest::newRow("no base") << false;
}

void TestWidget::startsWithOneReadRequestAndOneReader()
{
    QFETCH(bool, plugged);
    WidgetHarness harness(quiet(plugged));
    Widget *w = harness.widget();
    QCOMPARE(w->deviceFound(), plugged);
    QCOMPARE(timer(w, 50)->isActive(), plugged);
    QVERIFY(w->currentReader() && w->currentReader()->isRunning());
    QCOMPARE(USBThread::runningCount(), 1);
    // The settings request goes out once, at the base's feature length.
    const QByteArray expected = kReadRequest.leftJustified(64, '\0');
    QCOMPARE(harness.features(), plugged ? QList<QByteArray>{expected} : QList<QByteArray>{});
}

// Another product of the same maker, enumerated first and arriving again, is never opened;
// its removal does not touch the link. (A second node of the base is the link tests' case.)
void TestWidget::onlyTheMatchingProductIsOpened()
{
    std::shared_ptr<sim::SimWheelBase> decoy;
    WidgetHarness::Options options = quiet(false);
    options.prepare = [&](sim::SimPlatform &platform) {
        sim::SimConfig config = quiet().config;
        config.productId = 0x1234;
        config.path = sim::simDevicePath(0x0483, 0x1234, 1);
        decoy = platform.addDevice(config);
    };
    WidgetHarness harness(options);
    Widget *w = harness.widget();
    decoy->unplug();
    decoy->plug();
    QCoreApplication::processEvents(); // delivers the hot-plug notices
    QVERIFY(!w->deviceFound());
    harness.base().plug();
    QVERIFY(harness.waitFor([&] { return w->deviceFound(); }));
    decoy->unplug();
    QCoreApplication::processEvents();
    QVERIFY(w->deviceFound());
    QVERIFY(!harness.waitForFeature(kReadRequest).isEmpty());
    QCOMPARE(harness.features().size(), 1);
    QVERIFY(decoy->featureLog().isEmpty());
}

// A refused send blocks the link; a removal clears what the base showed, stops the timers and
// the reader; the next arrival opens the link again.
void TestWidget::refusalAndRemoval()
{
    WidgetHarness harness(quiet());
    Widget *w = harness.widget();
    harness.base().refuseFeatureReports(1);
    QCOMPARE(w->SendDataToUsb(kReadRequest), 0);
    const int logged = harness.base().featureLog().size();
    QCOMPARE(w->SendDataToUsb(kReadRequest), -1);
    QCOMPARE(harness.base().featureLog().size(), logged);

    harness.child<QLabel>("label_16")->setText(QStringLiteral("6001"));
    harness.base().unplug();
    QVERIFY(harness.waitFor([&] { return !w->deviceFound(); }));
    for (int interval : {50, 100, 1000})
        QVERIFY2(!timer(w, interval)->isActive(), qPrintable(QString::number(interval)));
    QCOMPARE(harness.child<QLabel>("label_16")->text(), QStringLiteral("0"));
    QVERIFY(harness.waitFor([] { return USBThread::runningCount() == 0; }));
    harness.base().plug();
    QVERIFY(harness.waitFor([&] { return w->deviceFound(); }));
    QCOMPARE(w->SendDataToUsb(kReadRequest), 1);
}

void TestWidget::reportFilingStartsTheReadBackTimer()
{
    // No base, so nothing but the posted reports reaches the window.
    WidgetHarness harness(quiet(false));
    Widget *w = harness.widget();
    QTimer *readBack = timer(w, 100);
    for (const char *row : {"01-", "8003+", "42-", "8001+"}) {
        const QByteArray report =
            QByteArray::fromHex(QByteArray(row).chopped(1)).leftJustified(20, '\0');
        QCoreApplication::postEvent(w->session(), new USBEvent(report));
        QCoreApplication::sendPostedEvents(w->session());
        QVERIFY2(readBack->isActive() == (row[qstrlen(row) - 1] == '+'), row);
        readBack->stop();
    }
}

QTEST_MAIN(TestWidget)
#include "tst_widget.moc"
