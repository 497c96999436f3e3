// The boundary guard: the checked builders build a report only from values
// inside the catalogue's ranges. Each row changes one parameter of the form's
// start values (angle 900, force -100, filter 1, game 100 150 99 189 100 200).

#include "formcatalogue.h"
#include "reports.h"

#include <QtTest>

using namespace protocol;
using P = Parameter;

class TestGuard : public QObject
{
    Q_OBJECT

private slots:
    void refusesValuesOutsideTheirRange_data();
    void refusesValuesOutsideTheirRange();
};

void TestGuard::refusesValuesOutsideTheirRange_data()
{
    QTest::addColumn<int>("parameter");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("center");
    QTest::addColumn<QByteArray>("expected"); // empty: refused
    const struct
    {
        const char *name;
        P parameter;
        int value;
        bool center;
        const char *expected;
    } rows[] = {
        {"angle 0", P::Angle, 0, false, ""},
        {"angle 1", P::Angle, 1, false, "80 01 01 00 00 9C 01 00 00 00 00"},
        {"angle 1600, center", P::Angle, 1600, true, "80 01 40 06 2D 9C 01 00 00 00 00"},
        {"angle 1601", P::Angle, 1601, false, ""},
        {"force -101", P::TotalForce, -101, false, ""},
        {"force 100", P::TotalForce, 100, false, "80 01 84 03 00 64 01 00 00 00 00"},
        {"force 101", P::TotalForce, 101, false, ""},
        {"filter -1", P::FilterFrequency, -1, false, ""},
        {"spring 101", P::WheelSpring, 101, false, ""},
        {"friction 256", P::WheelFriction, 256, false, ""},
        {"game spring 201", P::GameSpring, 201, false, ""},
        {"period force 200", P::PeriodForce, 200, false, "80 02 64 96 63 BD 64 C8 00 00 00"},
        {"constant force -1", P::ConstantForce, -1, false, ""},
        {"suspension -1", P::Suspension, -1, false, ""},
        {"suspension 3", P::Suspension, 3, false, ""},
        {"response 1", P::Response, 1, false, "80 04 00 00 01 00 00 00 00 00 00"},
        {"response 2", P::Response, 2, false, ""},
    };
    for (const auto &r : rows)
        QTest::newRow(r.name) << int(r.parameter) << r.value << r.center
                              << QByteArray::fromHex(r.expected);
}

void TestGuard::refusesValuesOutsideTheirRange()
{
    QFETCH(int, parameter);
    QFETCH(int, value);
    QFETCH(bool, center);
    QFETCH(QByteArray, expected);
    ParameterValues values = form::startValues();
    values.setValue(P(parameter), value);
    std::optional<QByteArray> built;
    switch (parameterInfo(P(parameter)).field.subCommand) {
    case SubCommand::MachineSettings:
        built = checkedMachineSettingsReport(values, center);
        break;
    case SubCommand::GameSettings:
        built = checkedGameSettingsReport(values);
        break;
    default:
        built = checkedModeReport(values);
        break;
    }
    QCOMPARE(built.value_or(QByteArray()), expected);
    QCOMPARE(valuesOutOfRange(parameterInfo(P(parameter)).field.subCommand, values).size(),
             expected.isEmpty() ? 1 : 0);
}

QTEST_APPLESS_MAIN(TestGuard)
#include "tst_guard.moc"
