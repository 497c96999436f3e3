// How the base's reports reach the window: settings answers fill the form in
// one pass per burst taking the newest report of a kind, nothing echoed,
// out-of-range values clamped; the effect mask and the firmware check; the
// live indicators (button LEDs, wheel and axis gauges, pilot lamps), each
// restyled only when it changes, and the connection lamp sequence; all
// through the real window against the simulated base.

#include "flowtestutil.h"

#include "gaugearc.h"
#include "gaugesimple.h"

#include <QComboBox>
#include <QHash>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSlider>
#include <QStackedWidget>
#include <QToolButton>
#include <QtTest>

#include <tuple>

using namespace flowtest;

namespace {

// "name=value" for each name (before any "=") in `names`: a field's or
// label's text (with "/off" when it and its slider are disabled, "/slider N" when its slider shows
// another value), a pilot lamp's picture, a combo's index.
QString shown(WidgetHarness &harness, const QString &names)
{
    QStringList out;
    for (const QString &entry : names.split(' ')) {
        const QString name = entry.section('=', 0, 0);
        auto *o = harness.widget()->findChild<QWidget *>(name);
        auto *slider = harness.widget()->findChild<QSlider *>("Slider" + name.mid(4));
        QString value = name.startsWith("colorCombo") ? o->property("currentIndex").toString()
                        : name.startsWith("imagePilot")
                            ? o->styleSheet().section("url(://", 1).section('.', 0, 0)
                            : o->property("text").toString();
        if (slider && name.startsWith("line") && QString::number(slider->value()) != value)
            value += QStringLiteral("/slider %1").arg(slider->value());
        const bool on = o->isEnabled(), sliderOn = slider ? slider->isEnabled() : on;
        out << name + '=' + value + (on && sliderOn ? "" : on || sliderOn ? "/half" : "/off");
    }
    return out.join(' ');
}

const char kGameFields[] = "lineGamesconstant lineGamesSinOne lineGamesJump lineGamesDamping "
                           "lineGamesFriction lineGamesInertia";

// Counts the style changes of the 64 button LEDs (led_1 .. led_8, then
// led_57 .. led_112) and the 9 pilot lamps.
class Lamps : public QObject
{
public:
    explicit Lamps(Widget *w)
    {
        for (int k = 0; k < 73; ++k) {
            labels << w->findChild<QLabel *>(k >= 64 ? QStringLiteral("imagePilot%1").arg(k - 63)
                                             : k < 8 ? QStringLiteral("led_%1").arg(k + 1)
                                                     : QStringLiteral("led_%1").arg(k + 49));
            labels.last()->installEventFilter(this);
        }
    }
    // Per lamp of [from, to): its look (the letter after "url(://Led", or
    // X for grey), lower case if it was restyled since the last call.
    QString looks(int from, int to)
    {
        QString out;
        for (QLabel *label : labels.mid(from, to - from)) {
            const QString look = (label->styleSheet().section("url(://Led", 1) + 'X').left(1);
            out += restyled.value(label) ? look.toLower() : look;
        }
        restyled.clear();
        return out;
    }
    QList<QLabel *> labels;
    QHash<QObject *, int> restyled;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        restyled[watched] += event->type() == QEvent::StyleChange ? 1 : 0;
        return false;
    }
};

// A live report: wheel position (little-endian), nine axis bytes, eight button bytes.
QByteArray live(const char *wheel, const char *buttons = "0000000000000000",
                const char *axes = "000000000000000000")
{
    return QByteArray::fromHex(QByteArray("01") + wheel + axes + buttons);
}

} // namespace

class TestReadBack : public QObject
{
    Q_OBJECT

private slots:
    void reportsFillTheFormAndAreNotEchoed_data();
    void reportsFillTheFormAndAreNotEchoed();
    void burstIsAppliedInOnePass();
    void wheelAndAxes_data();
    void wheelAndAxes();
    void lampsRestyleOnlyWhatChanges();
    void connectionSequence();
};

