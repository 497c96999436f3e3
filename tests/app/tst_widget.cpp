// The assembled window against the simulated wheel base: the state after
// construction, the validators, shutdown, and the device link as the window
// sees it (discovery, arrival, removal, plug cycles, the send path).
#include "usbevent.h"
#include "usbthread.h"
#include "widgetharness.h"

#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTimer>
#include <QValidator>
#include <QtTest>

#include <memory>

namespace {

const QByteArray kReadRequest = QByteArray::fromHex("800301");
const QString kGreyLinkLamp = QStringLiteral("image: url(://LedGrayThree.png);");

// The window's timers, found by their intervals (each interval is used once,
// except the two 500 ms send debouncers).
QList<QTimer *> timersWithInterval(QWidget *window, int intervalMs)
{
    QList<QTimer *> found;
    for (QTimer *timer : window->findChildren<QTimer *>(QString(), Qt::FindDirectChildrenOnly))
        if (timer->interval() == intervalMs)
            found.append(timer);
    return found;
}

bool timerActive(QWidget *window, int intervalMs)
{
    const QList<QTimer *> timers = timersWithInterval(window, intervalMs);
    return std::any_of(timers.begin(), timers.end(), [](QTimer *t) { return t->isActive(); });
}

int countStartingWith(const QList<QByteArray> &reports, const QByteArray &prefix)
{
    return int(std::count_if(reports.begin(), reports.end(),
                             [&](const QByteArray &r) { return r.startsWith(prefix); }));
}

WidgetHarness::Options quietOptions()
{
    WidgetHarness::Options options;
    options.config.liveRateHz = 0;
    options.config.statusIntervalMs = 0;
    return options;
}

sim::SimConfig otherDevice(int productId, int index)
{
    sim::SimConfig config;
    config.productId = productId;
    config.path = sim::simDevicePath(0x0483, productId, index);
    config.liveRateHz = 0;
    config.statusIntervalMs = 0;
    return config;
}

} // namespace

class TestWidget : public QObject
{
    Q_OBJECT

private slots:
    void constructedWithBase();
    void constructedWithoutBase();
    void validatorsRefuseOutOfRangeText_data();
    void validatorsRefuseOutOfRangeText();
    void escapeEndsTheLoopAndTheReader();
    void onlyTheMatchingProductIsOpened();
    void plugInWhileRunning();
    void unplugGreysEverythingAndRefusesSends();
    void removalOfAnotherDeviceKeepsTheLink();
    void hundredPlugCyclesLeaveOneReader();
    void reportFilingStartsTheReadBackTimer();
    void sendsUseTheFeatureLengthAndStopAfterARefusal();
};

void TestWidget::constructedWithBase()
{
    WidgetHarness harness(quietOptions());
    Widget *w = harness.widget();
    QVERIFY(w->deviceFound());
    QCOMPARE(harness.child<QStackedWidget>("stackedWidget")->currentIndex(), 0);
    QVERIFY(timerActive(w, 50));
    QVERIFY(timerActive(w, 1000));
    QVERIFY(!timerActive(w, 100));
    QCOMPARE(timersWithInterval(w, 500).size(), 2);
    QVERIFY(!timerActive(w, 500));
    QVERIFY(w->currentReader() && w->currentReader()->isRunning());
    QCOMPARE(USBThread::runningCount(), 1);
    QVERIFY(w->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(w->minimumSize(), QSize(1200, 675));
    QCOMPARE(w->maximumSize(), QSize(1200, 675));

    // Exactly one settings request went out, at the device's feature length.
    const QList<QByteArray> sent = harness.features();
    QCOMPARE(countStartingWith(sent, kReadRequest), 1);
    QByteArray expected = QByteArray::fromHex("8003010000000000000000");
    expected.append(QByteArray(64 - expected.size(), '\0'));
    QCOMPARE(sent.first(), expected);
}

void TestWidget::constructedWithoutBase()
{
    WidgetHarness::Options options = quietOptions();
    options.plugged = false;
    WidgetHarness harness(options);
    Widget *w = harness.widget();
    QVERIFY(!w->deviceFound());
    QCOMPARE(harness.child<QStackedWidget>("stackedWidget")->currentIndex(), 0);
    // Nothing to show yet: the live display waits for the base's arrival.
    QVERIFY(!timerActive(w, 50));
    QVERIFY(!timerActive(w, 1000));
    for (const char *lamp : {"label_54", "label_56", "label_62"})
        QCOMPARE(harness.child<QLabel>(lamp)->styleSheet(), kGreyLinkLamp);
    // The reader exists and idles.
    QVERIFY(w->currentReader() && w->currentReader()->isRunning());
    QVERIFY(harness.features().isEmpty());
    QCOMPARE(w->SendDataToUsb(QByteArray::fromHex("800301")), -1);
}

void TestWidget::validatorsRefuseOutOfRangeText_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("acceptable");
    QTest::newRow("angle 1601") << "lineStreeingAngle"
                                << "1601" << false;
    QTest::newRow("angle 1600") << "lineStreeingAngle"
                                << "1600" << true;
    QTest::newRow("total force -101") << "lineGramFreeBack"
                                      << "-101" << false;
    QTest::newRow("total force -100") << "lineGramFreeBack"
                                      << "-100" << true;
    QTest::newRow("game 201") << "lineGamesJump"
                              << "201" << false;
    QTest::newRow("game 200") << "lineGamesSinThree"
                              << "200" << true;
    QTest::newRow("wheel 101") << "lineFriction"
                               << "101" << false;
    QTest::newRow("limit 4096") << "lineFriction_2"
                                << "4096" << false;
    QTest::newRow("limit 4095") << "lineFriction_13"
                                << "4095" << true;
}

