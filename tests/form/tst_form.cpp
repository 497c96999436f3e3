// The generated form against the parameter catalogue: the sliders are what keeps values in
// their ranges, so every parameter's controls must exist with the catalogue's kind, range,
// step and start value, and every control the window reaches by name must exist.

#include "gaugesimple.h"
#include "parameters.h"
#include "ui_widget.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QtTest>

using namespace protocol;

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
    for (const ParameterInfo &info : parameterTable()) {
        QVERIFY2(find(info.controls.label, "QLabel"), info.name);
        if (info.group == ParameterGroup::Choice) {
            auto *combo = qobject_cast<QComboBox *>(find(info.controls.combo, "QComboBox"));
            QVERIFY2(combo, info.name);
            QCOMPARE(combo->count(), info.range.maximum + 1);
            QCOMPARE(combo->currentIndex(), info.formValue);
            continue;
        }
        checkSlider(info.controls.slider, info.range, info.pageStep, info.formValue);
        QVERIFY2(find(info.controls.lineEdit, "QLineEdit"), info.controls.lineEdit);
    }
    for (const UnboundSliderRow &row : unboundPeriodicRows()) {
        checkSlider(row.slider, row.range, row.pageStep, row.formValue);
        QVERIFY2(find(row.lineEdit, "QLineEdit"), row.lineEdit);
    }
    for (const AxisInfo &axis : axisTable()) {
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
}

QTEST_MAIN(TestForm)
#include "tst_form.moc"
