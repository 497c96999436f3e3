// The pure helpers the Windows back end relies on: the "VID"/"PID" path-text
// rule and the device-change record parser, run on bytes laid out by hand.

#include "device_change.h"
#include "device_path.h"

#include <QtTest>

#include <vector>

namespace {

// {4D1E55B2-F16F-11CF-88CB-001111000030} as it lies in memory.
const std::uint8_t kHidGuidBytes[16] = {0xB2, 0x55, 0x1E, 0x4D, 0x6F, 0xF1, 0xCF, 0x11,
                                        0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30};

void put32(std::vector<std::uint8_t> &out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(value >> (8 * i)));
}

// A DEV_BROADCAST_DEVICEINTERFACE_W record. `sizeField` < 0: the real size.
std::vector<std::uint8_t> record(const std::u16string &name, std::uint32_t deviceType = 5,
                                 bool terminated = true, long sizeField = -1)
{
    std::vector<std::uint8_t> out;
    put32(out, 0); // size, filled in below
    put32(out, deviceType);
    put32(out, 0);
    out.insert(out.end(), std::begin(kHidGuidBytes), std::end(kHidGuidBytes));
    for (char16_t unit : name) {
        out.push_back(std::uint8_t(unit & 0xFF));
        out.push_back(std::uint8_t(unit >> 8));
    }
    if (terminated) {
        out.push_back(0);
        out.push_back(0);
    }
    const std::uint32_t size = sizeField < 0 ? std::uint32_t(out.size()) : std::uint32_t(sizeField);
    for (int i = 0; i < 4; ++i)
        out[std::size_t(i)] = std::uint8_t(size >> (8 * i));
    return out;
}

std::optional<device::DeviceInterfaceRecord> parseExact(const std::vector<std::uint8_t> &bytes)
{
    // An exact-size heap copy, so that a read past the end is caught.
    std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[bytes.empty() ? 1 : bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), copy.get());
    return device::parseDeviceInterfaceRecord(copy.get(), bytes.size());
}

const char16_t kBasePath[] =
    u"\\\\?\\HID#VID_0483&PID_0522#7&2a1b3c4d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";

} // namespace

class TestWindowsRecords : public QObject
{
    Q_OBJECT

private slots:
    void pathTexts_data();
    void pathTexts();
    void recordWellFormed();
    void recordEmptyName();
    void recordNonAscii();
    void recordRejected_data();
    void recordRejected();
    void everyTruncationRejected();
    void broadcastHeader();
};

void TestWindowsRecords::pathTexts_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("vendor");
    QTest::addColumn<QString>("product");
    QTest::addColumn<bool>("matches");

    QTest::newRow("the base") << QString::fromUtf16(kBasePath) << "0483"
                              << "0522" << true;
    QTest::newRow("lower-case vid_ and pid_")
        << "\\\\?\\hid#vid_0483&pid_0522#7&2a1b3c4d&0&0000#{4d1e55b2}"
        << ""
        << "" << false;
    QTest::newRow("other product of the vendor") << "\\\\?\\HID#VID_0483&PID_5750#6&1&0000"
                                                 << "0483"
                                                 << "5750" << false;
    QTest::newRow("other vendor") << "\\\\?\\HID#VID_046D&PID_0522#6&1&0000"
                                  << "046D"
                                  << "0522" << false;
    QTest::newRow("lower-case hex in the ids") << "\\\\?\\HID#VID_0483&PID_052a#6&1&0000"
                                               << "0483"
                                               << "052a" << false;
    QTest::newRow("no ids at all") << "\\\\?\\ROOT#SYSTEM#0000#{97ebaacc}"
                                   << ""
                                   << "" << false;
    QTest::newRow("PID before VID") << "PID_0522&VID_0483"
                                    << "0483"
                                    << "0522" << true;
    QTest::newRow("ids cut by the end") << "HID#VID_0483&PID_05"
                                        << "0483"
                                        << "05" << false;
    QTest::newRow("marker at the very end") << "HID#VID_0483&PID"
                                            << "0483"
                                            << "" << false;
    QTest::newRow("marker and separator only") << "VID_"
                                               << ""
                                               << "" << false;
    QTest::newRow("empty") << ""
                           << ""
                           << "" << false;
    QTest::newRow("multi-byte separator")
        << QString::fromUtf8("VID\u20ac0483&PID\u20ac0522") << "0483"
        << "0522" << true;
}

