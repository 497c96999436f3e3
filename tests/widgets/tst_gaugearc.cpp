#include "gaugearc.h"
#include "widgettesthelpers.h"

#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <limits>

using namespace WidgetTest;

class TestGaugeArc : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaults_data();
    void defaults();
    void setValue_data();
    void setValue();
    void jumpWithoutAnimation();
    void animationSteps_data();
    void animationSteps();
    void animationStopsOnTimer();
    void retargetDuringAnimation();
    void nonPositiveStepJumps();
    void precision_data();
    void precision();
    void range_data();
    void range();
    void rangeExcludingValueKeepsIt();
    void pointerColourResetByPaint();
    void propertyWritesUseSetters();
    void unchangedWriteSchedulesNoRepaint_data();
    void unchangedWriteSchedulesNoRepaint();
    void paintsAtOddSizes_data();
    void paintsAtOddSizes();
    void dialIsCentredAndScaled();
    void dialRedrawnAfterChange_data();
    void dialRedrawnAfterChange();
};

void TestGaugeArc::defaults_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("minValue") << QByteArray("minValue") << QVariant(0.0);
    QTest::newRow("maxValue") << QByteArray("maxValue") << QVariant(100.0);
    QTest::newRow("value") << QByteArray("value") << QVariant(0.0);
    QTest::newRow("precision") << QByteArray("precision") << QVariant(0);
    QTest::newRow("scaleMajor") << QByteArray("scaleMajor") << QVariant(10);
    QTest::newRow("scaleMinor") << QByteArray("scaleMinor") << QVariant(10);
    QTest::newRow("startAngle") << QByteArray("startAngle") << QVariant(45);
    QTest::newRow("endAngle") << QByteArray("endAngle") << QVariant(45);
    QTest::newRow("animation") << QByteArray("animation") << QVariant(false);
    QTest::newRow("animationStep") << QByteArray("animationStep") << QVariant(0.5);
    QTest::newRow("arcColor") << QByteArray("arcColor") << QVariant(QColor(50, 50, 50));
    QTest::newRow("scaleColor") << QByteArray("scaleColor") << QVariant(QColor(60, 60, 60));
    QTest::newRow("scaleNumColor") << QByteArray("scaleNumColor") << QVariant(QColor(20, 20, 20));
    QTest::newRow("pointerColor") << QByteArray("pointerColor") << QVariant(QColor(255, 107, 107));
    QTest::newRow("textColor") << QByteArray("textColor") << QVariant(QColor(100, 184, 255));
    QTest::newRow("pointerStyle") << QByteArray("pointerStyle")
                                  << QVariant::fromValue(GaugeArc::PointerStyle_Indicator);
}

void TestGaugeArc::defaults()
{
    QFETCH(QByteArray, property);
    QFETCH(QVariant, expected);

    GaugeArc gauge;
    const QVariant actual = gauge.property(property.constData());
    QVERIFY2(actual.isValid(), property.constData());
    QCOMPARE(actual, expected);
    QCOMPARE(gauge.sizeHint(), QSize(200, 200));
    QCOMPARE(gauge.minimumSizeHint(), QSize(50, 50));
}

void TestGaugeArc::setValue_data()
{
    QTest::addColumn<double>("minValue");
    QTest::addColumn<double>("maxValue");
    QTest::addColumn<double>("input");
    QTest::addColumn<double>("expectedValue");
    QTest::addColumn<QList<int>>("expectedSignals");

    QTest::newRow("fraction truncated in signal") << 0.0 << 100.0 << 37.9 << 37.9 << QList<int>{37};
    QTest::newRow("negative truncated toward zero")
        << -100.0 << 100.0 << -37.9 << -37.9 << QList<int>{-37};
    QTest::newRow("upper end accepted") << 0.0 << 100.0 << 100.0 << 100.0 << QList<int>{100};
    QTest::newRow("lower end accepted") << 10.0 << 100.0 << 10.0 << 10.0 << QList<int>{10};
    QTest::newRow("above range ignored") << 0.0 << 100.0 << 150.0 << 0.0 << QList<int>{};
    QTest::newRow("below range ignored") << 0.0 << 100.0 << -0.5 << 0.0 << QList<int>{};
    QTest::newRow("equal value ignored") << -10.0 << 10.0 << 0.0 << 0.0 << QList<int>{};
    QTest::newRow("not a number ignored")
        << 0.0 << 100.0 << std::numeric_limits<double>::quiet_NaN() << 0.0 << QList<int>{};
    QTest::newRow("wide range saturates signal")
        << -1e12 << 1e12 << 5e11 << 5e11 << QList<int>{std::numeric_limits<int>::max()};
}

