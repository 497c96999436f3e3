// Byte-exact tests of the report codecs. Expected bytes are written out from the report
// layouts, never computed from the production tables.

#include "reports.h"

#include <QtTest>

using namespace protocol;

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

QString spaced(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

// A 20-byte input report: `head` followed by `fill` bytes.
QByteArray inputReport(const char *head, char fill = '\0')
{
    QByteArray report = hex(head);
    report.append(QByteArray(InputReportSize - report.size(), fill));
    return report;
}

ParameterValues machineValues(int angle, int force, int filter, int spring, int damper, int speed,
                              int friction)
{
    ParameterValues v;
    v.setValue(Parameter::Angle, angle);
    v.setValue(Parameter::TotalForce, force);
    v.setValue(Parameter::FilterFrequency, filter);
    v.setValue(Parameter::WheelSpring, spring);
    v.setValue(Parameter::WheelDamper, damper);
    v.setValue(Parameter::WheelSpeed, speed);
    v.setValue(Parameter::WheelFriction, friction);
    return v;
}

ParameterValues gameValues(int spring, int damper, int inertia, int friction, int constant,
                           int period)
{
    ParameterValues v;
    v.setValue(Parameter::GameSpring, spring);
    v.setValue(Parameter::GameDamper, damper);
    v.setValue(Parameter::GameInertia, inertia);
    v.setValue(Parameter::GameFriction, friction);
    v.setValue(Parameter::ConstantForce, constant);
    v.setValue(Parameter::PeriodForce, period);
    return v;
}

ParameterValues modeValues(int suspension, int response)
{
    ParameterValues v;
    v.setValue(Parameter::Suspension, suspension);
    v.setValue(Parameter::Response, response);
    return v;
}

enum class Decoder
{
    Machine,
    Game,
    Mode,
    FactoryReset,
    Status,
    Live
};

bool decodes(Decoder decoder, const QByteArray &report)
{
    switch (decoder) {
    case Decoder::Machine:
        return protocol::decodeMachineSettings(report).has_value();
    case Decoder::Game:
        return protocol::decodeGameSettings(report).has_value();
    case Decoder::Mode:
        return protocol::decodeMode(report).has_value();
    case Decoder::FactoryReset:
        return protocol::decodeFactoryResetReply(report).has_value();
    case Decoder::Status:
        return protocol::decodeStatus(report).has_value();
    case Decoder::Live:
        return decodeLive(report).has_value();
    }
    return false;
}

} // namespace

Q_DECLARE_METATYPE(ParameterValues)
Q_DECLARE_METATYPE(Decoder)

class TestReports : public QObject
{
    Q_OBJECT

private slots:
    void machineSettingsReport_data();
    void machineSettingsReport();
    void gameSettingsReport_data();
    void gameSettingsReport();
    void fixedRequests_data();
    void fixedRequests();
    void featureLength_data();
    void featureLength();

    void decodeMachineSettings_data();
    void decodeMachineSettings();
    void decodeGameSettings();
    void decodeMode_data();
    void decodeMode();
    void decodeFactoryResetReply_data();
    void decodeFactoryResetReply();
    void decodeStatus_data();
    void decodeStatus();
    void rejectsMalformedInput_data();
    void rejectsMalformedInput();

    void liveAxes_data();
    void liveAxes();
    void liveButtons_data();
    void liveButtons();
    void wheelPositionDegrees_data();
    void wheelPositionDegrees();

    void roundTripsOverWholeRanges();
    void valueFromText_data();
    void valueFromText();
    void keptSubCommands();
};

