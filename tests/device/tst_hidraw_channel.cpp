// The Linux read and write channels on one end of a SOCK_SEQPACKET socket
// pair, which keeps report boundaries as hidraw does, and the Linux back
// end's open paths.

#include "hidraw_channel.h"
#include "linux_hid_platform.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <future>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(device::OpenError)

namespace {

using device::ReadStatus;

// Two connected sockets; `channel` takes one, the test writes to `peer`.
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
};

QByteArray report(quint8 id, quint8 sequence, int size = 20)
{
    QByteArray bytes(size, '\0');
    bytes[0] = char(id);
    if (size > 1)
        bytes[1] = char(sequence);
    for (int i = 2; i < size; ++i)
        bytes[i] = char(sequence + i);
    return bytes;
}

QByteArray asBytes(const std::uint8_t *data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), int(size));
}

} // namespace

class TestHidrawChannel : public QObject
{
    Q_OBJECT

private slots:
    void reportsArriveInOrder();
    void boundariesAreKept();
    void unnumberedReportsGetIdZero();
    void closingThePeerIsAnUnplug();
    void cancelWakesAPendingRead();
    void cancelBeforeReadWins();
    void badArguments();
    void errnoMapping_data();
    void errnoMapping();
    void featureReportPadding_data();
    void featureReportPadding();
    void writeChannel();
    void openFailures();
    void openedWithoutDescriptorFallsBack();
};

void TestHidrawChannel::reportsArriveInOrder()
{
    SocketPair pair;
    QVERIFY(pair.peer != -1);
    device::HidrawReadChannel channel(pair.channelFd, true);
    for (int i = 0; i < 50; ++i)
        QVERIFY(pair.send(report(i % 2 ? 0x80 : 0x01, quint8(i))));
    std::uint8_t buffer[20];
    for (int i = 0; i < 50; ++i) {
        const device::ReadResult result = channel.read(buffer, sizeof buffer);
        QCOMPARE(result.status, ReadStatus::Report);
        QCOMPARE(result.size, std::size_t(20));
        QCOMPARE(asBytes(buffer, result.size), report(i % 2 ? 0x80 : 0x01, quint8(i)));
    }
}

void TestHidrawChannel::boundariesAreKept()
{
    SocketPair pair;
    device::HidrawReadChannel channel(pair.channelFd, true);
    QVERIFY(pair.send(report(0x01, 1, 5)));
    QVERIFY(pair.send(report(0x01, 2, 64)));
    QVERIFY(pair.send(report(0x01, 3)));
    std::uint8_t buffer[20];

    device::ReadResult result = channel.read(buffer, sizeof buffer);
    QCOMPARE(result.status, ReadStatus::Report);
    QCOMPARE(asBytes(buffer, result.size), report(0x01, 1, 5));
    // A longer report is cut to the buffer; its rest does not leak into
    // the next read.
    result = channel.read(buffer, sizeof buffer);
    QCOMPARE(result.size, std::size_t(20));
    QCOMPARE(asBytes(buffer, result.size), report(0x01, 2, 64).left(20));
    result = channel.read(buffer, sizeof buffer);
    QCOMPARE(asBytes(buffer, result.size), report(0x01, 3));
}

void TestHidrawChannel::unnumberedReportsGetIdZero()
{
    SocketPair pair;
    device::HidrawReadChannel channel(pair.channelFd, false);
    const QByteArray data = QByteArray::fromHex("aabbccdd");
    QVERIFY(pair.send(data));
    std::uint8_t buffer[20];
    const device::ReadResult result = channel.read(buffer, sizeof buffer);
    QCOMPARE(result.status, ReadStatus::Report);
    QCOMPARE(asBytes(buffer, result.size), QByteArray::fromHex("00aabbccdd"));
}

void TestHidrawChannel::closingThePeerIsAnUnplug()
{
    SocketPair pair;
    device::HidrawReadChannel channel(pair.channelFd, true);
    QVERIFY(pair.send(report(0x01, 1)));
    QVERIFY(pair.send(report(0x01, 2)));
    pair.closePeer();
    std::uint8_t buffer[20];
    // What was queued before the unplug is still handed out, in order.
    QCOMPARE(channel.read(buffer, sizeof buffer).status, ReadStatus::Report);
    QCOMPARE(buffer[1], std::uint8_t(1));
    QCOMPARE(channel.read(buffer, sizeof buffer).status, ReadStatus::Report);
    QCOMPARE(buffer[1], std::uint8_t(2));
    QCOMPARE(channel.read(buffer, sizeof buffer).status, ReadStatus::Disconnected);
    // And it stays gone without blocking.
    QCOMPARE(channel.read(buffer, sizeof buffer).status, ReadStatus::Disconnected);
}

