// Pages, dragging the frameless window and proportional scaling, through the real window.

#include "navtestutil.h"
#include "widgetharness.h"

#include <QLabel>
#include <QSlider>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolButton>
#include <QtTest>

using navtest::moveHeld;
using navtest::press;
using navtest::release;

class tst_WindowChrome : public QObject
{
    Q_OBJECT

private slots:
    void tabButtonsLeadToTheirPages_data();
    void tabButtonsLeadToTheirPages();

    void labelDragMovesByPointerTravel_data();
    void labelDragMovesByPointerTravel();
    void backgroundDragRoundsHalvesUp();
    void rightButtonDragDoesNotMove();
    void sliderDragNeverMovesWindow();
    void inputControlsInterruptDrag_data();
    void inputControlsInterruptDrag();
    void releaseEndsDrag();
    void doubleClickDoesNotStartDrag();

    void scaleHalvesLimitsAndFonts();
    void scaleGrowsEachFontOnce();
};

void tst_WindowChrome::tabButtonsLeadToTheirPages_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("page");

    QTest::newRow("settings tab on settings page") << "ValueSet" << 0;
    QTest::newRow("settings tab on calibration page") << "ValueSet_3" << 0;
    QTest::newRow("settings tab on state page") << "ValueSet_2" << 0;
    QTest::newRow("calibration tab on settings page") << "toolButton_4" << 1;
    QTest::newRow("calibration tab on calibration page") << "toolButton_9" << 1;
    QTest::newRow("calibration tab on state page") << "toolButton_7" << 1;
    QTest::newRow("state tab on settings page") << "toolButton_6" << 2;
    QTest::newRow("state tab on calibration page") << "toolButton_10" << 2;
    QTest::newRow("state tab on state page") << "toolButton_8" << 2;
}

void tst_WindowChrome::tabButtonsLeadToTheirPages()
{
    QFETCH(QString, button);
    QFETCH(int, page);

    WidgetHarness harness;
    auto *stack = harness.child<QStackedWidget>("stackedWidget");
    auto *tab = harness.widget()->findChild<QToolButton *>(button);
    QVERIFY(tab);
    navtest::showPageOf(tab);
    QVERIFY(tab->isVisible());

    QTest::mouseClick(tab, Qt::LeftButton);
    QCOMPARE(stack->currentIndex(), page);
    // Clicking again on the page it leads to stays there.
    navtest::showPageOf(harness.widget()->findChild<QToolButton *>(button));
    QTest::mouseClick(tab, Qt::LeftButton);
    QCOMPARE(stack->currentIndex(), page);
}

void tst_WindowChrome::labelDragMovesByPointerTravel_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QPoint>("travel");

    QTest::newRow("angle caption, right and down") << "label_17" << QPoint(23, 11);
    QTest::newRow("angle caption, left and up") << "label_17" << QPoint(-40, -7);
    QTest::newRow("mechanical heading") << "labelJump_4" << QPoint(5, 30);
}

void tst_WindowChrome::labelDragMovesByPointerTravel()
{
    QFETCH(QString, label);
    QFETCH(QPoint, travel);

    WidgetHarness harness;
    Widget *window = harness.widget();
    window->move(300, 200);
    auto *caption = window->findChild<QLabel *>(label);
    QVERIFY(caption && caption->isVisible());
    const QPoint start = window->pos();

    const QPoint grip(4, 4);
    press(caption, grip);
    moveHeld(caption, grip + travel);
    QCOMPARE(window->pos(), start + travel);
    // The window followed the pointer, so the grip is under the pointer again: the same
    // local position once more is a second travel of the same size.
    moveHeld(caption, grip + travel);
    QCOMPARE(window->pos(), start + 2 * travel);
    release(caption, grip + travel);
}

void tst_WindowChrome::backgroundDragRoundsHalvesUp()
{
    WidgetHarness harness;
    Widget *window = harness.widget();
    window->move(400, 300);
    const QPoint start = window->pos();

    // Fractional positions round to the nearest integer, halves toward positive infinity:
    // 10.5 -> 11 and -2.5 -> -2.
    press(window, QPointF(10.5, 20.5));
    moveHeld(window, QPointF(-2.5, 20.5));
    QCOMPARE(window->pos(), start + QPoint(-13, 0));
    moveHeld(window, QPointF(11.49, 30.5));
    QCOMPARE(window->pos(), start + QPoint(-13, 0) + QPoint(0, 10));
    release(window, QPointF(11.49, 30.5));
}

void tst_WindowChrome::rightButtonDragDoesNotMove()
{
    WidgetHarness harness;
    Widget *window = harness.widget();
    auto *caption = harness.child<QLabel>("label_17");
    const QPoint start = window->pos();

    press(caption, QPoint(4, 4), Qt::RightButton);
    moveHeld(caption, QPoint(60, 30), Qt::RightButton);
    release(caption, QPoint(60, 30), Qt::RightButton);
    press(window, QPoint(4, 4), Qt::RightButton);
    moveHeld(window, QPoint(60, 30), Qt::RightButton);
    QCOMPARE(window->pos(), start);
}

void tst_WindowChrome::sliderDragNeverMovesWindow()
{
    WidgetHarness harness;
    Widget *window = harness.widget();
    auto *slider = harness.child<QSlider>("SliderJump");
    QVERIFY(slider->isVisible());
    slider->setValue(0);
    const QPoint start = window->pos();

    const QStyleOptionSlider option = [&] {
        QStyleOptionSlider o;
        o.initFrom(slider);
        o.orientation = slider->orientation();
        o.minimum = slider->minimum();
        o.maximum = slider->maximum();
        o.sliderPosition = slider->sliderPosition();
        o.sliderValue = slider->value();
        return o;
    }();
    const QPoint handle =
        slider->style()
            ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider)
            .center();
    press(slider, handle);
    moveHeld(slider, handle + QPoint(40, 5));
    moveHeld(slider, handle + QPoint(80, 9));
    release(slider, handle + QPoint(80, 9));
    QCOMPARE(window->pos(), start);
    QVERIFY2(slider->value() > 0, "the slider should have taken the drag");
}

