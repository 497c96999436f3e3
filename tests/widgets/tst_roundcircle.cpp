// The wait indicator turns by its step per tick, wraps after a full turn, and runs only while
// it is shown.

#include "roundcircle.h"

#include <QImage>
#include <QTest>

class TestRoundCircle : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wrap_data();
    void wrap();
    void runsOnlyWhileShown();
    void discIsCentred();
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

void TestRoundCircle::discIsCentred()
{
    RoundCircle circle;
    circle.resize(100, 100);
    QImage image(circle.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    circle.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    // Radius 45 around (49, 49): the disc covers the middle column from top to
    // bottom and leaves the corners clear.
    for (const int y : {8, 49, 90})
        QVERIFY2(qAlpha(image.pixel(49, y)) > 0, qPrintable(QString::number(y)));
    QCOMPARE(qAlpha(image.pixel(1, 1)), 0);
    QCOMPARE(qAlpha(image.pixel(98, 98)), 0);
}

QTEST_MAIN(TestRoundCircle)
#include "tst_roundcircle.moc"
