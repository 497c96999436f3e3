// The switch as the user flips it: any mouse button toggles it and the knob slides one step per
// tick to the other end, or back when flipped again during the slide.

#include "switchbutton.h"

#include <QSignalSpy>
#include <QTest>

namespace {

QList<bool> emittedStates(const QSignalSpy &spy)
{
    QList<bool> states;
    for (const QList<QVariant> &args : spy)
        states << args.at(0).toBool();
    return states;
}

// Drives the slide tick by tick until it stops; returns every knob position seen.
QList<int> driveToRest(SwitchButton *button)
{
    QList<int> positions;
    for (int i = 0; i < 1000 && button->isAnimating(); ++i) {
        button->updateValue();
        positions << button->knobPosition();
    }
    return positions;
}

} // namespace

class TestSwitchButton : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void knobSlides_data();
    void knobSlides();
    void toggleDuringSlideReverses();
};

void TestSwitchButton::knobSlides_data()
{
    QTest::addColumn<SwitchButton::ButtonStyle>("style");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("mouseButton"); // any button flips it
    QTest::newRow("rect 50x20 moves 1 px to 25")
        << SwitchButton::ButtonStyle_Rect << QSize(50, 20) << 25 << 1 << int(Qt::LeftButton);
    QTest::newRow("rect 175x30 overshoots then lands")
        << SwitchButton::ButtonStyle_Rect << QSize(175, 30) << 88 << 3 << int(Qt::RightButton);
    QTest::newRow("circle in 50x20")
        << SwitchButton::ButtonStyle_CircleIn << QSize(50, 20) << 30 << 1 << int(Qt::MiddleButton);
    QTest::newRow("circle out 100x40")
        << SwitchButton::ButtonStyle_CircleOut << QSize(100, 40) << 60 << 2 << int(Qt::LeftButton);
}

void TestSwitchButton::knobSlides()
{
    QFETCH(SwitchButton::ButtonStyle, style);
    QFETCH(QSize, size);
    QFETCH(int, end);
    QFETCH(int, step);
    QFETCH(int, mouseButton);
    SwitchButton button;
    button.setButtonStyle(style);
    button.resize(size);
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    QSignalSpy spy(&button, &SwitchButton::checkedChanged);

    QTest::mouseClick(&button, Qt::MouseButton(mouseButton), Qt::NoModifier, QPoint(2, 2));
    QVERIFY(button.isChecked());
    // One step per tick while short of the end, then one tick that lands and stops.
    QList<int> expected;
    for (int i = 1; i <= (end + step - 1) / step; ++i)
        expected << i * step;
    expected << end;
    QCOMPARE(driveToRest(&button), expected);

    QTest::mouseClick(&button, Qt::MouseButton(mouseButton), Qt::NoModifier,
                      QPoint(size.width() - 5, size.height() - 2));
    QCOMPARE(driveToRest(&button).last(), 0);
    QCOMPARE(emittedStates(spy), (QList<bool>{true, false}));
}

void TestSwitchButton::toggleDuringSlideReverses()
{
    SwitchButton button;
    button.resize(50, 20);
    button.change();
    for (int i = 0; i < 10; ++i)
        button.updateValue();
    QCOMPARE(button.knobPosition(), 10);
    button.change();
    button.updateValue();
    QCOMPARE(button.knobPosition(), 9);
    QCOMPARE(driveToRest(&button).last(), 0);
    QVERIFY(!button.isChecked());
    // The knob's inset is a setting the form may change.
    const QImage before = button.grab().toImage();
    button.setSpace(button.space() + 3);
    QVERIFY(button.grab().toImage() != before);
}

QTEST_MAIN(TestSwitchButton)
#include "tst_switchbutton.moc"
