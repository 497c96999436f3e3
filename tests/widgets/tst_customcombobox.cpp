// A mouse release on the combo, whatever the button, says so once and stops there: nothing
// travels on to the parent, and the choice does not change.

#include "customcombobox.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

class TestCustomComboBox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void releaseEmitsOnceAndIsConsumed();
};

void TestCustomComboBox::releaseEmitsOnceAndIsConsumed()
{
    QWidget window;
    auto *combo = new CustomComboBox(&window);
    combo->addItems({QStringLiteral("a"), QStringLiteral("b")});
    combo->setGeometry(0, 0, 120, 30);
    QSignalSpy spy(combo, &CustomComboBox::mouseClicked);
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::LeftButton}) {
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5),
                            combo->mapToGlobal(QPoint(5, 5)), button, Qt::NoButton, Qt::NoModifier);
        release.ignore();
        QApplication::sendEvent(combo, &release); // an ignored event would go on to the parent
        QVERIFY(release.isAccepted());
    }
    QCOMPARE(spy.count(), 3);
    QCOMPARE(combo->currentIndex(), 0);
}

QTEST_MAIN(TestCustomComboBox)
#include "tst_customcombobox.moc"
