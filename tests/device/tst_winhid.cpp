// The Windows back end on real HID interfaces: Wine's virtual mouse (845E:0001) and keyboard
// (845E:0002), opened as the tool opens the wheel base. Their ids come from the attributes, the
// write channel opens only with the capabilities read, a read that no report answers ends when
// it is cancelled, and closed handles leave the interface free to open again. Nothing is sent.
#include "win_hid_platform.h"

#include <QtTest>

#include <chrono>
#include <thread>

class TestWinHid : public QObject
{
    Q_OBJECT

private slots:
    void opensReadsAndCloses_data();
    void opensReadsAndCloses();
};

void TestWinHid::opensReadsAndCloses_data()
{
    QTest::addColumn<int>("productId");
    QTest::newRow("Wine's virtual mouse") << 0x0001;
    QTest::newRow("Wine's virtual keyboard") << 0x0002;
}

void TestWinHid::opensReadsAndCloses()
{
    QFETCH(int, productId);
    device::WinHidPlatform platform;
    // Wine's bus driver lists its devices a moment after the prefix has started.
    const auto find = [&] {
        for (const device::HidInterfaceInfo &info : platform.enumerate())
            if (info.vendorId == 0x845E && info.productId == productId)
                return info.path;
        return std::string();
    };
    std::string path;
    qInfo("listing the HID interfaces");
    QTRY_VERIFY2_WITH_TIMEOUT(!(path = find()).empty(),
                              "Wine's virtual HID interface was not listed", 60000);

    for (int round = 0; round < 2; ++round) { // the second round opens what the first closed
        qInfo("round %d: opening %s", round + 1, path.c_str());
        auto writer = platform.openForWriting(path);
        QVERIFY2(writer, platform.lastErrorText().c_str());
        QVERIFY(writer.channel->featureReportLength() < 4096);
        auto reader = platform.openForReading(path);
        QVERIFY2(reader, platform.lastErrorText().c_str());

        // Nobody moves the virtual mouse or types: the read waits until it is cancelled.
        qInfo("round %d: reading until the read is cancelled", round + 1);
        std::uint8_t report[64] = {};
        const auto started = std::chrono::steady_clock::now();
        std::thread timeout([&reader] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            reader.channel->cancel();
        });
        const device::ReadResult result = reader.channel->read(report, sizeof report);
        timeout.join();
        QCOMPARE(int(result.status), int(device::ReadStatus::Cancelled));
        QVERIFY(std::chrono::steady_clock::now() - started >= std::chrono::milliseconds(250));
        QCOMPARE(int(reader.channel->read(report, sizeof report).status),
                 int(device::ReadStatus::Cancelled));
    }
}

QTEST_GUILESS_MAIN(TestWinHid)
#include "tst_winhid.moc"