void TestGaugeArc::setValue()
{
    QFETCH(double, minValue);
    QFETCH(double, maxValue);
    QFETCH(double, input);
    QFETCH(double, expectedValue);
    QFETCH(QList<int>, expectedSignals);

    GaugeArc gauge;
    gauge.setRange(minValue, maxValue);
    QSignalSpy spy(&gauge, &GaugeArc::valueChanged);

    gauge.setValue(input);

    QCOMPARE(gauge.value(), expectedValue);
    QCOMPARE(gauge.shownValue(), expectedValue);
    QCOMPARE(emittedValues(spy), expectedSignals);
    QVERIFY(!gauge.isAnimating());
}

void TestGaugeArc::jumpWithoutAnimation()
{
    GaugeArc gauge;
    gauge.setValue(42);
    QCOMPARE(gauge.value(), 42.0);
    QCOMPARE(gauge.shownValue(), 42.0);
    QVERIFY(!gauge.isAnimating());

    // The int overload converts and follows the same rules.
    QSignalSpy spy(&gauge, &GaugeArc::valueChanged);
    gauge.setValue(int(42));
    QCOMPARE(spy.count(), 0);
    gauge.setValue(int(7));
    QCOMPARE(emittedValues(spy), QList<int>{7});
}

void TestGaugeArc::animationSteps_data()
{
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");
    QTest::addColumn<double>("step");
    QTest::addColumn<QList<double>>("shown");

    QTest::newRow("upward passes target by less than a step")
        << 0.0 << 1.2 << 0.5 << QList<double>{0.5, 1.0, 1.5};
    QTest::newRow("upward lands on target") << 0.0 << 1.0 << 0.5 << QList<double>{0.5, 1.0};
    QTest::newRow("downward") << 2.0 << 0.6 << 0.5 << QList<double>{1.5, 1.0, 0.5};
    QTest::newRow("large step") << 10.0 << 40.0 << 25.0 << QList<double>{35.0, 60.0};
}

void TestGaugeArc::animationSteps()
{
    QFETCH(double, from);
    QFETCH(double, to);
    QFETCH(double, step);
    QFETCH(QList<double>, shown);

    GaugeArc gauge;
    gauge.setValue(from);
    gauge.setAnimation(true);
    gauge.setAnimationStep(step);
    QVERIFY(!gauge.isAnimating());

    gauge.setValue(to);
    QVERIFY(gauge.isAnimating());
    QCOMPARE(gauge.shownValue(), from);

    for (int i = 0; i < shown.size(); ++i) {
        gauge.updateValue();
        QVERIFY2(qFuzzyCompare(gauge.shownValue(), shown.at(i)), qPrintable(QString::number(i)));
        QVERIFY(gauge.isAnimating());
    }
    // The next tick finds the target reached or passed and stops without moving.
    gauge.updateValue();
    QVERIFY(!gauge.isAnimating());
    QVERIFY(qFuzzyCompare(gauge.shownValue(), shown.last()));
    QCOMPARE(gauge.value(), to);
}

void TestGaugeArc::animationStopsOnTimer()
{
    GaugeArc gauge;
    gauge.setAnimation(true);
    gauge.setValue(1.2);
    QVERIFY(gauge.isAnimating());
    QTRY_VERIFY(!gauge.isAnimating());
    QVERIFY(qFuzzyCompare(gauge.shownValue(), 1.5));
}

void TestGaugeArc::retargetDuringAnimation()
{
    GaugeArc gauge;
    gauge.setAnimation(true);
    gauge.setAnimationStep(1);
    gauge.setValue(100);
    for (int i = 0; i < 50; ++i)
        gauge.updateValue();
    QCOMPARE(gauge.shownValue(), 50.0);

    // Below the old target but above the pointer: the pointer must still climb to it.
    gauge.setValue(60);
    for (int i = 0; i < 200 && gauge.isAnimating(); ++i)
        gauge.updateValue();
    QVERIFY(!gauge.isAnimating());
    QCOMPARE(gauge.shownValue(), 60.0);

    gauge.setValue(20);
    for (int i = 0; i < 200 && gauge.isAnimating(); ++i)
        gauge.updateValue();
    QCOMPARE(gauge.shownValue(), 20.0);
}

void TestGaugeArc::nonPositiveStepJumps()
{
    GaugeArc gauge;
    gauge.setAnimation(true);
    gauge.setAnimationStep(0);
    gauge.setValue(10);
    gauge.updateValue();
    QVERIFY(!gauge.isAnimating());
    QCOMPARE(gauge.shownValue(), 10.0);

    gauge.setAnimationStep(-1);
    gauge.setValue(5);
    gauge.updateValue();
    QVERIFY(!gauge.isAnimating());
    QCOMPARE(gauge.shownValue(), 5.0);
}

