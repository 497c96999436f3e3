// The live indicators: button LEDs, wheel and axis gauges from the live
// report, pilot lamps from the status report, the connection lamp sequence,
// and that an unchanged report restyles nothing.

#include "flowtestutil.h"

#include "gaugearc.h"
#include "gaugesimple.h"

#include <QHash>
#include <QStackedWidget>
#include <QtTest>

using namespace flowtest;

namespace {

const char kLedOn[] = "color: rgb(255, 255, 255);image: url(://LedBlueThree.png);";
const char kLedOff[] = "color: rgb(255, 255, 255);image: url(://LEDGrayG.png);";
const char kLedStart[] = "font-size : 12px ;border-image: url(:/LEDGrayG.png);";
const char kLampRed[] = "image: url(://LedRed.png);";
const char kLampGreen[] = "image: url(://LedGreen.png);";
const char kLampGrey[] = "image: url(://LEDGrayG.png);";
const char kHeaderRunning[] = "image: url(://LedBlueThree.png);";
const char kHeaderOff[] = "image: url(://LedGrayThree.png);";
const char kLinkConnected[] = "image: url(://LedGreenThree.png);";

// Button k's LED: led_1 .. led_8, then led_57 .. led_112.
QString ledName(int button)
{
    return QStringLiteral("led_%1").arg(button < 8 ? button + 1 : button + 49);
}

// A live report: wheel position, the nine axis bytes, the eight button bytes.
QByteArray liveReport(int wheel, const QByteArray &axes = QByteArray(9, '\0'),
                      const QByteArray &buttons = QByteArray(8, '\0'))
{
    QByteArray report(1, char(0x01));
    report += char(wheel & 0xFF);
    report += char(wheel >> 8);
    report += axes.left(9);
    report += buttons.left(8);
    return report;
}

QByteArray buttonBytes(int index, int value)
{
    QByteArray bytes(8, '\0');
    bytes[index] = char(value);
    return bytes;
}

// Counts the style changes each watched widget goes through.
class StyleChanges : public QObject
{
public:
    void watch(QWidget *widget) { widget->installEventFilter(this); }
    int of(QObject *widget) const { return m_counts.value(widget); }
    int total() const
    {
        int sum = 0;
        for (int count : m_counts)
            sum += count;
        return sum;
    }
    void reset() { m_counts.clear(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::StyleChange)
            ++m_counts[watched];
        return false;
    }

private:
    QHash<QObject *, int> m_counts;
};

} // namespace

class TestLiveDisplay : public QObject
{
    Q_OBJECT

private slots:
    void startLookWithoutLiveReports();
    void buttonLeds_data();
    void buttonLeds();
    void wheelPosition_data();
    void wheelPosition();
    void wheelPositionWithoutAngleRange();
    void axes();
    void pilotLamps_data();
    void pilotLamps();
    void unchangedLiveReportRestylesNothing();
    void unchangedStatusCodeRestylesNothing();
    void connectionSequenceSteps();
    void connectionSequenceRunsOnceAfterOpening();
};

void TestLiveDisplay::startLookWithoutLiveReports()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));
    for (int k = 0; k < 64; ++k) {
        auto *led = harness.widget()->findChild<QLabel *>(ledName(k));
        QVERIFY2(led, qPrintable(ledName(k)));
        QCOMPARE(led->styleSheet(), QString::fromLatin1(kLedStart));
    }
    QCOMPARE(harness.child<GaugeArc>("gaugeArc")->value(), 0.0);
    QCOMPARE(harness.child<GaugeSimple>("progressBar")->value(), 0);
}

void TestLiveDisplay::buttonLeds_data()
{
    QTest::addColumn<int>("byteIndex");
    QTest::addColumn<int>("value");
    QTest::addColumn<QList<int>>("lit");
    QTest::newRow("byte 12 = A0") << 0 << 0xA0 << QList<int>{0, 2};
    QTest::newRow("byte 12 = 80") << 0 << 0x80 << QList<int>{0};
    QTest::newRow("byte 13 = 01") << 1 << 0x01 << QList<int>{15};
    QTest::newRow("byte 19 = 01") << 7 << 0x01 << QList<int>{63};
    QTest::newRow("byte 19 = FF") << 7 << 0xFF << QList<int>{56, 57, 58, 59, 60, 61, 62, 63};
}

