// The simulated wheel's mechanics: it has to behave like a wheel under the
// base's settings for the live display to be worth looking at.

#include "wheelmodel.h"

#include <QtTest>

#include <cmath>

using namespace sim;

namespace {

WheelModel::Mechanics mechanics(int spring, int damper, int speed, int friction, int range = 900)
{
    WheelModel::Mechanics m;
    m.angleRange = range;
    m.spring = spring;
    m.damper = damper;
    m.returnSpeed = speed;
    m.friction = friction;
    return m;
}

struct Extremes
{
    double maxAngle = 0;
    double maxSpeed = 0;
    double minAngle = 0;
};

// Runs the model for `seconds` in 10 ms slices, noting how far and how fast
// the rim went.
Extremes run(WheelModel &model, double seconds)
{
    Extremes e;
    for (double t = 0; t < seconds; t += 0.01) {
        model.step(0.01);
        e.maxAngle = std::max(e.maxAngle, std::fabs(model.angle()));
        e.minAngle = std::min(e.minAngle, model.angle());
        e.maxSpeed = std::max(e.maxSpeed, std::fabs(model.velocity()));
    }
    return e;
}

} // namespace

class TestWheelModel : public QObject
{
    Q_OBJECT

private slots:
    void springReturnsToCentre();
    void frictionHoldsTheRim();
    void freeRimStaysPut();
    void springResistsTheDriver();
    void damperSlowsTheRim();
    void returnSpeedLimitsTheReturn();
    void endStops_data();
    void endStops();
    void recentre();
    void restingPattern();
    void drivingPattern();
};

void TestWheelModel::springReturnsToCentre()
{
    WheelModel model;
    model.setDriverActive(false);
    model.setMechanics(mechanics(50, 20, 50, 0));
    model.setAngle(200);
    const Extremes e = run(model, 4.0);
    QVERIFY2(std::fabs(model.angle()) < 5.0, qPrintable(QString::number(model.angle())));
    QVERIFY(e.minAngle > -100.0); // a damped return, no wild overshoot
}

void TestWheelModel::frictionHoldsTheRim()
{
    WheelModel model;
    model.setDriverActive(false);
    // The spring's pull at 100 degrees is below the friction.
    model.setMechanics(mechanics(10, 0, 0, 100));
    model.setAngle(100);
    run(model, 2.0);
    QCOMPARE(model.angle(), 100.0);
    QCOMPARE(model.velocity(), 0.0);

    // Without the friction the same spring brings it back.
    model.setMechanics(mechanics(10, 30, 0, 0));
    run(model, 6.0);
    QVERIFY2(std::fabs(model.angle()) < 20.0, qPrintable(QString::number(model.angle())));
}

void TestWheelModel::freeRimStaysPut()
{
    WheelModel model;
    model.setDriverActive(false);
    model.setMechanics(mechanics(0, 0, 0, 0));
    model.setAngle(-37);
    run(model, 1.0);
    QCOMPARE(model.angle(), -37.0);
}

void TestWheelModel::springResistsTheDriver()
{
    WheelModel loose;
    loose.setMechanics(mechanics(0, 10, 0, 0));
    const Extremes free = run(loose, 10.0);

    WheelModel stiff;
    stiff.setMechanics(mechanics(100, 10, 0, 0));
    const Extremes held = run(stiff, 10.0);

    QVERIFY2(free.maxAngle > 150.0, qPrintable(QString::number(free.maxAngle)));
    QVERIFY2(held.maxAngle < 0.5 * free.maxAngle, qPrintable(QString::number(held.maxAngle)));
    QVERIFY(held.maxAngle > 5.0); // the driver still moves it
}

void TestWheelModel::damperSlowsTheRim()
{
    WheelModel light;
    light.setMechanics(mechanics(0, 0, 0, 0));
    const Extremes fast = run(light, 10.0);

    WheelModel heavy;
    heavy.setMechanics(mechanics(0, 100, 0, 0));
    const Extremes slow = run(heavy, 10.0);

    QVERIFY2(slow.maxSpeed < 0.7 * fast.maxSpeed,
             qPrintable(QStringLiteral("%1 vs %2").arg(slow.maxSpeed).arg(fast.maxSpeed)));
}

