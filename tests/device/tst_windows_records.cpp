// The pure helpers of the Windows back end, run anywhere: the "VID"/"PID" path-text rule and
// the device-change record parser, on records laid out by hand.

#include "device_change.h"
#include "device_path.h"

#include <QtEndian>
#include <QtTest>

namespace {

const char16_t kBasePath[] =
    u"\\\\?\\HID#VID_0483&PID_0522#7&2a1b3c4d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";

// A DEV_BROADCAST_DEVICEINTERFACE_W record of the HID class; `sizeField` < 0: the real size.
QByteArray record(const std::u16string &name, quint32 type = 5, bool nul = true, int sizeField = -1)
{
    QByteArray out(12, '\0');
    qToLittleEndian(type, out.data() + 4);
    out += QByteArray::fromHex("b2551e4d6ff1cf1188cb001111000030");
    for (char16_t unit : name)
        out.append(char(unit & 0xFF)).append(char(unit >> 8));
    if (nul)
        out += QByteArray(2, '\0');
    qToLittleEndian(quint32(sizeField < 0 ? out.size() : sizeField), out.data());
    return out;
}

// Parses the first `n` bytes from an exact-size heap copy, so that a read past the end is caught.
std::optional<device::DeviceInterfaceRecord> parse(const QByteArray &bytes, int n)
{
    std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[std::size_t(std::max(n, 1))]);
    std::copy(bytes.begin(), bytes.begin() + n, copy.get());
    return device::parseDeviceInterfaceRecord(copy.get(), std::size_t(n));
}

} // namespace

class TestWindowsRecords : public QObject
{
    Q_OBJECT

private slots:
    void pathTexts();
    void records();
};

void TestWindowsRecords::pathTexts()
{
    const QString base = QString::fromUtf16(kBasePath);
    const std::pair<QString, const char *> rows[] = {
        // path, "vendor/product matches"
        {base, "0483/0522 1"},
        {"\\\\?\\hid#vid_0483&pid_0522#7&0", "/ 0"}, // lower-case markers
        {"\\\\?\\HID#VID_0483&PID_5750#6&1&0000", "0483/5750 0"},
        {"\\\\?\\HID#VID_046D&PID_0522#6&1", "046D/0522 0"},
        {"HID#VID_0483&PID_052a#6&1&0000", "0483/052a 0"},
        {"PID_0522&VID_0483", "0483/0522 1"},
        {"HID#VID_0483&PID_05", "0483/05 0"}, // cut by the end
        {"HID#VID_0483&PID", "0483/ 0"},
        {"", "/ 0"},
        {QString::fromUtf8("VID\u20ac0483&PID\u20ac0522"), "0483/0522 1"}, // multi-byte separator
    };
    for (const auto &[path, expected] : rows) {
        const device::PathIdTexts texts = device::pathIdTexts(path.toStdString());
        QCOMPARE(path + ": " + QString::fromStdString(texts.vendor + "/" + texts.product) + ' ' +
                     QString::number(device::pathMatchesIds(path.toStdString())),
                 path + ": " + expected);
    }
}

void TestWindowsRecords::records()
{
    const int size = record(u"HID#VID_0483&PID_0522").size();
    const std::pair<QByteArray, QByteArray> rows[] = {
        // record, name or "!" when rejected
        {record(kBasePath), QString::fromUtf16(kBasePath).toUtf8()},
        // The registration filter's own shape: 32 bytes, a NUL name unit and two of padding.
        {record(u"", 5, true, 32) + QByteArray(2, '\0'), ""},
        // "设备", a racing car (a surrogate pair), a lone high and two lone low surrogates.
        {record({0x8BBE, 0x5907, 0xD83C, 0xDFCE, u'#', 0xD800, u'x', 0xDC00, 0xDC00}),
         "\xe8\xae\xbe\xe5\xa4\x87\xf0\x9f\x8f\x8e#\xef\xbf\xbdx\xef\xbf\xbd\xef\xbf\xbd"},
        {record(kBasePath, 2), "!"},     // a volume record
        {record(kBasePath, 0x105), "!"}, // type 5 in the low byte only
        {record(u"HID#VID_0483", 5, false), "!"},
        {record(u"HID#VID_0483&PID_0522", 5, true, size - 2), "!"}, // NUL outside the record
        {record(kBasePath, 5, true, 27), "!"},                      // size below the fixed part
        {record(kBasePath, 5, true, size + 1000), "!"},             // size beyond the bytes
        {record(u"").left(12), "!"},
    };
    for (const auto &[bytes, name] : rows) {
        const auto parsed = parse(bytes, bytes.size());
        QCOMPARE(parsed ? QByteArray::fromStdString(parsed->name) : "!", name);
        QVERIFY(!parsed || parsed->classGuid == device::kHidInterfaceClass);
        // Cut anywhere, the record's size field claims more than is there.
        for (int n = 0; parsed && n < bytes.size(); ++n)
            QVERIFY2(!parse(bytes, n), qPrintable(QString::number(n)));
    }
}

QTEST_APPLESS_MAIN(TestWindowsRecords)
#include "tst_windows_records.moc"