void TestLiveDisplay::buttonLeds()
{
    QFETCH(int, byteIndex);
    QFETCH(int, value);
    QFETCH(QList<int>, lit);
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));

    harness.base().injectReport(
        liveReport(32767, QByteArray(9, '\0'), buttonBytes(byteIndex, value)));
    auto *first = harness.widget()->findChild<QLabel *>(ledName(lit.first()));
    QVERIFY(WidgetHarness::waitFor([&] { return first->styleSheet() == QLatin1String(kLedOn); }));
    for (int k = 0; k < 64; ++k) {
        const QString name = ledName(k);
        QCOMPARE(harness.widget()->findChild<QLabel *>(name)->styleSheet(),
                 QString::fromLatin1(lit.contains(k) ? kLedOn : kLedOff));
    }
}

void TestLiveDisplay::wheelPosition_data()
{
    QTest::addColumn<int>("raw");
    QTest::addColumn<int>("degrees");
    // Angle range 900: (raw - 32767) * 450 / 32767, truncated toward zero.
    QTest::newRow("00 80 (32768)") << 32768 << 0;
    QTest::newRow("38 8E (36408)") << 36408 << 50;
    QTest::newRow("00 00") << 0 << -450;
    QTest::newRow("FF FF") << 65535 << 450;
    QTest::newRow("below centre truncates up") << 29126 << -50;
}

void TestLiveDisplay::wheelPosition()
{
    QFETCH(int, raw);
    QFETCH(int, degrees);
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));
    auto *gauge = harness.child<GaugeArc>("gaugeArc");

    // Move away first so that the expected value is a change.
    harness.base().injectReport(liveReport(32767 + 9102)); // 125 degrees
    QVERIFY(WidgetHarness::waitFor([&] { return gauge->value() == 125.0; }));
    harness.base().injectReport(liveReport(raw));
    QVERIFY2(WidgetHarness::waitFor([&] { return gauge->value() == double(degrees); }),
             qPrintable(QString::number(gauge->value())));
}

void TestLiveDisplay::wheelPositionWithoutAngleRange()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));
    auto *gauge = harness.child<GaugeArc>("gaugeArc");
    harness.base().injectReport(liveReport(36408));
    QVERIFY(WidgetHarness::waitFor([&] { return gauge->value() == 50.0; }));

    // A read-back angle of 0 leaves no range to scale by.
    harness.base().injectReport(inputReport({0x80, 0x01, 0x00, 0x00, 0x00, 0x9C, 0x01}));
    QVERIFY(WidgetHarness::waitFor([&] { return gauge->value() == 0.0; }));
    harness.base().injectReport(liveReport(65535));
    WidgetHarness::settle(200);
    QCOMPARE(gauge->value(), 0.0);
}

void TestLiveDisplay::axes()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));

    harness.base().injectReport(
        liveReport(32767, QByteArray::fromHex("34 12 AB FF 3F 00 01 20 10")));
    auto *x = harness.child<GaugeSimple>("progressBar");
    QVERIFY(WidgetHarness::waitFor([&] { return x->value() == 0x234; }));
    QCOMPARE(harness.child<GaugeSimple>("progressBar_2")->value(), 0xAB1);
    QCOMPARE(harness.child<GaugeSimple>("progressBar_3")->value(), 0xFFF);
    QCOMPARE(harness.child<GaugeSimple>("progressBar_4")->value(), 0x003);
    QCOMPARE(harness.child<GaugeSimple>("progressBar_5")->value(), 0x001);
    QCOMPARE(harness.child<GaugeSimple>("progressBar_6")->value(), 0x102);
}

