#include "gaugesimple.h"
#include "widgettesthelpers.h"

#include <QSignalSpy>
#include <QTest>

#include <limits>

using namespace WidgetTest;

class TestGaugeSimple : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaults_data();
    void defaults();
    void axisRange();
    void propertyWritesTruncate_data();
    void propertyWritesTruncate();
    void animationSteps_data();
    void animationSteps();
    void animationStopsOnTimer();
    void rangeRules();
    void titleIsNotAProperty();
    void titleWaitsForNextRepaint();
    void accentColoursResetByPaint();
    void overlayPaintLeavesLowerOpacity();
    void unchangedWriteSchedulesNoRepaint_data();
    void unchangedWriteSchedulesNoRepaint();
    void paintsAtOddSizes_data();
    void paintsAtOddSizes();
    void dialIsCentredAndScaled();
    void dialRedrawnAfterChange_data();
    void dialRedrawnAfterChange();
};

void TestGaugeSimple::defaults_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("minValue") << QByteArray("minValue") << QVariant(0.0);
    QTest::newRow("maxValue") << QByteArray("maxValue") << QVariant(100.0);
    QTest::newRow("value") << QByteArray("value") << QVariant(0.0);
    QTest::newRow("scaleMajor") << QByteArray("scaleMajor") << QVariant(10);
    QTest::newRow("scaleMinor") << QByteArray("scaleMinor") << QVariant(10);
    QTest::newRow("startAngle") << QByteArray("startAngle") << QVariant(45);
    QTest::newRow("endAngle") << QByteArray("endAngle") << QVariant(45);
    QTest::newRow("animation") << QByteArray("animation") << QVariant(false);
    QTest::newRow("animationStep") << QByteArray("animationStep") << QVariant(1.0);
    QTest::newRow("usedColor") << QByteArray("usedColor") << QVariant(QColor(100, 184, 255));
    QTest::newRow("freeColor") << QByteArray("freeColor") << QVariant(QColor(100, 100, 100));
    QTest::newRow("scaleColor") << QByteArray("scaleColor") << QVariant(QColor(50, 50, 50));
    QTest::newRow("pointerColor") << QByteArray("pointerColor") << QVariant(QColor(255, 107, 107));
    QTest::newRow("textColor") << QByteArray("textColor") << QVariant(QColor(250, 250, 250));
    QTest::newRow("showOverlay") << QByteArray("showOverlay") << QVariant(false);
    QTest::newRow("overlayColor") << QByteArray("overlayColor")
                                  << QVariant(QColor(255, 255, 255, 60));
    QTest::newRow("pointerStyle") << QByteArray("pointerStyle")
                                  << QVariant::fromValue(GaugeSimple::PointerStyle_Indicator);
}

void TestGaugeSimple::defaults()
{
    QFETCH(QByteArray, property);
    QFETCH(QVariant, expected);

    GaugeSimple gauge;
    const QVariant actual = gauge.property(property.constData());
    QVERIFY2(actual.isValid(), property.constData());
    QCOMPARE(actual, expected);
    QCOMPARE(gauge.sizeHint(), QSize(200, 200));
    QCOMPARE(gauge.minimumSizeHint(), QSize(50, 50));
}

void TestGaugeSimple::axisRange()
{
    GaugeSimple gauge;
    gauge.setRange(0, 4095);
    QSignalSpy spy(&gauge, &GaugeSimple::valueChanged);

    gauge.setValue(4096);
    gauge.setValue(-1);
    QCOMPARE(gauge.value(), 0);
    QCOMPARE(spy.count(), 0);

    gauge.setValue(4095);
    gauge.setValue(4095); // repeated: ignored
    QCOMPARE(gauge.value(), 4095);
    QCOMPARE(gauge.shownValue(), 4095.0);
    QCOMPARE(emittedValues(spy), QList<int>{4095});
    QCOMPARE(gauge.valueText(), QStringLiteral("4095"));
}

void TestGaugeSimple::propertyWritesTruncate_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<double>("input");
    QTest::addColumn<double>("expected");
    QTest::addColumn<QList<int>>("expectedSignals");

    QTest::newRow("maxValue 4095.9") << QByteArray("maxValue") << 4095.9 << 4095.0 << QList<int>{};
    QTest::newRow("minValue toward zero")
        << QByteArray("minValue") << -10.7 << -10.0 << QList<int>{};
    QTest::newRow("value 37.9") << QByteArray("value") << 37.9 << 37.0 << QList<int>{37};
    QTest::newRow("value below one") << QByteArray("value") << 0.9 << 0.0 << QList<int>{};
    QTest::newRow("animationStep 2.9") << QByteArray("animationStep") << 2.9 << 2.0 << QList<int>{};
    QTest::newRow("beyond int ignored") << QByteArray("maxValue") << 1e12 << 100.0 << QList<int>{};
    QTest::newRow("not a number ignored")
        << QByteArray("maxValue") << std::numeric_limits<double>::quiet_NaN() << 100.0
        << QList<int>{};
}

