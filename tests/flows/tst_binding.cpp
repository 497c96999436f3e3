// Slider and field binding in the real window: the catalogue against the
// form, the field/slider corrections, the Enter acknowledgement, the steering
// gauge's scale, enabling by position and the angle check.

#include "flowtestutil.h"

#include "gaugearc.h"
#include "gaugesimple.h"
#include "parameters.h"
#include "switchbutton.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QIntValidator>
#include <QLineEdit>
#include <QMessageBox>
#include <QSlider>
#include <QTimer>
#include <QtTest>

using namespace flowtest;

namespace {

const char kPendingStyle[] =
    "QLineEdit{border:3px rgb(255,0,0); background-color: rgba(124,124,124, 0%);padding:1px "
    "2px;border-style: solid;font-size:15px;color:#9f9e9e;}QLineEdit:enabled {color: "
    "rgb(124,124,124);}QLineEdit:enabled:hover,QLineEdit:enabled:focus{border-color: "
    "rgb(255,0,0);color: rgb(124,124,124);}QLineEdit:!enabled {color: rgb(124,124,124);}";
const char kNormalStyle[] =
    "QLineEdit{border:1px rgb(124,124,124); background-color: rgba(124,124,124, 0%);padding:1px "
    "2px;border-style:solid;font-size:15px;color:#9f9e9e;}QLineEdit:enabled {color: "
    "rgb(124,124,124);}QLineEdit:enabled:hover,QLineEdit:enabled:focus{border-color: "
    "rgb(124,124,124);color: rgb(124,124,124);}QLineEdit:!enabled {color: rgb(124,124,124);}";

template <typename T> bool isA(QObject *object)
{
    return qobject_cast<T *>(object) != nullptr;
}

// Closes the next modal box and keeps what it said.
struct BoxCatcher
{
    QString title;
    QString text;
    bool seen = false;

    void arm()
    {
        QTimer::singleShot(0, [this] { poll(); });
    }
    void poll()
    {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            seen = true;
            title = box->windowTitle();
            text = box->text();
            box->accept();
            return;
        }
        QTimer::singleShot(10, [this] { poll(); });
    }
};

} // namespace

class TestBinding : public QObject
{
    Q_OBJECT

private slots:
    void catalogueMatchesTheForm();
    void sliderShowsItsValueInTheField();
    void emptiedFieldFollowsTheSlider();
    void zeroInTheAngleFieldBecomesOne();
    void minusInTheForceField();
    void readBackValueOutsideTheSliderRange();
    void enterFlashesTheFieldBorder();
    void angleSliderRescalesTheGauge();
    void setSomeWidgetPowerByPosition_data();
    void setSomeWidgetPowerByPosition();
    void angleCheckRefusesARangeWithoutTheWheel_data();
    void angleCheckRefusesARangeWithoutTheWheel();
    void editLineEditSendsOtherFields();
};

