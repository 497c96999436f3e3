// The simulated base's own report codecs, byte for byte. Expected bytes are
// written out from the report layouts.

#include "simreports.h"

#include <QtTest>

using namespace sim;

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

QByteArray bytes(const InputReport &report)
{
    return QByteArray(reinterpret_cast<const char *>(report.data()), int(report.size()));
}

// A 20-byte input report starting with `head`, zero after it.
QByteArray input(const char *head)
{
    QByteArray report = hex(head);
    report.append(QByteArray(int(kInputReportSize) - report.size(), '\0'));
    return report;
}

const std::uint8_t *data(const QByteArray &b)
{
    return reinterpret_cast<const std::uint8_t *>(b.constData());
}

} // namespace

class TestSimReports : public QObject
{
    Q_OBJECT

private slots:
    void settingsReports();
    void statusReport_data();
    void statusReport();
    void liveAxes_data();
    void liveAxes();
    void liveButtons_data();
    void liveButtons();
    void wheelPosition_data();
    void wheelPosition();
    void classify_data();
    void classify();
    void applyReports();
    void applyShortReport();
    void logLine_data();
    void logLine();
};

void TestSimReports::settingsReports()
{
    const Settings factory = factorySettings();
    // TotalForce -100 is 0x9C; GameFriction 189 is 0xBD.
    QCOMPARE(bytes(encodeMachineReport(factory)), input("80 01 84 03 00 9C 01 00 00 00 00"));
    QCOMPARE(bytes(encodeGameReport(factory)), input("80 02 64 96 63 BD 64 C8"));
    QCOMPARE(bytes(encodeModeReport(factory)), input("80 04 00 00 00 00"));
    QCOMPARE(bytes(encodeFactoryResetAck()), input("80 05 AA AA"));

    Settings s;
    s.angle = 900;
    s.totalForce = -20;
    s.filterFrequency = 1;
    s.wheelSpring = 26;
    s.wheelDamper = 59;
    s.wheelSpeed = 91;
    s.wheelFriction = 9;
    s.gameSpring = 181;
    s.gameDamper = 72;
    s.gameInertia = 76;
    s.gameFriction = 53;
    s.constantForce = 100;
    s.periodForce = 200;
    s.suspension = 0x0102;
    s.response = 1;
    QCOMPARE(bytes(encodeMachineReport(s)), input("80 01 84 03 00 EC 01 1A 3B 5B 09"));
    QCOMPARE(bytes(encodeGameReport(s)), input("80 02 B5 48 4C 35 64 C8"));
    QCOMPARE(bytes(encodeModeReport(s)), input("80 04 02 01 01 00"));
}

void TestSimReports::statusReport_data()
{
    QTest::addColumn<int>("mask");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("volts");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("defaults") << 0x01FF << 0 << 6001 << 24
                              << input("80 0A FF 01 00 00 71 17 18 00");
    QTest::newRow("old firmware, fault")
        << 0x0005 << 3 << 4999 << 12 << input("80 0A 05 00 03 00 87 13 0C 00");
    QTest::newRow("all ones") << 0xFFFF << 0xFFFF << 0xFFFF << 0xFFFF
                              << input("80 0A FF FF FF FF FF FF FF FF");
}

void TestSimReports::statusReport()
{
    QFETCH(int, mask);
    QFETCH(int, code);
    QFETCH(int, version);
    QFETCH(int, volts);
    QFETCH(QByteArray, expected);

    Status status;
    status.effectMask = std::uint16_t(mask);
    status.statusCode = std::uint16_t(code);
    status.firmwareVersion = std::uint16_t(version);
    status.supplyVoltage = std::uint16_t(volts);
    QCOMPARE(bytes(encodeStatusReport(status)), expected);
}

