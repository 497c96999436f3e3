// What the window sends to the base, and when: typed text against the bytes
// sent, the Enter acknowledgement, the steering gauge's scale and the angle
// check; the debounced slider sends, Enter, Center, the combos, the read and
// factory-reset buttons, refusals and the base's own echoes; the edition's
// texts and choices applied without a send; all through the real window
// against the simulated base.

#include "flowtestutil.h"

#include "gaugearc.h"
#include "roundcircle.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QToolButton>
#include <QtTest>

using namespace flowtest;

namespace {

const char kRead[] = "80 03 01 00 00 00 00 00 00 00 00";
const char kReset[] = "80 05 55 55 00 00 00 00 00 00 00";
const char kStore[] = "80 03 00 24 00 00 00 00 00 00 00";
const char kFriction41[] = "80 01 84 03 00 32 01 0A 14 1E 29";

// Typed over the selected text of a field (\b deletes it) in a system locale:
// the field's text, then its text after Enter and the report of its group.
const struct Typed
{
    const char *name;
    QLocale::Language locale;
    const char *field, *typed, *shown, *entered, *sent;
} kTyped[] = {
    {"separator", QLocale::English, "lineStreeingAngle", "1,600", "1600", "1600", "40 06 00 32"},
    {"separator de", QLocale::German, "lineStreeingAngle", "1.600", "1600", "1600", "40 06 00 32"},
    {"-20 over 50", QLocale::English, "lineGramFreeBack", "-20", "-20", "-20", "84 03 00 EC"},
    {"lone minus", QLocale::English, "lineGramFreeBack", "-", "-", "50", "84 03 00 32"},
    {"emptied", QLocale::English, "lineJump", "\b", "", "10", "84 03 00 32 01 0A"},
    {"0 in the angle", QLocale::English, "lineStreeingAngle", "0", "1", "1", "01 00 00 32"},
    {"past the range", QLocale::English, "lineJump", "150", "100", "100", "84 03 00 32 01 64"},
    {"game field", QLocale::English, "lineGamesDamping", "7", "7", "7", "64 07 63 BD"},
};

// Rows: how the base starts, what the user does step by step, the reports the base receives,
// and the first line of each notice the window opened. The base starts read (its answer
// applied), echoing byte [4] 0x2D, unread (the start-up read request refused), unplugged, with
// a mode index the combo lacks, refusing the next 1 or 3 reports, or not acknowledging a
// factory reset. Only a value read from the base or committed (a slider moved, a field's text
// taken with Enter or on leaving it, a choice) is ever sent, and a pending send goes out before
// a store, a reset or the window's close.
const struct Row
{
    const char *name, *base;
    QStringList steps, sent;
    const char *told = "";
} kRows[] = {
    {"center once",
     "read",
     {"click toolButton_3", "move SliderFriction", "send timers fire"},
     {kCentredKnown, kFriction41}},
    {"three moves, one report",
     "read",
     {"move SliderFriction", "move SliderFriction", "move SliderFriction", "send timers fire"},
     {"80 01 84 03 00 32 01 0A 14 1E 2B"}},
    {"enter sends the disarmed group",
     "read",
     {"move SliderGamesDamping", "press Enter", "send timers fire", "press Enter"},
     {kKnownMachine, "80 02 64 97 63 BD 64 C8 00 00 00"}},
    {"enter on another page", "read", {"click toolButton_6", "press Enter"}, {}},
    {"unchanged values", "read", {"set every slider to its value", "send timers fire"}, {}},
    {"new values, once per group",
     "read",
     {"set SliderGramFreeBack to -20", "set SliderGamesJump to 50", "send timers fire"},
     {"80 01 84 03 00 EC 01 0A 14 1E 28", "80 02 32 96 63 BD 64 C8 00 00 00"}},
    {"echo 2D is no command",
     "echo 2D",
     {"move SliderFriction", "send timers fire"},
     {kFriction41}},
    {"slider before read-back",
     "unread",
     {"move SliderFriction", "send timers fire", "click tbt_readdata", "read back"},
     {kRead, "80 01 84 03 00 32 01 0A 14 1E 01"}},
    {"choice before read-back",
     "unread",
     {"choose next in colorComboBox_2", "click tbt_readdata", "read back"},
     {kRead, "80 04 01 00 01 00 00 00 00 00 00"}},
    {"center without base",
     "unplugged",
     {"click toolButton_3", "press Enter", "plug in", "click toolButton_3", "move SliderFriction",
      "send timers fire"},
     {kCentredKnown, kFriction41}},
    {"refused three times",
     "refuses 3",
     {"move SliderFriction", "send timers fire", "move SliderFriction", "send timers fire",
      "move SliderFriction", "send timers fire", "link lamp shows a fault", "move SliderFriction",
      "send timers fire", "link lamp shows the link"},
     {"80 01 84 03 00 32 01 0A 14 1E 2C"},
     "refusalNotice: The wheel base refused the settings sent to it several times."},
    {"reset not acknowledged",
     "no ack",
     {"click tbt_original_state", "the reset wait times out", "wait until the reset wait ends"},
     {kReset, kRead},
     "factoryResetNotice: The wheel base did not confirm the factory reset."},
    {"unplugged during reset",
     "no ack",
     {"click tbt_original_state", "unplug", "wait until the reset wait ends"},
     {kReset},
     "factoryResetNotice: The wheel base was disconnected during the factory reset."},
    {"emptied angle, then Center",
     "read",
     {"erase lineStreeingAngle", "click toolButton_3", "lineStreeingAngle shows ",
      "leave lineStreeingAngle", "lineStreeingAngle shows 900"},
     {kCentredKnown}},
    {"a 5 on the way to 540 while a move is pending",
     "read",
     {"move SliderFriction", "type 5 into lineStreeingAngle", "send timers fire"},
     {kFriction41}},
    {"spring emptied, Enter in another field",
     "read",
     {"erase lineJump", "Enter in lineDamping", "leave lineJump", "lineJump shows 10"},
     {kKnownMachine, kKnownGame}},
    {"-150 in the overall force is -100",
     "read",
     {"type -150 into lineGramFreeBack", "lineGramFreeBack shows -100",
      "Enter in lineGramFreeBack"},
     {"80 01 84 03 00 9C 01 0A 14 1E 28", kKnownGame}},
    {"a field left is sent with its group's next send",
     "read",
     {"type 33 into lineJump", "leave lineJump", "send timers fire", "move SliderFriction",
      "send timers fire"},
     {"80 01 84 03 00 32 01 21 14 1E 29"}},
    {"a field left with a lone minus shows its value again",
     "read",
     {"type - into lineGramFreeBack", "leave lineGramFreeBack", "lineGramFreeBack shows 50",
      "send timers fire"},
     {}},
    {"store right after a move",
     "read",
     {"move SliderFriction", "click tbt_savedata"},
     {kFriction41, kStore}},
    {"reset right after a move",
     "read",
     {"move SliderFriction", "click tbt_original_state"},
     {kFriction41, kReset}},
    {"Escape right after a move", "read", {"move SliderFriction", "press Escape"}, {kFriction41}},
    {"the close button right after a move",
     "read",
     {"move SliderFriction", "close with toolButton_2"},
     {kFriction41}},
    {"wheel over the selectors and a slider without focus",
     "read",
     {"wheel over colorComboBox", "wheel over colorComboBox_2", "wheel over SliderFriction",
      "send timers fire"},
     {}},
    {"wheel over a slider with focus",
     "read",
     {"focus SliderFriction", "wheel over SliderFriction", "send timers fire"},
     {"80 01 84 03 00 32 01 0A 14 1E 2B"}},
};

// One step of a row, done as a user does it: keys, clicks and wheel turns into the real
// controls, the send timers' slots, the base plugged or unplugged.
void perform(WidgetHarness &harness, const QString &step)
{
    Widget *w = harness.widget();
    auto *target = w->findChild<QWidget *>(step.section(' ', -1));
    auto *edit = qobject_cast<QLineEdit *>(target);
    auto *wait = harness.child<RoundCircle>("Factory_wait");
    if (step.startsWith("move "))
        QTest::keyClick(target, Qt::Key_Right);
    else if (step.startsWith("choose next in "))
        QTest::keyClick(target, Qt::Key_Down);
    else if (step == "set every slider to its value")
        for (QSlider *slider : w->findChildren<QSlider *>())
            slider->setValue(slider->value());
    else if (step.startsWith("set "))
        w->findChild<QSlider *>(step.section(' ', 1, 1))->setValue(step.section(' ', 3).toInt());
    else if (step.startsWith("type ")) {
        edit->selectAll();
        QTest::keyClicks(edit, step.section(' ', 1, 1));
    } else if (step.startsWith("erase "))
        for (QTest::keyClick(edit, Qt::Key_End); !edit->text().isEmpty();)
            QTest::keyClick(edit, Qt::Key_Backspace);
    else if (step.startsWith("leave ")) {
        QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(edit, &leave);
    } else if (step.startsWith("Enter in "))
        QTest::keyClick(edit, Qt::Key_Return);
    else if (step == "press Enter")
        QTest::keyClick(w, Qt::Key_Return);
    else if (step.startsWith("click ")) {
        static_cast<QAbstractButton *>(target)->click();
        if (step == "click tbt_original_state") // the wait shows only for a request sent
            QCOMPARE(wait->isHidden(), !w->deviceFound() || harness.features().isEmpty());
    } else if (step == "press Escape" || step.startsWith("close with ")) {
        if (step.startsWith("close with "))
            static_cast<QAbstractButton *>(target)->click();
        else
            QTest::keyClick(w, Qt::Key_Escape);
        // Closing asked the event loop to end; a loop run to its end clears that request.
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        QCoreApplication::exec();
    } else if (step == "send timers fire") {
        for (QTimer *timer : w->findChildren<QTimer *>())
            if (timer->isActive() && timer->interval() == 500)
                QMetaObject::invokeMethod(timer, "timeout");
    } else if (step.startsWith("focus ") || step.startsWith("wheel over ")) {
        if (step.startsWith("focus "))
            target->setFocus();
        QWheelEvent turn(QPointF(5, 5), QPointF(target->mapToGlobal(QPoint(5, 5))), QPoint(),
                         QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        if (step.startsWith("wheel over "))
            QCoreApplication::sendEvent(target, &turn);
    } else if (step == "plug in") {
        QVERIFY(harness.base().featureLog().isEmpty());
        harness.base().plug();
        QVERIFY(settleStartUp(harness));
    } else if (step == "unplug")
        harness.base().unplug();
    else if (step == "read back") // the held-back values follow the base's answer
        QVERIFY(readUntil(harness, [&] { return harness.features().size() >= 2; }));
    else if (step == "the reset wait times out")
        QMetaObject::invokeMethod(w->findChild<QTimer *>("factoryResetTimeout"), "timeout");
    else if (step == "wait until the reset wait ends")
        QVERIFY(readUntil(harness, [&] { return wait->isHidden(); }));
    else if (step.startsWith("link lamp shows "))
        QCOMPARE(harness.child<QLabel>("label_54")->styleSheet(),
                 QString::fromLatin1(step.endsWith("fault") ? "image: url(://LedRedThree.png);"
                                                            : "image: url(://LedGreenThree.png);"));
    else if (step.contains(" shows "))
        QCOMPARE(w->findChild<QLineEdit *>(step.section(' ', 0, 0))->text(), step.section(' ', 2));
    else
        QFAIL(qPrintable("no such step: " + step));
}

} // namespace

class TestWriteFlow : public QObject
{
    Q_OBJECT

private slots:
    void onlyValuesReadOrSetAreSent_data();
    void onlyValuesReadOrSetAreSent();
    void typedTextIsWhatIsSent_data();
    void typedTextIsWhatIsSent();
    void enterFlash();
    void editionSetUp_data();
    void editionSetUp();
};

void TestWriteFlow::onlyValuesReadOrSetAreSent_data()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(std::size(kRows)); ++i)
        QTest::newRow(kRows[i].name) << i;
}