void TestReports::machineSettingsReport_data()
{
    QTest::addColumn<ParameterValues>("values");
    QTest::addColumn<int>("center");
    QTest::addColumn<QByteArray>("expected");

    const ParameterValues sample = machineValues(900, -20, 1, 26, 59, 91, 9);
    QTest::newRow("sample values") << sample << 0 << hex("80 01 84 03 00 EC 01 1A 3B 5B 09");
    QTest::newRow("center pressed") << sample << 0x2D << hex("80 01 84 03 2D EC 01 1A 3B 5B 09");
    QTest::newRow("limits high") << machineValues(1600, 100, 100, 100, 100, 100, 100) << 0
                                 << hex("80 01 40 06 00 64 64 64 64 64 64");
    QTest::newRow("limits low") << machineValues(1, -100, 0, 0, 0, 0, 0) << 0
                                << hex("80 01 01 00 00 9C 00 00 00 00 00");
    QTest::newRow("force -1") << machineValues(900, -1, 0, 0, 0, 0, 0) << 0
                              << hex("80 01 84 03 00 FF 00 00 00 00 00");
    QTest::newRow("distinct bytes keep their places")
        << machineValues(0x0201, 3, 4, 5, 6, 7, 8) << 0 << hex("80 01 01 02 00 03 04 05 06 07 08");
    QTest::newRow("low bits only") << machineValues(70000, 300, 256, 511, -1, 0, 0) << 0
                                   << hex("80 01 70 11 00 2C 00 FF FF 00 00");
    QTest::newRow("form values") << ParameterValues::formValues() << 0
                                 << hex("80 01 84 03 00 9C 01 00 00 00 00");
}

void TestReports::machineSettingsReport()
{
    QFETCH(ParameterValues, values);
    QFETCH(int, center);
    QFETCH(QByteArray, expected);

    // Game and choice values must not leak into the machine report.
    ParameterValues withOthers = values;
    withOthers.setValue(Parameter::GameSpring, 0x77);
    withOthers.setValue(Parameter::Suspension, 2);
    QCOMPARE(spaced(protocol::machineSettingsReport(withOthers, quint8(center))), spaced(expected));
}

void TestReports::gameSettingsReport_data()
{
    QTest::addColumn<ParameterValues>("values");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("sample values")
        << gameValues(181, 72, 76, 53, 100, 200) << hex("80 02 B5 48 4C 35 64 C8 00 00 00");
    QTest::newRow("send order") << gameValues(1, 2, 3, 4, 5, 6)
                                << hex("80 02 01 02 03 04 05 06 00 00 00");
    QTest::newRow("zeros") << gameValues(0, 0, 0, 0, 0, 0)
                           << hex("80 02 00 00 00 00 00 00 00 00 00");
    QTest::newRow("form values") << ParameterValues::formValues()
                                 << hex("80 02 64 96 63 BD 64 C8 00 00 00");
    QTest::newRow("low bits only")
        << gameValues(256, 257, -1, 0, 0, 0) << hex("80 02 00 01 FF 00 00 00 00 00 00");
}

void TestReports::gameSettingsReport()
{
    QFETCH(ParameterValues, values);
    QFETCH(QByteArray, expected);

    ParameterValues withOthers = values;
    withOthers.setValue(Parameter::Angle, 900);
    withOthers.setValue(Parameter::WheelFriction, 9);
    QCOMPARE(spaced(protocol::gameSettingsReport(withOthers)), spaced(expected));
}

void TestReports::fixedRequests_data()
{
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("read") << readRequest() << hex("80 03 01 00 00 00 00 00 00 00 00");
    QTest::newRow("store") << storeRequest() << hex("80 03 00 24 00 00 00 00 00 00 00");
    QTest::newRow("read/store bytes")
        << readStoreRequest(0x01, 0x24) << hex("80 03 01 24 00 00 00 00 00 00 00");
    QTest::newRow("mode hard wild")
        << modeReport(modeValues(2, 1)) << hex("80 04 02 00 01 00 00 00 00 00 00");
    QTest::newRow("mode zero") << modeReport(modeValues(0, 0))
                               << hex("80 04 00 00 00 00 00 00 00 00 00");
    QTest::newRow("mode low bytes only")
        << modeReport(modeValues(0x0102, 0x0301)) << hex("80 04 02 00 01 00 00 00 00 00 00");
    QTest::newRow("mode ignores sliders") << modeReport(machineValues(900, -20, 1, 26, 59, 91, 9))
                                          << hex("80 04 00 00 00 00 00 00 00 00 00");
    QTest::newRow("factory reset")
        << factoryResetRequest() << hex("80 05 55 55 00 00 00 00 00 00 00");
}

void TestReports::fixedRequests()
{
    QFETCH(QByteArray, built);
    QFETCH(QByteArray, expected);
    QCOMPARE(spaced(built), spaced(expected));
}