void TestLiveDisplay::pilotLamps_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("litLamp"); // 1..9, 0 for none
    QTest::addColumn<QString>("look");
    QTest::newRow("0 normal") << 0 << 1 << QString::fromLatin1(kLampGreen);
    QTest::newRow("3 ROMErr") << 3 << 4 << QString::fromLatin1(kLampRed);
    QTest::newRow("5 OutOfAng") << 5 << 6 << QString::fromLatin1(kLampRed);
    QTest::newRow("8 AssErr") << 8 << 9 << QString::fromLatin1(kLampRed);
    QTest::newRow("9 none") << 9 << 0 << QString();
    QTest::newRow("0x0100 none") << 0x0100 << 0 << QString();
}

void TestLiveDisplay::pilotLamps()
{
    QFETCH(int, code);
    QFETCH(int, litLamp);
    QFETCH(QString, look);
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));

    // From another code, so that every case is a change.
    harness.base().injectReport(statusReport(0x01FF, 7, 6001, 11));
    QVERIFY(WidgetHarness::waitFor(
        [&] { return harness.child<QLabel>("label_33")->text() == QLatin1String("11"); }));
    harness.base().injectReport(statusReport(0x01FF, code, 6001, 12));
    QVERIFY(WidgetHarness::waitFor(
        [&] { return harness.child<QLabel>("label_33")->text() == QLatin1String("12"); }));
    for (int lamp = 1; lamp <= 9; ++lamp) {
        const QString name = QStringLiteral("imagePilot%1").arg(lamp);
        QCOMPARE(harness.widget()->findChild<QLabel *>(name)->styleSheet(),
                 lamp == litLamp ? look : QString::fromLatin1(kLampGrey));
    }
}

void TestLiveDisplay::unchangedLiveReportRestylesNothing()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));
    // The LEDs' page is shown, so a style sheet set on them takes effect.
    harness.child<QStackedWidget>("stackedWidget")->setCurrentIndex(1);
    QList<QLabel *> leds;
    StyleChanges changes;
    for (int k = 0; k < 64; ++k) {
        leds << harness.widget()->findChild<QLabel *>(ledName(k));
        changes.watch(leds.last());
    }
    // The counter sees a re-applied style sheet, even an identical one.
    leds.at(5)->setStyleSheet(leds.at(5)->styleSheet());
    QVERIFY(changes.of(leds.at(5)) > 0);
    changes.reset();

    harness.base().injectReport(liveReport(32767, QByteArray(9, '\0'), buttonBytes(0, 0xA0)));
    QVERIFY(
        WidgetHarness::waitFor([&] { return leds.at(0)->styleSheet() == QLatin1String(kLedOn); }));
    // The first live report styles every LED.
    for (QLabel *led : leds)
        QVERIFY(changes.of(led) > 0);

    // The same report, again and again, ticking for half a second.
    changes.reset();
    for (int i = 0; i < 5; ++i) {
        harness.base().injectReport(liveReport(32767, QByteArray(9, '\0'), buttonBytes(0, 0xA0)));
        WidgetHarness::settle(100);
    }
    QCOMPARE(changes.total(), 0);

    // One button released: only its LED is restyled.
    harness.base().injectReport(liveReport(32767, QByteArray(9, '\0'), buttonBytes(0, 0x80)));
    QVERIFY(
        WidgetHarness::waitFor([&] { return leds.at(2)->styleSheet() == QLatin1String(kLedOff); }));
    WidgetHarness::settle(200);
    for (int k = 0; k < 64; ++k) {
        if (k == 2)
            QVERIFY(changes.of(leds.at(k)) > 0);
        else
            QCOMPARE(changes.of(leds.at(k)), 0);
    }
}

