#include "switchbutton.h"
#include "widgettesthelpers.h"

#include <QSignalSpy>
#include <QTest>

using namespace WidgetTest;

namespace {

QList<bool> emittedStates(const QSignalSpy &spy)
{
    QList<bool> states;
    for (const QList<QVariant> &args : spy)
        states << args.at(0).toBool();
    return states;
}

// Drives the slide tick by tick until it stops; returns every knob position seen.
QList<int> driveToRest(SwitchButton *button, int maxTicks = 1000)
{
    QList<int> positions;
    for (int i = 0; i < maxTicks && button->isAnimating(); ++i) {
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
    void defaults_data();
    void defaults();
    void knobSlides_data();
    void knobSlides();
    void knobLandsOnTimer();
    void toggleDuringSlideReverses();
    void resizePlacesKnobAtRest();
    void setCheckedBeforeShow_data();
    void setCheckedBeforeShow();
    void setCheckedWhenShown();
    void anyMouseButtonToggles_data();
    void anyMouseButtonToggles();
    void unchangedWriteSchedulesNoRepaint_data();
    void unchangedWriteSchedulesNoRepaint();
    void paintsAtOddSizes_data();
    void paintsAtOddSizes();
};

void TestSwitchButton::defaults_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("space") << QByteArray("space") << QVariant(2);
    QTest::newRow("rectRadius") << QByteArray("rectRadius") << QVariant(5);
    QTest::newRow("checked") << QByteArray("checked") << QVariant(false);
    QTest::newRow("buttonStyle") << QByteArray("buttonStyle")
                                 << QVariant::fromValue(SwitchButton::ButtonStyle_Rect);
    QTest::newRow("bgColorOff") << QByteArray("bgColorOff") << QVariant(QColor(131, 149, 148));
    QTest::newRow("bgColorOn") << QByteArray("bgColorOn") << QVariant(QColor(131, 149, 148));
    QTest::newRow("sliderColorOff")
        << QByteArray("sliderColorOff") << QVariant(QColor(199, 202, 199));
    QTest::newRow("sliderColorOn") << QByteArray("sliderColorOn") << QVariant(QColor(18, 225, 53));
}

void TestSwitchButton::defaults()
{
    QFETCH(QByteArray, property);
    QFETCH(QVariant, expected);

    SwitchButton button;
    const QVariant actual = button.property(property.constData());
    QVERIFY2(actual.isValid(), property.constData());
    QCOMPARE(actual, expected);
    QCOMPARE(button.sizeHint(), QSize(60, 30));
    QCOMPARE(button.minimumSizeHint(), QSize(10, 5));
}

void TestSwitchButton::knobSlides_data()
{
    QTest::addColumn<SwitchButton::ButtonStyle>("style");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("step");

    QTest::newRow("rect 50x20 moves 1 px to 25")
        << SwitchButton::ButtonStyle_Rect << QSize(50, 20) << 25 << 1;
    QTest::newRow("rect 175x30 overshoots then lands")
        << SwitchButton::ButtonStyle_Rect << QSize(175, 30) << 88 << 3;
    QTest::newRow("circle in 50x20")
        << SwitchButton::ButtonStyle_CircleIn << QSize(50, 20) << 30 << 1;
    QTest::newRow("circle out 100x40")
        << SwitchButton::ButtonStyle_CircleOut << QSize(100, 40) << 60 << 2;
    QTest::newRow("narrow 30x20 still arrives")
        << SwitchButton::ButtonStyle_Rect << QSize(30, 20) << 15 << 1;
}

void TestSwitchButton::knobSlides()
{
    QFETCH(SwitchButton::ButtonStyle, style);
    QFETCH(QSize, size);
    QFETCH(int, end);
    QFETCH(int, step);

    SwitchButton button;
    button.setButtonStyle(style);
    button.resize(size);
    QVERIFY(showAndSettle(&button));
    QCOMPARE(button.size(), size);
    QCOMPARE(button.knobPosition(), 0);

    QSignalSpy spy(&button, &SwitchButton::checkedChanged);
    button.change();
    QVERIFY(button.isChecked());
    QCOMPARE(emittedStates(spy), QList<bool>{true});

    // Checked: one step per tick while short of the end, then one tick that lands and stops.
    const int moves = (end + step - 1) / step;
    QList<int> expected;
    for (int i = 1; i <= moves; ++i)
        expected << i * step;
    expected << end;
    QCOMPARE(driveToRest(&button), expected);
    QVERIFY(!button.isAnimating());

    // And back to 0 the same way.
    button.change();
    QVERIFY(!button.isChecked());
    const QList<int> back = driveToRest(&button);
    QVERIFY(!button.isAnimating());
    QCOMPARE(back.last(), 0);
    QCOMPARE(back.size(), (end + step - 1) / step + 1);
    QCOMPARE(emittedStates(spy), (QList<bool>{true, false}));
}

void TestSwitchButton::knobLandsOnTimer()
{
    SwitchButton button;
    button.resize(50, 20);
    QVERIFY(showAndSettle(&button));

    button.setChecked(true);
    QVERIFY(button.isAnimating());
    QTRY_VERIFY(!button.isAnimating());
    QCOMPARE(button.knobPosition(), 25);
}

void TestSwitchButton::toggleDuringSlideReverses()
{
    SwitchButton button;
    button.resize(50, 20);
    QVERIFY(showAndSettle(&button));

    button.change();
    for (int i = 0; i < 10; ++i)
        button.updateValue();
    QCOMPARE(button.knobPosition(), 10);

    button.change();
    button.updateValue();
    QCOMPARE(button.knobPosition(), 9);
    const QList<int> rest = driveToRest(&button);
    QCOMPARE(rest.last(), 0);
    QVERIFY(!button.isChecked());
}

void TestSwitchButton::resizePlacesKnobAtRest()
{
    SwitchButton button;
    button.resize(50, 20);
    QVERIFY(showAndSettle(&button));
    button.setChecked(true);
    driveToRest(&button);
    QCOMPARE(button.knobPosition(), 25);

    button.resize(100, 20);
    QCOMPARE(button.knobPosition(), 50);

    // Resized mid-slide: the slide ends at the new resting place, not the old one.
    button.change();
    for (int i = 0; i < 5; ++i)
        button.updateValue();
    QCOMPARE(button.knobPosition(), 40);
    button.change();
    button.updateValue();
    QCOMPARE(button.knobPosition(), 42);
    button.resize(80, 20);
    QCOMPARE(button.knobPosition(), 40);
    driveToRest(&button);
    QCOMPARE(button.knobPosition(), 40);
    QVERIFY(button.isChecked());
}

void TestSwitchButton::setCheckedBeforeShow_data()
{
    QTest::addColumn<QList<bool>>("requests");
    QTest::addColumn<bool>("expected");
    QTest::addColumn<QList<bool>>("expectedSignals");

    QTest::newRow("single request") << QList<bool>{true} << true << QList<bool>{true};
    QTest::newRow("repeated request") << QList<bool>{true, true} << true << QList<bool>{true};
    QTest::newRow("withdrawn request") << QList<bool>{true, false} << false << QList<bool>{};
    QTest::newRow("unchanged") << QList<bool>{false} << false << QList<bool>{};
}

void TestSwitchButton::setCheckedBeforeShow()
{
    QFETCH(QList<bool>, requests);
    QFETCH(bool, expected);
    QFETCH(QList<bool>, expectedSignals);

    SwitchButton button; // never shown, so never sized
    QSignalSpy spy(&button, &SwitchButton::checkedChanged);
    for (bool request : requests)
        button.setChecked(request);

    // Nothing happens at once: the toggle waits for the widget to have a size.
    QVERIFY(!button.isChecked());
    QCOMPARE(spy.count(), 0);

    if (!expectedSignals.isEmpty())
        QTRY_COMPARE(spy.count(), expectedSignals.size());
    QTest::qWait(50);
    QCOMPARE(emittedStates(spy), expectedSignals);
    QCOMPARE(button.isChecked(), expected);
}

void TestSwitchButton::setCheckedWhenShown()
{
    SwitchButton button;
    button.resize(50, 20);
    QVERIFY(showAndSettle(&button));
    QSignalSpy spy(&button, &SwitchButton::checkedChanged);

    button.setChecked(false); // already unchecked
    QCOMPARE(spy.count(), 0);

    button.setChecked(true);
    QVERIFY(button.isChecked());
    QCOMPARE(emittedStates(spy), QList<bool>{true});

    QVERIFY(button.setProperty("checked", true));
    QCOMPARE(spy.count(), 1);
    QVERIFY(button.setProperty("checked", false));
    QVERIFY(!button.isChecked());
    QCOMPARE(emittedStates(spy), (QList<bool>{true, false}));
}

void TestSwitchButton::anyMouseButtonToggles_data()
{
    QTest::addColumn<int>("buttonValue");

    QTest::newRow("left") << int(Qt::LeftButton);
    QTest::newRow("right") << int(Qt::RightButton);
    QTest::newRow("middle") << int(Qt::MiddleButton);
}

void TestSwitchButton::anyMouseButtonToggles()
{
    QFETCH(int, buttonValue);
    const auto mouseButton = Qt::MouseButton(buttonValue);

    SwitchButton button;
    button.resize(50, 20);
    QVERIFY(showAndSettle(&button));
    QSignalSpy spy(&button, &SwitchButton::checkedChanged);

    QTest::mousePress(&button, mouseButton, Qt::NoModifier, QPoint(2, 2));
    QVERIFY(button.isChecked());
    QTest::mouseRelease(&button, mouseButton, Qt::NoModifier, QPoint(2, 2));
    QTest::mousePress(&button, mouseButton, Qt::NoModifier, QPoint(45, 18));
    QVERIFY(!button.isChecked());
    QCOMPARE(emittedStates(spy), (QList<bool>{true, false}));
}

void TestSwitchButton::unchangedWriteSchedulesNoRepaint_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("other");