void TestWheelModel::returnSpeedLimitsTheReturn()
{
    WheelModel slowReturn;
    slowReturn.setDriverActive(false);
    slowReturn.setMechanics(mechanics(100, 0, 0, 0));
    slowReturn.setAngle(400);
    const Extremes slow = run(slowReturn, 2.0);

    WheelModel fastReturn;
    fastReturn.setDriverActive(false);
    fastReturn.setMechanics(mechanics(100, 0, 100, 0));
    fastReturn.setAngle(400);
    const Extremes fast = run(fastReturn, 2.0);

    QVERIFY2(slow.maxSpeed < 150.0, qPrintable(QString::number(slow.maxSpeed)));
    QVERIFY2(fast.maxSpeed > 3 * slow.maxSpeed, qPrintable(QString::number(fast.maxSpeed)));
}

void TestWheelModel::endStops_data()
{
    QTest::addColumn<int>("range");
    QTest::newRow("90 degrees") << 90;
    QTest::newRow("270 degrees") << 270;
    QTest::newRow("1 degree") << 1;
}

void TestWheelModel::endStops()
{
    QFETCH(int, range);
    WheelModel model;
    model.setMechanics(mechanics(0, 0, 0, 0, range));
    const Extremes e = run(model, 8.0);
    const double half = std::max(1, range / 2);
    QVERIFY(e.maxAngle <= half);
    QVERIFY(e.maxAngle > 0.5 * half); // the driver uses the range

    model.setAngle(10 * half);
    QCOMPARE(model.angle(), half);
    model.setAngle(-10 * half);
    QCOMPARE(model.angle(), -half);

    // A narrower range moves a rim that lies outside it onto the new stop.
    model.setMechanics(mechanics(0, 0, 0, 0, 2 * range + 2));
    model.setAngle(range);
    model.setMechanics(mechanics(0, 0, 0, 0, range));
    QCOMPARE(model.angle(), half);
}

void TestWheelModel::recentre()
{
    WheelModel model;
    model.setDriverActive(false);
    model.setMechanics(mechanics(0, 0, 0, 0));
    model.setAngle(123);
    QCOMPARE(int(model.liveState().wheelPosition), int(32767 + std::lround(123 * 32767.0 / 450)));
    model.recentre();
    QCOMPARE(model.angle(), 0.0);
    QCOMPARE(int(model.liveState().wheelPosition), 32767);
}

void TestWheelModel::restingPattern()
{
    WheelModel model;
    model.setDriverActive(false);
    run(model, 1.0);
    const LiveState state = model.liveState();
    for (std::uint16_t axis : state.axes)
        QCOMPARE(int(axis), 0);
    QCOMPARE(state.buttons, std::uint64_t(0));
}

void TestWheelModel::drivingPattern()
{
    WheelModel model;
    model.setMechanics(mechanics(0, 10, 0, 0));
    std::array<int, 6> low;
    std::array<int, 6> high;
    low.fill(4096);
    high.fill(-1);
    std::uint64_t seen = 0;
    int positions = 0;
    int lastPosition = -1;
    for (int i = 0; i < 2000; ++i) {
        model.step(0.01);
        const LiveState state = model.liveState();
        for (std::size_t a = 0; a < 6; ++a) {
            low[a] = std::min(low[a], int(state.axes[a]));
            high[a] = std::max(high[a], int(state.axes[a]));
        }
        seen |= state.buttons;
        if (state.wheelPosition != lastPosition)
            ++positions;
        lastPosition = state.wheelPosition;
    }
    for (std::size_t a = 0; a < 6; ++a) {
        QVERIFY2(high[a] <= 4095, qPrintable(QString::number(a)));
        QVERIFY2(high[a] - low[a] > 2000, qPrintable(QString::number(a))); // each axis moves
    }
    QCOMPARE(seen, ~std::uint64_t(0)); // every button lights at some point in 20 s
    QVERIFY(positions > 1000);
}

QTEST_GUILESS_MAIN(TestWheelModel)
#include "tst_wheelmodel.moc"