void TestLiveDisplay::unchangedStatusCodeRestylesNothing()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));
    harness.child<QStackedWidget>("stackedWidget")->setCurrentIndex(2);
    QList<QLabel *> lamps;
    StyleChanges changes;
    for (int lamp = 1; lamp <= 9; ++lamp) {
        lamps << harness.widget()->findChild<QLabel *>(QStringLiteral("imagePilot%1").arg(lamp));
        changes.watch(lamps.last());
    }

    // The start-up status said code 0; saying it again changes nothing.
    harness.base().injectReport(statusReport(0x01FF, 0, 6001, 40));
    QVERIFY(WidgetHarness::waitFor(
        [&] { return harness.child<QLabel>("label_33")->text() == QLatin1String("40"); }));
    QCOMPARE(changes.total(), 0);

    // Code 2: only the two lamps that change are restyled.
    harness.base().injectReport(statusReport(0x01FF, 2, 6001, 41));
    QVERIFY(WidgetHarness::waitFor(
        [&] { return lamps.at(2)->styleSheet() == QLatin1String(kLampRed); }));
    QCOMPARE(lamps.at(0)->styleSheet(), QString::fromLatin1(kLampGrey));
    for (int j = 0; j < 9; ++j) {
        if (j == 0 || j == 2)
            QVERIFY(changes.of(lamps.at(j)) > 0);
        else
            QCOMPARE(changes.of(lamps.at(j)), 0);
    }
    // Codes 9 and 10 both light none: the second is no change.
    harness.base().injectReport(statusReport(0x01FF, 9, 6001, 42));
    QVERIFY(WidgetHarness::waitFor(
        [&] { return lamps.at(2)->styleSheet() == QLatin1String(kLampGrey); }));
    changes.reset();
    harness.base().injectReport(statusReport(0x01FF, 10, 6001, 43));
    QVERIFY(WidgetHarness::waitFor(
        [&] { return harness.child<QLabel>("label_33")->text() == QLatin1String("43"); }));
    QCOMPARE(changes.total(), 0);
}

void TestLiveDisplay::connectionSequenceSteps()
{
    // Without a base the LED timer never runs; the steps are driven by hand.
    WidgetHarness::Options options = quietBase();
    options.plugged = false;
    WidgetHarness harness(options);
    const char *const groups[4][3] = {{"label_47", "label_125", "label_49"},
                                      {"label_50", "label_59", "label_60"},
                                      {"label_51", "label_58", "label_61"},
                                      {"label_54", "label_56", "label_62"}};
    for (int step = 0; step < 4; ++step) {
        harness.widget()->usbStatuLedShow();
        for (int group = 0; group < 4; ++group) {
            const char *expected = group != step ? kHeaderOff
                                   : group == 3  ? kLinkConnected
                                                 : kHeaderRunning;
            for (const char *name : groups[group])
                QCOMPARE(harness.child<QLabel>(name)->styleSheet(), QString::fromLatin1(expected));
        }
    }
    // The sequence starts over.
    harness.widget()->usbStatuLedShow();
    QCOMPARE(harness.child<QLabel>("label_47")->styleSheet(), QString::fromLatin1(kHeaderRunning));
    QCOMPARE(harness.child<QLabel>("label_54")->styleSheet(), QString::fromLatin1(kHeaderOff));
}

void TestLiveDisplay::connectionSequenceRunsOnceAfterOpening()
{
    WidgetHarness harness(quietBase());
    auto *link = harness.child<QLabel>("label_56");
    auto *first = harness.child<QLabel>("label_125");
    QVERIFY(WidgetHarness::waitFor(
        [&] { return first->styleSheet() == QLatin1String(kHeaderRunning); }, 3000));
    QVERIFY(WidgetHarness::waitFor(
        [&] { return link->styleSheet() == QLatin1String(kLinkConnected); }, 8000));
    // It ends there: nothing moves on.
    WidgetHarness::settle(2200);
    QCOMPARE(link->styleSheet(), QString::fromLatin1(kLinkConnected));
    QCOMPARE(first->styleSheet(), QString::fromLatin1(kHeaderOff));
}

QTEST_MAIN(TestLiveDisplay)
#include "tst_livedisplay.moc"
