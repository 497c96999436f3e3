// The simulated wheel base on its own, through the platform interface: what
// the tool will see of it.

#include "simplatform.h"

#include <QElapsedTimer>
#include <QTemporaryFile>
#include <QtTest>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace sim;
using device::ReadStatus;

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// `head` followed by zeros up to `size` bytes.
QByteArray padded(const char *head, int size)
{
    QByteArray report = hex(head);
    report.append(QByteArray(size - report.size(), '\0'));
    return report;
}

QByteArray input(const char *head)
{
    return padded(head, int(kInputReportSize));
}

bool send(device::HidWriteChannel &channel, const QByteArray &report)
{
    return channel.sendFeatureReport(reinterpret_cast<const std::uint8_t *>(report.constData()),
                                     std::size_t(report.size()));
}

// Reads a channel on a thread of its own until it ends, keeping every result.
class Collector
{
public:
    struct Entry
    {
        ReadStatus status;
        QByteArray bytes;
    };

    explicit Collector(std::unique_ptr<device::HidReadChannel> channel)
        : m_channel(std::move(channel)), m_thread([this] { loop(); })
    {
    }
    ~Collector()
    {
        m_channel->cancel();
        m_thread.join();
    }

    // Waits until `done` holds for the entries so far or `ms` have passed.
    template <typename Predicate> bool waitFor(Predicate done, int ms = 5000)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::milliseconds(ms),
                                  [&] { return done(m_entries); });
    }

    std::vector<Entry> entries() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_entries;
    }

    // The reports received whose first bytes are `head`.
    QList<QByteArray> reports(const QByteArray &head) const
    {
        QList<QByteArray> found;
        for (const Entry &entry : entries()) {
            if (entry.status == ReadStatus::Report && entry.bytes.startsWith(head))
                found.append(entry.bytes);
        }
        return found;
    }

    bool waitForReport(const QByteArray &head, int count = 1, int ms = 5000)
    {
        return waitFor(
            [&](const std::vector<Entry> &entries) {
                int n = 0;
                for (const Entry &e : entries)
                    n += e.status == ReadStatus::Report && e.bytes.startsWith(head);
                return n >= count;
            },
            ms);
    }

    bool waitForEnd(ReadStatus status, int ms = 5000)
    {
        return waitFor(
            [&](const std::vector<Entry> &e) { return !e.empty() && e.back().status == status; },
            ms);
    }

private:
    void loop()
    {
        for (;;) {
            std::uint8_t buffer[64] = {};
            const device::ReadResult result = m_channel->read(buffer, sizeof buffer);
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_entries.push_back({result.status, QByteArray(reinterpret_cast<char *>(buffer),
                                                               int(result.size))});
            }
            m_changed.notify_all();
            if (result.status == ReadStatus::Cancelled || result.status == ReadStatus::Disconnected)
                return;
        }
    }

    std::unique_ptr<device::HidReadChannel> m_channel;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Entry> m_entries; // never shared with the test thread
    std::thread m_thread;
};

// A quiet base: no streams, so that only answers reach the reader.
SimConfig quietConfig()
{
    SimConfig config;
    config.liveRateHz = 0;
    config.statusIntervalMs = 0;
    config.driverActive = false;
    config.factoryResetDelayMs = 200;
    return config;
}

struct Link
{
    SimPlatform platform;
    std::unique_ptr<Collector> reader;
    std::unique_ptr<device::HidWriteChannel> writer;

    explicit Link(SimConfig config = quietConfig()) : platform(std::move(config))
    {
        const std::string path = platform.wheelBase()->path();
        auto read = platform.openForReading(path);
        auto write = platform.openForWriting(path);
        if (read)
            reader = std::make_unique<Collector>(std::move(read.channel));
        writer = std::move(write.channel);
    }
    std::shared_ptr<SimWheelBase> base() const { return platform.wheelBase(); }
};