void TestSimReports::liveAxes_data()
{
    QTest::addColumn<QVector<int>>("axes");
    QTest::addColumn<int>("position");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("X 0x234, Y 0xAB1")
        << QVector<int>{0x234, 0xAB1, 0, 0, 0, 0} << 32767 << input("01 FF 7F 34 12 AB");
    QTest::newRow("Z full, RX zero")
        << QVector<int>{0, 0, 0xFFF, 0, 0, 0} << 0 << input("01 00 00 00 00 00 FF 0F 00");
    QTest::newRow("RY 1, RZ 0x800") << QVector<int>{0, 0, 0, 0, 0x001, 0x800} << 0xFFFF
                                    << input("01 FF FF 00 00 00 00 00 00 01 00 80");
    QTest::newRow("all full") << QVector<int>{0xFFF, 0xFFF, 0xFFF, 0xFFF, 0xFFF, 0xFFF} << 0x1234
                              << input("01 34 12 FF FF FF FF FF FF FF FF FF");
}

void TestSimReports::liveAxes()
{
    QFETCH(QVector<int>, axes);
    QFETCH(int, position);
    QFETCH(QByteArray, expected);

    LiveState state;
    state.wheelPosition = std::uint16_t(position);
    for (int i = 0; i < 6; ++i)
        state.axes[std::size_t(i)] = std::uint16_t(axes[i]);
    QCOMPARE(bytes(encodeLiveReport(state)), expected);
}

void TestSimReports::liveButtons_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("button 0") << 0 << input("01 FF 7F 00 00 00 00 00 00 00 00 00 80");
    QTest::newRow("button 7") << 7 << input("01 FF 7F 00 00 00 00 00 00 00 00 00 01");
    QTest::newRow("button 9") << 9 << input("01 FF 7F 00 00 00 00 00 00 00 00 00 00 40");
    QTest::newRow("button 63")
        << 63 << input("01 FF 7F 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 01");
}

void TestSimReports::liveButtons()
{
    QFETCH(int, button);
    QFETCH(QByteArray, expected);

    LiveState state;
    state.buttons = std::uint64_t(1) << button;
    QCOMPARE(bytes(encodeLiveReport(state)), expected);
}

void TestSimReports::wheelPosition_data()
{
    QTest::addColumn<double>("degrees");
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("raw");

    QTest::newRow("centre") << 0.0 << 900 << 32767;
    QTest::newRow("right stop") << 450.0 << 900 << 65534;
    QTest::newRow("left stop") << -450.0 << 900 << 0;
    QTest::newRow("beyond right") << 600.0 << 900 << 65535;
    QTest::newRow("beyond left") << -600.0 << 900 << 0;
    QTest::newRow("quarter of 1080") << 135.0 << 1080 << 32767 + 8192;
    QTest::newRow("no range") << 10.0 << 0 << 32767;
    QTest::newRow("range 1") << 10.0 << 1 << 32767;
}

void TestSimReports::wheelPosition()
{
    QFETCH(double, degrees);
    QFETCH(int, range);
    QFETCH(int, raw);
    QCOMPARE(int(wheelPositionRaw(degrees, range)), raw);
}

void TestSimReports::classify_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("center");
    QTest::addColumn<bool>("read");
    QTest::addColumn<bool>("store");

    QTest::newRow("machine") << hex("80 01 84 03 00 EC") << int(FeatureRequest::Machine) << false
                             << false << false;
    QTest::newRow("machine, center")
        << hex("80 01 84 03 2D EC") << int(FeatureRequest::Machine) << true << false << false;
    QTest::newRow("game") << hex("80 02 B5") << int(FeatureRequest::Game) << false << false
                          << false;
    QTest::newRow("read") << hex("80 03 01 00") << int(FeatureRequest::ReadStore) << false << true
                          << false;
    QTest::newRow("store") << hex("80 03 00 24") << int(FeatureRequest::ReadStore) << false << false
                           << true;
    QTest::newRow("neither") << hex("80 03 02 23") << int(FeatureRequest::ReadStore) << false
                             << false << false;
    QTest::newRow("mode") << hex("80 04 02 00 01") << int(FeatureRequest::Mode) << false << false
                          << false;
    QTest::newRow("factory reset")
        << hex("80 05 55 55") << int(FeatureRequest::FactoryReset) << false << false << false;
    QTest::newRow("reset, wrong key")
        << hex("80 05 55 54") << int(FeatureRequest::Unknown) << false << false << false;
    QTest::newRow("sub-command 6")
        << hex("80 06") << int(FeatureRequest::Unknown) << false << false << false;
    QTest::newRow("other report id")
        << hex("01 01 84 03 2D") << int(FeatureRequest::Unknown) << false << false << false;
    QTest::newRow("empty") << QByteArray() << int(FeatureRequest::Unknown) << false << false
                           << false;
}