    QTest::newRow("space") << QByteArray("space") << QVariant(1);
    QTest::newRow("rectRadius") << QByteArray("rectRadius") << QVariant(9);
    QTest::newRow("buttonStyle") << QByteArray("buttonStyle")
                                 << QVariant::fromValue(SwitchButton::ButtonStyle_CircleIn);
    QTest::newRow("bgColorOff") << QByteArray("bgColorOff") << QVariant(QColor(191, 22, 9));
    QTest::newRow("bgColorOn") << QByteArray("bgColorOn") << QVariant(QColor(46, 189, 231));
    QTest::newRow("sliderColorOff") << QByteArray("sliderColorOff") << QVariant(QColor(76, 77, 80));
    QTest::newRow("sliderColorOn") << QByteArray("sliderColorOn") << QVariant(QColor(1, 2, 3));
}

void TestSwitchButton::unchangedWriteSchedulesNoRepaint()
{
    QFETCH(QByteArray, property);
    QFETCH(QVariant, other);

    SwitchButton button;
    button.resize(60, 30);
    QVERIFY(showAndSettle(&button));
    PaintCounter paints(&button);

    button.setProperty(property.constData(), button.property(property.constData()));
    settle();
    QCOMPARE(paints.count(), 0);

    button.setProperty(property.constData(), other);
    QCOMPARE(button.property(property.constData()), other);
    QTRY_VERIFY(paints.count() > 0);
}

void TestSwitchButton::paintsAtOddSizes_data()
{
    QTest::addColumn<QSize>("size");

    QTest::newRow("empty") << QSize(0, 0);
    QTest::newRow("one pixel") << QSize(1, 1);
    QTest::newRow("taller than wide") << QSize(10, 40);
    QTest::newRow("landscape") << QSize(400, 300);
}

void TestSwitchButton::paintsAtOddSizes()
{
    QFETCH(QSize, size);

    for (int style = SwitchButton::ButtonStyle_Rect; style <= SwitchButton::ButtonStyle_CircleOut;
         ++style) {
        for (bool checked : {false, true}) {
            SwitchButton button;
            button.setButtonStyle(SwitchButton::ButtonStyle(style));
            button.resize(size);
            if (checked)
                button.change();
            QCOMPARE(renderTransparent(&button).size(), size);
        }
    }
}

QTEST_MAIN(TestSwitchButton)
#include "tst_switchbutton.moc"