// Sends standard error to a file for as long as it lives.
class StderrCapture
{
public:
    StderrCapture()
    {
        m_file.open();
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        ::dup2(m_file.handle(), STDERR_FILENO);
    }
    ~StderrCapture() { restore(); }
    QString text()
    {
        restore();
        m_file.seek(0);
        return QString::fromLocal8Bit(m_file.readAll());
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        m_saved = -1;
    }
    QTemporaryFile m_file;
    int m_saved = -1;
};

} // namespace

class TestSimPlatform : public QObject
{
    Q_OBJECT

private slots:
    void enumerate();
    void openUnknownPath();
    void readRequestAnswersWithBurst();
    void appliedSettingsAreEchoed();
    void storeKeepsTheSettings();
    void factoryResetAfterDelay();
    void centerRecentresTheWheel();
    void liveRate_data();
    void liveRate();
    void liveReportMovesWithTheDriver();
    void statusReports();
    void unplugAndPlug();
    void hotplugFromAnotherThread();
    void registrationFailure();
    void cancelWakesARead();
    void refusedFeatureReports();
    void readFaults();
    void openFaults();
    void queueDropsTheOldest();
    void featureLength_data();
    void featureLength();
    void featureLogLines();
    void decoyStaysApart();
};

void TestSimPlatform::enumerate()
{
    SimPlatform platform;
    SimConfig decoy;
    decoy.productId = 0x1234;
    platform.addDevice(decoy);

    const std::vector<device::HidInterfaceInfo> found = platform.enumerate();
    QCOMPARE(found.size(), std::size_t(2));
    QCOMPARE(found[0].vendorId, 0x0483);
    QCOMPARE(found[0].productId, 0x0522);
    QCOMPARE(QString::fromStdString(found[0].path),
             QStringLiteral("sim://HID#VID_0483&PID_0522#0"));
    QCOMPARE(found[1].vendorId, 0x0483);
    QCOMPARE(found[1].productId, 0x1234);
    QCOMPARE(QString::fromStdString(found[1].path),
             QStringLiteral("sim://HID#VID_0483&PID_1234#1"));

    auto writer = platform.openForWriting(found[0].path);
    QVERIFY(writer);
    QCOMPARE(writer.channel->featureReportLength(), std::size_t(64));
}

void TestSimPlatform::openUnknownPath()
{
    SimPlatform platform;
    auto reader = platform.openForReading("sim://HID#VID_0483&PID_0522#7");
    QVERIFY(!reader);
    QCOMPARE(reader.error, device::OpenError::NotFound);
    QVERIFY(!platform.lastErrorText().empty());
    QCOMPARE(platform.openForWriting("").error, device::OpenError::NotFound);
}

void TestSimPlatform::readRequestAnswersWithBurst()
{
    Link link;
    QVERIFY(link.reader && link.writer);
    QVERIFY(send(*link.writer, hex("80 03 01 00 00 00 00 00 00 00 00")));
    QVERIFY(
        link.reader->waitFor([](const std::vector<Collector::Entry> &e) { return e.size() >= 4; }));

    const std::vector<Collector::Entry> entries = link.reader->entries();
    QCOMPARE(entries.size(), std::size_t(4));
    // The factory values, and the status with its defaults (6001 firmware, 24 V).
    QCOMPARE(entries[0].bytes, input("80 01 84 03 00 9C 01 00 00 00 00"));
    QCOMPARE(entries[1].bytes, input("80 02 64 96 63 BD 64 C8 00 00 00"));
    QCOMPARE(entries[2].bytes, input("80 04 00 00 00 00"));
    QCOMPARE(entries[3].bytes, input("80 0A FF 01 00 00 71 17 18 00"));
}