void TestWriteFlow::onlyValuesReadOrSetAreSent()
{
    QFETCH(int, row);
    const Row &r = kRows[row];
    const QString base = QLatin1String(r.base);
    sim::Settings settings = kKnownSettings;
    settings.suspension = base == QLatin1String("mode 7") ? 7 : settings.suspension;
    WidgetHarness::Options options = quietBase();
    options.config.factoryResetDelayMs = 0;
    options.plugged = base != QLatin1String("unplugged");
    options.prepare = [&](sim::SimPlatform &platform) {
        platform.wheelBase()->loadSettings(settings);
        platform.wheelBase()->setMachineEchoByte4(base == QLatin1String("echo 2D") ? 0x2D : 0);
        platform.wheelBase()->refuseFeatureReports(base == QLatin1String("unread") ? 1 : 0);
        platform.wheelBase()->dropFactoryResetAck(base == QLatin1String("no ack"));
    };
    WidgetHarness harness(options);
    if (base != QLatin1String("unread") && base != QLatin1String("unplugged"))
        QVERIFY(settleStartUp(harness));
    if (base.startsWith(QLatin1String("refuses")))
        harness.base().refuseFeatureReports(base.rightRef(1).toInt());
    for (const QString &step : r.steps) {
        perform(harness, step);
        if (QTest::currentTestFailed())
            return;
    }
    QCOMPARE(records(harness.features()), r.sent);
    QStringList told;
    for (const QMessageBox *box : harness.widget()->findChildren<QMessageBox *>())
        if (!box->objectName().isEmpty())
            told << box->objectName() + ": " + box->text().section('\n', 0, 0);
    QCOMPARE(told.join('\n'), QString::fromUtf8(r.told));
}