void TestReadBack::reportsFillTheFormAndAreNotEchoed_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QString>("centred"); // the report Center sends afterwards
    // clang-format off
    QTest::newRow("machine echo") << inputReport("80 01 84 03 00 EC 01 1A 3B 5B 09")
        << "lineStreeingAngle=900 lineGramFreeBack=-20 lineGramFreeBack_Flider=1 lineJump=26 lineDamping=59 lineInertia=91 lineFriction=9"
        << "80 01 84 03 2D EC 01 1A 3B 5B 09";
    QTest::newRow("past the slider: clamped") << inputReport("80 01 84 03 00 32 01 96 21 1E 28")
        << "lineJump=100 lineDamping=33" << "80 01 84 03 2D 32 01 64 21 1E 28";
    QTest::newRow("game echo") << inputReport("80 02 11 07 63 BD 64 37 00 00 00")
        << "lineGamesJump=17 lineGamesDamping=7 lineGamesSinOne=55" << kCentredKnown;
    QTest::newRow("mode echo") << inputReport("80 04 02 00 01 00") << "colorComboBox=2 colorComboBox_2=1" << kCentredKnown;
    // A refused firmware version stays in view, and nothing is sent any more.
    QTest::newRow("firmware 4999") << statusReport(0x01FF, 5, 4999, 30)
        << "label_16=4999 label_33=30 imagePilot6=LedRed" << "";
    QTest::newRow("firmware 5000") << statusReport(0x01FF, 5, 5000, 30)
        << "label_16=5000 label_33=30 imagePilot6=LedRed" << kCentredKnown;
    // The effect mask enables the game fields, in mask order: ConstantForce,
    // PeriodForce (four bits), GameSpring, GameDamper, GameFriction, GameInertia.
    const std::pair<int, const char *> masks[] = {
        {0x0000, "000000"}, {0x0001, "100000"}, {0x0002, "010000"}, {0x0040, "010000"},
        {0x0080, "010000"}, {0x0100, "010000"}, {0x0004, "001000"}, {0x0008, "000100"},
        {0x0010, "000010"}, {0x0020, "000001"}, {0xFE00, "000000"}, {0x01FF, "111111"}};
    // clang-format on
    for (const auto &mask : masks)
        QTest::addRow("mask 0x%04x", mask.first)
            << statusReport(mask.first, 0, 6002, 24) << QString::fromLatin1(mask.second)
            << kCentredKnown;
}

void TestReadBack::reportsFillTheFormAndAreNotEchoed()
{
    QFETCH(QByteArray, report);
    QFETCH(QString, fields);
    QFETCH(QString, centred);
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));
    deliver(harness, {report});
    const bool mask = !fields.contains('=');
    if (mask) { // which game fields the effect mask enables; the others do not depend on it
        QString enabled;
        for (const QString &field : shown(harness, kGameFields).split(' '))
            enabled += field.endsWith(QLatin1String("/off")) ? '0'
                       : field.contains('/')                 ? '?'
                                                             : '1';
        QCOMPARE(enabled, fields);
        QVERIFY(harness.child<QSlider>("SliderDamping")->isEnabled());
    } else {
        QCOMPARE(shown(harness, fields), fields);
    }

    // Nothing goes back by itself; Center sends what is shown, centring once,
    // and a disabled game parameter is still sent with its group.
    fireSendTimers(harness);
    QVERIFY(harness.features().isEmpty());
    harness.child<QToolButton>("toolButton_3")->click();
    if (mask)
        harness.child<QSlider>("SliderGamesJump")->setValue(17);
    harness.widget()->SetSendGamesData();
    const QStringList sent{centred, "80 02 11 96 63 BD 64 C8 00 00 00"};
    QCOMPARE(records(harness.features()).join(" | "), sent.mid(0, mask ? 2 : 1).join(" | "));
}

void TestReadBack::burstIsAppliedInOnePass()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));
    QSignalSpy versions(harness.widget(), &Widget::ServoVersion);
    const QString names =
        "lineDamping lineGamesSinOne colorComboBox_2 label_16 label_33 imagePilot1 imagePilot4";
    const QString before = shown(harness, names);

    // Reports cut before the fields they carry are never read past their end
    // and change nothing.
    deliver(harness, {QByteArray::fromHex("80 01 10 02 00 00 00"),
                      QByteArray::fromHex("80 0A FF 01 03"), QByteArray::fromHex("80 05 AA"),
                      QByteArray::fromHex("80 02 11"), QByteArray::fromHex("01 10")});
    QCOMPARE(shown(harness, names), before);
    // Handed over as the reader does, two status reports among them: nothing
    // is applied until the read-back pass, which takes the newest of a kind,
    // and nothing goes back.
    hand(harness,
         {inputReport("80 01 84 03 00 32 01 0A 21 1E 28"), statusReport(0x01FF, 3, 6003, 20),
          inputReport("80 02 64 96 63 BD 64 37 00 00 00"), inputReport("80 04 01 00 01 00"),
          statusReport(0x01FF, 0, 6004, 21)});
    QCOMPARE(shown(harness, names), before);
    harness.widget()->ReadReportBufferToSetGames();
    QCOMPARE(shown(harness, names),
             QStringLiteral("lineDamping=33 lineGamesSinOne=55 colorComboBox_2=1 label_16=6004 "
                            "label_33=21 imagePilot1=LedGreen imagePilot4=LEDGrayG"));
    fireSendTimers(harness);
    QVERIFY(harness.features().isEmpty());
    QCOMPARE(versions.count(), 1);
}

void TestReadBack::wheelAndAxes_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<double>("degrees"); // angle range 900: (raw - 32767) * 450 / 32767
    QTest::addColumn<QList<int>>("axes");
    const QList<int> rest{0, 0, 0, 0, 0, 0};
    QTest::newRow("38 8E") << live("388E") << 50.0 << rest;
    QTest::newRow("FF FF") << live("FFFF") << 450.0 << rest;
    QTest::newRow("below centre truncates up") << live("C671") << -50.0 << rest;
    QTest::newRow("axes") << live("FF7F", "0000000000000000", "3412ABFF3F00012010") << 0.0
                          << QList<int>{0x234, 0xAB1, 0xFFF, 0x003, 0x001, 0x102};
}

