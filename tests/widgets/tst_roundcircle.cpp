#include "roundcircle.h"
#include "widgettesthelpers.h"

#include <QTest>

using namespace WidgetTest;

class TestRoundCircle : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaults_data();
    void defaults();
    void wrap_data();
    void wrap();
    void runsOnlyWhileVisible();
    void pausesWithHiddenParent();
    void discGeometry();
    void directionFollowsClockWise();
    void paintsAtOddSizes_data();
    void paintsAtOddSizes();
};

void TestRoundCircle::defaults_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("step") << QByteArray("step") << QVariant(5);
    QTest::newRow("clockWise") << QByteArray("clockWise") << QVariant(true);
    QTest::newRow("bgColorStart") << QByteArray("bgColorStart") << QVariant(QColor(65, 65, 65));
    QTest::newRow("bgColorEnd") << QByteArray("bgColorEnd") << QVariant(QColor(89, 89, 89));
    QTest::newRow("pieColor1Start")
        << QByteArray("pieColor1Start") << QVariant(QColor(0, 133, 203));
    QTest::newRow("pieColor1End") << QByteArray("pieColor1End") << QVariant(QColor(0, 118, 177));
    QTest::newRow("pieColor2Start")
        << QByteArray("pieColor2Start") << QVariant(QColor(255, 255, 255));
    QTest::newRow("pieColor2End") << QByteArray("pieColor2End") << QVariant(QColor(233, 233, 233));
}

void TestRoundCircle::defaults()
{
    QFETCH(QByteArray, property);
    QFETCH(QVariant, expected);

    RoundCircle circle;
    const QVariant actual = circle.property(property.constData());
    QVERIFY2(actual.isValid(), property.constData());
    QCOMPARE(actual, expected);
    QCOMPARE(circle.sizeHint(), QSize(100, 100));
    QCOMPARE(circle.minimumSizeHint(), QSize(10, 10));
}

void TestRoundCircle::wrap_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<double>("lastBeforeWrap");

    QTest::newRow("step 5 reaches 360 exactly") << 5 << 72 << 360.0;
    QTest::newRow("step 7 stops short at 357") << 7 << 51 << 357.0;
    QTest::newRow("step 360 in one tick") << 360 << 1 << 360.0;
}

void TestRoundCircle::wrap()
{
    QFETCH(int, step);
    QFETCH(int, ticks);
    QFETCH(double, lastBeforeWrap);

    RoundCircle circle;
    circle.setStep(step);
    for (int i = 1; i <= ticks; ++i) {
        circle.updateAngle();
        QCOMPARE(circle.angle(), double(i * step));
    }
    QCOMPARE(circle.angle(), lastBeforeWrap);

    circle.updateAngle(); // passes 360: back to 0
    QCOMPARE(circle.angle(), 0.0);
    circle.updateAngle();
    QCOMPARE(circle.angle(), double(step));
}

void TestRoundCircle::runsOnlyWhileVisible()
{
    RoundCircle circle;
    circle.resize(100, 80);
    QVERIFY(!circle.isAnimating());
    QTest::qWait(100);
    QCOMPARE(circle.angle(), 0.0);

    QVERIFY(showAndSettle(&circle));
    QVERIFY(circle.isAnimating());
    QTRY_VERIFY(circle.angle() > 0);

    circle.hide();
    QVERIFY(!circle.isAnimating());
    const double kept = circle.angle();
    QTest::qWait(100);
    QCOMPARE(circle.angle(), kept);

    // Still steps when asked directly, and resumes from there when shown again.
    circle.updateAngle();
    const double stepped = kept + 5 > 360 ? 0 : kept + 5;
    QCOMPARE(circle.angle(), stepped);
    circle.show();
    QVERIFY(circle.isAnimating());
}

void TestRoundCircle::pausesWithHiddenParent()
{
    QWidget window;
    window.resize(200, 200);
    auto *circle = new RoundCircle(&window);
    circle->setGeometry(10, 10, 100, 80);
    QVERIFY(showAndSettle(&window));
    QVERIFY(circle->isAnimating());

    window.hide();
    QVERIFY(!circle->isAnimating());

    window.show();
    QVERIFY(circle->isAnimating());

    // Hidden on its own, as the factory-reset flow does.
    circle->setVisible(false);
    QVERIFY(!circle->isAnimating());
}

void TestRoundCircle::discGeometry()
{
    // 100 x 80: radius 35 around (49, 39), so the disc spans x 14...84 and y 4...74.
    RoundCircle circle;
    circle.resize(100, 80);
    const QImage image = renderTransparent(&circle);

    QCOMPARE(firstInkedColumn(image, 39).value_or(-1), 14);
    QCOMPARE(firstInkedColumn(image, 39, true).value_or(-1), 83);
    QCOMPARE(firstInkedRow(image, 49).value_or(-1), 4);
    QVERIFY(!isInked(image, 49, 76));
}

void TestRoundCircle::directionFollowsClockWise()
{
    RoundCircle clockwise;
    clockwise.resize(100, 100);
    for (int i = 0; i < 9; ++i)
        clockwise.updateAngle(); // 45 degrees

    RoundCircle counter;
    counter.resize(100, 100);
    counter.setClockWise(false);
    for (int i = 0; i < 27; ++i)
        counter.updateAngle(); // 135 degrees the other way: half a turn from +45

    RoundCircle counterAt45;
    counterAt45.resize(100, 100);
    counterAt45.setClockWise(false);
    for (int i = 0; i < 9; ++i)
        counterAt45.updateAngle();

    const QImage a = renderTransparent(&clockwise);
    const QImage b = renderTransparent(&counter);
    const QImage c = renderTransparent(&counterAt45);
    // Half a turn maps the pattern onto itself; a quarter turn swaps the colour pairs.
    // Only edge pixels may differ by rounding between the first two; the pies' inner area
    // (a 72 x 72 square) changes colour in the third.
    QVERIFY(countDifferentPixels(a, b, 40) < 250);
    QVERIFY(countDifferentPixels(a, c, 40) > 2000);
}

void TestRoundCircle::paintsAtOddSizes_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("drawsSomething");

    QTest::newRow("empty") << QSize(0, 0) << false;
    QTest::newRow("one pixel") << QSize(1, 1) << false;
    QTest::newRow("too small for a disc") << QSize(10, 10) << false;
    QTest::newRow("landscape") << QSize(400, 300) << true;
}

void TestRoundCircle::paintsAtOddSizes()
{
    QFETCH(QSize, size);
    QFETCH(bool, drawsSomething);

    RoundCircle circle;
    circle.resize(size);
    const QImage image = renderTransparent(&circle);
    QCOMPARE(image.size(), size);
    if (!size.isEmpty())
        QCOMPARE(isInked(image, size.width() / 2, size.height() / 2), drawsSomething);
}

QTEST_MAIN(TestRoundCircle)
#include "tst_roundcircle.moc"
