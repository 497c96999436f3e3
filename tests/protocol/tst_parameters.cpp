// Lookups in the parameter catalogue: every parameter has its row, found by enumerator and by
// name, with a range that holds more than one value.

#include "parameters.h"

#include <QtTest>

using namespace protocol;

class TestParameters : public QObject
{
    Q_OBJECT

private slots:
    void rowsAreFoundByParameterAndName();
};

void TestParameters::rowsAreFoundByParameterAndName()
{
    for (const ParameterInfo &info : parameterTable()) {
        QCOMPARE(&parameterInfo(info.parameter), &info);
        QCOMPARE(findParameter(QLatin1String(info.name)), &info);
        QVERIFY2(info.range.minimum < info.range.maximum, info.name);
    }
    QVERIFY(!findParameter(QStringLiteral("angle")));
}

QTEST_APPLESS_MAIN(TestParameters)
#include "tst_parameters.moc"
