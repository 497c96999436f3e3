// The Linux read and write channels and the report reader thread on one end of a
// SOCK_SEQPACKET socket pair, which keeps report boundaries as hidraw does; the Linux back
// end's open paths and error mapping.

#include "hidraw_channel.h"
#include "platform.h"
#include "usbevent.h"
#include "usbthread.h"

#include <QElapsedTimer>
#include <QtTest>

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using device::ReadStatus;

const std::uint8_t *u8(const QByteArray &bytes)
{
    return reinterpret_cast<const std::uint8_t *>(bytes.constData());
}

// Two connected sockets: a channel takes `end`, the test plays the device on `peer`.
struct SocketPair
{
    int end = -1, peer = -1;
    SocketPair()
    {
        int fds[2];
        if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds) == 0)
            end = fds[0], peer = fds[1];
    }
    ~SocketPair() { ::close(end), unplug(); }
    void unplug() { ::close(std::exchange(peer, -1)); }
    bool send(const QByteArray &hex) const
    {
        const QByteArray report = QByteArray::fromHex(hex);
        return ::send(peer, report.constData(), std::size_t(report.size()), 0) == report.size();
    }
    std::shared_ptr<device::HidrawReadChannel> channel(bool numbered = true)
    {
        return std::make_shared<device::HidrawReadChannel>(std::exchange(end, -1), numbered);
    }
};

// Counts the reads through a channel, those under way and the cancels. Without an inner
// channel every read fails at once, as a flaky transfer would, and its time is kept.
class CountingChannel : public device::HidReadChannel
{
public:
    explicit CountingChannel(std::shared_ptr<device::HidReadChannel> inner = nullptr)
        : m_inner(std::move(inner))
    {
        clock.start();
    }
    device::ReadResult read(std::uint8_t *buffer, std::size_t capacity) override
    {
        ++pending, failedAt[std::min(int(++reads), 3)] = clock.elapsed();
        buffer[0] = 0x80; // garbage that must not be posted on a failure
        const auto result = m_inner ? m_inner->read(buffer, capacity) : device::ReadResult{};
        --pending;
        return m_inner ? result : device::ReadResult{ReadStatus::Error, 0};
    }
    void cancel() override { ++cancels, m_inner ? m_inner->cancel() : void(); }
    std::atomic<int> reads{0}, pending{0}, cancels{0};
    std::atomic<qint64> failedAt[4]{};
    QElapsedTimer clock;

private:
    std::shared_ptr<device::HidReadChannel> m_inner;
};

// The events the reader posts: each report's bytes in hex, or "gone" and the handle.
class Receiver : public QObject
{
public:
    QStringList events;
    void customEvent(QEvent *event) override
    {
        if (const auto *report = dynamic_cast<const USBEvent *>(event))
            events << report->bytes().toHex();
        else if (const auto *gone = dynamic_cast<const ReaderDisconnectEvent *>(event))
            events << "gone " + QString::number(quintptr(gone->channel()));
    }
};

} // namespace

class TestHidrawReader : public QObject
{
    Q_OBJECT

private slots:
    void channelReads();
    void errorsAndFeatureReports();
    void writeChannelAndOpens();
    void readerFollowsItsHandles();
    void failedReadsBackOff();
};

// Rows: (n)umbered or (u)nnumbered channel and the buffer capacity (-1: none); the reports
// sent in hex, "|" unplugged, "x" cancelled; after "=" what each read gives: R and the bytes,
// C(ancelled), E(rror) or D(isconnected).
void TestHidrawReader::channelReads()
{
    for (const QString &row :
         QStringList{"n4 0101 0102030405060708 0103 = R0101 R01020304 R0103",
                     "u3 aabbcc aa = R00aabb R00aa", "n20 0101 0102 | = R0101 R0102 D D",
                     "n20 0101 x = C", "n-1 0101 = E", "n0 0101 = E", "u1 0101 = E"}) {
        SocketPair pair;
        const auto channel = pair.channel(row.startsWith('n'));
        const int capacity = row.section(' ', 0, 0).mid(1).toInt();
        for (const QString &step : row.section(" = ", 0, 0).split(' ').mid(1))
            step == "|"   ? pair.unplug()
            : step == "x" ? channel->cancel()
                          : void(pair.send(step.toLatin1()));
        std::vector<std::uint8_t> buffer(std::size_t(std::max(capacity, 1)));
        QStringList results;
        while (results.size() <= row.section(" = ", 1).count(' ')) {
            const auto r = channel->read(capacity < 0 ? nullptr : buffer.data(),
                                         std::size_t(std::max(capacity, 0)));
            const QByteArray bytes(reinterpret_cast<const char *>(buffer.data()), int(r.size));
            results << QLatin1Char("RCED"[int(r.status)]) + QString::fromLatin1(bytes.toHex());
        }
        QCOMPARE(row.section(" = ", 0, 0) + " = " + results.join(' '), row);
    }
}

void TestHidrawReader::errorsAndFeatureReports()
{
    // As None, NotFound, PermissionDenied, Busy, Other: what the window tells the user.
    QString errors;
    for (int error : {EACCES, EPERM, ENOENT, ENODEV, ENXIO, EBUSY, EMFILE, 0})
        errors += QLatin1Char("NFPBO"[int(device::openErrorFromErrno(error))]);
    QCOMPARE(errors, QString("PPFFFBON"));
    // Padded with zeros or cut to the descriptor's feature length.
    for (const QString &row :
         QStringList{"800301 8 8003010000000000", "80030024 4 80030024", "8001aabbcc 3 8001aa"}) {
        const QByteArray in = QByteArray::fromHex(row.section(' ', 0, 0).toLatin1());
        const auto built = device::buildFeatureReport(u8(in), std::size_t(in.size()),
                                                      std::size_t(row.section(' ', 1, 1).toInt()));
        const QByteArray out(reinterpret_cast<const char *>(built.data()), int(built.size()));
        QCOMPARE(row.section(' ', 0, 1) + ' ' + out.toHex(), row);
    }
}

