// The report-descriptor parser on descriptors of real device classes and on
// malformed ones. Expected lengths are worked out by hand from the items.

#include "report_descriptor.h"

#include <QtTest>

#include <random>
#include <vector>

using device::ReportKind;

Q_DECLARE_METATYPE(device::ReportKind)

namespace {

// Hex text to bytes; blanks only group the items for the reader.
std::vector<std::uint8_t> bytes(const char *hex)
{
    const QByteArray raw = QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
    return std::vector<std::uint8_t>(raw.begin(), raw.end());
}

device::ReportDescriptorInfo parse(const std::vector<std::uint8_t> &descriptor)
{
    return device::parseReportDescriptor(descriptor.data(), descriptor.size());
}

// HID 1.11 appendix B.1: the boot keyboard. Input: modifiers 8 x 1, reserved
// 1 x 8, keys 6 x 8 = 64 bits. Output: LEDs 5 x 1 + padding 1 x 3 = 8 bits.
const char kBootKeyboard[] = "05010906a101"
                             "050719e029e71500250175019508810295017508810195057501050819012905"
                             "9102950175039101950675081500256505071900296581"
                             "00c0";

// HID 1.11 appendix E.10: a three-button mouse. Input: buttons 3 x 1,
// padding 1 x 5, X/Y 2 x 8 = 24 bits.
const char kMouse[] = "05010902a1010901a100050919012903150025019503750181029501750581"
                      "01050109300931158125 7f750895028106c0c0";

// A gamepad with numbered reports. Report 1 (input): 16 buttons x 1 bit and
// 4 axes x 8 bits = 48 bits. Report 2 (output, rumble): 7 x 8 = 56 bits.
// Report 3 (feature): 3 x 8 = 24 bits.
const char kGamepad[] = "05010905a101"
                        "8501050919012910150025017501951081 02"
                        "05010930093109320935150026ff00750895048102"
                        "850206 00ff0901750895079102"
                        "8503090275089503b102"
                        "c0";

// A vendor-defined interface like the wheel base's: report 1 input 19 x 8
// bits, report 0x80 feature and output 63 x 8 bits each.
const char kVendor64[] = "0600ff0901a101"
                         "8501090215002 6ff00750895138102"
                         "8580090375089 53fb102"
                         "090475089 53f9102"
                         "c0";

} // namespace

class TestReportDescriptor : public QObject
{
    Q_OBJECT

private slots:
    void realDescriptors_data();
    void realDescriptors();
    void reportIdsAreSeen_data();
    void reportIdsAreSeen();
    void featureLengthOfTheBase();
    void pushAndPop();
    void longItemsAreSkipped();
    void malformed_data();
    void malformed();
    void lengthBoundary();
    void everyPrefixStaysInBounds();
    void randomBytesStayInBounds();
};

void TestReportDescriptor::realDescriptors_data()
{
    QTest::addColumn<QByteArray>("descriptor");
    QTest::addColumn<device::ReportKind>("kind");
    QTest::addColumn<int>("reportId");
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("length");

    const QByteArray keyboard(kBootKeyboard), mouse(kMouse), pad(kGamepad), vendor(kVendor64);
    QTest::newRow("keyboard input") << keyboard << ReportKind::Input << 0 << 64 << 9;
    QTest::newRow("keyboard output") << keyboard << ReportKind::Output << 0 << 8 << 2;
    QTest::newRow("keyboard no feature") << keyboard << ReportKind::Feature << 0 << 0 << 0;
    QTest::newRow("mouse input") << mouse << ReportKind::Input << 0 << 24 << 4;
    QTest::newRow("mouse no output") << mouse << ReportKind::Output << 0 << 0 << 0;
    QTest::newRow("gamepad input 1") << pad << ReportKind::Input << 1 << 48 << 7;
    QTest::newRow("gamepad output 2") << pad << ReportKind::Output << 2 << 56 << 8;
    QTest::newRow("gamepad feature 3") << pad << ReportKind::Feature << 3 << 24 << 4;
    QTest::newRow("gamepad no input 2") << pad << ReportKind::Input << 2 << 0 << 0;
    QTest::newRow("vendor input 1") << vendor << ReportKind::Input << 1 << 152 << 20;
    QTest::newRow("vendor feature 0x80") << vendor << ReportKind::Feature << 0x80 << 504 << 64;
    QTest::newRow("vendor output 0x80") << vendor << ReportKind::Output << 0x80 << 504 << 64;
}