void TestGaugeArc::precision_data()
{
    QTest::addColumn<int>("input");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("text");

    QTest::newRow("two decimals") << 2 << 2 << QStringLiteral("37.90");
    QTest::newRow("three decimals") << 3 << 3 << QStringLiteral("37.900");
    QTest::newRow("four ignored") << 4 << 0 << QStringLiteral("38");
    QTest::newRow("large ignored") << 100 << 0 << QStringLiteral("38");
}

void TestGaugeArc::precision()
{
    QFETCH(int, input);
    QFETCH(int, expected);
    QFETCH(QString, text);

    GaugeArc gauge;
    gauge.setValue(37.9);
    gauge.setPrecision(input);
    QCOMPARE(gauge.precision(), expected);
    QCOMPARE(gauge.valueText(), text);
}

void TestGaugeArc::range_data()
{
    QTest::addColumn<double>("minValue");
    QTest::addColumn<double>("maxValue");
    QTest::addColumn<double>("expectedMin");
    QTest::addColumn<double>("expectedMax");

    QTest::newRow("equal ends ignored") << 10.0 << 10.0 << 0.0 << 100.0;
    QTest::newRow("inverted ignored") << 50.0 << 10.0 << 0.0 << 100.0;
    QTest::newRow("wheel range stored") << -450.0 << 450.0 << -450.0 << 450.0;
    QTest::newRow("fractional stored") << 0.25 << 0.75 << 0.25 << 0.75;
    QTest::newRow("infinite ignored")
        << -std::numeric_limits<double>::infinity() << 1.0 << 0.0 << 100.0;
}

void TestGaugeArc::range()
{
    QFETCH(double, minValue);
    QFETCH(double, maxValue);
    QFETCH(double, expectedMin);
    QFETCH(double, expectedMax);

    GaugeArc gauge;
    gauge.setRange(minValue, maxValue);
    QCOMPARE(gauge.minValue(), expectedMin);
    QCOMPARE(gauge.maxValue(), expectedMax);

    // The int overload and the single-end setters follow the same rule.
    if (std::isfinite(minValue) && std::trunc(minValue) == minValue &&
        std::trunc(maxValue) == maxValue) {
        GaugeArc viaInt;
        viaInt.setRange(int(minValue), int(maxValue));
        QCOMPARE(viaInt.minValue(), expectedMin);
        QCOMPARE(viaInt.maxValue(), expectedMax);
    }

    GaugeArc ends;
    ends.setMinValue(150); // not below the maximum 100
    QCOMPARE(ends.minValue(), 0.0);
    ends.setMaxValue(-5); // not above the minimum 0
    QCOMPARE(ends.maxValue(), 100.0);
    ends.setMinValue(-20);
    ends.setMaxValue(20);
    QCOMPARE(ends.minValue(), -20.0);
    QCOMPARE(ends.maxValue(), 20.0);
}

void TestGaugeArc::rangeExcludingValueKeepsIt()
{
    GaugeArc gauge;
    gauge.setRange(-450, 450);
    gauge.setValue(400);
    gauge.setRange(-270, 270);
    QCOMPARE(gauge.value(), 400.0);
    QCOMPARE(gauge.shownValue(), 400.0);
    gauge.resize(200, 200);
    QVERIFY(!renderTransparent(&gauge).isNull());
}

void TestGaugeArc::pointerColourResetByPaint()
{
    GaugeArc gauge;
    gauge.resize(100, 100);
    gauge.setPointerColor(Qt::red);
    QCOMPARE(gauge.pointerColor(), QColor(Qt::red));
    renderTransparent(&gauge);
    QCOMPARE(gauge.pointerColor(), kAccent);
}

void TestGaugeArc::propertyWritesUseSetters()
{
    GaugeArc gauge;
    QSignalSpy spy(&gauge, &GaugeArc::valueChanged);

    QVERIFY(gauge.setProperty("value", 37.9));
    QCOMPARE(gauge.value(), 37.9);
    QCOMPARE(emittedValues(spy), QList<int>{37});

    QVERIFY(gauge.setProperty("value", 150.0)); // written, but refused by the setter
    QCOMPARE(gauge.value(), 37.9);

    gauge.setProperty("precision", 4);
    QCOMPARE(gauge.precision(), 0);

    gauge.setProperty("minValue", -450.0);
    gauge.setProperty("maxValue", 450.0);
    QCOMPARE(gauge.minValue(), -450.0);
    QCOMPARE(gauge.maxValue(), 450.0);

    QVERIFY(gauge.setProperty("pointerStyle", QStringLiteral("PointerStyle_Triangle")));
    QCOMPARE(gauge.pointerStyle(), GaugeArc::PointerStyle_Triangle);
}