void TestGaugeSimple::propertyWritesTruncate()
{
    QFETCH(QByteArray, property);
    QFETCH(double, input);
    QFETCH(double, expected);
    QFETCH(QList<int>, expectedSignals);

    GaugeSimple gauge;
    QSignalSpy spy(&gauge, &GaugeSimple::valueChanged);

    QVERIFY(gauge.setProperty(property.constData(), input));
    QCOMPARE(gauge.property(property.constData()).toDouble(), expected);
    QCOMPARE(emittedValues(spy), expectedSignals);
}

void TestGaugeSimple::animationSteps_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("step");
    QTest::addColumn<QList<double>>("shown");

    QTest::newRow("upward passes target") << 0 << 5 << 2 << QList<double>{2, 4, 6};
    QTest::newRow("upward lands on target") << 0 << 3 << 1 << QList<double>{1, 2, 3};
    QTest::newRow("downward") << 100 << 95 << 2 << QList<double>{98, 96, 94};
}

void TestGaugeSimple::animationSteps()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, step);
    QFETCH(QList<double>, shown);

    GaugeSimple gauge;
    gauge.setValue(from);
    gauge.setAnimation(true);
    gauge.setAnimationStep(step);
    QVERIFY(!gauge.isAnimating());

    gauge.setValue(to);
    QVERIFY(gauge.isAnimating());
    for (int i = 0; i < shown.size(); ++i) {
        gauge.updateValue();
        QCOMPARE(gauge.shownValue(), shown.at(i));
        QVERIFY(gauge.isAnimating());
    }
    gauge.updateValue();
    QVERIFY(!gauge.isAnimating());
    QCOMPARE(gauge.shownValue(), shown.last());
}

void TestGaugeSimple::animationStopsOnTimer()
{
    GaugeSimple gauge;
    gauge.setRange(0, 4095);
    gauge.setAnimation(true);
    gauge.setAnimationStep(1000);
    gauge.setValue(2500);
    QTRY_VERIFY(!gauge.isAnimating());
    QCOMPARE(gauge.shownValue(), 3000.0);

    // A zero step would never arrive: the pointer jumps and the timer stops.
    gauge.setAnimationStep(0);
    gauge.setValue(10);
    QTRY_VERIFY(!gauge.isAnimating());
    QCOMPARE(gauge.shownValue(), 10.0);
}

void TestGaugeSimple::rangeRules()
{
    GaugeSimple gauge;
    gauge.setValue(50);

    gauge.setRange(10, 10);
    gauge.setRange(20, 5);
    QCOMPARE(gauge.minValue(), 0);
    QCOMPARE(gauge.maxValue(), 100);

    gauge.setMinValue(100); // not below the maximum
    gauge.setMaxValue(0);   // not above the minimum
    QCOMPARE(gauge.minValue(), 0);
    QCOMPARE(gauge.maxValue(), 100);

    // A new range that still holds the value keeps it.
    gauge.setRange(0, 4095);
    QCOMPARE(gauge.value(), 50);
    QCOMPARE(gauge.shownValue(), 50.0);

    // One that excludes it keeps it too; only new writes are checked.
    gauge.setRange(100, 200);
    QCOMPARE(gauge.value(), 50);

    // The widest range cannot overflow the scale arithmetic.
    gauge.setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    gauge.resize(150, 150);
    QVERIFY(!renderTransparent(&gauge).isNull());
}

void TestGaugeSimple::titleIsNotAProperty()
{
    GaugeSimple gauge;
    gauge.setProperty("title", QStringLiteral("RZ"));
    QCOMPARE(gauge.title(), QString());
    gauge.setTitle(QStringLiteral("RZ"));
    QCOMPARE(gauge.title(), QStringLiteral("RZ"));
}

void TestGaugeSimple::titleWaitsForNextRepaint()
{
    GaugeSimple gauge;
    gauge.resize(120, 120);
    QVERIFY(showAndSettle(&gauge));
    PaintCounter paints(&gauge);

    gauge.setTitle(QStringLiteral("X"));
    settle();
    QCOMPARE(paints.count(), 0);

    gauge.setValue(5);
    QTRY_VERIFY(paints.count() > 0);
    QCOMPARE(gauge.title(), QStringLiteral("X"));
}

void TestGaugeSimple::accentColoursResetByPaint()
{
    GaugeSimple gauge;
    gauge.resize(100, 100);
    gauge.setPointerColor(Qt::red);
    gauge.setUsedColor(Qt::green);
    renderTransparent(&gauge);
    QCOMPARE(gauge.pointerColor(), kAccent);
    QCOMPARE(gauge.usedColor(), kAccent);
}

