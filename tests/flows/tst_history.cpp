// Undo and redo through the real window against the simulated base: the keys, the steps of
// each kind of change, and the line saying what changed.
#include "flowtestutil.h"
#include "parameterprofile.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QUndoStack>

using namespace flowtest;

namespace {

// kKnownSettings in catalogue order.
protocol::ParameterValues knownValues()
{
    const int known[] = {900, 50, 1, 10, 20, 30, 40, 100, 150, 99, 189, 100, 200, 1, 0};
    protocol::ParameterValues values;
    for (int p = 0; p < protocol::ParameterCount; ++p)
        values.setValue(protocol::Parameter(p), known[p]);
    return values;
}

// A profile of this edition with other values than the base's.
void writeProfile(const QString &path)
{
    protocol::ParameterValues values = knownValues();
    values.setValue(protocol::Parameter::Angle, 540);
    values.setValue(protocol::Parameter::GameSpring, 70);
    values.setValue(protocol::Parameter::Response, 1);
    profiles::WriteOptions options;
    options.createMissing = true;
    QVERIFY(profiles::writeProfileValues(path, profiles::parameterEntries(values), options) ==
            profiles::WriteStatus::Written);
}

// Performs one step of `kind` the way a user does, until it has reached the base.
void perform(WidgetHarness &h, const QString &kind)
{
    Widget *w = h.widget();
    if (kind == QLatin1String("slider")) {
        QTest::keyClick(h.child<QSlider>("SliderStreeingAngle"), Qt::Key_PageUp);
        w->SetSendMachineryData();
    } else if (kind == QLatin1String("typed")) {
        auto *edit = h.child<QLineEdit>("lineGamesJump");
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("42"));
        QTest::keyClick(edit, Qt::Key_Return);
    } else if (kind == QLatin1String("choice")) {
        QTest::keyClick(h.child<QComboBox>("colorComboBox_2"), Qt::Key_Down);
    } else if (kind == QLatin1String("profile load")) {
        writeProfile(h.profileFolder() + QStringLiteral("/p.ini"));
        w->Slit_InitcbReadFile();
        auto *list = h.child<QComboBox>("CB_ReadFile");
        list->setCurrentIndex(list->findText(QStringLiteral("p.ini")));
        emit list->activated(list->currentIndex());
        fireSendTimers(h);
    } else if (kind == QLatin1String("factory reset")) {
        h.child<QAbstractButton>("tbt_original_state")->click();
        QVERIFY(readUntil(h, [w] { return w->session()->baseSettingsKnown(); }));
    } else if (kind == QLatin1String("store")) {
        h.child<QAbstractButton>("tbt_savedata")->click();
    }
}

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT

private slots:
    void undoAndRedoPutTheBaseBack_data();
    void undoAndRedoPutTheBaseBack();
    void ctrlZInAFieldHoldingTypingUndoesTheTyping();
};

void TestHistory::undoAndRedoPutTheBaseBack_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("change"); // as the undo and redo lines say it, in Chinese
    QTest::newRow("slider") << "slider"
                            << "方向盘角度 910 → 900";
    QTest::newRow("typed") << "typed"
                           << "游戏回中 42 → 100";
    QTest::newRow("choice") << "choice"
                            << "响应模式 狂野 → 稳定";
    QTest::newRow("profile load") << "profile load"
                                  << "方向盘角度 540 → 900, 游戏回中 70 → 100, "
                                     "响应模式 狂野 → 稳定";
    QTest::newRow("factory reset") << "factory reset"
                                   << "";
}

void TestHistory::undoAndRedoPutTheBaseBack()
{
    QFETCH(QString, kind);
    QFETCH(QString, change);
    WidgetHarness::Options options = quietBase();
    options.config.factoryResetDelayMs = 0;
    WidgetHarness h(options);
    QVERIFY(settleStartUp(h));
    QApplication::setActiveWindow(h.widget());
    // Neither the start-up read-back nor a language switch is a step.
    h.child<QComboBox>("comboBox")->setCurrentIndex(1);
    QCOMPARE(h.widget()->undoStack()->count(), 0);

    perform(h, kind);
    const sim::Settings before = kKnownSettings, after = h.base().settings();
    QVERIFY(after != before);
    QCOMPARE(h.widget()->undoStack()->count(), 1);
    const auto press = [](int key, Qt::KeyboardModifiers modifiers) {
        QWidget *target = QApplication::focusWidget();
        QTest::keyClick(target ? target : QApplication::activeWindow(), key, modifiers);
    };
    auto *note = h.widget()->findChild<QLabel *>(QStringLiteral("historyNote"));
    press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.base().settings(), before);
    // The form shows what the base has again.
    QCOMPARE(h.child<QLineEdit>("lineStreeingAngle")->text(), QString::number(before.angle));
    QCOMPARE(h.child<QLineEdit>("lineGamesJump")->text(), QString::number(before.gameSpring));
    QCOMPARE(h.child<QComboBox>("colorComboBox_2")->currentIndex(), int(before.response));
    // One line says what changed, for a few seconds.
    note = h.widget()->findChild<QLabel *>(QStringLiteral("historyNote"));
    QVERIFY(note && note->isVisible());
    // Just above the profile buttons, as wide as their row.
    const QRect buttons = h.child<QWidget>("tbt_readdata")->geometry();
    QVERIFY(note->geometry().bottom() < buttons.top() && buttons.top() - note->y() < 40);
    QVERIFY(note->x() == buttons.x() && note->width() > 300);
    if (!change.isEmpty())
        QCOMPARE(note->toolTip(), QString("已撤销：") + change);
    press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(h.base().settings(), after);
    QVERIFY(note->toolTip().startsWith(QString("已重做：")));
    QMetaObject::invokeMethod(h.widget()->findChild<QTimer *>("historyNoteTimer"), "timeout");
    QVERIFY(!note->isVisible());
    press(Qt::Key_Z, Qt::ControlModifier);
    press(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(h.base().settings(), after);
}

// While a field holds typing, Ctrl+Z is the field's own undo; once the field shows its value
// again, Ctrl+Z undoes the last change on the base.
void TestHistory::ctrlZInAFieldHoldingTypingUndoesTheTyping()
{
    WidgetHarness h(quietBase());
    QVERIFY(settleStartUp(h));
    QApplication::setActiveWindow(h.widget());
    perform(h, QStringLiteral("slider"));
    const sim::Settings after = h.base().settings();
    auto *edit = h.child<QLineEdit>("lineGamesDamping");
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(edit->text(), QStringLiteral("15"));
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(edit->text(), QStringLiteral("150"));
    QCOMPARE(h.base().settings(), after);
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.base().settings(), kKnownSettings);
    QVERIFY(h.features().size() >= 2);
}

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
