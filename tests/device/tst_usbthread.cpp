// The report reader thread with the real Linux read channel on a socket pair:
// reports become USBEvents in order, an idle or failing reader does not spin,
// a stop ends it at once even with a read pending.

#include "hidraw_channel.h"
#include "usbevent.h"
#include "usbthread.h"

#include <QMutex>
#include <QtTest>

#include <sys/socket.h>
#include <unistd.h>

namespace {

// Collects the report events posted to it, on the GUI thread.
class Receiver : public QObject
{
public:
    QList<QByteArray> reports;
    QList<int> reportIds;
    QList<int> types;

protected:
    void customEvent(QEvent *event) override
    {
        types.append(int(event->type()));
        if (const auto *report = dynamic_cast<const USBEvent *>(event)) {
            reports.append(report->bytes());
            reportIds.append(report->reportId());
        }
    }
};

struct SocketPair
{
    int channelFd = -1;
    int peer = -1;
    SocketPair()
    {
        int fds[2];
        if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds) == 0) {
            channelFd = fds[0];
            peer = fds[1];
        }
    }
    ~SocketPair() { closePeer(); }
    void closePeer()
    {
        if (peer != -1)
            ::close(peer);
        peer = -1;
    }
    bool send(const QByteArray &report) const
    {
        return ::send(peer, report.constData(), std::size_t(report.size()), 0) == report.size();
    }
    // The read end, as the window hands it over; the pair keeps the peer.
    std::shared_ptr<device::HidReadChannel> channel()
    {
        const int fd = channelFd;
        channelFd = -1;
        return std::make_shared<device::HidrawReadChannel>(fd, true);
    }
};

// Counts the reads made through it and how many are under way.
class CountingChannel : public device::HidReadChannel
{
public:
    explicit CountingChannel(std::shared_ptr<device::HidReadChannel> inner)
        : m_inner(std::move(inner))
    {
    }
    device::ReadResult read(std::uint8_t *buffer, std::size_t capacity) override
    {
        ++reads;
        ++pending;
        const device::ReadResult result = m_inner->read(buffer, capacity);
        --pending;
        return result;
    }
    void cancel() override
    {
        ++cancels;
        m_inner->cancel();
    }
    std::atomic<int> reads{0};
    std::atomic<int> pending{0};
    std::atomic<int> cancels{0};

private:
    std::shared_ptr<device::HidReadChannel> m_inner;
};

// Every read fails at once, as a flaky transfer would.
class FailingChannel : public device::HidReadChannel
{
public:
    device::ReadResult read(std::uint8_t *buffer, std::size_t) override
    {
        ++reads;
        buffer[0] = 0x80; // garbage that must not be posted
        if (cancelled)
            return {device::ReadStatus::Cancelled, 0};
        return {device::ReadStatus::Error, 0};
    }
    void cancel() override { cancelled = true; }
    std::atomic<int> reads{0};
    std::atomic<bool> cancelled{false};
};

QByteArray report(quint8 id, quint8 sequence, int size = 20)
{
    QByteArray bytes(size, '\0');
    bytes[0] = char(id);
    if (size > 1)
        bytes[1] = char(sequence);
    for (int i = 2; i < size; ++i)
        bytes[i] = char(sequence ^ i);
    return bytes;
}

// Captures the messages of the reader's log category, debug included
// (the test environment turns debug output off).
class LogCapture
{
public:
    LogCapture()
    {
        s_messages.clear();
        m_previousFilter = QLoggingCategory::installFilter(&LogCapture::filter);
        s_previousFilter = m_previousFilter;
        m_previousHandler = qInstallMessageHandler(&LogCapture::handler);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(m_previousHandler);
        QLoggingCategory::installFilter(m_previousFilter);
    }
    static QStringList messages()
    {
        QMutexLocker lock(&s_mutex);
        return s_messages;
    }

private:
    static void filter(QLoggingCategory *category)
    {
        if (s_previousFilter)
            s_previousFilter(category);
        if (qstrcmp(category->categoryName(), "velorax.device.reader") == 0)
            category->setEnabled(QtDebugMsg, true);
    }
    static void handler(QtMsgType, const QMessageLogContext &context, const QString &message)
    {
        if (qstrcmp(context.category, "velorax.device.reader") != 0)
            return;
        QMutexLocker lock(&s_mutex);
        s_messages.append(message);
    }

