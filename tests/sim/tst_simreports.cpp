// The simulated base's report codecs, byte for byte: the window tests take the base as their
// oracle, so its encodings are checked here against bytes written out from the report layouts.

#include "simreports.h"

#include <QtTest>

using namespace sim;

namespace {

// A 20-byte input report starting with `head`, zero after it.
QByteArray input(const char *head)
{
    QByteArray report = QByteArray::fromHex(head);
    return report.append(QByteArray(int(kInputReportSize) - report.size(), '\0'));
}

QByteArray bytes(const InputReport &report)
{
    return QByteArray(reinterpret_cast<const char *>(report.data()), int(report.size()));
}

const std::uint8_t *data(const QByteArray &b)
{
    return reinterpret_cast<const std::uint8_t *>(b.constData());
}

// Angle .. WheelFriction, GameSpring .. PeriodForce, Suspension, Response.
const Settings Sample{900, -20, 1, 26, 59, 91, 9, 181, 72, 76, 53, 100, 200, 0x0102, 1};

LiveState live(quint16 wheel, std::array<std::uint16_t, 6> axes, quint64 buttons)
{
    return LiveState{wheel, axes, buttons};
}

} // namespace

class TestSimReports : public QObject
{
    Q_OBJECT

private slots:
    void inputReports_data();
    void inputReports();
    void featureReports_data();
    void featureReports();
};

void TestSimReports::inputReports_data()
{
    QTest::addColumn<QByteArray>("encoded");
    QTest::addColumn<QByteArray>("expected");
    const std::array<std::uint16_t, 6> none{};
    const struct
    {
        const char *name;
        InputReport encoded;
        const char *expected;
    } rows[] = {
        {"factory machine", encodeMachineReport(factorySettings()),
         "80 01 84 03 00 64 01 1A 3B 5B 09"},
        {"factory game", encodeGameReport(factorySettings()), "80 02 B5 48 4C 35 64 64"},
        {"factory mode", encodeModeReport(factorySettings()), "80 04 00 00 00 00"},
        {"machine", encodeMachineReport(Sample), "80 01 84 03 00 EC 01 1A 3B 5B 09"},
        {"game", encodeGameReport(Sample), "80 02 B5 48 4C 35 64 C8"},
        {"mode", encodeModeReport(Sample), "80 04 02 01 01 00"},
        {"reset ack", encodeFactoryResetAck(), "80 05 AA AA"},
        {"status", encodeStatusReport(Status{0x1234, 0x5678, 0x9ABC, 0xDEF0}),
         "80 0A 34 12 78 56 BC 9A F0 DE"},
        // Axes X..RZ = 321 654 987 CBA FED 210, every nibble in its own place.
        {"axes", encodeLiveReport(live(0x1234, {0x321, 0x654, 0x987, 0xCBA, 0xFED, 0x210}, 0)),
         "01 34 12 21 43 65 87 A9 CB ED 0F 21"},
        {"buttons 0 2 7 8 63",
         encodeLiveReport(live(32767, none, 0x85 | 0x100 | (quint64(1) << 63))),
         "01 FF 7F 00 00 00 00 00 00 00 00 00 A1 80 00 00 00 00 00 01"},
    };
    for (const auto &row : rows)
        QTest::newRow(row.name) << bytes(row.encoded) << input(row.expected);
}

void TestSimReports::inputReports()
{
    QFETCH(QByteArray, encoded);
    QFETCH(QByteArray, expected);
    QCOMPARE(encoded.toHex(' '), expected.toHex(' '));
}

void TestSimReports::featureReports_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<QString>("request"); // kind, then c(enter) r(ead) s(tore)
    QTest::addColumn<QByteArray>("echo"); // the base's echo after applying it to factory values
    const char *const rows[][4] = {
        {"machine", "80 01 10 04 00 EC 07 1A 3B 5B 09", "0", "80 01 10 04 00 EC 07 1A 3B 5B 09"},
        {"machine, center", "80 01 84 03 2D 9C 01", "0c", "80 01 84 03 00 9C 01 00 00 00 00"},
        {"machine, short", "80 01 84 03 00 EC", "0", "80 01 84 03 00 EC 00 00 00 00 00"},
        {"game", "80 02 B5 48 4C 35 64 C8 00 00 00", "1", "80 02 B5 48 4C 35 64 C8"},
        {"read", "80 03 01 00", "2r", ""},
        {"store", "80 03 00 24", "2s", ""},
        {"neither", "80 03 02 23", "2", ""},
        {"mode", "80 04 02 00 01 00 00 00 00 00 00", "3", "80 04 02 00 01 00"},
        {"factory reset", "80 05 55 55", "4", ""},
        {"reset, wrong key", "80 05 55 54", "5", ""},
        {"sub-command 6", "80 06", "5", ""},
        {"other report id", "01 01 84 03 2D", "5", ""},
        {"empty", "", "5", ""},
    };
    for (const auto &row : rows)
        QTest::newRow(row[0]) << QByteArray::fromHex(row[1]) << QString::fromLatin1(row[2])
                              << (*row[3] ? input(row[3]) : QByteArray());
}

void TestSimReports::featureReports()
{
    QFETCH(QByteArray, report);
    QFETCH(QString, request);
    QFETCH(QByteArray, echo);

    const auto size = std::size_t(report.size());
    const FeatureRequest r = classifyFeatureReport(data(report), size);
    QString seen = QString::number(int(r.kind));
    seen += QLatin1String(r.center ? "c" : "") + QLatin1String(r.read ? "r" : "") +
            QLatin1String(r.store ? "s" : "");
    QCOMPARE(seen, request);

    Settings s = factorySettings();
    if (r.kind == FeatureRequest::Machine) {
        applyMachineReport(s, data(report), size);
        QCOMPARE(bytes(encodeMachineReport(s)).toHex(' '), echo.toHex(' '));
    } else if (r.kind == FeatureRequest::Game) {
        applyGameReport(s, data(report), size);
        QCOMPARE(bytes(encodeGameReport(s)).toHex(' '), echo.toHex(' '));
    } else if (r.kind == FeatureRequest::Mode) {
        applyModeReport(s, data(report), size);
        QCOMPARE(bytes(encodeModeReport(s)).toHex(' '), echo.toHex(' '));
    }
}

QTEST_GUILESS_MAIN(TestSimReports)
#include "tst_simreports.moc"