void tst_WindowChrome::inputControlsInterruptDrag_data()
{
    QTest::addColumn<QString>("control");
    QTest::newRow("machine slider") << "SliderJump";
    QTest::newRow("game slider") << "SliderGamesDamping";
    QTest::newRow("machine line edit") << "lineJump";
    QTest::newRow("game line edit") << "lineGamesDamping";
    QTest::newRow("suspension combo") << "colorComboBox";
    QTest::newRow("tool button") << "toolButton_3";
}

// A move with the left button held that reaches an input control ends the drag even when
// the control leaves the event to the window: the filter watches these controls.
void tst_WindowChrome::inputControlsInterruptDrag()
{
    QFETCH(QString, control);

    WidgetHarness harness;
    Widget *window = harness.widget();
    auto *caption = harness.child<QLabel>("label_17");
    auto *input = window->findChild<QWidget *>(control);
    QVERIFY(input && input->isVisible());
    const QPoint start = window->pos();

    press(caption, QPoint(4, 4));
    // Beyond the input control so that only the window could take it.
    moveHeld(input, QPoint(-3, -3));
    const QPoint afterInput = window->pos();
    release(caption, QPoint(4, 4));
    QCOMPARE(afterInput, start);
}

void tst_WindowChrome::releaseEndsDrag()
{
    WidgetHarness harness;
    Widget *window = harness.widget();
    auto *caption = harness.child<QLabel>("label_17");
    const QPoint start = window->pos();

    press(caption, QPoint(4, 4));
    release(caption, QPoint(4, 4));
    moveHeld(window, QPoint(90, 90));
    QCOMPARE(window->pos(), start);
}

void tst_WindowChrome::doubleClickDoesNotStartDrag()
{
    WidgetHarness harness;
    Widget *window = harness.widget();
    const QPoint start = window->pos();

    navtest::sendMouse(window, QEvent::MouseButtonDblClick, QPointF(10, 10), Qt::LeftButton,
                       Qt::LeftButton);
    moveHeld(window, QPoint(50, 40));
    QCOMPARE(window->pos(), start);
}

namespace {

// A widget with fixed size limits, like the form's controls.
QWidget *fixedChild(QWidget *parent, const QSize &size)
{
    auto *child = new QWidget(parent);
    child->setFixedSize(size);
    return child;
}

} // namespace

void tst_WindowChrome::scaleHalvesLimitsAndFonts()
{
    WidgetHarness harness;
    QWidget root;
    QFont rootFont = root.font();
    rootFont.setPointSizeF(12);
    root.setFont(rootFont);

    QWidget *fixed = fixedChild(&root, QSize(100, 40));
    QFont fixedFont = fixed->font();
    fixedFont.setPointSizeF(10);
    fixed->setFont(fixedFont);
    QWidget *nested = fixedChild(fixed, QSize(51, 33)); // inherits 10 pt
    auto *open = new QWidget(&root);                    // no limits at all
    open->setMinimumSize(30, 21);
    auto *pixelSized = new QLabel(&root);
    QFont pixelFont = pixelSized->font();
    pixelFont.setPixelSize(12);
    pixelSized->setFont(pixelFont);

    harness.widget()->scaleChildWidget(&root, 0.5f);

    QCOMPARE(fixed->minimumSize(), QSize(50, 20));
    QCOMPARE(fixed->maximumSize(), QSize(50, 20));
    QCOMPARE(fixed->font().pointSizeF(), 5.0);
    // 25.5 and 16.5 round up.
    QCOMPARE(nested->minimumSize(), QSize(26, 17));
    QCOMPARE(nested->maximumSize(), QSize(26, 17));
    QCOMPARE(nested->font().pointSizeF(), 5.0);
    QCOMPARE(open->minimumSize(), QSize(15, 11));
    QCOMPARE(open->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    QCOMPARE(open->font().pointSizeF(), 6.0);
    QCOMPARE(pixelSized->font().pixelSize(), 6);
    QCOMPARE(pixelSized->minimumSize(), QSize(0, 0));
    // The widget itself keeps its own font; only its descendants are scaled.
    QCOMPARE(root.font().pointSizeF(), 12.0);
}

void tst_WindowChrome::scaleGrowsEachFontOnce()
{
    WidgetHarness harness;
    QWidget root;
    QFont rootFont = root.font();
    rootFont.setPointSizeF(8);
    root.setFont(rootFont);
    QWidget *parent = fixedChild(&root, QSize(100, 50));
    QWidget *child = fixedChild(parent, QSize(40, 20));
    QWidget *grandChild = fixedChild(child, QSize(10, 5));

    harness.widget()->scaleChildWidget(&root, 1.5f);

    QCOMPARE(parent->maximumSize(), QSize(150, 75));
    QCOMPARE(child->maximumSize(), QSize(60, 30));
    QCOMPARE(grandChild->maximumSize(), QSize(15, 8));
    // Each font grows by the factor once, whatever the depth.
    QCOMPARE(parent->font().pointSizeF(), 12.0);
    QCOMPARE(child->font().pointSizeF(), 12.0);
    QCOMPARE(grandChild->font().pointSizeF(), 12.0);
}

QTEST_MAIN(tst_WindowChrome)
#include "tst_windowchrome.moc"