void TestReports::featureLength_data()
{
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("expected");

    const ParameterValues sample = machineValues(900, -20, 1, 26, 59, 91, 9);
    const QByteArray zeros53(53, '\0');
    QTest::newRow("machine 8") << protocol::machineSettingsReport(sample, 0, 8)
                               << hex("80 01 84 03 00 EC 01 1A");
    QTest::newRow("machine 11") << protocol::machineSettingsReport(sample, 0, 11)
                                << hex("80 01 84 03 00 EC 01 1A 3B 5B 09");
    QTest::newRow("machine 12") << protocol::machineSettingsReport(sample, 0, 12)
                                << hex("80 01 84 03 00 EC 01 1A 3B 5B 09 00");
    QTest::newRow("machine 64") << protocol::machineSettingsReport(sample, 0x2D, 64)
                                << hex("80 01 84 03 2D EC 01 1A 3B 5B 09") + zeros53;
    QTest::newRow("machine 1") << protocol::machineSettingsReport(sample, 0, 1) << hex("80");
    QTest::newRow("machine 0") << protocol::machineSettingsReport(sample, 0, 0) << QByteArray();
    QTest::newRow("machine negative")
        << protocol::machineSettingsReport(sample, 0, -5) << QByteArray();
    QTest::newRow("game 8") << protocol::gameSettingsReport(gameValues(181, 72, 76, 53, 100, 200),
                                                            8)
                            << hex("80 02 B5 48 4C 35 64 C8");
    QTest::newRow("game 64") << protocol::gameSettingsReport(gameValues(181, 72, 76, 53, 100, 200),
                                                             64)
                             << hex("80 02 B5 48 4C 35 64 C8 00 00 00") + zeros53;
    QTest::newRow("read 2") << readRequest(2) << hex("80 03");
    QTest::newRow("store 64") << storeRequest(64)
                              << hex("80 03 00 24 00 00 00 00 00 00 00") + zeros53;
    QTest::newRow("mode 5") << modeReport(modeValues(2, 1), 5) << hex("80 04 02 00 01");
    QTest::newRow("factory reset 8") << factoryResetRequest(8) << hex("80 05 55 55 00 00 00 00");
    QTest::newRow("factory reset 64")
        << factoryResetRequest(64) << hex("80 05 55 55 00 00 00 00 00 00 00") + zeros53;
    QTest::newRow("helper pads") << toFeatureLength(hex("80 05"), 4) << hex("80 05 00 00");
}

void TestReports::featureLength()
{
    QFETCH(QByteArray, built);
    QFETCH(QByteArray, expected);
    QCOMPARE(built.size(), expected.size());
    QCOMPARE(spaced(built), spaced(expected));
}

void TestReports::decodeMachineSettings_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<ParameterValues>("values");
    QTest::addColumn<int>("center");

    // Bytes 11..19 carry junk that must be ignored.
    QTest::newRow("sample echo") << inputReport("80 01 84 03 00 EC 01 1A 3B 5B 09", char(0xEE))
                                 << machineValues(900, -20, 1, 26, 59, 91, 9) << 0;
    QTest::newRow("center byte") << inputReport("80 01 84 03 2D EC 01 1A 3B 5B 09")
                                 << machineValues(900, -20, 1, 26, 59, 91, 9) << 0x2D;
    QTest::newRow("force -1 and 1600") << inputReport("80 01 40 06 00 FF 00 00 00 00 00")
                                       << machineValues(1600, -1, 0, 0, 0, 0, 0) << 0;
    QTest::newRow("signed extremes") << inputReport("80 01 00 00 00 80 FF FF FF FF FF")
                                     << machineValues(0, -128, 255, 255, 255, 255, 255) << 0;
    QTest::newRow("force 127 angle 65535") << inputReport("80 01 FF FF 01 7F 00 00 00 00 00")
                                           << machineValues(65535, 127, 0, 0, 0, 0, 0) << 1;
    QTest::newRow("exactly 11 bytes")
        << hex("80 01 84 03 00 64 02 03 04 05 06") << machineValues(900, 100, 2, 3, 4, 5, 6) << 0;
}

void TestReports::decodeMachineSettings()
{
    QFETCH(QByteArray, report);
    QFETCH(ParameterValues, values);
    QFETCH(int, center);

    const std::optional<MachineSettingsEcho> echo = protocol::decodeMachineSettings(report);
    QVERIFY(echo);
    QCOMPARE(echo->centerCommand, quint8(center));
    for (int i = 0; i < ParameterCount; ++i) {
        const auto p = static_cast<Parameter>(i);
        QCOMPARE(echo->values.value(p), values.value(p));
    }
}

