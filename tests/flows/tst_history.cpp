// Snapshots and undo, through the real window against the simulated base: a
// snapshot before each overwrite holds exactly what was read from the base,
// and undo and redo of each kind of step put the base back.
#include "flowtestutil.h"
#include "parameterprofile.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
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
        QVERIFY(readUntil(h, [w] { return w->baseSettingsKnown(); }));
    } else if (kind == QLatin1String("store")) {
        h.child<QAbstractButton>("tbt_savedata")->click();
    }
}

QStringList snapshotsIn(const WidgetHarness &h)
{
    return profiles::listSnapshots(h.profileFolder());
}

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT

private slots:
    void undoAndRedoPutTheBaseBack_data();
    void undoAndRedoPutTheBaseBack();
    void snapshotBeforeEachOverwrite_data();
    void snapshotBeforeEachOverwrite();
    void theNewestFiftySnapshotsAreKept();
};

void TestHistory::undoAndRedoPutTheBaseBack_data()
{
    QTest::addColumn<QString>("kind");
    for (const char *kind : {"slider", "typed", "choice", "profile load", "factory reset"})
        QTest::newRow(kind) << QString::fromLatin1(kind);
}

void TestHistory::undoAndRedoPutTheBaseBack()
{
    QFETCH(QString, kind);
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
    press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.base().settings(), before);
    press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(h.base().settings(), after);
    press(Qt::Key_Z, Qt::ControlModifier);
    press(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(h.base().settings(), after);
}

void TestHistory::snapshotBeforeEachOverwrite_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("read");
    QTest::newRow("factory reset") << "factory reset" << true;
    QTest::newRow("profile load") << "profile load" << true;
    QTest::newRow("store") << "store" << true;
    QTest::newRow("load before the read-back") << "profile load" << false;
}

void TestHistory::snapshotBeforeEachOverwrite()
{
    QFETCH(QString, kind);
    QFETCH(bool, read);
    WidgetHarness::Options options = quietBase();
    options.config.factoryResetDelayMs = 0;
    WidgetHarness h(options);
    if (read)
        QVERIFY(settleStartUp(h));
    perform(h, kind);
    // Only settings read from the base are saved, never the form's.
    const QStringList names = snapshotsIn(h);
    QCOMPARE(names.size(), read ? 1 : 0);
    if (!read)
        return;
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d{4}(-\\d\\d){2} (\\d\\d-){2}\\d\\d before "))
                 .match(names.at(0))
                 .hasMatch(),
             qPrintable(names.at(0)));
    QVERIFY(names.at(0).endsWith(
        (kind == QLatin1String("store") ? QStringLiteral("before store") : "before " + kind) +
        ".ini"));
    const profiles::CheckedProfile snapshot = profiles::checkProfile(
        profiles::historyFolder(h.profileFolder()) + QLatin1Char('/') + names.at(0));
    QCOMPARE(int(snapshot.verdict), int(profiles::ProfileVerdict::Loadable));
    QVERIFY(snapshot.values == knownValues());
}

void TestHistory::theNewestFiftySnapshotsAreKept()
{
    WidgetHarness h(quietBase());
    QVERIFY(settleStartUp(h));
    const QString history = profiles::historyFolder(h.profileFolder());
    QVERIFY(QDir().mkpath(history));
    for (int i = 0; i < profiles::kSnapshotsKept; ++i)
        writeProfile(history + QStringLiteral("/2020-01-01 00-00-%1 before store.ini")
                                   .arg(i, 2, 10, QLatin1Char('0')));
    writeProfile(history + QStringLiteral("/kept by hand.ini"));
    perform(h, QStringLiteral("store"));
    const QStringList names = snapshotsIn(h);
    QCOMPARE(names.size(), profiles::kSnapshotsKept);
    QCOMPARE(names.first(), QStringLiteral("2020-01-01 00-00-01 before store.ini"));
    QVERIFY(names.last().endsWith(QLatin1String(" before store.ini")));
    QVERIFY(QFileInfo::exists(history + QStringLiteral("/kept by hand.ini")));
}

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
