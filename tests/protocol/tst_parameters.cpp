// Invariants of the parameter catalogue that keep out-of-range values from the base, and the
// button LED order of the live report.

#include "parameters.h"

#include <QtTest>

using namespace protocol;

class TestParameters : public QObject
{
    Q_OBJECT

private slots:
    void rangesHoldTheFormValuesAndTheValidatorsAgree();
    void buttonLedsFollowTheButtonOrder();
};

void TestParameters::rangesHoldTheFormValuesAndTheValidatorsAgree()
{
    const QVector<ValidatorAssignment> validators = validatorAssignments();
    for (const ParameterInfo &info : parameterTable()) {
        QCOMPARE(&parameterInfo(info.parameter), &info);
        QCOMPARE(findParameter(QLatin1String(info.name)), &info);
        QVERIFY2(info.range.minimum < info.range.maximum && info.range.contains(info.formValue),
                 info.name);
        if (info.group == ParameterGroup::Choice)
            continue;
        // The line edit's validator takes exactly what its slider holds (Angle also 0).
        const auto v = std::find_if(validators.begin(), validators.end(), [&](const auto &a) {
            return a.lineEdit == QLatin1String(info.controls.lineEdit);
        });
        QVERIFY2(v != validators.end(), info.name);
        QCOMPARE(v->range.maximum, info.range.maximum);
        QCOMPARE(v->range.minimum, info.parameter == Parameter::Angle ? 0 : info.range.minimum);
    }
    QVERIFY(!findParameter(QStringLiteral("angle")));
}

void TestParameters::buttonLedsFollowTheButtonOrder()
{
    const QStringList leds = buttonLedNames();
    QCOMPARE(leds.size(), ButtonCount);
    const int numbers[][2] = {{0, 1}, {7, 8}, {8, 57}, {47, 96}, {63, 112}};
    for (const auto &n : numbers)
        QCOMPARE(leds.at(n[0]), QStringLiteral("led_%1").arg(n[1]));
}

QTEST_APPLESS_MAIN(TestParameters)
#include "tst_parameters.moc"