void TestReports::decodeGameSettings()
{
    const auto echo =
        protocol::decodeGameSettings(inputReport("80 02 B5 48 4C 35 64 C8 11 22 33", char(0x5A)));
    QVERIFY(echo);
    QVERIFY(echo->values == gameValues(181, 72, 76, 53, 100, 200));

    const auto exact = protocol::decodeGameSettings(hex("80 02 01 02 03 04 05 06"));
    QVERIFY(exact);
    QVERIFY(exact->values == gameValues(1, 2, 3, 4, 5, 6));
}

void TestReports::decodeMode_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<int>("suspension");
    QTest::addColumn<int>("response");

    QTest::newRow("normal stable") << inputReport("80 04 01 00 00 00") << 1 << 0;
    QTest::newRow("hard wild") << inputReport("80 04 02 00 01 00") << 2 << 1;
    QTest::newRow("high bytes read") << inputReport("80 04 02 01 FF FF") << 0x0102 << 0xFFFF;
    QTest::newRow("exactly 6 bytes") << hex("80 04 00 00 01 00") << 0 << 1;
}

void TestReports::decodeMode()
{
    QFETCH(QByteArray, report);
    QFETCH(int, suspension);
    QFETCH(int, response);

    const auto echo = protocol::decodeMode(report);
    QVERIFY(echo);
    QVERIFY(echo->values == modeValues(suspension, response));
}

void TestReports::decodeFactoryResetReply_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<bool>("acknowledged");

    QTest::newRow("AA AA") << inputReport("80 05 AA AA") << true;
    QTest::newRow("AA 00") << inputReport("80 05 AA 00") << false;
    QTest::newRow("00 AA") << inputReport("80 05 00 AA") << false;
    QTest::newRow("echo of the request") << inputReport("80 05 55 55") << false;
    QTest::newRow("exactly 4 bytes") << hex("80 05 AA AA") << true;
}

void TestReports::decodeFactoryResetReply()
{
    QFETCH(QByteArray, report);
    QFETCH(bool, acknowledged);

    const auto reply = protocol::decodeFactoryResetReply(report);
    QVERIFY(reply);
    QCOMPARE(reply->acknowledged, acknowledged);
}

void TestReports::decodeStatus_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<int>("mask");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("firmware");
    QTest::addColumn<int>("voltage");

    QTest::newRow("period force only, ROM error")
        << inputReport("80 0A 40 00 03 00 89 13 18 00", char(0x99)) << 0x0040 << 3 << 5001 << 24;
    QTest::newRow("old firmware") << inputReport("80 0A 00 00 00 00 87 13 0C 00") << 0 << 0 << 4999
                                  << 12;
    QTest::newRow("firmware 6001")
        << inputReport("80 0A FF 01 05 00 71 17 30 00") << 0x01FF << 5 << 6001 << 48;
    QTest::newRow("high bytes") << hex("80 0A 34 12 78 56 BC 9A F0 DE") << 0x1234 << 0x5678
                                << 0x9ABC << 0xDEF0;
}

void TestReports::decodeStatus()
{
    QFETCH(QByteArray, report);
    QFETCH(int, mask);
    QFETCH(int, code);
    QFETCH(int, firmware);
    QFETCH(int, voltage);

    const auto status = protocol::decodeStatus(report);
    QVERIFY(status);
    QCOMPARE(int(status->effectMask), mask);
    QCOMPARE(int(status->statusCode), code);
    QCOMPARE(int(status->firmwareVersion), firmware);
    QCOMPARE(int(status->voltage), voltage);
}