void TestReportDescriptor::realDescriptors()
{
    QFETCH(QByteArray, descriptor);
    QFETCH(device::ReportKind, kind);
    QFETCH(int, reportId);
    QFETCH(int, bits);
    QFETCH(int, length);

    const device::ReportDescriptorInfo info = parse(bytes(descriptor.constData()));
    QVERIFY(info.valid);
    QCOMPARE(int(info.reportBits(kind, std::uint8_t(reportId))), bits);
    QCOMPARE(int(info.reportLength(kind, std::uint8_t(reportId))), length);
    QCOMPARE(info.hasReport(kind, std::uint8_t(reportId)), length != 0);
}

void TestReportDescriptor::reportIdsAreSeen_data()
{
    QTest::addColumn<QByteArray>("descriptor");
    QTest::addColumn<bool>("usesReportIds");
    QTest::newRow("keyboard") << QByteArray(kBootKeyboard) << false;
    QTest::newRow("mouse") << QByteArray(kMouse) << false;
    QTest::newRow("gamepad") << QByteArray(kGamepad) << true;
    QTest::newRow("vendor") << QByteArray(kVendor64) << true;
}

void TestReportDescriptor::reportIdsAreSeen()
{
    QFETCH(QByteArray, descriptor);
    QFETCH(bool, usesReportIds);
    const device::ReportDescriptorInfo info = parse(bytes(descriptor.constData()));
    QVERIFY(info.valid);
    QCOMPARE(info.usesReportIds, usesReportIds);
}

void TestReportDescriptor::featureLengthOfTheBase()
{
    const std::vector<std::uint8_t> vendor = bytes(kVendor64);
    QCOMPARE(device::featureReportLength(vendor.data(), vendor.size(), 0x80), std::size_t(64));
    // Undeclared report, unnumbered device, nothing at all: the fallback.
    QCOMPARE(device::featureReportLength(vendor.data(), vendor.size(), 0x81), std::size_t(64));
    const std::vector<std::uint8_t> keyboard = bytes(kBootKeyboard);
    QCOMPARE(device::featureReportLength(keyboard.data(), keyboard.size(), 0x80, 33),
             std::size_t(33));
    QCOMPARE(device::featureReportLength(nullptr, 0, 0x80), std::size_t(64));
}

void TestReportDescriptor::pushAndPop()
{
    // Report 1 with size 8 x count 4; Push; report 2 with 16 x 2 as input;
    // Pop restores report 1, 8 x 4, for the second input item.
    const device::ReportDescriptorInfo info = parse(bytes("850175089504a4850275109502 8102b48102"));
    QVERIFY(info.valid);
    QCOMPARE(info.reportBits(ReportKind::Input, 2), std::size_t(32));
    QCOMPARE(info.reportBits(ReportKind::Input, 1), std::size_t(32));

    // Pushes left open at the end are harmless.
    const device::ReportDescriptorInfo open = parse(bytes("a4a4a4750895028102"));
    QVERIFY(open.valid);
    QCOMPARE(open.reportBits(ReportKind::Input, 0), std::size_t(16));
}

void TestReportDescriptor::longItemsAreSkipped()
{
    // A long item (FE, 2 data bytes, tag 0x10) whose data would read as a
    // Report Count if it were taken for short items.
    const device::ReportDescriptorInfo info = parse(bytes("fe021095ff750895018102"));
    QVERIFY(info.valid);
    QCOMPARE(info.reportBits(ReportKind::Input, 0), std::size_t(8));
}