void TestWindowsRecords::pathTexts()
{
    QFETCH(QString, path);
    QFETCH(QString, vendor);
    QFETCH(QString, product);
    QFETCH(bool, matches);

    const std::string utf8 = path.toStdString();
    const device::PathIdTexts texts = device::pathIdTexts(utf8);
    QCOMPARE(QString::fromStdString(texts.vendor), vendor);
    QCOMPARE(QString::fromStdString(texts.product), product);
    QCOMPARE(device::pathMatchesIds(utf8), matches);
}

void TestWindowsRecords::recordWellFormed()
{
    const auto bytes = record(kBasePath);
    QCOMPARE(bytes.size(),
             std::size_t(28 + 2 * (std::char_traits<char16_t>::length(kBasePath) + 1)));
    const auto parsed = parseExact(bytes);
    QVERIFY(parsed.has_value());
    QVERIFY(parsed->classGuid == device::kHidInterfaceClass);
    QCOMPARE(QString::fromStdString(parsed->name), QString::fromUtf16(kBasePath));
    QVERIFY(device::pathMatchesIds(parsed->name));
}

void TestWindowsRecords::recordEmptyName()
{
    // The registration filter's own shape: 32 bytes, one NUL name unit and
    // two bytes of padding.
    auto bytes = record(u"");
    bytes.push_back(0);
    bytes.push_back(0);
    bytes[0] = 32;
    const auto parsed = parseExact(bytes);
    QVERIFY(parsed.has_value());
    QVERIFY(parsed->name.empty());
}

void TestWindowsRecords::recordNonAscii()
{
    // "设备" and a racing car (a surrogate pair), then a lone high surrogate.
    const std::u16string name = {0x8BBE, 0x5907, 0xD83C, 0xDFCE, u'#', 0xD800, u'x'};
    const auto parsed = parseExact(record(name));
    QVERIFY(parsed.has_value());
    QCOMPARE(QByteArray::fromStdString(parsed->name),
             QByteArray("\xe8\xae\xbe\xe5\xa4\x87\xf0\x9f\x8f\x8e#\xef\xbf\xbdx"));
}

void TestWindowsRecords::recordRejected_data()
{
    QTest::addColumn<QByteArray>("bytes");
    auto toBytes = [](const std::vector<std::uint8_t> &v) {
        return QByteArray(reinterpret_cast<const char *>(v.data()), int(v.size()));
    };
    QTest::newRow("volume record (type 2)") << toBytes(record(kBasePath, 2));
    QTest::newRow("port record (type 3)") << toBytes(record(kBasePath, 3));
    QTest::newRow("name without NUL") << toBytes(record(u"HID#VID_0483", 5, false));
    auto noRoom = record(u"HID#VID_0483&PID_0522");
    // The size field ends the record before its NUL, which lies beyond.
    QTest::newRow("NUL outside the record")
        << toBytes(record(u"HID#VID_0483&PID_0522", 5, true, long(noRoom.size()) - 2));
    QTest::newRow("size field below the fixed part") << toBytes(record(kBasePath, 5, true, 27));
    QTest::newRow("size field beyond the bytes")
        << toBytes(record(kBasePath, 5, true, long(noRoom.size()) + 1000));
    QTest::newRow("header only") << toBytes(record(u"")).left(12);
    QTest::newRow("nothing") << QByteArray();
}

void TestWindowsRecords::recordRejected()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!parseExact(std::vector<std::uint8_t>(bytes.begin(), bytes.end())).has_value());
}

void TestWindowsRecords::everyTruncationRejected()
{
    // Cut anywhere, the record's size field claims more than is there.
    const auto full = record(kBasePath);
    for (std::size_t n = 0; n < full.size(); ++n)
        QVERIFY2(!parseExact(std::vector<std::uint8_t>(full.begin(), full.begin() + long(n))),
                 qPrintable(QString::number(n)));
    QVERIFY(parseExact(full).has_value());
}

void TestWindowsRecords::broadcastHeader()
{
    const auto bytes = record(kBasePath, 0x12345605);
    const auto header = device::parseBroadcastHeader(bytes.data(), 12);
    QVERIFY(header.has_value());
    QCOMPARE(header->size, std::uint32_t(bytes.size()));
    QCOMPARE(header->deviceType, std::uint32_t(0x12345605));
    QVERIFY(!device::parseBroadcastHeader(bytes.data(), 11).has_value());
    QVERIFY(!device::parseBroadcastHeader(nullptr, 12).has_value());
}

QTEST_APPLESS_MAIN(TestWindowsRecords)
#include "tst_windows_records.moc"