void TestReports::rejectsMalformedInput_data()
{
    QTest::addColumn<Decoder>("decoder");
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<bool>("accepted");

    struct Case
    {
        const char *name;
        Decoder decoder;
        const char *minimal; // the shortest report the decoder accepts
        const char *otherId; // same length, wrong report id or sub-command
    };
    const Case cases[] = {
        {"machine", Decoder::Machine, "80 01 84 03 00 EC 01 1A 3B 5B 09",
         "80 02 84 03 00 EC 01 1A 3B 5B 09"},
        {"game", Decoder::Game, "80 02 B5 48 4C 35 64 C8", "80 01 B5 48 4C 35 64 C8"},
        {"mode", Decoder::Mode, "80 04 02 00 01 00", "81 04 02 00 01 00"},
        {"factory reset", Decoder::FactoryReset, "80 05 AA AA", "80 0A AA AA"},
        {"status", Decoder::Status, "80 0A 40 00 03 00 89 13 18 00",
         "80 05 40 00 03 00 89 13 18 00"},
        {"live", Decoder::Live, "01 FF 7F 34 12 AB 00 00 00 00 00 80 00 00 00 00 00 00 00 01",
         "80 FF 7F 34 12 AB 00 00 00 00 00 80 00 00 00 00 00 00 00 01"},
    };
    for (const Case &c : cases) {
        const QByteArray minimal = hex(c.minimal);
        const QString name = QString::fromLatin1(c.name);
        QTest::newRow(qPrintable(name + " minimal")) << c.decoder << minimal << true;
        QTest::newRow(qPrintable(name + " one byte short"))
            << c.decoder << minimal.left(minimal.size() - 1) << false;
        QTest::newRow(qPrintable(name + " id only")) << c.decoder << minimal.left(1) << false;
        QTest::newRow(qPrintable(name + " empty")) << c.decoder << QByteArray() << false;
        QTest::newRow(qPrintable(name + " other id")) << c.decoder << hex(c.otherId) << false;
        QTest::newRow(qPrintable(name + " oversized"))
            << c.decoder << minimal + QByteArray(300, char(0xFF)) << true;
    }
}

void TestReports::rejectsMalformedInput()
{
    QFETCH(Decoder, decoder);
    QFETCH(QByteArray, report);
    QFETCH(bool, accepted);
    // A detached copy of exactly the given size: reading past it would trip the sanitizers.
    const QByteArray exact(report.constData(), report.size());
    QCOMPARE(decodes(decoder, exact), accepted);
}

void TestReports::liveAxes_data()
{
    QTest::addColumn<QByteArray>("axisBytes"); // bytes [3..11]
    QTest::addColumn<QVector<int>>("axes");    // X, Y, Z, RX, RY, RZ

    QTest::newRow("sample 34 12 AB")
        << hex("34 12 AB 00 00 00 00 00 00") << QVector<int>{564, 2737, 0, 0, 0, 0};
    QTest::newRow("all ones") << hex("FF FF FF FF FF FF FF FF FF")
                              << QVector<int>{4095, 4095, 4095, 4095, 4095, 4095};
    QTest::newRow("X low byte") << hex("FF 00 00 00 00 00 00 00 00")
                                << QVector<int>{255, 0, 0, 0, 0, 0};
    QTest::newRow("X high nibble")
        << hex("00 0F 00 00 00 00 00 00 00") << QVector<int>{3840, 0, 0, 0, 0, 0};
    QTest::newRow("Y low nibble") << hex("00 F0 00 00 00 00 00 00 00")
                                  << QVector<int>{0, 15, 0, 0, 0, 0};
    QTest::newRow("Y high byte") << hex("00 00 FF 00 00 00 00 00 00")
                                 << QVector<int>{0, 4080, 0, 0, 0, 0};
    QTest::newRow("X bit 8, Y bit 0")
        << hex("00 11 00 00 00 00 00 00 00") << QVector<int>{256, 1, 0, 0, 0, 0};
    QTest::newRow("X bit 11, Y bit 3")
        << hex("00 88 00 00 00 00 00 00 00") << QVector<int>{2048, 8, 0, 0, 0, 0};
    QTest::newRow("Y bit 4 and bit 11")
        << hex("00 00 81 00 00 00 00 00 00") << QVector<int>{0, 2064, 0, 0, 0, 0};
    QTest::newRow("Z low byte") << hex("00 00 00 FF 00 00 00 00 00")
                                << QVector<int>{0, 0, 255, 0, 0, 0};
    QTest::newRow("Z high nibble")
        << hex("00 00 00 00 0F 00 00 00 00") << QVector<int>{0, 0, 3840, 0, 0, 0};
    QTest::newRow("RX low nibble")
        << hex("00 00 00 00 F0 00 00 00 00") << QVector<int>{0, 0, 0, 15, 0, 0};
    QTest::newRow("RX high byte") << hex("00 00 00 00 00 FF 00 00 00")
                                  << QVector<int>{0, 0, 0, 4080, 0, 0};
    QTest::newRow("RY low byte") << hex("00 00 00 00 00 00 FF 00 00")
                                 << QVector<int>{0, 0, 0, 0, 255, 0};
    QTest::newRow("RY high nibble")
        << hex("00 00 00 00 00 00 00 0F 00") << QVector<int>{0, 0, 0, 0, 3840, 0};
    QTest::newRow("RZ low nibble")
        << hex("00 00 00 00 00 00 00 F0 00") << QVector<int>{0, 0, 0, 0, 0, 15};
    QTest::newRow("RZ high byte") << hex("00 00 00 00 00 00 00 00 FF")
                                  << QVector<int>{0, 0, 0, 0, 0, 4080};
    QTest::newRow("mixed") << hex("21 43 65 87 A9 CB ED 0F 21")
                           << QVector<int>{0x321, 0x654, 0x987, 0xCBA, 0xFED, 0x210};
}