void TestSimPlatform::appliedSettingsAreEchoed()
{
    Link link;
    QVERIFY(send(*link.writer, hex("80 01 84 03 00 EC 01 1A 3B 5B 09")));
    QVERIFY(send(*link.writer, hex("80 02 B5 48 4C 35 64 C8 00 00 00")));
    QVERIFY(send(*link.writer, hex("80 04 02 00 01 00 00 00 00 00 00")));

    const Settings s = link.base()->settings();
    QCOMPARE(int(s.totalForce), -20);
    QCOMPARE(int(s.wheelSpring), 26);
    QCOMPARE(int(s.gameSpring), 181);
    QCOMPARE(int(s.suspension), 2);
    QCOMPARE(int(s.response), 1);

    QVERIFY(send(*link.writer, hex("80 03 01")));
    QVERIFY(link.reader->waitForReport(hex("80 0A")));
    QCOMPARE(link.reader->reports(hex("80 01")).value(0),
             input("80 01 84 03 00 EC 01 1A 3B 5B 09"));
    QCOMPARE(link.reader->reports(hex("80 02")).value(0), input("80 02 B5 48 4C 35 64 C8"));
    QCOMPARE(link.reader->reports(hex("80 04")).value(0), input("80 04 02 00 01 00"));
}

void TestSimPlatform::storeKeepsTheSettings()
{
    Link link;
    const std::shared_ptr<SimWheelBase> base = link.base();
    QVERIFY(send(*link.writer, hex("80 02 B5 48 4C 35 64 C8")));
    QCOMPARE(int(base->settings().gameSpring), 181);
    QVERIFY(base->storedSettings() == factorySettings());

    QVERIFY(send(*link.writer, hex("80 03 00 24 00 00 00 00 00 00 00")));
    QVERIFY(base->storedSettings() == base->settings());
    QCOMPARE(int(base->storedSettings().gameSpring), 181);
    // A store request is not answered.
    QTest::qWait(50);
    QVERIFY(link.reader->entries().empty());

    // A change after the store does not survive a power cycle; the stored one does.
    QVERIFY(send(*link.writer, hex("80 02 10 48 4C 35 64 C8")));
    QCOMPARE(int(base->settings().gameSpring), 0x10);
    base->unplug();
    base->plug();
    QCOMPARE(int(base->settings().gameSpring), 181);
}

void TestSimPlatform::factoryResetAfterDelay()
{
    Link link;
    const std::shared_ptr<SimWheelBase> base = link.base();
    QVERIFY(send(*link.writer, hex("80 01 38 04 00 EC 01 1A 3B 5B 09")));
    QVERIFY(send(*link.writer, hex("80 03 00 24")));
    QVERIFY(base->settings() != factorySettings());

    QElapsedTimer elapsed;
    elapsed.start();
    QVERIFY(send(*link.writer, hex("80 05 55 55 00 00 00 00 00 00 00")));
    QVERIFY(base->factoryResetPending());
    QVERIFY(send(*link.writer, hex("80 05 55 55"))); // a repeat does not restart it
    QVERIFY(base->settings() != factorySettings());

    QVERIFY(link.reader->waitForReport(hex("80 05")));
    QVERIFY2(elapsed.elapsed() >= 150, qPrintable(QString::number(elapsed.elapsed())));
    QCOMPARE(link.reader->reports(hex("80 05")), QList<QByteArray>{input("80 05 AA AA")});
    QVERIFY(base->settings() == factorySettings());
    QVERIFY(base->storedSettings() == factorySettings());
    QVERIFY(!base->factoryResetPending());
    QTest::qWait(300);
    QCOMPARE(link.reader->reports(hex("80 05")).size(), 1);

    // A request with the wrong key does nothing.
    QVERIFY(send(*link.writer, hex("80 05 55 00")));
    QVERIFY(!base->factoryResetPending());
}