    QLoggingCategory::CategoryFilter m_previousFilter = nullptr;
    QtMessageHandler m_previousHandler = nullptr;
    static inline QLoggingCategory::CategoryFilter s_previousFilter = nullptr;
    static inline QMutex s_mutex;
    static inline QStringList s_messages;
};

} // namespace

class TestUSBThread : public QObject
{
    Q_OBJECT

private slots:
    void reportsBecomeEventsInOrder();
    void shortReportsArePadded();
    void stopEndsAPendingRead();
    void stopWhileIdle();
    void disabledReaderWaits();
    void disconnectIdlesUntilANewHandle();
    void newHandleReleasesThePendingRead();
    void failedReadsBackOff();
    void slotInitWithoutHandle();
    void oneReaderAfterPlugCycles();
    void destroyingARunningReaderStopsIt();
};

void TestUSBThread::reportsBecomeEventsInOrder()
{
    Receiver receiver;
    SocketPair pair;
    USBThread reader(&receiver, pair.channel(), true);
    reader.start();
    for (int i = 0; i < 200; ++i)
        QVERIFY(pair.send(report(i % 3 ? 0x01 : 0x80, quint8(i))));
    QTRY_COMPARE(receiver.reports.size(), 200);
    for (int i = 0; i < 200; ++i) {
        QCOMPARE(receiver.types.at(i), 1025);
        QCOMPARE(receiver.reports.at(i), report(i % 3 ? 0x01 : 0x80, quint8(i)));
        QCOMPARE(receiver.reportIds.at(i), i % 3 ? 0x01 : 0x80);
    }
    reader.StopOrStart(false);
    QVERIFY(reader.wait(5000));
}

void TestUSBThread::shortReportsArePadded()
{
    Receiver receiver;
    SocketPair pair;
    USBThread reader(&receiver, pair.channel(), true);
    reader.start();
    QVERIFY(pair.send(QByteArray::fromHex("800a0102")));
    QTRY_COMPARE(receiver.reports.size(), 1);
    QCOMPARE(receiver.reports.front(), QByteArray::fromHex("800a0102") + QByteArray(16, '\0'));
    QCOMPARE(receiver.reportIds.front(), 0x80);
}

void TestUSBThread::stopEndsAPendingRead()
{
    Receiver receiver;
    SocketPair pair;
    auto channel = std::make_shared<CountingChannel>(pair.channel());
    USBThread reader(&receiver, channel, true);
    reader.start();
    QTRY_COMPARE(channel->pending.load(), 1);
    reader.StopOrStart(false);
    // Without cancelling the read, the thread would wait for a report that
    // never comes.
    QVERIFY(reader.wait(5000));
    QVERIFY(reader.isFinished());
    QCOMPARE(channel->pending.load(), 0);
    QCOMPARE(channel->reads.load(), 1);
    QVERIFY(receiver.reports.isEmpty());
}

void TestUSBThread::stopWhileIdle()
{
    Receiver receiver;
    USBThread reader(&receiver, nullptr, false);
    reader.start();
    QTRY_COMPARE(USBThread::runningCount(), 1);
    reader.StopOrStart(false);
    QVERIFY(reader.wait(5000));
    QCOMPARE(USBThread::runningCount(), 0);
}

void TestUSBThread::disabledReaderWaits()
{
    Receiver receiver;
    SocketPair pair;
    auto channel = std::make_shared<CountingChannel>(pair.channel());
    USBThread reader(&receiver, channel, false);
    reader.start();
    QVERIFY(pair.send(report(0x01, 1)));
    QTest::qWait(150);
    QCOMPARE(channel->reads.load(), 0);
    QVERIFY(receiver.reports.isEmpty());
    reader.StopOrStart(true);
    QTRY_COMPARE(receiver.reports.size(), 1);
    reader.StopOrStart(false);
    QVERIFY(reader.wait(5000));
}

void TestUSBThread::disconnectIdlesUntilANewHandle()
{
    Receiver receiver;
    SocketPair first;
    auto unplugged = std::make_shared<CountingChannel>(first.channel());
    USBThread reader(&receiver, unplugged, true);
    reader.start();
    QVERIFY(first.send(report(0x01, 1)));
    first.closePeer();
    QTRY_COMPARE(receiver.reports.size(), 1);
    QTRY_COMPARE(unplugged->reads.load(), 2);
    // Unplugged: the reader stays alive but reads no more from that handle.
    QTest::qWait(150);
    QCOMPARE(unplugged->reads.load(), 2);
    QVERIFY(reader.isRunning());
    QCOMPARE(receiver.reports.size(), 1);

    SocketPair second;
    reader.USBReadHandlessss(second.channel());
    QVERIFY(second.send(report(0x01, 2)));
    QTRY_COMPARE(receiver.reports.size(), 2);
    QCOMPARE(receiver.reports.last(), report(0x01, 2));
    reader.StopOrStart(false);
    QVERIFY(reader.wait(5000));
}