void TestWidget::validatorsRefuseOutOfRangeText()
{
    QFETCH(QString, edit);
    QFETCH(QString, text);
    QFETCH(bool, acceptable);
    WidgetHarness harness(quietOptions());
    auto *line = harness.widget()->findChild<QLineEdit *>(edit);
    QVERIFY(line && line->validator());
    int position = 0;
    QString input = text;
    QCOMPARE(line->validator()->validate(input, position) == QValidator::Acceptable, acceptable);

    // A field whose text is not acceptable does not emit returnPressed(). (A
    // bound field corrects out-of-range text through its slider at once, so
    // this part only applies where the text stays as typed.)
    line->setText(text);
    if (line->text() != text)
        return;
    QSignalSpy returns(line, &QLineEdit::returnPressed);
    QTest::keyClick(line, Qt::Key_Return);
    QCOMPARE(returns.count(), acceptable ? 1 : 0);
}

void TestWidget::escapeEndsTheLoopAndTheReader()
{
    auto harness = std::make_unique<WidgetHarness>();
    Widget *w = harness->widget();
    QVERIFY(harness->waitFor([&] { return harness->base().liveReportsSent() > 10; }));
    QTimer::singleShot(50, w, [w] { QTest::keyClick(w, Qt::Key_Escape); });
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(5000);
    QCOMPARE(QCoreApplication::exec(), 0);
    QElapsedTimer clock;
    clock.start();
    harness.reset();
    QCOMPARE(USBThread::runningCount(), 0);
    QVERIFY2(clock.elapsed() < 2000, "tearing the window down took too long");
}

void TestWidget::onlyTheMatchingProductIsOpened()
{
    std::shared_ptr<sim::SimWheelBase> decoy;
    WidgetHarness::Options options = quietOptions();
    options.prepare = [&](sim::SimPlatform &platform) {
        // The decoy is enumerated first.
        decoy = platform.addDevice(otherDevice(0x1234, 1));
    };
    WidgetHarness harness(options);
    QVERIFY(harness.widget()->deviceFound());
    QCOMPARE(countStartingWith(harness.features(), kReadRequest), 1);
    QVERIFY(decoy->featureLog().isEmpty());
}

void TestWidget::plugInWhileRunning()
{
    WidgetHarness::Options options = quietOptions();
    options.plugged = false;
    std::shared_ptr<sim::SimWheelBase> twin;
    options.prepare = [&](sim::SimPlatform &platform) {
        twin = platform.addDevice(otherDevice(0x0522, 7));
        twin->unplug();
    };
    WidgetHarness harness(options);
    Widget *w = harness.widget();
    QVERIFY(!w->deviceFound());

    harness.base().plug();
    QVERIFY(harness.waitFor([&] { return w->deviceFound(); }));
    QVERIFY(!harness.waitForFeature(kReadRequest).isEmpty());
    QVERIFY(timerActive(w, 1000));
    QVERIFY(timerActive(w, 50));
    QCOMPARE(USBThread::runningCount(), 1);
    USBThread *reader = w->currentReader();

    // A further matching arrival while latched is only logged.
    twin->plug();
    harness.settle(200);
    QCOMPARE(w->currentReader(), reader);
    QCOMPARE(countStartingWith(harness.features(), kReadRequest), 1);
    QVERIFY(twin->featureLog().isEmpty());
}

void TestWidget::unplugGreysEverythingAndRefusesSends()
{
    WidgetHarness::Options options;
    options.config.statusIntervalMs = 0;
    WidgetHarness harness(options);
    Widget *w = harness.widget();
    harness.child<QLabel>("label_16")->setText(QStringLiteral("6001"));

    harness.base().unplug();
    QVERIFY(harness.waitFor([&] { return !w->deviceFound(); }));
    QVERIFY(!timerActive(w, 50));
    QVERIFY(!timerActive(w, 100));
    QVERIFY(!timerActive(w, 1000));
    QCOMPARE(harness.child<QLabel>("label_16")->text(), QStringLiteral("0"));
    QCOMPARE(harness.child<QLabel>("label_33")->text(), QStringLiteral("0"));
    for (const char *lamp : {"label_54", "label_56", "label_62"})
        QCOMPARE(harness.child<QLabel>(lamp)->styleSheet(), kGreyLinkLamp);
    const QString greyLed =
        QStringLiteral("color: rgb(255, 255, 255);image: url(://LEDGrayG.png);");
    QCOMPARE(harness.child<QLabel>("led_1")->styleSheet(), greyLed);
    QCOMPARE(harness.child<QLabel>("led_112")->styleSheet(), greyLed);
    QCOMPARE(harness.child<QLabel>("imagePilot9")->styleSheet(), greyLed);
    QCOMPARE(w->SendDataToUsb(kReadRequest), -1);
    QVERIFY(harness.waitFor([] { return USBThread::runningCount() == 0; }));
}