void TestSimPlatform::centerRecentresTheWheel()
{
    SimConfig config = quietConfig();
    config.liveRateHz = 100;
    Link link(config);
    const std::shared_ptr<SimWheelBase> base = link.base();
    base->setWheelAngle(120);
    QCOMPARE(base->wheelAngle(), 120.0); // no driver, no spring: it stays

    // The same settings without the centre byte leave the wheel where it is.
    QVERIFY(send(*link.writer, hex("80 01 84 03 00 9C 01 00 00 00 00")));
    QCOMPARE(base->wheelAngle(), 120.0);
    QVERIFY(link.reader->waitForReport(hex("01")));
    QCOMPARE(link.reader->reports(hex("01")).last().mid(1, 2), hex("21 A2")); // 32767 + 8738

    QVERIFY(send(*link.writer, hex("80 01 84 03 2D 9C 01 00 00 00 00")));
    QCOMPARE(base->wheelAngle(), 0.0);
    const int before = link.reader->reports(hex("01")).size();
    QVERIFY(link.reader->waitForReport(hex("01"), before + 2));
    QCOMPARE(link.reader->reports(hex("01")).last().mid(1, 2), hex("FF 7F"));

    // The echo carries no centre command.
    QVERIFY(send(*link.writer, hex("80 03 01")));
    QVERIFY(link.reader->waitForReport(hex("80 01")));
    QCOMPARE(link.reader->reports(hex("80 01")).value(0), input("80 01 84 03 00 9C 01"));
}

void TestSimPlatform::liveRate_data()
{
    QTest::addColumn<int>("hz");
    QTest::newRow("default 1000 Hz") << 1000;
    QTest::newRow("250 Hz") << 250;
    QTest::newRow("off") << 0;
}

void TestSimPlatform::liveRate()
{
    QFETCH(int, hz);
    SimConfig config;
    config.statusIntervalMs = 0;
    if (hz != 1000)
        config.liveRateHz = hz;
    Link link(config);
    QCOMPARE(link.base()->liveRate(), hz);

    QTest::qWait(100);
    const int first = link.base()->liveReportsSent();
    QElapsedTimer elapsed;
    elapsed.start();
    QTest::qWait(1000);
    const int sent = link.base()->liveReportsSent() - first;
    const double rate = sent * 1000.0 / double(elapsed.elapsed());
    if (hz == 0) {
        QCOMPARE(sent, 0);
        QVERIFY(link.reader->entries().empty());
        return;
    }
    QVERIFY2(rate > 0.4 * hz && rate < 1.2 * hz, qPrintable(QString::number(rate)));
    // Every one is a 20-byte live report.
    for (const Collector::Entry &entry : link.reader->entries()) {
        QCOMPARE(entry.bytes.size(), 20);
        QCOMPARE(entry.bytes.at(0), '\x01');
    }
}

void TestSimPlatform::liveReportMovesWithTheDriver()
{
    SimConfig config;
    config.liveRateHz = 200;
    config.statusIntervalMs = 0;
    Link link(config);
    QVERIFY(link.reader->waitForReport(hex("01"), 300));

    QSet<QByteArray> positions;
    QSet<QByteArray> pedals;
    QSet<QByteArray> buttons;
    for (const QByteArray &report : link.reader->reports(hex("01"))) {
        positions.insert(report.mid(1, 2));
        pedals.insert(report.mid(3, 3));
        buttons.insert(report.mid(12, 8));
    }
    QVERIFY(positions.size() > 50);
    QVERIFY(pedals.size() > 10);
    QVERIFY(buttons.size() > 2);

    // Without the driver the axes and buttons rest.
    link.base()->setDriverActive(false);
    QTest::qWait(50);
    const int before = link.reader->reports(hex("01")).size();
    QVERIFY(link.reader->waitForReport(hex("01"), before + 5));
    QCOMPARE(link.reader->reports(hex("01")).last().mid(3), QByteArray(17, '\0'));
}

void TestSimPlatform::statusReports()
{
    SimConfig config = quietConfig();
    config.statusIntervalMs = 100;
    config.status.effectMask = 0x0005;
    config.status.statusCode = 3;
    config.status.firmwareVersion = 4999;
    config.status.supplyVoltage = 12;
    Link link(config);

    QVERIFY(link.reader->waitForReport(hex("80 0A"), 3));
    QCOMPARE(link.reader->reports(hex("80 0A")).first(), input("80 0A 05 00 03 00 87 13 0C 00"));

    link.base()->setEffectMask(0x01C2);
    link.base()->setStatusCode(8);
    link.base()->setFirmwareVersion(6001);
    link.base()->setSupplyVoltage(24);
    const int before = link.reader->reports(hex("80 0A")).size();
    QVERIFY(link.reader->waitForReport(hex("80 0A"), before + 1));
    QCOMPARE(link.reader->reports(hex("80 0A")).last(), input("80 0A C2 01 08 00 71 17 18 00"));
}