void TestHidrawChannel::cancelWakesAPendingRead()
{
    SocketPair pair;
    device::HidrawReadChannel channel(pair.channelFd, true);
    std::promise<void> started;
    auto pending = std::async(std::launch::async, [&] {
        std::uint8_t buffer[20];
        started.set_value();
        return channel.read(buffer, sizeof buffer).status;
    });
    started.get_future().wait();
    // The read has nothing to return: it waits.
    QCOMPARE(pending.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
    channel.cancel();
    QCOMPARE(pending.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    QCOMPARE(pending.get(), ReadStatus::Cancelled);

    // A cancelled channel stays cancelled, even with reports queued.
    QVERIFY(pair.send(report(0x01, 1)));
    std::uint8_t buffer[20];
    QCOMPARE(channel.read(buffer, sizeof buffer).status, ReadStatus::Cancelled);
}

void TestHidrawChannel::cancelBeforeReadWins()
{
    SocketPair pair;
    device::HidrawReadChannel channel(pair.channelFd, true);
    QVERIFY(pair.send(report(0x01, 1)));
    channel.cancel();
    std::uint8_t buffer[20];
    QCOMPARE(channel.read(buffer, sizeof buffer).status, ReadStatus::Cancelled);
}

void TestHidrawChannel::badArguments()
{
    SocketPair pair;
    device::HidrawReadChannel numbered(pair.channelFd, true);
    std::uint8_t buffer[1];
    QCOMPARE(numbered.read(nullptr, 20).status, ReadStatus::Error);
    QCOMPARE(numbered.read(buffer, 0).status, ReadStatus::Error);

    SocketPair other;
    device::HidrawReadChannel unnumbered(other.channelFd, false);
    // No room for anything behind the id byte.
    QCOMPARE(unnumbered.read(buffer, 1).status, ReadStatus::Error);
}

void TestHidrawChannel::errnoMapping_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<device::OpenError>("expected");
    QTest::newRow("EACCES") << EACCES << device::OpenError::PermissionDenied;
    QTest::newRow("EPERM") << EPERM << device::OpenError::PermissionDenied;
    QTest::newRow("ENOENT") << ENOENT << device::OpenError::NotFound;
    QTest::newRow("ENODEV") << ENODEV << device::OpenError::NotFound;
    QTest::newRow("ENXIO") << ENXIO << device::OpenError::NotFound;
    QTest::newRow("EBUSY") << EBUSY << device::OpenError::Other;
    QTest::newRow("EMFILE") << EMFILE << device::OpenError::Other;
    QTest::newRow("no error") << 0 << device::OpenError::None;
}

void TestHidrawChannel::errnoMapping()
{
    QFETCH(int, error);
    QFETCH(device::OpenError, expected);
    QCOMPARE(device::openErrorFromErrno(error), expected);
}

void TestHidrawChannel::featureReportPadding_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("length");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("padded") << QByteArray::fromHex("800301") << 8
                            << QByteArray::fromHex("8003010000000000");
    QTest::newRow("exact") << QByteArray::fromHex("80030024") << 4
                           << QByteArray::fromHex("80030024");
    QTest::newRow("cut") << QByteArray::fromHex("8001aabbccddeeff") << 3
                         << QByteArray::fromHex("8001aa");
}

void TestHidrawChannel::featureReportPadding()
{
    QFETCH(QByteArray, data);
    QFETCH(int, length);
    QFETCH(QByteArray, expected);
    const std::vector<std::uint8_t> built =
        device::buildFeatureReport(reinterpret_cast<const std::uint8_t *>(data.constData()),
                                   std::size_t(data.size()), std::size_t(length));
    QCOMPARE(asBytes(built.data(), built.size()), expected);
}

void TestHidrawChannel::writeChannel()
{
    SocketPair pair;
    const int fd = ::dup(pair.channelFd);
    ::close(pair.channelFd);
    device::HidrawWriteChannel channel(fd, 12);
    QCOMPARE(channel.featureReportLength(), std::size_t(12));
    // A socket is no hidraw node: the feature ioctl is refused, and that is
    // reported, not taken for success.
    const std::uint8_t feature[] = {0x80, 0x03, 0x01};
    QVERIFY(!channel.sendFeatureReport(feature, sizeof feature));
    QVERIFY(!channel.sendFeatureReport(nullptr, 3));
    QVERIFY(device::readReportDescriptor(fd).empty());

    const std::uint8_t frame[12] = {0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    QVERIFY(channel.writeOutputReport(frame, sizeof frame));
    char received[32];
    QCOMPARE(::recv(pair.peer, received, sizeof received, 0), ssize_t(12));
    QCOMPARE(QByteArray(received, 12), asBytes(frame, 12));

    QCOMPARE(device::HidrawWriteChannel(::dup(fd), 0).featureReportLength(), std::size_t(1));
    QCOMPARE(device::HidrawWriteChannel(::dup(fd), 100000).featureReportLength(),
             std::size_t(4096));
}

void TestHidrawChannel::openFailures()
{
    device::LinuxHidPlatform platform;
    const auto reader = platform.openForReading("/nonexistent/hidraw7");
    QVERIFY(!reader);
    QCOMPARE(reader.error, device::OpenError::NotFound);
    QVERIFY(!platform.lastErrorText().empty());
    const auto writer = platform.openForWriting("/nonexistent/hidraw7");
    QVERIFY(!writer);
    QCOMPARE(writer.error, device::OpenError::NotFound);

    if (::geteuid() == 0)
        QSKIP("root opens any file; the errno mapping is tested on its own");
    QTemporaryDir dir;
    const QString locked = dir.filePath("hidraw-locked");
    QFile file(locked);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(::chmod(QFile::encodeName(locked).constData(), 0) == 0);
    const auto denied = platform.openForReading(QFile::encodeName(locked).toStdString());
    QVERIFY(!denied);
    QCOMPARE(denied.error, device::OpenError::PermissionDenied);
}

void TestHidrawChannel::openedWithoutDescriptorFallsBack()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("not-hidraw");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    device::LinuxHidPlatform platform;
    const auto writer = platform.openForWriting(QFile::encodeName(path).toStdString());
    QVERIFY(writer);
    QCOMPARE(writer.channel->featureReportLength(), std::size_t(64));
    const std::uint8_t feature[] = {0x80, 0x03, 0x01};
    QVERIFY(!writer.channel->sendFeatureReport(feature, sizeof feature));
}

QTEST_GUILESS_MAIN(TestHidrawChannel)
#include "tst_hidraw_channel.moc"