void TestReportDescriptor::malformed_data()
{
    QTest::addColumn<QByteArray>("descriptor");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("short item without its data") << QByteArray("75");
    QTest::newRow("two-byte item cut") << QByteArray("750895018102 26ff");
    QTest::newRow("four-byte item cut") << QByteArray("97ffff");
    QTest::newRow("long item prefix only") << QByteArray("fe");
    QTest::newRow("long item header cut") << QByteArray("fe05");
    QTest::newRow("long item data cut") << QByteArray("fe0510aabb");
    QTest::newRow("absurd report count") << QByteArray("750897ffffffff8102");
    QTest::newRow("absurd report size") << QByteArray("77ffffffff95018102");
    QTest::newRow("report larger than any buffer") << QByteArray("75ff95ff8102");
    QTest::newRow("sum larger than any buffer")
        << QByteArray("750895ff" + QByteArray("8102").repeated(17));
    QTest::newRow("report id 0") << QByteArray("8500750895018102");
    QTest::newRow("report id above 255") << QByteArray("86000175089501 8102");
    QTest::newRow("pop without push") << QByteArray("b4750895018102");
    QTest::newRow("deep push") << QByteArray("a4").repeated(1000);
}

void TestReportDescriptor::malformed()
{
    QFETCH(QByteArray, descriptor);
    const std::vector<std::uint8_t> data = bytes(descriptor.constData());
    const device::ReportDescriptorInfo info = parse(data);
    QVERIFY(!info.valid);
    QCOMPARE(device::featureReportLength(data.data(), data.size(), 0x80), std::size_t(64));
}

void TestReportDescriptor::lengthBoundary()
{
    // 4095 data bytes plus the id byte fill a 4096-byte buffer exactly.
    const device::ReportDescriptorInfo largest = parse(bytes("85807508 96ff0fb102"));
    QVERIFY(largest.valid);
    QCOMPARE(largest.reportLength(ReportKind::Feature, 0x80), device::kMaxReportLength);
    // One bit more does not fit.
    QVERIFY(!parse(bytes("8580750896ff0fb10275019501b102")).valid);
    // Sixteen items of 255 bytes stay below it, in the same report.
    const device::ReportDescriptorInfo sum =
        parse(bytes(QByteArray("750895ff" + QByteArray("8102").repeated(16)).constData()));
    QVERIFY(sum.valid);
    QCOMPARE(sum.reportLength(ReportKind::Input, 0), std::size_t(1 + 16 * 255));
}

void TestReportDescriptor::everyPrefixStaysInBounds()
{
    // Each prefix is copied into a buffer of exactly its size, so a read past
    // the end is caught by the address sanitizer.
    for (const char *hex : {kBootKeyboard, kMouse, kGamepad, kVendor64}) {
        const std::vector<std::uint8_t> full = bytes(hex);
        for (std::size_t n = 0; n <= full.size(); ++n) {
            const std::vector<std::uint8_t> prefix(full.begin(), full.begin() + n);
            std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[n ? n : 1]);
            std::copy(prefix.begin(), prefix.end(), exact.get());
            const device::ReportDescriptorInfo info = device::parseReportDescriptor(exact.get(), n);
            for (const auto &entry : info.bits)
                QVERIFY(info.reportLength(entry.first.first, entry.first.second) <=
                        device::kMaxReportLength);
        }
    }
}

void TestReportDescriptor::randomBytesStayInBounds()
{
    std::mt19937 random(20240607);
    std::uniform_int_distribution<int> length(0, 300);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 5000; ++round) {
        const std::size_t n = std::size_t(length(random));
        std::unique_ptr<std::uint8_t[]> data(new std::uint8_t[n ? n : 1]);
        for (std::size_t i = 0; i < n; ++i)
            data[i] = std::uint8_t(byte(random));
        const device::ReportDescriptorInfo info = device::parseReportDescriptor(data.get(), n);
        for (const auto &entry : info.bits)
            QVERIFY(info.reportLength(entry.first.first, entry.first.second) <=
                    device::kMaxReportLength);
        const std::size_t feature = device::featureReportLength(data.get(), n, 0x80);
        QVERIFY(feature >= 1 && feature <= device::kMaxReportLength);
    }
}

QTEST_APPLESS_MAIN(TestReportDescriptor)
#include "tst_report_descriptor.moc"