void TestSimPlatform::unplugAndPlug()
{
    Link link;
    const std::shared_ptr<SimWheelBase> base = link.base();
    QVector<device::HotplugEvent> events;
    QVERIFY(link.platform.registerNotifications(
        0, [&](const device::HotplugEvent &event) { events.append(event); }));

    base->unplug();
    // Announced through the event loop, not from inside unplug().
    QCOMPARE(events.size(), 0);
    QVERIFY(link.reader->waitForEnd(ReadStatus::Disconnected, 2000));
    QTRY_COMPARE(events.size(), 1);
    QCOMPARE(events[0].kind, device::HotplugKind::Removal);
    QCOMPARE(QString::fromStdString(events[0].path), QString::fromStdString(base->path()));
    QCOMPARE(events[0].vendorId, 0x0483);
    QCOMPARE(events[0].productId, 0x0522);

    QVERIFY(link.platform.enumerate().empty());
    QCOMPARE(link.platform.openForReading(base->path()).error, device::OpenError::NotFound);
    QCOMPARE(link.platform.openForWriting(base->path()).error, device::OpenError::NotFound);
    QVERIFY(!send(*link.writer, hex("80 03 01")));
    QVERIFY(base->featureLog().isEmpty()); // not received
    base->unplug();                        // already out: nothing more
    QTest::qWait(20);
    QCOMPARE(events.size(), 1);

    base->plug();
    QTRY_COMPARE(events.size(), 2);
    QCOMPARE(events[1].kind, device::HotplugKind::Arrival);
    QCOMPARE(events[1].productId, 0x0522);
    QCOMPARE(link.platform.enumerate().size(), std::size_t(1));

    // The handles of before stay dead; fresh ones work.
    QVERIFY(!send(*link.writer, hex("80 03 01")));
    auto reader = link.platform.openForReading(base->path());
    auto writer = link.platform.openForWriting(base->path());
    QVERIFY(reader && writer);
    Collector fresh(std::move(reader.channel));
    QVERIFY(send(*writer.channel, hex("80 03 01")));
    QVERIFY(fresh.waitForReport(hex("80 0A")));
}

void TestSimPlatform::hotplugFromAnotherThread()
{
    SimPlatform platform(quietConfig());
    const std::shared_ptr<SimWheelBase> base = platform.wheelBase();
    QThread *const registeringThread = QThread::currentThread();
    QVector<QThread *> deliveredOn;
    QVERIFY(platform.registerNotifications(
        0, [&](const device::HotplugEvent &) { deliveredOn.append(QThread::currentThread()); }));

    std::thread other([&] {
        for (int i = 0; i < 10; ++i) {
            base->unplug();
            base->plug();
        }
    });
    other.join();
    QTRY_COMPARE(deliveredOn.size(), 20);
    for (QThread *thread : deliveredOn)
        QCOMPARE(thread, registeringThread);
}

void TestSimPlatform::registrationFailure()
{
    SimPlatform platform(quietConfig());
    platform.setRegistrationFails(true);
    int calls = 0;
    QVERIFY(!platform.registerNotifications(0, [&](const device::HotplugEvent &) { ++calls; }));
    QVERIFY(!platform.lastErrorText().empty());
    platform.wheelBase()->unplug();
    QTest::qWait(50);
    QCOMPARE(calls, 0);
}