void TestReports::liveAxes()
{
    QFETCH(QByteArray, axisBytes);
    QFETCH(QVector<int>, axes);

    QByteArray report = hex("01 FF 7F") + axisBytes;
    report.append(QByteArray(8, '\0'));
    QCOMPARE(report.size(), InputReportSize);

    const auto live = decodeLive(report);
    QVERIFY(live);
    QCOMPARE(int(live->wheelPosition), 32767);
    const Axis order[] = {Axis::X, Axis::Y, Axis::Z, Axis::RX, Axis::RY, Axis::RZ};
    for (int i = 0; i < AxisCount; ++i) {
        QCOMPARE(int(live->axis(order[i])), axes.at(i));
    }
    QCOMPARE(live->buttons, quint64(0));
}

void TestReports::liveButtons_data()
{
    QTest::addColumn<QByteArray>("buttonBytes"); // bytes [12..19]
    QTest::addColumn<QVector<int>>("pressed");

    QTest::newRow("byte 12 = 80") << hex("80 00 00 00 00 00 00 00") << QVector<int>{0};
    QTest::newRow("byte 19 = 01") << hex("00 00 00 00 00 00 00 01") << QVector<int>{63};
    QTest::newRow("byte 12 = A0") << hex("A0 00 00 00 00 00 00 00") << QVector<int>{0, 2};
    QTest::newRow("byte 12 = 01") << hex("01 00 00 00 00 00 00 00") << QVector<int>{7};
    QTest::newRow("byte 13 = 80") << hex("00 80 00 00 00 00 00 00") << QVector<int>{8};
    QTest::newRow("byte 19 = 80") << hex("00 00 00 00 00 00 00 80") << QVector<int>{56};
    QTest::newRow("none") << hex("00 00 00 00 00 00 00 00") << QVector<int>{};
    QVector<int> all;
    for (int k = 0; k < 64; ++k) {
        all.append(k);
    }
    QTest::newRow("all") << hex("FF FF FF FF FF FF FF FF") << all;
}

void TestReports::liveButtons()
{
    QFETCH(QByteArray, buttonBytes);
    QFETCH(QVector<int>, pressed);

    const QByteArray report = hex("01 00 00 FF FF FF FF FF FF FF FF FF") + buttonBytes;
    QCOMPARE(report.size(), InputReportSize);
    const auto live = decodeLive(report);
    QVERIFY(live);
    for (int k = 0; k < ButtonCount; ++k) {
        QCOMPARE(live->button(k), pressed.contains(k));
    }
    QVERIFY(!live->button(-1));
    QVERIFY(!live->button(64));
}

void TestReports::wheelPositionDegrees_data()
{
    QTest::addColumn<QByteArray>("positionBytes"); // bytes [1..2]
    QTest::addColumn<int>("angleRange");
    QTest::addColumn<int>("degrees");

    QTest::newRow("left end at 900") << hex("00 00") << 900 << -450;
    QTest::newRow("centre at 900") << hex("FF 7F") << 900 << 0;
    QTest::newRow("right end at 900") << hex("FF FF") << 900 << 450;
    QTest::newRow("32768 truncates to 0") << hex("00 80") << 900 << 0;
    QTest::newRow("36408 gives 50") << hex("38 8E") << 900 << 50;
    QTest::newRow("29126 gives -50, toward zero") << hex("C6 71") << 900 << -50;
    QTest::newRow("32766 gives 0, toward zero") << hex("FE 7F") << 900 << 0;
    QTest::newRow("angle range 0") << hex("FF FF") << 0 << 0;
    QTest::newRow("angle range 0 left") << hex("00 00") << 0 << 0;
    QTest::newRow("angle range 1") << hex("FF FF") << 1 << 0;
    QTest::newRow("odd range 901") << hex("00 00") << 901 << -450;
    QTest::newRow("1600 right") << hex("FF FF") << 1600 << 800;
    QTest::newRow("largest range") << hex("FF FF") << 65535 << 32768;
    QTest::newRow("largest range left") << hex("00 00") << 65535 << -32767;
}

