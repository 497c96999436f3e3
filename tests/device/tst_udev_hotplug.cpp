// The udev dispatcher on recorded event properties: ids from HID_ID, the path -> ids cache for
// removals, the permission retry for arrivals straight from the kernel, and the re-enumeration
// asked for after a monitor overflow.

#include "udev_hotplug.h"

#include <QtTest>

#include <cerrno>

namespace {

// Plays "action:node" steps as udev records them ("/dev/hidrawN", or "hidrawN" from the
// kernel; /dev/hidraw3 when left out): an arrival carries the parent's HID_ID as the platform
// adds it, a removal does not (the parent is gone). Besides: "overflow", "remember:node", and
// an arrival from another subsystem ("input"), without DEVNAME ("nonode") or ACTION ("noaction"),
// and "tick" for each retry interval.
// Delivered events go to `events` as "<A|R|S><N of /dev/hidrawN> vendor:product" (hex; -1 when
// unknown).
void play(device::UdevHotplugDispatcher &dispatcher, const QString &steps, QStringList *events)
{
    dispatcher.setCallback([events](const device::HotplugEvent &e) {
        const auto id = [](int v) { return QString::number(v, v < 0 ? 10 : 16); };
        *events << QStringLiteral("%1%2 %3:%4")
                       .arg(QString(QLatin1Char("ARS"[int(e.kind)])),
                            QString::fromStdString(e.path).remove("/dev/hidraw"), id(e.vendorId),
                            id(e.productId));
    });
    for (const QString &step : steps.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const std::string action = step.section(':', 0, 0).toStdString();
        const std::string node = step.section(':', 1).toStdString();
        device::UdevProperties p{{"ACTION", action},
                                 {"SUBSYSTEM", "hidraw"},
                                 {"DEVNAME", node.empty() ? "/dev/hidraw3" : node}};
        if (action != "remove")
            p["HID_ID"] = "0003:00000483:00000522";
        if (action == "overflow")
            dispatcher.handleOverflow();
        else if (action == "tick") // the retry timer's interval has passed
            for (QTimer *timer : dispatcher.findChildren<QTimer *>())
                timer->isActive() ? void(QMetaObject::invokeMethod(timer, "timeout")) : void();
        else if (action == "remember")
            dispatcher.remember(node, {0x0483, 0x0522});
        else if (action == "input")
            p["ACTION"] = "add", p["SUBSYSTEM"] = "input", dispatcher.handleEvent(p);
        else if (action == "nonode")
            p["ACTION"] = "add", p.erase("DEVNAME"), dispatcher.handleEvent(p);
        else if (action == "noaction")
            p.erase("ACTION"), dispatcher.handleEvent(p);
        else
            dispatcher.handleEvent(p);
    }
}

} // namespace

class TestUdevHotplug : public QObject
{
    Q_OBJECT

private slots:
    void hidId();
    void recordedEvents();
};

void TestUdevHotplug::hidId()
{
    QStringList rows{"0003:00000483:00000522 483:522",
                     "0005:0000054C:000005C4 54c:5c4",
                     "0003:0000046d:0000c52b 46d:c52b",
                     "0003:00000a5a:0000abcd a5a:abcd",
                     "3:483:522 483:522",
                     "0003:0000FFFF:0000FFFF ffff:ffff"};
    // Not of the form: too few or many fields, an empty one, not hex, too long, beyond 16 bits.
    for (const QString &bad : QString("_ 0003:00000483 0003:00000483:00000522:0001 0003::00000522 "
                                      "0003:0000G483:00000522 0003:000000483:00000522 "
                                      "0003:00010483:00000522 0003:00000483:00010522 "
                                      "0003:-0000483:00000522")
                                  .split(' '))
        rows << bad + " -";
    for (const QString &row : rows) {
        const QString text = row.section(' ', 0, 0);
        const auto ids = device::parseHidId(text == "_" ? "" : text.toStdString());
        const QString got =
            ids ? QString::number(ids->vendorId, 16) + ':' + QString::number(ids->productId, 16)
                : "-";
        QCOMPARE(text + ' ' + got, row);
    }
}

void TestUdevHotplug::recordedEvents()
{
    const struct
    {
        bool kernel;       // events straight from the kernel, not through udevd
        QList<int> probes; // errno of each open probe; the last one repeats
        QString steps, delivered;
        int probesMade;
    } rows[] = {
        {false, {0}, "add,remove,remove", "A3 483:522|R3 483:522|R3 -1:-1", 0}, // cached, unknown
        {false, {0}, "add:/dev/hidraw1,remove:/dev/hidraw5", "A1 483:522|R5 -1:-1", 0},
        {false, {0}, "remember:/dev/hidraw0,remove:/dev/hidraw0", "R0 483:522", 0},
        {false, {0}, "add:hidraw2,remove:hidraw2", "A2 483:522|R2 483:522", 0},
        {true, {0}, "change,bind,input,nonode,noaction", "", 0},
        {false, {EACCES}, "add", "A3 483:522", 0}, // udevd has applied its rules: no probe
        {true, {EBUSY}, "add", "A3 483:522", 1},   // not a permission problem: no retry
        // A locked node's arrival waits for udev's rules, retried by the timer (5 attempts),
        // and is delivered anyway at the end, so that the window can tell the user.
        {true, {EACCES, EACCES, 0}, "add,tick,tick", "A3 483:522", 3},
        {true, {EPERM}, "add,tick,tick,tick,tick,tick", "A3 483:522", 6},
        {true, {EACCES, EACCES, EACCES, 0}, "add,add,tick,tick", "A3 483:522", 4},
        {true, {EACCES}, "add,remove", "", 1},
        // Lost events: the window re-enumerates; the cache may name nodes that have gone.
        {false, {0}, "add,overflow,remove", "A3 483:522|S -1:-1|R3 -1:-1", 0},
    };
    for (const auto &row : rows) {
        QStringList events;
        int made = 0;
        device::UdevHotplugDispatcher dispatcher(row.kernel);
        dispatcher.setPermissionRetry(5, 3600 * 1000); // never elapses here: "tick" fires it
        dispatcher.setOpenProbe(
            [&](const std::string &) { return row.probes.value(made++, row.probes.last()); });
        play(dispatcher, row.steps, &events);
        QCOMPARE(QString("%1: %2, %3 probes").arg(row.steps, events.join('|')).arg(made),
                 QString("%1: %2, %3 probes").arg(row.steps, row.delivered).arg(row.probesMade));
        QVERIFY(!dispatcher.arrivalPending("/dev/hidraw3"));
        for (QTimer *timer : dispatcher.findChildren<QTimer *>())
            QVERIFY(!timer->isActive());
        // The netlink source that delivers such events at all.
        QCOMPARE(device::monitorSourceName(!row.kernel), row.kernel ? "kernel" : "udev");
    }
}

QTEST_GUILESS_MAIN(TestUdevHotplug)
#include "tst_udev_hotplug.moc"