void TestSimPlatform::cancelWakesARead()
{
    SimPlatform platform(quietConfig());
    auto reader = platform.openForReading(platform.wheelBase()->path());
    QVERIFY(reader);
    std::shared_ptr<device::HidReadChannel> channel = std::move(reader.channel);

    device::ReadResult result;
    std::thread blocked([&] {
        std::uint8_t buffer[20];
        result = channel->read(buffer, sizeof buffer);
    });
    QTest::qWait(50);
    channel->cancel();
    blocked.join(); // a stuck read would hang here
    QCOMPARE(result.status, ReadStatus::Cancelled);

    // Cancelled for good, even with reports waiting.
    platform.wheelBase()->injectReport(input("01 FF 7F"));
    std::uint8_t buffer[20];
    QCOMPARE(channel->read(buffer, sizeof buffer).status, ReadStatus::Cancelled);
}

void TestSimPlatform::refusedFeatureReports()
{
    Link link;
    const std::shared_ptr<SimWheelBase> base = link.base();
    base->refuseFeatureReports(2);
    QVERIFY(!send(*link.writer, hex("80 02 B5 48 4C 35 64 C8")));
    QVERIFY(!send(*link.writer, hex("80 03 01")));
    QCOMPARE(int(base->settings().gameSpring), 100); // not applied
    QVERIFY(send(*link.writer, hex("80 02 B5 48 4C 35 64 C8")));
    QCOMPARE(int(base->settings().gameSpring), 181);
    // The base knows no other feature report id.
    QVERIFY(!send(*link.writer, hex("01 01 84 03")));

    const QVector<FeatureRecord> log = base->featureLog();
    QCOMPARE(log.size(), 4);
    QVector<bool> accepted;
    for (const FeatureRecord &record : log)
        accepted.append(record.accepted);
    QCOMPARE(accepted, (QVector<bool>{false, false, true, false}));
    QCOMPARE(log[1].bytes, padded("80 03 01", 64));
    QCOMPARE(base->acceptedFeatureReports(),
             QList<QByteArray>{padded("80 02 B5 48 4C 35 64 C8", 64)});
    QTest::qWait(50);
    QVERIFY(link.reader->entries().empty()); // the refused read request was not answered

    base->clearFeatureLog();
    QVERIFY(base->featureLog().isEmpty());
}

void TestSimPlatform::readFaults()
{
    Link link;
    const std::shared_ptr<SimWheelBase> base = link.base();
    base->injectReadError();
    base->injectShortReport(5);
    base->injectGarbageReports(3);
    base->injectReport(hex("80 0A FF"));
    QVERIFY(
        link.reader->waitFor([](const std::vector<Collector::Entry> &e) { return e.size() >= 6; }));

    const std::vector<Collector::Entry> entries = link.reader->entries();
    QCOMPARE(entries[0].status, ReadStatus::Error);
    QCOMPARE(entries[1].status, ReadStatus::Report);
    QCOMPARE(entries[1].bytes, hex("01 FF 7F 00 00")); // a resting wheel, cut short
    QSet<QByteArray> garbage;
    for (int i = 2; i < 5; ++i) {
        QCOMPARE(entries[i].status, ReadStatus::Report);
        QCOMPARE(entries[i].bytes.size(), 20);
        garbage.insert(entries[i].bytes);
    }
    QCOMPARE(garbage.size(), 3);
    QCOMPARE(entries[5].bytes, hex("80 0A FF"));

    // The channel goes on working after the error.
    QVERIFY(send(*link.writer, hex("80 03 01")));
    QVERIFY(link.reader->waitForReport(hex("80 0A"), 2));
}

void TestSimPlatform::openFaults()
{
    SimPlatform platform(quietConfig());
    const std::shared_ptr<SimWheelBase> base = platform.wheelBase();
    base->failOpens(device::OpenError::PermissionDenied);
    QCOMPARE(platform.openForReading(base->path()).error, device::OpenError::PermissionDenied);
    QCOMPARE(platform.openForWriting(base->path()).error, device::OpenError::PermissionDenied);
    QCOMPARE(platform.enumerate().size(), std::size_t(1)); // still there, just not ours
    base->failOpens(device::OpenError::None);
    QVERIFY(platform.openForReading(base->path()));
}

