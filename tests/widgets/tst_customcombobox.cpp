#include "customcombobox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

namespace {

// Turns the widgets' debug category on for the lifetime of the object, whatever the
// environment's logging rules say, and restores the previous filter afterwards.
class WidgetDebugEnabled
{
public:
    WidgetDebugEnabled() { s_previous = QLoggingCategory::installFilter(&filter); }
    ~WidgetDebugEnabled() { QLoggingCategory::installFilter(s_previous); }

private:
    static void filter(QLoggingCategory *category)
    {
        if (s_previous)
            s_previous(category);
        if (qstrcmp(category->categoryName(), "velorax.ui.widgets") == 0)
            category->setEnabled(QtDebugMsg, true);
    }
    static inline QLoggingCategory::CategoryFilter s_previous = nullptr;
};

// Records the mouse releases that reach a widget.
class ReleaseRecorder : public QObject
{
public:
    int releases = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonRelease)
            ++releases;
        return false;
    }
};

bool sendRelease(QWidget *target, Qt::MouseButton button)
{
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5),
                        target->mapToGlobal(QPoint(5, 5)), button, Qt::NoButton, Qt::NoModifier);
    release.ignore();
    QApplication::sendEvent(target, &release);
    return release.isAccepted();
}

} // namespace

class TestCustomComboBox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void releaseEmitsOnceAndIsConsumed_data();
    void releaseEmitsOnceAndIsConsumed();
    void pressDoesNotEmit();
};

void TestCustomComboBox::releaseEmitsOnceAndIsConsumed_data()
{
    QTest::addColumn<int>("buttonValue");

    QTest::newRow("left button") << int(Qt::LeftButton);
    QTest::newRow("right button") << int(Qt::RightButton);
}

void TestCustomComboBox::releaseEmitsOnceAndIsConsumed()
{
    QFETCH(int, buttonValue);
    const auto mouseButton = Qt::MouseButton(buttonValue);
    WidgetDebugEnabled debug;

    QWidget window;
    auto *combo = new CustomComboBox(&window);
    combo->addItems({QStringLiteral("a"), QStringLiteral("b")});
    combo->setGeometry(0, 0, 120, 30);
    ReleaseRecorder parentSees;
    window.installEventFilter(&parentSees);
    QSignalSpy spy(combo, &CustomComboBox::mouseClicked);

    QTest::ignoreMessage(QtDebugMsg, " I am CustomComboBox>>>>>> ");
    QVERIFY(sendRelease(combo, mouseButton));
    QCOMPARE(spy.count(), 1);
    // Accepted where it landed: nothing travels on to the parent.
    QCOMPARE(parentSees.releases, 0);

    QTest::ignoreMessage(QtDebugMsg, " I am CustomComboBox>>>>>> ");
    sendRelease(combo, mouseButton);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(combo->currentIndex(), 0);
}

void TestCustomComboBox::pressDoesNotEmit()
{
    CustomComboBox combo;
    combo.addItems({QStringLiteral("a"), QStringLiteral("b")});
    combo.resize(120, 30);
    combo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&combo));
    QSignalSpy spy(&combo, &CustomComboBox::mouseClicked);

    // The press still reaches the base class (which opens the list); only releases count.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), combo.mapToGlobal(QPoint(5, 5)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&combo, &press);
    QCOMPARE(spy.count(), 0);
    QTRY_VERIFY(combo.view()->isVisible());
    combo.hidePopup();
}

QTEST_MAIN(TestCustomComboBox)
#include "tst_customcombobox.moc"