void TestHidrawReader::writeChannelAndOpens()
{
    SocketPair pair;
    device::HidrawWriteChannel channel(std::exchange(pair.end, -1), 12);
    QCOMPARE(channel.featureReportLength(), std::size_t(12));
    // A socket is no hidraw node: the feature ioctl is refused, and that is reported.
    const QByteArray feature = QByteArray::fromHex("800301");
    QVERIFY(!channel.sendFeatureReport(u8(feature), 3) && !channel.sendFeatureReport(nullptr, 3));
    const QByteArray frame = QByteArray::fromHex("020102030405060708090a0b");
    QVERIFY(channel.writeOutputReport(u8(frame), 12));
    char received[32];
    QCOMPARE(QByteArray(received, int(::recv(pair.peer, received, sizeof received, 0))), frame);
    QCOMPARE(device::HidrawWriteChannel(-1, 0).featureReportLength(), std::size_t(1));
    QCOMPARE(device::HidrawWriteChannel(-1, 100000).featureReportLength(), std::size_t(4096));

    // With none installed, the native back end is made: the errno of a failed open reaches it.
    device::HidPlatform &native = device::platform();
    QCOMPARE(native.openForReading("/nonexistent/hidraw7").error, device::OpenError::NotFound);
    QCOMPARE(native.openForWriting("/nonexistent/hidraw7").error, device::OpenError::NotFound);
}

void TestHidrawReader::readerFollowsItsHandles()
{
    Receiver receiver;
    SocketPair first, second, third;
    auto unplugged = std::make_shared<CountingChannel>(first.channel());
    // As the window starts it: idle, then given its handle.
    USBThread reader(&receiver, nullptr, false);
    reader.Slot_init(&receiver, unplugged, true);
    reader.keepNewestReport(0x01);
    reader.start();
    QStringList sent;
    QByteArray kept;
    for (int i = 0; i < 60; ++i) {
        // Every tenth report is short: it is handed on padded to a whole input report.
        const QByteArray hex = (i % 3 ? "01" : "80") + QByteArray::number(i + 16, 16) +
                               QByteArray("a5").repeated(i % 10 ? 18 : 1);
        QVERIFY(first.send(hex));
        const QByteArray padded = (hex + QByteArray(40, '0')).left(40);
        i % 3 ? void(kept = padded) : void(sent << padded);
    }
    first.unplug();
    // Unplugged: the window is told which handle went; the reader stays, reading no more.
    sent << "gone " + QString::number(quintptr(unplugged.get()));
    QTRY_COMPARE(receiver.events, sent);
    QVERIFY(reader.isRunning());
    // Live reports are not posted: the newest is taken, once.
    QByteArray live;
    QVERIFY(reader.takeKeptReport(&live) && !reader.takeKeptReport(&live));
    QCOMPARE(live.toHex(), kept);

    auto replaced = std::make_shared<CountingChannel>(second.channel());
    reader.USBReadHandlessss(replaced);
    QTRY_COMPARE(replaced->pending.load(), 1);
    // A new handle releases the read pending on the old one; a null one changes nothing.
    reader.Slot_init(&receiver, nullptr, true);
    auto last = std::make_shared<CountingChannel>(third.channel());
    reader.Slot_init(&receiver, last, true);
    QTRY_COMPARE(replaced->pending.load(), 0);
    QCOMPARE(replaced->cancels.load(), 1);
    QVERIFY(third.send("8007"));
    QTRY_COMPARE(receiver.events.size(), 22);
    QCOMPARE(receiver.events.last(), "8007" + QString(36, '0'));
    QCOMPARE(USBEvent(QByteArray::fromHex("80")).reportId(), quint8(0x80));
    QCOMPARE(USBEvent(QByteArray()).reportId(), quint8(0));
    QCOMPARE(unplugged->reads.load(), 61);
    // A stop ends the read pending on the last handle, and the thread.
    QTRY_COMPARE(last->pending.load(), 1);
    reader.StopOrStart(false);
    QVERIFY(reader.wait(10000));
    QCOMPARE(last->pending.load(), 0);
    QCOMPARE(USBThread::runningCount(), 0);
}

void TestHidrawReader::failedReadsBackOff()
{
    Receiver receiver;
    auto failing = std::make_shared<CountingChannel>();
    {
        USBThread reader(&receiver, failing, true);
        reader.start();
        QTRY_VERIFY(failing->reads.load() >= 3);
        // A spinning reader retries at once; one that backs off waits about 100 ms, however
        // loaded the machine. Destroyed in its pause, it ends.
    }
    QCOMPARE(USBThread::runningCount(), 0);
    for (int i = 2; i <= 3; ++i)
        QVERIFY2(failing->failedAt[i] - failing->failedAt[i - 1] >= 50,
                 qPrintable(QString::number(failing->failedAt[i] - failing->failedAt[i - 1])));
    QCoreApplication::processEvents();
    QVERIFY(receiver.events.isEmpty());
}

QTEST_GUILESS_MAIN(TestHidrawReader)
#include "tst_hidraw_reader.moc"