void TestSimPlatform::queueDropsTheOldest()
{
    SimPlatform platform(quietConfig());
    const std::shared_ptr<SimWheelBase> base = platform.wheelBase();
    auto reader = platform.openForReading(base->path());
    QVERIFY(reader);
    for (int i = 0; i < 100; ++i)
        base->injectReport(QByteArray(1, char(0x80)) + QByteArray(1, char(i)));

    std::uint8_t buffer[20];
    for (int i = 36; i < 100; ++i) {
        const device::ReadResult result = reader.channel->read(buffer, sizeof buffer);
        QCOMPARE(result.status, ReadStatus::Report);
        QCOMPARE(result.size, std::size_t(2));
        QCOMPARE(int(buffer[1]), i);
    }
    // A buffer smaller than the report gets its first bytes.
    base->injectReport(input("01 02 03 04"));
    QCOMPARE(reader.channel->read(buffer, 3).size, std::size_t(3));
    QCOMPARE(QByteArray(reinterpret_cast<char *>(buffer), 3), hex("01 02 03"));
}

void TestSimPlatform::featureLength_data()
{
    QTest::addColumn<int>("length");
    QTest::newRow("64") << 64;
    QTest::newRow("11") << 11;
    QTest::newRow("8, shorter than the record") << 8;
}

void TestSimPlatform::featureLength()
{
    QFETCH(int, length);
    SimConfig config = quietConfig();
    config.featureReportLength = std::size_t(length);
    Link link(config);
    QCOMPARE(link.writer->featureReportLength(), std::size_t(length));

    QVERIFY(send(*link.writer, hex("80 01 84 03 00 EC 01 1A 3B 5B 09")));
    const QByteArray sent = link.base()->featureLog().value(0).bytes;
    QCOMPARE(sent.size(), length);
    QCOMPARE(sent, padded("80 01 84 03 00 EC 01 1A 3B 5B 09", std::max(length, 11)).left(length));
    // What did not arrive is not applied: WheelSpeed is byte [9].
    QCOMPARE(int(link.base()->settings().wheelSpeed), length > 9 ? 91 : 0);
}

void TestSimPlatform::featureLogLines()
{
    Link link;
    link.base()->setLogToStderr(true);
    StderrCapture capture;
    QVERIFY(send(*link.writer, hex("80 01 84 03 00 EC 01 1A 3B 5B 09")));
    link.base()->refuseFeatureReports(1);
    QVERIFY(!send(*link.writer, hex("80 05 55 55")));
    link.base()->setLogToStderr(false);
    QVERIFY(send(*link.writer, hex("80 03 01")));
    const QString text = capture.text();
    QCOMPARE(text, QStringLiteral("sim: feature 80 01 84 03 00 EC 01 1A 3B 5B 09\n"
                                  "sim: refused feature 80 05 55 55 00 00 00 00 00 00 00\n"));
}

void TestSimPlatform::decoyStaysApart()
{
    SimPlatform platform(quietConfig());
    SimConfig decoyConfig = quietConfig();
    decoyConfig.productId = 0x1234;
    const std::shared_ptr<SimWheelBase> decoy = platform.addDevice(decoyConfig);
    const std::shared_ptr<SimWheelBase> base = platform.wheelBase();

    auto writer = platform.openForWriting(decoy->path());
    QVERIFY(writer);
    QVERIFY(send(*writer.channel, hex("80 02 B5 48 4C 35 64 C8")));
    QCOMPARE(decoy->featureLog().size(), 1);
    QVERIFY(base->featureLog().isEmpty());

    QVector<device::HotplugEvent> events;
    QVERIFY(platform.registerNotifications(
        0, [&](const device::HotplugEvent &event) { events.append(event); }));
    decoy->unplug();
    QTRY_COMPARE(events.size(), 1);
    QCOMPARE(events[0].productId, 0x1234);
    QVERIFY(base->isPlugged());
    const std::vector<device::HidInterfaceInfo> found = platform.enumerate();
    QCOMPARE(found.size(), std::size_t(1));
    QCOMPARE(found[0].productId, 0x0522);
}

QTEST_GUILESS_MAIN(TestSimPlatform)
#include "tst_simplatform.moc"
