// The wait indicator turns by its step per tick, wraps after a full turn, and runs only while
// it is shown.

#include "roundcircle.h"

#include <QTest>

class TestRoundCircle : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wrap_data();
    void wrap();
    void runsOnlyWhileShown();
};

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
    for (int i = 0; i < ticks; ++i)
        circle.updateAngle();
    QCOMPARE(circle.angle(), lastBeforeWrap);
    circle.updateAngle(); // passes 360: back to 0
    QCOMPARE(circle.angle(), 0.0);
}

void TestRoundCircle::runsOnlyWhileShown()
{
    QWidget window;
    auto *circle = new RoundCircle(&window);
    circle->setGeometry(10, 10, 100, 80);
    QVERIFY(!circle->isAnimating());

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(circle->isAnimating());
    QTRY_VERIFY(circle->angle() > 0);

    window.hide(); // a hidden parent pauses it too
    QVERIFY(!circle->isAnimating());
    window.show();
    QVERIFY(circle->isAnimating());
}

QTEST_MAIN(TestRoundCircle)
#include "tst_roundcircle.moc"
