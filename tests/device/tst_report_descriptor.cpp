// The report-descriptor parser on descriptors of real device classes, at its limits and on
// malformed input. Expected lengths are worked out by hand from the items.

#include "report_descriptor.h"

#include <QtTest>

class TestReportDescriptor : public QObject
{
    Q_OBJECT

private slots:
    void descriptors();
};

// Each report as "<I|O|F><id> <bits>/<length in bytes>", then the feature length of report
// 0x80 that the write channel asks for (7 when undeclared).
void TestReportDescriptor::descriptors()
{
    // HID 1.11 B.1 boot keyboard: input 8x1 + 1x8 + 6x8 = 64 bits; output 5x1 + 1x3 = 8 bits.
    const QByteArray keyboard =
        "05010906a101 050719e029e7150025017501950881029501750881019505750105081901"
        "29059102950175039101950675081500256505071900296581 00c0";
    // Numbered reports: 1 input 16x1 + 4x8 = 48 bits, 2 output 7x8, 3 feature 3x8.
    const QByteArray gamepad = "05010905a101 8501050919012910150025017501951081 02"
                               "05010930093109320935150026ff00750895048102 850206 00ff0901750895"
                               "079102 8503090275089503b102 c0";
    // Like the wheel base: report 1 input 19x8, report 0x80 feature and output 63x8 each.
    const QByteArray vendor = "0600ff0901a101 8501090215002 6ff00750895138102"
                              "8580090375089 53fb102 090475089 53f9102 c0";
    const QString largest = "numbered F128 32760/4096 feature 4096";
    const std::pair<QByteArray, QString> rows[] = {
        {keyboard, "plain I0 64/9 O0 8/2 feature 7"},
        {gamepad, "numbered I1 48/7 O2 56/8 F3 24/4 feature 7"},
        {vendor, "numbered I1 152/20 O128 504/64 F128 504/64 feature 64"},
        // Push saves report 1 with 8x4; report 2 takes 16x2; Pop restores 8x4 for report 1.
        {"850175089504a4850275109502 8102b48102", "numbered I1 32/5 I2 32/5 feature 7"},
        {QByteArray("a4").repeated(32) + "750895028102", "plain I0 16/3 feature 7"},
        // A long item whose data would read as a Report Count if taken for short items.
        {"fe021095ff750895018102", "plain I0 8/2 feature 7"},
        {"750895018102 fe0010", "plain I0 8/2 feature 7"},
        {"85ff75089501 8102", "numbered I255 8/2 feature 7"},
        // 4095 data bytes and the id byte fill the largest report exactly, whichever way.
        {"85807508 96ff0fb102", largest},
        {"85807501 96f87fb102", largest},
        {"858076f87f 9501b102", largest},
        {"750895ff" + QByteArray("8102").repeated(16), "plain I0 32640/4081 feature 7"},
        // Malformed: cut items, values beyond any report, bad ids, unbalanced Push and Pop.
        {"", "invalid feature 7"},
        {"75", "invalid feature 7"},
        {"750895018102 26ff", "invalid feature 7"},
        {"97ffff", "invalid feature 7"},
        {"fe", "invalid feature 7"},
        {"fe05", "invalid feature 7"},
        {"fe0510aabb", "invalid feature 7"},
        {"76f97f 9501 8102", "invalid feature 7"},
        {"7501 96f97f 8102", "invalid feature 7"},
        {"8580750896ff0fb10275019501b102", "invalid feature 7"},
        {"750895ff" + QByteArray("8102").repeated(17), "invalid feature 7"},
        {"8500750895018102", "invalid feature 7"},
        {"86000175089501 8102", "invalid feature 7"},
        {"b4750895018102", "invalid feature 7"},
        {QByteArray("a4").repeated(33), "invalid feature 7"},
    };
    for (const auto &[hex, expected] : rows) {
        // In a buffer of exactly their size, so that the address sanitizer catches a read past
        // the end.
        const QByteArray raw = QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
        const std::vector<std::uint8_t> data(raw.begin(), raw.end());
        const auto info = device::parseReportDescriptor(data.data(), data.size());
        QStringList got{!info.valid ? "invalid" : info.usesReportIds ? "numbered" : "plain"};
        for (const auto &[key, bits] : info.bits)
            got << QStringLiteral("%1%2 %3/%4")
                       .arg(QLatin1Char("IOF"[int(key.first)]))
                       .arg(key.second)
                       .arg(bits)
                       .arg(info.reportLength(key.first, key.second));
        got << "feature"
            << QString::number(device::featureReportLength(data.data(), data.size(), 0x80, 7));
        QCOMPARE(hex.left(24) + ": " + got.join(' '), hex.left(24) + ": " + expected);
    }
    QCOMPARE(device::featureReportLength(nullptr, 0, 0x80), std::size_t(64));
}

QTEST_APPLESS_MAIN(TestReportDescriptor)
#include "tst_report_descriptor.moc"