void TestGaugeArc::unchangedWriteSchedulesNoRepaint_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("other");

    QTest::newRow("arcColor") << QByteArray("arcColor") << QVariant(QColor(253, 253, 253));
    QTest::newRow("scaleColor") << QByteArray("scaleColor") << QVariant(QColor(1, 2, 3));
    QTest::newRow("scaleNumColor") << QByteArray("scaleNumColor") << QVariant(QColor(4, 5, 6));
    QTest::newRow("textColor") << QByteArray("textColor") << QVariant(QColor(7, 8, 9));
    QTest::newRow("precision") << QByteArray("precision") << QVariant(2);
    QTest::newRow("scaleMajor") << QByteArray("scaleMajor") << QVariant(5);
    QTest::newRow("startAngle") << QByteArray("startAngle") << QVariant(30);
    QTest::newRow("animationStep") << QByteArray("animationStep") << QVariant(2.5);
    QTest::newRow("pointerStyle") << QByteArray("pointerStyle")
                                  << QVariant::fromValue(GaugeArc::PointerStyle_Circle);
}

void TestGaugeArc::unchangedWriteSchedulesNoRepaint()
{
    QFETCH(QByteArray, property);
    QFETCH(QVariant, other);

    GaugeArc gauge;
    gauge.resize(120, 120);
    verifyWriteRepaintsOnlyOnChange(&gauge, property, other);
}

void TestGaugeArc::paintsAtOddSizes_data()
{
    QTest::addColumn<QSize>("size");

    QTest::newRow("empty") << QSize(0, 0);
    QTest::newRow("one pixel") << QSize(1, 1);
    QTest::newRow("sliver") << QSize(1, 400);
    QTest::newRow("landscape") << QSize(400, 300);
}

void TestGaugeArc::paintsAtOddSizes()
{
    QFETCH(QSize, size);

    for (int style = GaugeArc::PointerStyle_Circle; style <= GaugeArc::PointerStyle_Triangle;
         ++style) {
        GaugeArc gauge;
        gauge.setPointerStyle(GaugeArc::PointerStyle(style));
        gauge.setValue(63);
        gauge.resize(size);
        const QImage image = renderTransparent(&gauge);
        QCOMPARE(image.size(), size);
    }
}

void TestGaugeArc::dialIsCentredAndScaled()
{
    // 400 x 300: side 300, scale 1.5, centre (200, 150). The outer outline circle has a
    // logical radius of 99, so it reaches 148.5 pixels from the centre.
    GaugeArc gauge;
    gauge.resize(400, 300);
    const QImage image = renderTransparent(&gauge);

    const auto top = firstInkedRow(image, 200);
    QVERIFY(top.has_value());
    QVERIFY2(*top >= 0 && *top <= 3, qPrintable(QString::number(*top)));

    const auto left = firstInkedColumn(image, 150);
    QVERIFY(left.has_value());
    QVERIFY2(*left >= 50 && *left <= 53, qPrintable(QString::number(*left)));

    const auto right = firstInkedColumn(image, 150, true);
    QVERIFY(right.has_value());
    QVERIFY2(*right >= 346 && *right <= 349, qPrintable(QString::number(*right)));

    // The outline is drawn in the accent colour.
    const QColor outline = QColor::fromRgba(image.pixel(*left, 150)).toRgb();
    QVERIFY(outline.blue() > outline.red());
}

void TestGaugeArc::dialRedrawnAfterChange_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("value");
    QTest::newRow("minValue") << QByteArray("minValue") << QVariant(-50.0);
    QTest::newRow("maxValue") << QByteArray("maxValue") << QVariant(900.0);
    QTest::newRow("precision") << QByteArray("precision") << QVariant(2);
    QTest::newRow("scaleMajor") << QByteArray("scaleMajor") << QVariant(4);
    QTest::newRow("scaleMinor") << QByteArray("scaleMinor") << QVariant(3);
    QTest::newRow("startAngle") << QByteArray("startAngle") << QVariant(90);
    QTest::newRow("endAngle") << QByteArray("endAngle") << QVariant(10);
    QTest::newRow("scaleColor") << QByteArray("scaleColor") << QVariant(QColor(Qt::red));
    QTest::newRow("arcColor") << QByteArray("arcColor") << QVariant(QColor(Qt::red));
    QTest::newRow("scaleNumColor") << QByteArray("scaleNumColor") << QVariant(QColor(Qt::red));
    QTest::newRow("font") << QByteArray("font") << QVariant(QFont(QStringLiteral("Arial"), 14));
    QTest::newRow("size") << QByteArray("size") << QVariant(QSize(150, 120));
}

void TestGaugeArc::dialRedrawnAfterChange()
{
    QFETCH(QByteArray, property);
    QFETCH(QVariant, value);
    checkDialRedrawnAfter<GaugeArc>(property.constData(), value);
}

QTEST_MAIN(TestGaugeArc)
#include "tst_gaugearc.moc"