void TestGaugeSimple::overlayPaintLeavesLowerOpacity()
{
    GaugeSimple gauge;
    gauge.resize(100, 100);

    renderTransparent(&gauge); // overlay off: the tint stays as set
    QCOMPARE(gauge.overlayColor().alpha(), 60);

    gauge.setShowOverlay(true);
    renderTransparent(&gauge);
    QCOMPARE(gauge.overlayColor(), QColor(255, 255, 255, 30));
}

void TestGaugeSimple::unchangedWriteSchedulesNoRepaint_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("other");

    QTest::newRow("freeColor") << QByteArray("freeColor") << QVariant(QColor(57, 65, 68));
    QTest::newRow("scaleColor") << QByteArray("scaleColor") << QVariant(QColor(1, 2, 3));
    QTest::newRow("textColor") << QByteArray("textColor") << QVariant(QColor(4, 5, 6));
    QTest::newRow("overlayColor") << QByteArray("overlayColor") << QVariant(QColor(10, 20, 30, 30));
    QTest::newRow("showOverlay") << QByteArray("showOverlay") << QVariant(true);
    QTest::newRow("maxValue") << QByteArray("maxValue") << QVariant(4095.0);
    QTest::newRow("scaleMajor") << QByteArray("scaleMajor") << QVariant(5);
    QTest::newRow("pointerStyle") << QByteArray("pointerStyle")
                                  << QVariant::fromValue(GaugeSimple::PointerStyle_Triangle);
}

void TestGaugeSimple::unchangedWriteSchedulesNoRepaint()
{
    QFETCH(QByteArray, property);
    QFETCH(QVariant, other);

    GaugeSimple gauge;
    gauge.resize(120, 120);
    verifyWriteRepaintsOnlyOnChange(&gauge, property, other);
}

void TestGaugeSimple::paintsAtOddSizes_data()
{
    QTest::addColumn<QSize>("size");

    QTest::newRow("empty") << QSize(0, 0);
    QTest::newRow("one pixel") << QSize(1, 1);
    QTest::newRow("sliver") << QSize(400, 1);
    QTest::newRow("landscape") << QSize(400, 300);
}

void TestGaugeSimple::paintsAtOddSizes()
{
    QFETCH(QSize, size);

    for (int style = GaugeSimple::PointerStyle_Circle; style <= GaugeSimple::PointerStyle_Triangle;
         ++style) {
        GaugeSimple gauge;
        gauge.setPointerStyle(GaugeSimple::PointerStyle(style));
        gauge.setShowOverlay(true);
        gauge.setTitle(QStringLiteral("RX"));
        gauge.setValue(63);
        gauge.resize(size);
        QCOMPARE(renderTransparent(&gauge).size(), size);
    }
}

void TestGaugeSimple::dialIsCentredAndScaled()
{
    // 300 x 400: side 300, scale 1.5, centre (150, 200); the outline's logical radius 99
    // reaches 148.5 pixels from the centre.
    GaugeSimple gauge;
    gauge.resize(300, 400);
    const QImage image = renderTransparent(&gauge);

    const auto left = firstInkedColumn(image, 200);
    QVERIFY(left.has_value());
    QVERIFY2(*left >= 0 && *left <= 3, qPrintable(QString::number(*left)));

    const auto top = firstInkedRow(image, 150);
    QVERIFY(top.has_value());
    QVERIFY2(*top >= 50 && *top <= 53, qPrintable(QString::number(*top)));
}

void TestGaugeSimple::dialRedrawnAfterChange_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("value");
    QTest::newRow("minValue") << QByteArray("minValue") << QVariant(-50.0);
    QTest::newRow("maxValue") << QByteArray("maxValue") << QVariant(4095.0);
    QTest::newRow("scaleMajor") << QByteArray("scaleMajor") << QVariant(4);
    QTest::newRow("scaleMinor") << QByteArray("scaleMinor") << QVariant(3);
    QTest::newRow("startAngle") << QByteArray("startAngle") << QVariant(90);
    QTest::newRow("endAngle") << QByteArray("endAngle") << QVariant(10);
    QTest::newRow("scaleColor") << QByteArray("scaleColor") << QVariant(QColor(Qt::red));
    QTest::newRow("font") << QByteArray("font") << QVariant(QFont(QStringLiteral("Arial"), 14));
    QTest::newRow("size") << QByteArray("size") << QVariant(QSize(150, 120));
}

void TestGaugeSimple::dialRedrawnAfterChange()
{
    QFETCH(QByteArray, property);
    QFETCH(QVariant, value);
    checkDialRedrawnAfter<GaugeSimple>(property.constData(), value);
}

QTEST_MAIN(TestGaugeSimple)
#include "tst_gaugesimple.moc"
