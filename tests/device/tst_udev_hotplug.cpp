// Hotplug handling on recorded udev event properties: ids from HID_ID, the
// path -> ids cache for removals, and the permission retry for arrivals
// straight from the kernel.

#include "udev_hotplug.h"

#include <QtTest>

#include <cerrno>

Q_DECLARE_METATYPE(device::UdevProperties)

namespace {

using device::HotplugKind;
using device::UdevProperties;

// What udevd sends for the wheel base's node, with the parent's HID_ID added
// as the platform does.
UdevProperties udevAdd(const std::string &node = "/dev/hidraw3")
{
    return {{"ACTION", "add"},
            {"DEVPATH", "/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/"
                        "0003:0483:0522.0007/hidraw/hidraw3"},
            {"SUBSYSTEM", "hidraw"},
            {"DEVNAME", node},
            {"MAJOR", "242"},
            {"MINOR", "3"},
            {"SEQNUM", "4711"},
            {"TAGS", ":uaccess:seat:"},
            {"HID_ID", "0003:00000483:00000522"}};
}

// A removal: the parent HID device is already gone, so there is no HID_ID.
UdevProperties udevRemove(const std::string &node = "/dev/hidraw3")
{
    return {{"ACTION", "remove"},
            {"DEVPATH", "/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/"
                        "0003:0483:0522.0007/hidraw/hidraw3"},
            {"SUBSYSTEM", "hidraw"},
            {"DEVNAME", node},
            {"SEQNUM", "4712"}};
}

// Records what the dispatcher delivers.
struct Recorder
{
    std::vector<device::HotplugEvent> events;
    device::HotplugCallback callback()
    {
        return [this](const device::HotplugEvent &event) { events.push_back(event); };
    }
};

} // namespace

class TestUdevHotplug : public QObject
{
    Q_OBJECT

private slots:
    void hidId_data();
    void hidId();
    void devNodes();
    void monitorSource();
    void arrivalCarriesIds();
    void removalUsesTheCache();
    void removalOfUnknownNode();
    void enumeratedNodeRemoved();
    void kernelStyleDevname();
    void ignoredEvents_data();
    void ignoredEvents();
    void udevSourceDeliversAtOnce();
    void kernelSourceWaitsForPermission();
    void kernelSourceGivesUpAfterRetries();
    void kernelSourceOtherErrorsDeliverAtOnce();
    void removedWhileLocked();
    void repeatedArrivalWhileLocked();
};

void TestUdevHotplug::hidId_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("vendor");
    QTest::addColumn<int>("product");
    QTest::newRow("usb wheel base") << "0003:00000483:00000522" << 0x0483 << 0x0522;
    QTest::newRow("bluetooth, upper-case") << "0005:0000054C:000005C4" << 0x054C << 0x05C4;
    QTest::newRow("lower-case") << "0003:0000046d:0000c52b" << 0x046D << 0xC52B;
    QTest::newRow("short fields") << "3:483:522" << 0x0483 << 0x0522;
    QTest::newRow("empty") << "" << -1 << -1;
    QTest::newRow("two fields") << "0003:00000483" << -1 << -1;
    QTest::newRow("four fields") << "0003:00000483:00000522:0001" << -1 << -1;
    QTest::newRow("empty field") << "0003::00000522" << -1 << -1;
    QTest::newRow("not hex") << "0003:0000G483:00000522" << -1 << -1;
    QTest::newRow("field too long") << "0003:000000483:00000522" << -1 << -1;
    QTest::newRow("vendor beyond 16 bits") << "0003:00010483:00000522" << -1 << -1;
    QTest::newRow("sign") << "0003:-0000483:00000522" << -1 << -1;
}

void TestUdevHotplug::hidId()
{
    QFETCH(QString, text);
    QFETCH(int, vendor);
    QFETCH(int, product);
    const auto ids = device::parseHidId(text.toStdString());
    QCOMPARE(ids.has_value(), vendor >= 0);
    if (ids) {
        QCOMPARE(ids->vendorId, vendor);
        QCOMPARE(ids->productId, product);
    }
}

void TestUdevHotplug::devNodes()
{
    QCOMPARE(device::devNodeFromName("hidraw0"), std::string("/dev/hidraw0"));
    QCOMPARE(device::devNodeFromName("/dev/hidraw12"), std::string("/dev/hidraw12"));
    QCOMPARE(device::devNodeFromName(""), std::string());
}

void TestUdevHotplug::monitorSource()
{
    QCOMPARE(QByteArray(device::monitorSourceName(true)), QByteArray("udev"));
    QCOMPARE(QByteArray(device::monitorSourceName(false)), QByteArray("kernel"));
    QCOMPARE(device::udevdRunning(), QFile::exists("/run/udev/control"));
}