void TestSimReports::classify()
{
    QFETCH(QByteArray, report);
    QFETCH(int, kind);
    QFETCH(bool, center);
    QFETCH(bool, read);
    QFETCH(bool, store);

    const FeatureRequest request = classifyFeatureReport(data(report), std::size_t(report.size()));
    QCOMPARE(int(request.kind), kind);
    QCOMPARE(request.center, center);
    QCOMPARE(request.read, read);
    QCOMPARE(request.store, store);
}

void TestSimReports::applyReports()
{
    Settings s = factorySettings();
    const QByteArray machine = hex("80 01 10 04 2D EC 07 1A 3B 5B 09");
    applyMachineReport(s, data(machine), std::size_t(machine.size()));
    QCOMPARE(int(s.angle), 1040);
    QCOMPARE(int(s.totalForce), -20);
    QCOMPARE(int(s.filterFrequency), 7);
    QCOMPARE(int(s.wheelSpring), 26);
    QCOMPARE(int(s.wheelDamper), 59);
    QCOMPARE(int(s.wheelSpeed), 91);
    QCOMPARE(int(s.wheelFriction), 9);
    QCOMPARE(int(s.gameSpring), 100); // untouched

    const QByteArray game = hex("80 02 B5 48 4C 35 64 C8 00 00 00");
    applyGameReport(s, data(game), std::size_t(game.size()));
    QCOMPARE(int(s.gameSpring), 181);
    QCOMPARE(int(s.gameDamper), 72);
    QCOMPARE(int(s.gameInertia), 76);
    QCOMPARE(int(s.gameFriction), 53);
    QCOMPARE(int(s.constantForce), 100);
    QCOMPARE(int(s.periodForce), 200);

    const QByteArray mode = hex("80 04 02 00 01 00 00 00 00 00 00");
    applyModeReport(s, data(mode), std::size_t(mode.size()));
    QCOMPARE(int(s.suspension), 2);
    QCOMPARE(int(s.response), 1);

    // The echo of what was applied reads back the same bytes (no centre).
    QCOMPARE(bytes(encodeMachineReport(s)), input("80 01 10 04 00 EC 07 1A 3B 5B 09"));
    QCOMPARE(bytes(encodeGameReport(s)), input("80 02 B5 48 4C 35 64 C8"));
    QCOMPARE(bytes(encodeModeReport(s)), input("80 04 02 00 01 00"));
    QVERIFY(s != factorySettings());
}

void TestSimReports::applyShortReport()
{
    // A feature length shorter than the record: the missing bytes count as 0.
    Settings s = factorySettings();
    const QByteArray machine = hex("80 01 84 03 00 EC");
    applyMachineReport(s, data(machine), std::size_t(machine.size()));
    QCOMPARE(int(s.angle), 900);
    QCOMPARE(int(s.totalForce), -20);
    QCOMPARE(int(s.filterFrequency), 0);
    QCOMPARE(int(s.wheelFriction), 0);
}

void TestSimReports::logLine_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<QString>("line");

    QByteArray padded = hex("80 01 84 03 00 EC 01 1A 3B 5B 09");
    padded.append(QByteArray(53, '\0'));
    QTest::newRow("64-byte report")
        << padded << QStringLiteral("sim: feature 80 01 84 03 00 EC 01 1A 3B 5B 09");
    QTest::newRow("record only") << hex("80 02 B5 48 4C 35 64 C8 00 00 00")
                                 << QStringLiteral("sim: feature 80 02 B5 48 4C 35 64 C8 00 00 00");
    QTest::newRow("short report") << hex("80 05 55 55 00")
                                  << QStringLiteral("sim: feature 80 05 55 55 00");
}

void TestSimReports::logLine()
{
    QFETCH(QByteArray, report);
    QFETCH(QString, line);
    QCOMPARE(featureLogLine(report), line);
}

QTEST_GUILESS_MAIN(TestSimReports)
#include "tst_simreports.moc"