void TestReports::wheelPositionDegrees()
{
    QFETCH(QByteArray, positionBytes);
    QFETCH(int, angleRange);
    QFETCH(int, degrees);

    QByteArray report = hex("01") + positionBytes;
    report.append(QByteArray(InputReportSize - report.size(), '\0'));
    const auto live = decodeLive(report);
    QVERIFY(live);
    QCOMPARE(protocol::wheelPositionDegrees(live->wheelPosition, quint16(angleRange)), degrees);
}

void TestReports::roundTripsOverWholeRanges()
{
    // TotalForce as signed bytes, written out for the documented points.
    const struct
    {
        int value;
        quint8 byte;
    } forces[] = {{-100, 0x9C}, {-1, 0xFF}, {0, 0x00}, {1, 0x01}, {100, 0x64}};
    for (const auto &f : forces) {
        const QByteArray report =
            protocol::machineSettingsReport(machineValues(900, f.value, 0, 0, 0, 0, 0), 0);
        QCOMPARE(quint8(report.at(5)), f.byte);
    }

    for (const ParameterInfo &info : parameterTable()) {
        for (int v = info.range.minimum; v <= info.range.maximum; ++v) {
            ParameterValues values;
            values.setValue(info.parameter, v);
            std::optional<ParameterValues> decoded;
            switch (info.field.subCommand) {
            case SubCommand::MachineSettings:
                if (auto echo = protocol::decodeMachineSettings(toFeatureLength(
                        protocol::machineSettingsReport(values, 0), InputReportSize))) {
                    decoded = echo->values;
                }
                break;
            case SubCommand::GameSettings:
                if (auto echo = protocol::decodeGameSettings(
                        toFeatureLength(protocol::gameSettingsReport(values), InputReportSize))) {
                    decoded = echo->values;
                }
                break;
            case SubCommand::Mode:
                if (auto echo = protocol::decodeMode(
                        toFeatureLength(modeReport(values), InputReportSize))) {
                    decoded = echo->values;
                }
                break;
            default:
                QFAIL(info.name);
            }
            QVERIFY2(decoded, info.name);
            QCOMPARE(decoded->value(info.parameter), v);
        }
    }

    // Angle over its two bytes: 255 / 256 / 1600 written out.
    QCOMPARE(
        spaced(protocol::machineSettingsReport(machineValues(255, 0, 0, 0, 0, 0, 0), 0).mid(2, 2)),
        QStringLiteral("FF 00"));
    QCOMPARE(
        spaced(protocol::machineSettingsReport(machineValues(256, 0, 0, 0, 0, 0, 0), 0).mid(2, 2)),
        QStringLiteral("00 01"));
    QCOMPARE(
        spaced(protocol::machineSettingsReport(machineValues(1600, 0, 0, 0, 0, 0, 0), 0).mid(2, 2)),
        QStringLiteral("40 06"));
}

void TestReports::valueFromText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");

    QTest::newRow("number") << "900" << 900;
    QTest::newRow("negative") << "-20" << -20;
    QTest::newRow("plus sign") << "+5" << 5;
    QTest::newRow("leading zeros are decimal") << "010" << 10;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("lone minus") << "-" << 0;
    QTest::newRow("letters") << "abc" << 0;
    QTest::newRow("trailing letters") << "12abc" << 0;
    QTest::newRow("hex is not decimal") << "0x10" << 0;
    QTest::newRow("overflow") << "99999999999" << 0;
}

void TestReports::valueFromText()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(protocol::valueFromText(text), value);
}

void TestReports::keptSubCommands()
{
    const QVector<int> kept{0x01, 0x02, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x10};
    for (int sub = 0; sub <= 0xFF; ++sub) {
        QVERIFY2(isKeptSubCommand(quint8(sub)) == kept.contains(sub),
                 qPrintable(QString::number(sub)));
    }
}

QTEST_APPLESS_MAIN(TestReports)
#include "tst_reports.moc"