void TestReadBack::wheelAndAxes()
{
    QFETCH(QByteArray, report);
    QFETCH(double, degrees);
    QFETCH(QList<int>, axes);
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));
    auto *gauge = harness.child<GaugeArc>("gaugeArc");
    QCOMPARE(gauge->value(), 0.0);    // at rest before any live report
    deliver(harness, {live("8DA3")}); // 125 degrees, so that the next is a change
    QCOMPARE(gauge->value(), 125.0);
    deliver(harness, {report});
    QCOMPARE(gauge->value(), degrees);
    QList<int> shown;
    for (const char *suffix : {"", "_2", "_3", "_4", "_5", "_6"})
        shown << harness.child<GaugeSimple>(qPrintable(QString("progressBar") + suffix))->value();
    QCOMPARE(shown, axes);
    // A read-back angle of 0 leaves no range to scale by.
    deliver(harness, {inputReport("80 01 00 00 00 9C 01"), live("FFFF")});
    QCOMPARE(gauge->value(), 0.0);
}

void TestReadBack::lampsRestyleOnlyWhatChanges()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));
    // The LEDs' page is shown, so a style sheet set on them takes effect.
    harness.child<QStackedWidget>("stackedWidget")->setCurrentIndex(1);
    Lamps lamps(harness.widget());
    lamps.labels.at(5)->setStyleSheet(lamps.labels.at(5)->styleSheet());
    QCOMPARE(lamps.looks(0, 8), "XXXXXxXX"); // the counter sees even an identical sheet

    // Buttons: the first live report styles every LED (B lit), a repeat none;
    // byte 13 = 01 is button 15, byte 19 buttons 56..63.
    const std::tuple<const char *, int, const char *> buttons[] = {
        {"A000000000000000", 0, "bxbxxxxx"},
        {"A000000000000000", 0, "BXBXXXXX"},
        {"8000000000000000", 0, "BXxXXXXX"},
        {"0001000000000000", 8, "XXXXXXXb"},
        {"00000000000000FF", 56, "bbbbbbbb"}};
    for (const auto &[bytes, from, looks] : buttons) {
        deliver(harness, {live("FF7F", bytes)});
        QCOMPARE(lamps.looks(from, from + 8), QString::fromLatin1(looks));
    }

    // Pilot lamps by status code (R red, G green, X grey, lower case restyled): the
    // start-up status said 0, so 0 again changes nothing; codes 9 and 10,
    // and 0x0100, light none.
    harness.child<QStackedWidget>("stackedWidget")->setCurrentIndex(2);
    lamps.looks(64, 73);
    const std::pair<int, const char *> codes[] = {
        {0, "GXXXXXXXX"},  {3, "xXXrXXXXX"},      {5, "XXXxXrXXX"},
        {8, "XXXXXxXXr"},  {2, "XXrXXXXXx"},      {9, "XXxXXXXXX"},
        {10, "XXXXXXXXX"}, {0x0100, "XXXXXXXXX"}, {0, "gXXXXXXXX"}};
    for (const auto &step : codes) {
        deliver(harness, {statusReport(0x01FF, step.first, 6001, 40)});
        QCOMPARE(lamps.looks(64, 73), QString::fromLatin1(step.second));
    }
}

void TestReadBack::connectionSequence()
{
    // The steps are driven by hand: the lamp groups light one after another,
    // the last one green, and the sequence stops there.
    WidgetHarness harness(quietBase());
    QTimer *ledTimer = nullptr;
    for (QTimer *timer : harness.widget()->findChildren<QTimer *>())
        ledTimer = timer->interval() == 1000 && timer->isActive() ? timer : ledTimer;
    QVERIFY(ledTimer);
    ledTimer->start(3600 * 1000); // it must not step on its own meanwhile
    // Per lamp of groups A, B, C and Link: . grey, b blue, g green.
    const QStringList lamps = QStringLiteral("label_47 label_125 label_49 label_50 label_59 "
                                             "label_60 label_51 label_58 label_61 label_54 "
                                             "label_56 label_62")
                                  .split(' ');
    for (const char *expected : {"bbb.........", "...bbb......", "......bbb...", ".........ggg"}) {
        QVERIFY(ledTimer->isActive());
        harness.widget()->usbStatuLedShow();
        QString lit;
        for (const QString &name : lamps) {
            const QString look =
                harness.child<QLabel>(qPrintable(name))->styleSheet().section("Led", 1);
            lit += look.startsWith("Gray")    ? '.'
                   : look.startsWith("Blue")  ? 'b'
                   : look.startsWith("Green") ? 'g'
                                              : '?';
        }
        QCOMPARE(lit, QLatin1String(expected));
    }
    QVERIFY(!ledTimer->isActive());
}

QTEST_MAIN(TestReadBack)
#include "tst_readback.moc"