void TestBinding::catalogueMatchesTheForm()
{
    WidgetHarness harness(quietBase());
    Widget *w = harness.widget();
    const auto child = [w](const char *name) {
        return w->findChild<QObject *>(QString::fromLatin1(name));
    };

    for (const protocol::ParameterInfo &p : protocol::parameterTable()) {
        const QByteArray what = QByteArray("parameter ") + p.name;
        QVERIFY2(isA<QLabel>(child(p.controls.label)), what.constData());
        if (p.controls.rangeLabel) {
            auto *range = qobject_cast<QLabel *>(child(p.controls.rangeLabel));
            QVERIFY2(range, what.constData());
        }
        if (p.controls.combo) {
            QVERIFY2(isA<QComboBox>(child(p.controls.combo)), what.constData());
            continue;
        }
        auto *slider = qobject_cast<QSlider *>(child(p.controls.slider));
        QVERIFY2(slider, what.constData());
        QCOMPARE(slider->minimum(), p.range.minimum);
        QCOMPARE(slider->maximum(), p.range.maximum);
        QCOMPARE(slider->pageStep(), p.pageStep);
        auto *edit = qobject_cast<QLineEdit *>(child(p.controls.lineEdit));
        QVERIFY2(edit, what.constData());
        const auto *validator = qobject_cast<const QIntValidator *>(edit->validator());
        QVERIFY2(validator, what.constData());
        QCOMPARE(validator->bottom(), p.validatorRange.minimum);
        QCOMPARE(validator->top(), p.validatorRange.maximum);
    }

    for (const protocol::UnboundSliderRow &row : protocol::unboundPeriodicRows()) {
        auto *slider = qobject_cast<QSlider *>(child(row.slider));
        QVERIFY2(slider, row.slider);
        QCOMPARE(slider->minimum(), row.range.minimum);
        QCOMPARE(slider->maximum(), row.range.maximum);
        QCOMPARE(slider->pageStep(), row.pageStep);
        auto *edit = qobject_cast<QLineEdit *>(child(row.lineEdit));
        QVERIFY2(edit, row.lineEdit);
        QCOMPARE(edit->validator() != nullptr, row.hasValidator);
    }

    for (const protocol::AxisInfo &axis : protocol::axisTable()) {
        auto *gauge = qobject_cast<GaugeSimple *>(child(axis.gauge));
        QVERIFY2(gauge, axis.gauge);
        QCOMPARE(gauge->minValue(), protocol::AxisValueRange.minimum);
        QCOMPARE(gauge->maxValue(), protocol::AxisValueRange.maximum);
        QVERIFY2(isA<SwitchButton>(child(axis.directionSwitch)), axis.directionSwitch);
        for (const char *limit : {axis.lowerLimit, axis.upperLimit}) {
            auto *edit = qobject_cast<QLineEdit *>(child(limit));
            QVERIFY2(edit, limit);
            const auto *validator = qobject_cast<const QIntValidator *>(edit->validator());
            QVERIFY2(validator, limit);
            QCOMPARE(validator->bottom(), protocol::CalibrationLimitRange.minimum);
            QCOMPARE(validator->top(), protocol::CalibrationLimitRange.maximum);
        }
    }

    QVERIFY(isA<GaugeArc>(child(protocol::WheelGaugeObject)));
    for (const QString &name : protocol::buttonLedNames())
        QVERIFY2(w->findChild<QLabel *>(name), qPrintable(name));
    for (const protocol::StatusCodeInfo &status : protocol::statusCodeTable()) {
        QVERIFY2(isA<QLabel>(child(status.lamp)), status.lamp);
        QVERIFY2(isA<QLabel>(child(status.label)), status.label);
    }
    for (const char *name : {protocol::FirmwareLabelObject, protocol::VoltageLabelObject,
                             protocol::VoltageUnitLabelObject})
        QVERIFY2(isA<QLabel>(child(name)), name);
}

void TestBinding::sliderShowsItsValueInTheField()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));
    const char *const pairs[][2] = {{"SliderStreeingAngle", "lineStreeingAngle"},
                                    {"SliderGramFreeBack", "lineGramFreeBack"},
                                    {"SliderJump", "lineJump"},
                                    {"SliderGramFreeBack_Flider", "lineGramFreeBack_Flider"},
                                    {"SliderGamesJump", "lineGamesJump"},
                                    {"SliderGamesSinOne", "lineGamesSinOne"}};
    for (const auto &pair : pairs) {
        auto *slider = harness.child<QSlider>(pair[0]);
        auto *edit = harness.child<QLineEdit>(pair[1]);
        slider->setValue(slider->minimum() + 3);
        QCOMPARE(edit->text(), QString::number(slider->minimum() + 3));
        edit->setText(QStringLiteral("7"));
        QCOMPARE(slider->value(), 7);
    }
    // The unbound periodic rows stay apart.
    auto *unbound = harness.child<QSlider>("SliderGamesSinTwo");
    const QString before = harness.child<QLineEdit>("lineGamesSinTwo")->text();
    unbound->setValue(unbound->value() == 10 ? 11 : 10);
    QCOMPARE(harness.child<QLineEdit>("lineGamesSinTwo")->text(), before);
}