void TestWriteFlow::typedTextIsWhatIsSent_data()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(std::size(kTyped)); ++i)
        QTest::newRow(kTyped[i].name) << i;
}

void TestWriteFlow::typedTextIsWhatIsSent()
{
    QFETCH(int, row);
    const Typed &r = kTyped[row];
    // The validators take the system locale when the window is built.
    const QLocale system;
    QLocale::setDefault(QLocale(r.locale));
    WidgetHarness harness(quietBase());
    QLocale::setDefault(system);
    QVERIFY(settleStartUp(harness));
    auto *edit = harness.child<QLineEdit>(r.field);

    edit->selectAll();
    QTest::keyClicks(edit, QString::fromLatin1(r.typed));
    QCOMPARE(edit->text(), QString::fromLatin1(r.shown));
    fireSendTimers(harness); // typing alone sends nothing
    QVERIFY(harness.features().isEmpty());
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(edit->text(), QString::fromLatin1(r.entered));
    // Both groups go out, the field's with the bytes its value makes.
    const bool game = QByteArray(r.field).startsWith("lineGames");
    QStringList sent{kKnownMachine, kKnownGame};
    sent[game].replace(6, qstrlen(r.sent), QString::fromLatin1(r.sent));
    QCOMPARE(records(harness.features()), sent);
}