void TestWidget::removalOfAnotherDeviceKeepsTheLink()
{
    std::shared_ptr<sim::SimWheelBase> decoy;
    WidgetHarness::Options options = quietOptions();
    options.prepare = [&](sim::SimPlatform &platform) {
        decoy = platform.addDevice(otherDevice(0x1234, 1));
    };
    WidgetHarness harness(options);
    Widget *w = harness.widget();
    decoy->unplug();
    harness.settle(200);
    QVERIFY(w->deviceFound());
    QVERIFY(timerActive(w, 50));
    QCOMPARE(w->SendDataToUsb(kReadRequest), 1);

    // A second removal of the base is ignored once the link is down.
    harness.base().unplug();
    QVERIFY(harness.waitFor([&] { return !w->deviceFound(); }));
    decoy->plug();
    decoy->unplug();
    harness.settle(100);
    QVERIFY(!w->deviceFound());
}

void TestWidget::hundredPlugCyclesLeaveOneReader()
{
    WidgetHarness harness; // streams live reports at 1 kHz
    Widget *w = harness.widget();
    for (int cycle = 0; cycle < 100; ++cycle) {
        harness.base().unplug();
        QVERIFY2(harness.waitFor([&] { return !w->deviceFound(); }), "removal not seen");
        harness.base().plug();
        QVERIFY2(harness.waitFor([&] { return w->deviceFound(); }), "arrival not seen");
    }
    QVERIFY(harness.waitFor([] { return USBThread::runningCount() == 1; }));
    QVERIFY(w->currentReader() && w->currentReader()->isRunning());
    const int before = harness.base().liveReportsSent();
    QVERIFY(harness.waitFor([&] { return harness.base().liveReportsSent() > before + 20; }));
    QCOMPARE(w->SendDataToUsb(kReadRequest), 1);
}

void TestWidget::reportFilingStartsTheReadBackTimer()
{
    WidgetHarness harness(quietOptions());
    Widget *w = harness.widget();
    QTimer *readBack = timersWithInterval(w, 100).value(0);
    QVERIFY(readBack);
    harness.settle(300); // the start-up burst is processed
    readBack->stop();

    QByteArray live(20, '\0');
    live[0] = char(0x01);
    QCoreApplication::postEvent(w, new USBEvent(live));
    QCoreApplication::processEvents();
    QVERIFY(!readBack->isActive());

    QByteArray unfiled(20, '\0');
    unfiled[0] = char(0x80);
    unfiled[1] = char(0x03);
    QCoreApplication::postEvent(w, new USBEvent(unfiled));
    QCoreApplication::processEvents();
    QVERIFY(readBack->isActive());
    readBack->stop();

    QByteArray unknownId(20, '\0');
    unknownId[0] = char(0x42);
    QCoreApplication::postEvent(w, new USBEvent(unknownId));
    QCoreApplication::processEvents();
    QVERIFY(!readBack->isActive());
}

void TestWidget::sendsUseTheFeatureLengthAndStopAfterARefusal()
{
    WidgetHarness::Options options = quietOptions();
    options.config.featureReportLength = 8;
    WidgetHarness harness(options);
    Widget *w = harness.widget();
    harness.clearFeatures();

    QCOMPARE(w->SendDataToUsb(QByteArray::fromHex("8003010000000000000000")), 1);
    QCOMPARE(w->SendDataToUsb(QByteArray::fromHex("8003010000000000000000")), 1);
    QCOMPARE(harness.features().size(), 2);
    QCOMPARE(harness.features().first(), QByteArray::fromHex("8003010000000000"));

    harness.base().refuseFeatureReports(1);
    QCOMPARE(w->SendDataToUsb(kReadRequest), 0);
    const int logged = harness.base().featureLog().size();
    QCOMPARE(w->SendDataToUsb(kReadRequest), -1);
    QCOMPARE(harness.base().featureLog().size(), logged);

    harness.base().unplug();
    QVERIFY(harness.waitFor([&] { return !w->deviceFound(); }));
    harness.base().plug();
    QVERIFY(harness.waitFor([&] { return w->deviceFound(); }));
    QCOMPARE(w->SendDataToUsb(kReadRequest), 1);
}

QTEST_MAIN(TestWidget)
#include "tst_widget.moc"
