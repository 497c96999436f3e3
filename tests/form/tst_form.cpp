// The generated form against the form catalogue: the sliders are what keeps values in their
// ranges, so every parameter's controls must exist with the catalogue's kind, range, step and
// start value, every field must take its slider's range, and every control the window reaches
// by name must exist.

#include "formcatalogue.h"
#include "gaugesimple.h"
#include "indicatorlooks.h"
#include "ui_widget.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QtTest>

using namespace form;
using protocol::IntRange;

class TestForm : public QObject
{
    Q_OBJECT

private slots:
    void controlsFollowTheCatalogue();
};

void TestForm::controlsFollowTheCatalogue()
{
    QWidget window;
    Ui::Widget ui;
    ui.setupUi(&window);
    const auto find = [&window](const char *name, const char *cls) {
        QObject *object = window.findChild<QObject *>(QLatin1String(name));
        return object && object->inherits(cls) ? object : nullptr;
    };
    const auto checkSlider = [&](const char *name, IntRange range, int step, int value) {
        auto *slider = qobject_cast<QSlider *>(find(name, "QSlider"));
        QVERIFY2(slider, name);
        QCOMPARE(slider->minimum(), range.minimum);
        QCOMPARE(slider->maximum(), range.maximum);
        QCOMPARE(slider->pageStep(), step);
        QCOMPARE(slider->value(), value);
    };
    const QVector<ValidatorAssignment> validators = validatorAssignments();
    for (const protocol::ParameterInfo &info : protocol::parameterTable()) {
        const ParameterForm &row = parameterForm(info.parameter);
        QVERIFY2(find(row.controls.label, "QLabel"), info.name);
        if (info.group == protocol::ParameterGroup::Choice) {
            auto *combo = qobject_cast<QComboBox *>(find(row.controls.combo, "QComboBox"));
            QVERIFY2(combo, info.name);
            QCOMPARE(combo->count(), info.range.maximum + 1);
            QCOMPARE(combo->currentIndex(), row.startValue);
            continue;
        }
        checkSlider(row.controls.slider, info.range, row.pageStep, row.startValue);
        QVERIFY2(find(row.controls.lineEdit, "QLineEdit"), row.controls.lineEdit);
        // The line edit's validator takes exactly what its slider holds (Angle also 0).
        const auto v = std::find_if(validators.begin(), validators.end(), [&](const auto &a) {
            return a.lineEdit == QLatin1String(row.controls.lineEdit);
        });
        QVERIFY2(v != validators.end(), info.name);
        QCOMPARE(v->range.maximum, info.range.maximum);
        QCOMPARE(v->range.minimum,
                 info.parameter == protocol::Parameter::Angle ? 0 : info.range.minimum);
    }
    for (const UnboundSliderRow &row : unboundPeriodicRows()) {
        checkSlider(row.slider, protocol::parameterInfo(row.rangeOf).range, row.pageStep,
                    row.startValue);
        QVERIFY2(find(row.lineEdit, "QLineEdit"), row.lineEdit);
    }
    for (const AxisControls &axis : axisControls()) {
        QVERIFY2(find(axis.gauge, "GaugeSimple"), axis.gauge);
        QVERIFY2(find(axis.directionSwitch, "SwitchButton"), axis.directionSwitch);
    }
    for (const QString &name : calibrationLimitNames())
        QVERIFY2(find(qPrintable(name), "QLineEdit"), qPrintable(name));
    for (const QString &name : buttonLedNames() + pilotLampNames())
        QVERIFY2(find(qPrintable(name), "QLabel"), qPrintable(name));
    for (const char *name : {FirmwareLabelObject, VoltageLabelObject, VoltageUnitLabelObject})
        QVERIFY2(find(name, "QLabel"), name);
    QVERIFY(find(WheelGaugeObject, "GaugeArc"));
    // Button k lights the k-th LED of the two numbered runs.
    const QStringList leds = buttonLedNames();
    QCOMPARE(leds.size(), protocol::ButtonCount);
    const int numbers[][2] = {{0, 1}, {7, 8}, {8, 57}, {47, 96}, {63, 112}};
    for (const auto &n : numbers)
        QCOMPARE(leds.at(n[0]), QStringLiteral("led_%1").arg(n[1]));
}

QTEST_MAIN(TestForm)
#include "tst_form.moc"