void TestBinding::emptiedFieldFollowsTheSlider()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));
    auto *slider = harness.child<QSlider>("SliderJump");
    auto *field = harness.child<QLineEdit>("lineJump");
    slider->setValue(40);
    QCOMPARE(field->text(), QStringLiteral("40"));
    WidgetHarness::settle(700);
    harness.clearFeatures();

    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QCOMPARE(field->text(), QStringLiteral("0"));
    QCOMPARE(slider->value(), 0);

    // With the slider already at 0 the field may stay empty.
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QCOMPARE(field->text(), QString());
    QCOMPARE(slider->value(), 0);

    // Typing never sends by itself.
    WidgetHarness::settle(800);
    QVERIFY(harness.features().isEmpty());
}

void TestBinding::zeroInTheAngleFieldBecomesOne()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));
    auto *field = harness.child<QLineEdit>("lineStreeingAngle");
    QCOMPARE(field->text(), QStringLiteral("900"));

    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("0"));
    QCOMPARE(field->text(), QStringLiteral("1"));
    QCOMPARE(harness.child<QSlider>("SliderStreeingAngle")->value(), 1);
    WidgetHarness::settle(800);
    QVERIFY(harness.features().isEmpty());
}

void TestBinding::minusInTheForceField()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));
    auto *slider = harness.child<QSlider>("SliderGramFreeBack");
    auto *field = harness.child<QLineEdit>("lineGramFreeBack");
    slider->setValue(20);

    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("-"));
    QCOMPARE(field->text(), QStringLiteral("0"));
    QCOMPARE(slider->value(), 0);

    slider->setValue(20);
    field->setCursorPosition(0);
    QTest::keyClicks(field, QStringLiteral("-"));
    QCOMPARE(field->text(), QStringLiteral("-20"));
    QCOMPARE(slider->value(), -20);
}

void TestBinding::readBackValueOutsideTheSliderRange()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));

    // WheelSpring 150 is past the slider's 100: the field shows the limit,
    // and nothing goes back to the base.
    harness.base().injectReport(
        inputReport({0x80, 0x01, 0x84, 0x03, 0x00, 0x9C, 0x01, 0x96, 0x00, 0x00, 0x00}));
    auto *field = harness.child<QLineEdit>("lineJump");
    QVERIFY(WidgetHarness::waitFor([&] { return field->text() == QLatin1String("100"); }));
    QCOMPARE(harness.child<QSlider>("SliderJump")->value(), 100);
    WidgetHarness::settle(800);
    QVERIFY(harness.features().isEmpty());
}

void TestBinding::enterFlashesTheFieldBorder()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));
    auto *field = harness.child<QLineEdit>("lineGamesDamping");

    QElapsedTimer clock;
    clock.start();
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(field->styleSheet(), QString::fromLatin1(kPendingStyle));
    // Enter went on to the window and sent at once, during the flash.
    QCOMPARE(harness.features().size(), 2);

    QVERIFY(WidgetHarness::waitFor(
        [&] { return field->styleSheet() == QLatin1String(kNormalStyle); }, 2000));
    QVERIFY2(clock.elapsed() >= 150, qPrintable(QString::number(clock.elapsed())));

    // An empty field is not acceptable input: no acknowledgement.
    auto *spring = harness.child<QLineEdit>("lineJump");
    QCOMPARE(harness.child<QSlider>("SliderJump")->value(), 0);
    const QString before = spring->styleSheet();
    spring->clear();
    QCOMPARE(spring->text(), QString());
    QTest::keyClick(spring, Qt::Key_Return);
    QCOMPARE(spring->styleSheet(), before);
}

void TestBinding::angleSliderRescalesTheGauge()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));
    auto *slider = harness.child<QSlider>("SliderStreeingAngle");
    auto *gauge = harness.child<GaugeArc>("gaugeArc");
    harness.widget()->SetGaugeArcRange(120);
    QCOMPARE(gauge->value(), 120.0);

    slider->setValue(901);
    QCOMPARE(gauge->minValue(), -450.0);
    QCOMPARE(gauge->maxValue(), 450.0);
    QCOMPARE(gauge->value(), 120.0);
    slider->setValue(601);
    QCOMPARE(gauge->minValue(), -300.0);
    QCOMPARE(gauge->maxValue(), 300.0);
    slider->setValue(1);
    QCOMPARE(gauge->minValue(), -300.0);
    QCOMPARE(gauge->maxValue(), 300.0);
    QCOMPARE(gauge->value(), 120.0);
}