void TestUdevHotplug::arrivalCarriesIds()
{
    Recorder recorder;
    device::UdevHotplugDispatcher dispatcher(false);
    dispatcher.setCallback(recorder.callback());
    dispatcher.handleEvent(udevAdd());
    QCOMPARE(recorder.events.size(), std::size_t(1));
    const device::HotplugEvent &event = recorder.events.front();
    QCOMPARE(event.kind, HotplugKind::Arrival);
    QCOMPARE(event.path, std::string("/dev/hidraw3"));
    QCOMPARE(event.vendorId, 0x0483);
    QCOMPARE(event.productId, 0x0522);
    QVERIFY(dispatcher.cachedIds("/dev/hidraw3").has_value());
}

void TestUdevHotplug::removalUsesTheCache()
{
    Recorder recorder;
    device::UdevHotplugDispatcher dispatcher(false);
    dispatcher.setCallback(recorder.callback());
    dispatcher.handleEvent(udevAdd());
    dispatcher.handleEvent(udevRemove());
    QCOMPARE(recorder.events.size(), std::size_t(2));
    const device::HotplugEvent &event = recorder.events.back();
    QCOMPARE(event.kind, HotplugKind::Removal);
    QCOMPARE(event.path, std::string("/dev/hidraw3"));
    QCOMPARE(event.vendorId, 0x0483);
    QCOMPARE(event.productId, 0x0522);
    // The node is gone; a later node of that name may be another device.
    QVERIFY(!dispatcher.cachedIds("/dev/hidraw3").has_value());
    dispatcher.handleEvent(udevRemove());
    QCOMPARE(recorder.events.back().vendorId, -1);
}

void TestUdevHotplug::removalOfUnknownNode()
{
    Recorder recorder;
    device::UdevHotplugDispatcher dispatcher(false);
    dispatcher.setCallback(recorder.callback());
    dispatcher.handleEvent(udevAdd("/dev/hidraw1"));
    dispatcher.handleEvent(udevRemove("/dev/hidraw5"));
    QCOMPARE(recorder.events.size(), std::size_t(2));
    QCOMPARE(recorder.events.back().kind, HotplugKind::Removal);
    QCOMPARE(recorder.events.back().vendorId, -1);
    QCOMPARE(recorder.events.back().productId, -1);
    QVERIFY(dispatcher.cachedIds("/dev/hidraw1").has_value());
}

void TestUdevHotplug::enumeratedNodeRemoved()
{
    Recorder recorder;
    device::UdevHotplugDispatcher dispatcher(false);
    dispatcher.setCallback(recorder.callback());
    dispatcher.remember("/dev/hidraw0", {0x0483, 0x0522});
    dispatcher.remember("/dev/hidraw9", {-1, -1}); // unknown ids are not cached
    QVERIFY(!dispatcher.cachedIds("/dev/hidraw9").has_value());
    dispatcher.handleEvent(udevRemove("/dev/hidraw0"));
    QCOMPARE(recorder.events.size(), std::size_t(1));
    QCOMPARE(recorder.events.front().vendorId, 0x0483);
    QCOMPARE(recorder.events.front().productId, 0x0522);
}

void TestUdevHotplug::kernelStyleDevname()
{
    // The kernel names the node without its directory.
    Recorder recorder;
    device::UdevHotplugDispatcher dispatcher(false);
    dispatcher.setCallback(recorder.callback());
    UdevProperties add = udevAdd("hidraw2");
    dispatcher.handleEvent(add);
    dispatcher.handleEvent(udevRemove("hidraw2"));
    QCOMPARE(recorder.events.size(), std::size_t(2));
    QCOMPARE(recorder.events.front().path, std::string("/dev/hidraw2"));
    QCOMPARE(recorder.events.back().path, std::string("/dev/hidraw2"));
    QCOMPARE(recorder.events.back().productId, 0x0522);
}

void TestUdevHotplug::ignoredEvents_data()
{
    QTest::addColumn<UdevProperties>("properties");
    UdevProperties change = udevAdd();
    change["ACTION"] = "change";
    UdevProperties bind = udevAdd();
    bind["ACTION"] = "bind";
    UdevProperties input = udevAdd("/dev/input/event4");
    input["SUBSYSTEM"] = "input";
    UdevProperties noNode = udevAdd();
    noNode.erase("DEVNAME");
    UdevProperties noAction = udevAdd();
    noAction.erase("ACTION");
    QTest::newRow("change") << change;
    QTest::newRow("bind") << bind;
    QTest::newRow("other subsystem") << input;
    QTest::newRow("no node") << noNode;
    QTest::newRow("no action") << noAction;
}

void TestUdevHotplug::ignoredEvents()
{
    QFETCH(UdevProperties, properties);
    Recorder recorder;
    device::UdevHotplugDispatcher dispatcher(true);
    dispatcher.setCallback(recorder.callback());
    dispatcher.handleEvent(properties);
    QCoreApplication::processEvents();
    QVERIFY(recorder.events.empty());
}