// Enter on a field flashes its border until the restore timer fires; an empty field is not
// acceptable input: no acknowledgement.
void TestWriteFlow::enterFlash()
{
    WidgetHarness harness(quietBase());
    QVERIFY(settleStartUp(harness));
    auto *field = harness.child<QLineEdit>("lineGamesDamping");
    const QString normal = field->styleSheet();
    QTest::keyClick(field, Qt::Key_Return);
    auto *restore = field->findChild<QTimer *>(QStringLiteral("pendingStyleRestore"));
    QVERIFY(field->styleSheet().contains(QLatin1String("border:3px rgb(255,0,0)")));
    QVERIFY(restore && restore->isActive());
    QMetaObject::invokeMethod(restore, "timeout");
    QCOMPARE(field->styleSheet(), normal);
    field->clear();
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(field->styleSheet(), normal);
}

void TestWriteFlow::editionSetUp_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("texts"); // label_52, label_35, the suspension items, the version
    QTest::newRow("English") << 0 << "FilterFrequency Filter Soft Normal Hard A2.1";
    QTest::newRow("Chinese") << int(QLocale::Chinese) << "滤波频率 滤波频率 偏软 适中 偏硬 A2.1";
}

// This variant's texts and choices, applied once after the window is shown.
void TestWriteFlow::editionSetUp()
{
    QFETCH(int, language);
    QFETCH(QString, texts);
    WidgetHarness::Options options = quietBase();
    options.language = language; // the harness applies the edition after showing the window
    WidgetHarness harness(options);
    auto *combo = harness.child<QComboBox>("colorComboBox");
    QStringList got{harness.child<QLabel>("label_52")->text(),
                    harness.child<QLabel>("label_35")->text()};
    for (int i = 0; i < combo->count(); ++i)
        got << combo->itemText(i);
    for (const char *label : {"lb_softwareVersion", "label_53", "label_57", "label_126"})
        got << harness.child<QLabel>(label)->text();
    QCOMPARE(got.join(' '), texts + QString(" Orvex Manager").repeated(3));
    QVERIFY(!harness.child<QToolButton>("tbt_original_state")->isHidden());
    // Refilling the suspension combo changed its index before combo sends
    // were armed: only the start-up read request went out.
    QVERIFY(startedUp(harness));
    fireSendTimers(harness);
    QCOMPARE(records(harness.features()), QStringList{kRead});
}

QTEST_MAIN(TestWriteFlow)
#include "tst_writeflow.moc"