void TestBinding::setSomeWidgetPowerByPosition_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("slider");
    QTest::addColumn<QString>("field");
    QTest::newRow("0 GameSpring") << 0 << "SliderGamesJump"
                                  << "lineGamesJump";
    QTest::newRow("1 GameDamper") << 1 << "SliderGamesDamping"
                                  << "lineGamesDamping";
    QTest::newRow("2 GameInertia") << 2 << "SliderGamesInertia"
                                   << "lineGamesInertia";
    QTest::newRow("3 GameFriction") << 3 << "SliderGamesFriction"
                                    << "lineGamesFriction";
    QTest::newRow("4 ConstantForce") << 4 << "SliderGamesconstant"
                                     << "lineGamesconstant";
    QTest::newRow("5 PeriodForce") << 5 << "SliderGamesSinOne"
                                   << "lineGamesSinOne";
}

void TestBinding::setSomeWidgetPowerByPosition()
{
    QFETCH(int, position);
    QFETCH(QString, slider);
    QFETCH(QString, field);
    WidgetHarness harness(quietBase());
    Widget *w = harness.widget();

    w->SetSomeWidgetPower(false, position);
    QVERIFY(!w->findChild<QSlider *>(slider)->isEnabled());
    QVERIFY(!w->findChild<QLineEdit *>(field)->isEnabled());
    int disabled = 0;
    for (QSlider *s : w->findChildren<QSlider *>())
        disabled += s->isEnabled() ? 0 : 1;
    QCOMPARE(disabled, 1);

    w->SetSomeWidgetPower(true, position);
    QVERIFY(w->findChild<QSlider *>(slider)->isEnabled());
    QVERIFY(w->findChild<QLineEdit *>(field)->isEnabled());
    // Positions outside the list are refused quietly.
    w->SetSomeWidgetPower(false, 6);
    w->SetSomeWidgetPower(false, -1);
    for (QSlider *s : w->findChildren<QSlider *>())
        QVERIFY(s->isEnabled());
}

void TestBinding::angleCheckRefusesARangeWithoutTheWheel_data()
{
    QTest::addColumn<int>("wheel");
    QTest::addColumn<int>("angle");
    QTest::addColumn<bool>("refused");
    QTest::newRow("300 in 500") << 300 << 500 << true;
    QTest::newRow("-300 in 500") << -300 << 500 << true;
    QTest::newRow("300 in 600") << 300 << 600 << false;
    QTest::newRow("300 in 700") << 300 << 700 << false;
}

void TestBinding::angleCheckRefusesARangeWithoutTheWheel()
{
    QFETCH(int, wheel);
    QFETCH(int, angle);
    QFETCH(bool, refused);
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));
    harness.widget()->SetGaugeArcRange(wheel);
    auto *field = harness.child<QLineEdit>("lineStreeingAngle");

    BoxCatcher box;
    box.arm();
    harness.widget()->onEditLineEdit(0, angle);
    WidgetHarness::settle(100);
    QCOMPARE(box.seen, refused);
    if (refused) {
        QCOMPARE(box.title, QStringLiteral("information"));
        QCOMPARE(box.text, QStringLiteral("OutOfAng:%1").arg(angle));
        QCOMPARE(field->text(), QStringLiteral("900"));
        WidgetHarness::settle(800);
        QVERIFY(harness.features().isEmpty());
        return;
    }
    QCOMPARE(field->text(), QString::number(angle));
    const QByteArray sent = harness.waitForFeature(kMachinePrefix, 3000);
    QCOMPARE(byteAt(sent, 2) + 256 * byteAt(sent, 3), angle);
}

void TestBinding::editLineEditSendsOtherFields()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));

    harness.widget()->onEditLineEdit(3, 55);
    QCOMPARE(harness.child<QLineEdit>("lineDamping")->text(), QStringLiteral("55"));
    const QByteArray sent = harness.waitForFeature(kMachinePrefix, 3000);
    QCOMPARE(byteAt(sent, 8), 55);
    // A position past the list changes nothing.
    harness.widget()->onEditLineEdit(7, 1);
    harness.widget()->onEditLineEdit(-1, 1);
}

QTEST_MAIN(TestBinding)
#include "tst_binding.moc"
