// The device link seen from the window, against the simulated base: lost
// notifications, failed opens, a second node with the same ids, the lamp
// sequence and the firmware refusal. Each row is a script of user and
// platform actions with checks in between.

#include "indicatorlooks.h"
#include "languagetable.h"
#include "usbthread.h"
#include "widgetharness.h"

#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

namespace {

// The group lit by the sequence ("A".."D", "-" for none) as the lamps show it.
QString litGroup(const WidgetHarness &h)
{
    QString lit = QStringLiteral("-");
    for (const form::HeaderLampGroupInfo &group : form::headerLampGroups()) {
        for (const char *name : group.lamps) {
            if (h.child<QLabel>(name)->styleSheet() != QLatin1String(form::HeaderLampOffStyle))
                lit = QString(QChar('A' + int(group.group)));
        }
    }
    return lit;
}

} // namespace

class TestLink : public QObject
{
    Q_OBJECT

private slots:
    void scripts_data();
    void scripts();
};

void TestLink::scripts_data()
{
    // up/down wait for the link; sync handles what is queued; lamps=X checks the lit group;
    // timers=1/0: the lamp and live display timers run or not;
    // poll runs the re-enumeration; notices=a+b names the open boxes; noreg: the device
    // notifications cannot be registered; a "2" step acts on a second node with the same ids.
    QTest::addColumn<QString>("script");
    QTest::newRow("failed open leaves the lamps grey, next arrival opens")
        << "unplug,down,deny,plug,sync,timers=0,lamps=-,notices=permissionNotice,unplug,allow,"
           "plug,up";
    // Another program holds the base (a sharing violation on Windows): no udev advice.
    QTest::newRow("busy open retried once the base is free")
        << "unplug,down,busy,plug,sync,timers=0,notices=busyNotice,allow,poll,up,timers=1";
    QTest::newRow("reader disconnect without removal notice")
        << "up,mute,unplug,down,unmute,plug,up";
    QTest::newRow("lost arrival found after a monitor overflow")
        << "mute,unplug,down,plug,sync,resync,up";
    QTest::newRow("failed registration: the poll follows the base")
        << "noreg,up,mute,unplug,poll,down,plug,poll,up";
    QTest::newRow("removal of a second node with the same ids")
        << "up,unplug2,sync,up,plug2,sync,up,unplug,down";
    QTest::newRow("early unplug greys the sequence, next link restarts it")
        << "led,led,lamps=B,unplug,down,lamps=-,timers=0,plug,up,led,lamps=A,led,led,led,lamps=D";
    // The version stays in view, the user is told once, the base stays refused.
    QTest::newRow("refused firmware") << "fw=4999,read,down,label=4999,notices=firmwareNotice,read,"
                                         "poll,down,notices=firmwareNotice";
}

void TestLink::scripts()
{
    QFETCH(QString, script);
    WidgetHarness::Options options;
    options.config.liveRateHz = 0;
    options.config.statusIntervalMs = 0;
    std::shared_ptr<sim::SimWheelBase> second;
    options.prepare = [&](sim::SimPlatform &platform) {
        platform.setRegistrationFails(script.startsWith("noreg"));
        if (script.contains("plug2"))
            second = platform.addDevice(options.config);
    };
    WidgetHarness h(options);
    sim::SimWheelBase &base = h.base();
    Widget *w = h.widget();
    const auto timers = w->findChildren<QTimer *>(QString(), Qt::FindDirectChildrenOnly);
    // The lamp sequence's (1 s) and the live display's (50 ms) timers run only with a link.
    const auto timerRuns = [&](int interval) {
        return std::any_of(timers.begin(), timers.end(), [interval](QTimer *t) {
            return t->interval() == interval && t->isActive();
        });
    };

    for (const QString &step : script.split(QLatin1Char(','))) {
        const QString arg = step.section(QLatin1Char('='), 1);
        if (step.startsWith("unplug"))
            (step.endsWith('2') ? *second : base).unplug();
        else if (step.startsWith("plug"))
            (step.endsWith('2') ? *second : base).plug();
        else if (step == "mute" || step == "unmute")
            h.platform().setNotificationsMuted(step == "mute");
        else if (step == "resync")
            h.platform().announceResync();
        else if (step == "deny" || step == "busy" || step == "allow")
            base.failOpens(step == "deny"   ? device::OpenError::PermissionDenied
                           : step == "busy" ? device::OpenError::Busy
                                            : device::OpenError::None);
        else if (step == "poll")
            QVERIFY(QMetaObject::invokeMethod(w->session(), "reconcileLink"));
        else if (step == "sync")
            QCoreApplication::processEvents();
        else if (step == "up" || step == "down")
            QVERIFY2(WidgetHarness::waitFor([&] { return w->deviceFound() == (step == "up"); }),
                     qPrintable(step));
        else if (step == "led")
            w->usbStatuLedShow();
        else if (step.startsWith("lamps="))
            QCOMPARE(litGroup(h), arg);
        else if (step.startsWith("timers=")) {
            QCOMPARE(timerRuns(1000), arg == "1");
            QCOMPARE(timerRuns(50), arg == "1");
        } else if (step.startsWith("fw="))
            base.setFirmwareVersion(quint16(arg.toInt()));
        else if (step == "read")
            w->on_tbt_readdata_clicked(), WidgetHarness::waitFor([&] {
                return w->ReadReportBufferToSetGames(), !w->deviceFound();
            });
        else if (step.startsWith("label="))
            QCOMPARE(h.child<QLabel>("label_16")->text(), arg);
        else if (step.startsWith("notices=")) {
            QStringList names;
            for (QMessageBox *box : w->findChildren<QMessageBox *>()) {
                names << box->objectName();
                if (box->objectName() == "busyNotice")
                    QCOMPARE(box->text(), language::messageText(language::BaseInUseMessage));
                if (box->objectName() == "firmwareNotice") // the refused version, and the cure
                    QVERIFY(box->text().contains("4999") && box->text().contains("firmware"));
            }
            QCOMPARE(names.join('+'), arg);
        } else if (step != "noreg")
            QFAIL(qPrintable("unknown step " + step));
        if (QTest::currentTestFailed())
            return qWarning() << "failed at step" << step, void();
    }
    // A reader runs whenever the link is up.
    if (w->deviceFound())
        QVERIFY(w->currentReader() && w->currentReader()->isRunning());
}

QTEST_MAIN(TestLink)
#include "tst_link.moc"