void TestUdevHotplug::udevSourceDeliversAtOnce()
{
    // udevd announces a node after its rules ran: no probing, no delay.
    Recorder recorder;
    int probes = 0;
    device::UdevHotplugDispatcher dispatcher(false);
    dispatcher.setCallback(recorder.callback());
    dispatcher.setOpenProbe([&](const std::string &) {
        ++probes;
        return EACCES;
    });
    dispatcher.handleEvent(udevAdd());
    QCOMPARE(recorder.events.size(), std::size_t(1));
    QCOMPARE(probes, 0);
}

void TestUdevHotplug::kernelSourceWaitsForPermission()
{
    Recorder recorder;
    int probes = 0;
    device::UdevHotplugDispatcher dispatcher(true);
    dispatcher.setCallback(recorder.callback());
    dispatcher.setPermissionRetry(5, 20);
    // Locked twice, then the rule has been applied.
    std::string probed;
    dispatcher.setOpenProbe([&](const std::string &path) {
        probed = path;
        return ++probes <= 2 ? EACCES : 0;
    });
    dispatcher.handleEvent(udevAdd());
    QVERIFY(recorder.events.empty());
    QVERIFY(dispatcher.arrivalPending("/dev/hidraw3"));
    QTRY_COMPARE(recorder.events.size(), std::size_t(1));
    QCOMPARE(recorder.events.front().kind, HotplugKind::Arrival);
    QCOMPARE(recorder.events.front().productId, 0x0522);
    QCOMPARE(probes, 3);
    QCOMPARE(probed, std::string("/dev/hidraw3"));
    QVERIFY(!dispatcher.arrivalPending("/dev/hidraw3"));
    // Nothing else follows.
    QTest::qWait(100);
    QCOMPARE(recorder.events.size(), std::size_t(1));
}

void TestUdevHotplug::kernelSourceGivesUpAfterRetries()
{
    // Still locked after every retry: the arrival goes out anyway, so the
    // window can tell the user why the base cannot be opened.
    Recorder recorder;
    int probes = 0;
    device::UdevHotplugDispatcher dispatcher(true);
    dispatcher.setCallback(recorder.callback());
    dispatcher.setPermissionRetry(3, 10);
    dispatcher.setOpenProbe([&](const std::string &) {
        ++probes;
        return EPERM;
    });
    dispatcher.handleEvent(udevAdd());
    QVERIFY(recorder.events.empty());
    QTRY_COMPARE(recorder.events.size(), std::size_t(1));
    QCOMPARE(probes, 1 + 3);
    QTest::qWait(60);
    QCOMPARE(recorder.events.size(), std::size_t(1));
    QCOMPARE(probes, 4);
}

void TestUdevHotplug::kernelSourceOtherErrorsDeliverAtOnce()
{
    Recorder recorder;
    device::UdevHotplugDispatcher dispatcher(true);
    dispatcher.setCallback(recorder.callback());
    dispatcher.setOpenProbe([](const std::string &) { return EBUSY; });
    dispatcher.handleEvent(udevAdd());
    QCOMPARE(recorder.events.size(), std::size_t(1));
}

void TestUdevHotplug::removedWhileLocked()
{
    Recorder recorder;
    device::UdevHotplugDispatcher dispatcher(true);
    dispatcher.setCallback(recorder.callback());
    dispatcher.setPermissionRetry(5, 10);
    dispatcher.setOpenProbe([](const std::string &) { return EACCES; });
    dispatcher.handleEvent(udevAdd());
    dispatcher.handleEvent(udevRemove());
    // Its arrival never went out, so neither does its removal, and no
    // retry delivers the arrival later.
    QVERIFY(!dispatcher.arrivalPending("/dev/hidraw3"));
    QTest::qWait(150);
    QVERIFY(recorder.events.empty());
}

void TestUdevHotplug::repeatedArrivalWhileLocked()
{
    Recorder recorder;
    bool locked = true;
    device::UdevHotplugDispatcher dispatcher(true);
    dispatcher.setCallback(recorder.callback());
    dispatcher.setPermissionRetry(50, 10);
    dispatcher.setOpenProbe([&](const std::string &) { return locked ? EACCES : 0; });
    dispatcher.handleEvent(udevAdd());
    dispatcher.handleEvent(udevAdd());
    QTest::qWait(50);
    QVERIFY(recorder.events.empty());
    locked = false;
    QTRY_COMPARE(recorder.events.size(), std::size_t(1));
    QTest::qWait(50);
    QCOMPARE(recorder.events.size(), std::size_t(1));
}

QTEST_GUILESS_MAIN(TestUdevHotplug)
#include "tst_udev_hotplug.moc"