void TestUSBThread::newHandleReleasesThePendingRead()
{
    Receiver receiver;
    SocketPair first, second;
    auto old = std::make_shared<CountingChannel>(first.channel());
    USBThread reader(&receiver, old, true);
    reader.start();
    QTRY_COMPARE(old->pending.load(), 1);
    reader.Slot_init(&receiver, second.channel(), true);
    QTRY_COMPARE(old->pending.load(), 0);
    QCOMPARE(old->cancels.load(), 1);
    QVERIFY(second.send(report(0x80, 7)));
    QTRY_COMPARE(receiver.reports.size(), 1);
    QCOMPARE(receiver.reports.front(), report(0x80, 7));
}

void TestUSBThread::failedReadsBackOff()
{
    Receiver receiver;
    auto channel = std::make_shared<FailingChannel>();
    USBThread reader(&receiver, channel, true);
    reader.start();
    QTest::qWait(500);
    // A spinning reader makes millions of reads in this time; one that
    // backs off 100 ms makes about five.
    QVERIFY2(channel->reads.load() >= 1 && channel->reads.load() <= 20,
             qPrintable(QString::number(channel->reads.load())));
    QCoreApplication::processEvents();
    QVERIFY(receiver.types.isEmpty());
    // A stop during the pause ends it at once.
    reader.StopOrStart(false);
    QVERIFY(reader.wait(5000));
}

void TestUSBThread::slotInitWithoutHandle()
{
    Receiver receiver;
    receiver.setObjectName(QStringLiteral("Widget"));
    LogCapture log;
    USBThread reader(&receiver, nullptr, false);
    reader.start();
    reader.Slot_init(&receiver, nullptr, true);
    QTest::qWait(100);
    QVERIFY2(LogCapture::messages().isEmpty(), qPrintable(LogCapture::messages().join('|')));
    QCOMPARE(USBThread::runningCount(), 1);

    // A real handle is taken, logged with the receiver's name, and read.
    SocketPair pair;
    reader.Slot_init(&receiver, pair.channel(), true);
    QCOMPARE(LogCapture::messages(), QStringList{QStringLiteral("this->widgetone       Widget")});
    QVERIFY(pair.send(report(0x01, 3)));
    QTRY_COMPARE(receiver.reports.size(), 1);
    reader.StopOrStart(false);
    QVERIFY(reader.wait(5000));
}

void TestUSBThread::oneReaderAfterPlugCycles()
{
    // What the window does on each unplug and plug: stop the reader, wait
    // for it, release it, start a fresh one on the new handle.
    Receiver receiver;
    QCOMPARE(USBThread::runningCount(), 0);
    USBThread *current = nullptr;
    for (int cycle = 0; cycle < 30; ++cycle) {
        if (current) {
            current->StopOrStart(false);
            QVERIFY(current->wait(5000));
            delete current;
        }
        SocketPair pair;
        current = new USBThread(&receiver, nullptr, false, nullptr);
        current->Slot_init(&receiver, pair.channel(), true);
        current->start(QThread::InheritPriority);
        QVERIFY(pair.send(report(0x01, quint8(cycle))));
        QTRY_COMPARE(receiver.reports.size(), cycle + 1);
        QCOMPARE(USBThread::runningCount(), 1);
    }
    current->StopOrStart(false);
    QVERIFY(current->wait(5000));
    delete current;
    QCOMPARE(USBThread::runningCount(), 0);
    for (int cycle = 0; cycle < 30; ++cycle)
        QCOMPARE(receiver.reports.at(cycle).at(1), char(cycle));
}

void TestUSBThread::destroyingARunningReaderStopsIt()
{
    Receiver receiver;
    SocketPair pair;
    auto channel = std::make_shared<CountingChannel>(pair.channel());
    {
        USBThread reader(&receiver, channel, true);
        reader.start();
        QTRY_COMPARE(channel->pending.load(), 1);
    }
    QCOMPARE(channel->pending.load(), 0);
    QCOMPARE(USBThread::runningCount(), 0);
}

QTEST_GUILESS_MAIN(TestUSBThread)
#include "tst_usbthread.moc"
