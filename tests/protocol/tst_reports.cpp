// Byte-exact tests of the report codecs. Expected bytes are written out from the report
// layouts, never computed from the production tables.

#include "formcatalogue.h"
#include "reports.h"
#include "unchecked_reports.h"

#include <QtTest>

using namespace protocol;
using P = Parameter;
using Fields = QVector<qint64>;

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

const std::vector<P> MachineOrder{P::Angle,       P::TotalForce, P::FilterFrequency, P::WheelSpring,
                                  P::WheelDamper, P::WheelSpeed, P::WheelFriction};
const std::vector<P> GameOrder{P::GameSpring,   P::GameDamper,    P::GameInertia,
                               P::GameFriction, P::ConstantForce, P::PeriodForce};
const std::vector<P> ModeOrder{P::Suspension, P::Response};

// Values for the parameters in `order`, everything else 0.
ParameterValues values(const std::vector<P> &order, std::initializer_list<int> numbers)
{
    ParameterValues v;
    auto n = numbers.begin();
    for (P p : order)
        v.setValue(p, *n++);
    return v;
}

// Every parameter's value, in enum order.
Fields all(const ParameterValues &v)
{
    Fields f;
    for (int i = 0; i < ParameterCount; ++i)
        f << v.value(P(i));
    return f;
}

enum Decoder
{
    Machine,
    Game,
    Mode,
    Reset,
    Status,
    Live
};

// What a decoder reads from `report`, flattened; empty when it rejects the report.
Fields decode(int decoder, const QByteArray &report)
{
    switch (decoder) {
    case Machine:
        if (auto e = decodeMachineSettings(report))
            return all(e->values) << e->centerCommand;
        break;
    case Game:
        if (auto e = decodeGameSettings(report))
            return all(e->values);
        break;
    case Mode:
        if (auto e = decodeMode(report))
            return all(e->values);
        break;
    case Reset:
        if (auto e = decodeFactoryResetReply(report))
            return {e->acknowledged};
        break;
    case Status:
        if (auto e = decodeStatus(report))
            return {e->effectMask, e->statusCode, e->firmwareVersion, e->voltage};
        break;
    case Live:
        if (auto e = decodeLive(report)) {
            Fields f{e->wheelPosition};
            for (quint16 a : e->axes)
                f << a;
            for (int k = -1; k <= ButtonCount; ++k)
                if (e->button(k))
                    f << k;
            return f;
        }
        break;
    }
    return {};
}

} // namespace

class TestReports : public QObject
{
    Q_OBJECT

private slots:
    void builders_data();
    void builders();
    void decoders_data();
    void decoders();
    void roundTripsOverWholeRanges();
    void wheelPositionDegrees();
    void valueFromText();
    void keptSubCommands();
};

void TestReports::builders_data()
{
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("expected");
    // Game and choice values must not leak into the machine report and so on.
    ParameterValues sample = values(MachineOrder, {900, -20, 1, 26, 59, 91, 9});
    sample.setValue(P::GameSpring, 0x77);
    sample.setValue(P::Suspension, 2);
    ParameterValues gameSample = values(GameOrder, {181, 72, 76, 53, 100, 200});
    gameSample.setValue(P::Angle, 900);
    const QByteArray zeros53(53, '\0');
    const struct
    {
        const char *name;
        QByteArray built;
        const char *expected;
    } rows[] = {
        {"machine", machineSettingsReport(sample, 0), "80 01 84 03 00 EC 01 1A 3B 5B 09"},
        {"machine, center", machineSettingsReport(sample, 0x2D),
         "80 01 84 03 2D EC 01 1A 3B 5B 09"},
        {"machine low", machineSettingsReport(values(MachineOrder, {1, -100, 0, 0, 0, 0, 0}), 0),
         "80 01 01 00 00 9C 00 00 00 00 00"},
        {"machine places",
         machineSettingsReport(values(MachineOrder, {0x0201, 3, 4, 5, 6, 7, 8}), 0),
         "80 01 01 02 00 03 04 05 06 07 08"},
        {"machine low bits",
         machineSettingsReport(values(MachineOrder, {70000, 300, 256, 511, -1, 0, 0}), 0),
         "80 01 70 11 00 2C 00 FF FF 00 00"},
        {"machine form values", machineSettingsReport(form::startValues(), 0),
         "80 01 84 03 00 9C 01 00 00 00 00"},
        {"game", gameSettingsReport(gameSample), "80 02 B5 48 4C 35 64 C8 00 00 00"},
        {"game places", gameSettingsReport(values(GameOrder, {1, 2, 3, 4, 5, 6})),
         "80 02 01 02 03 04 05 06 00 00 00"},
        {"game low bits", gameSettingsReport(values(GameOrder, {256, 257, -1, 0, 0, 0})),
         "80 02 00 01 FF 00 00 00 00 00 00"},
        {"read", readRequest(), "80 03 01 00 00 00 00 00 00 00 00"},
        {"store", storeRequest(), "80 03 00 24 00 00 00 00 00 00 00"},
        {"mode", modeReport(values(ModeOrder, {2, 1})), "80 04 02 00 01 00 00 00 00 00 00"},
        {"mode low bytes", modeReport(values(ModeOrder, {0x0102, 0x0301})),
         "80 04 02 00 01 00 00 00 00 00 00"},
        {"mode ignores sliders", modeReport(values(MachineOrder, {900, -20, 1, 26, 59, 91, 9})),
         "80 04 00 00 00 00 00 00 00 00 00"},
        {"factory reset", factoryResetRequest(), "80 05 55 55 00 00 00 00 00 00 00"},
        {"machine 8", machineSettingsReport(sample, 0, 8), "80 01 84 03 00 EC 01 1A"},
        {"machine 12", machineSettingsReport(sample, 0, 12), "80 01 84 03 00 EC 01 1A 3B 5B 09 00"},
        {"machine 0", machineSettingsReport(sample, 0, 0), ""},
        {"machine -5", machineSettingsReport(sample, 0, -5), ""},
    };
    for (const auto &row : rows)
        QTest::newRow(row.name) << row.built << hex(row.expected);
    QTest::newRow("machine 64") << machineSettingsReport(sample, 0x2D, 64)
                                << hex("80 01 84 03 2D EC 01 1A 3B 5B 09") + zeros53;
    QTest::newRow("store 64") << storeRequest(64)
                              << hex("80 03 00 24 00 00 00 00 00 00 00") + zeros53;
}

void TestReports::builders()
{
    QFETCH(QByteArray, built);
    QFETCH(QByteArray, expected);
    QCOMPARE(built.toHex(' '), expected.toHex(' '));
}

void TestReports::decoders_data()
{
    QTest::addColumn<int>("decoder");
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<Fields>("fields"); // empty: rejected

    const auto with = [](ParameterValues v, int center) { return all(v) << center; };
    // The shortest accepted report of each decoder, what it reads, and one of the same length
    // with another report id or sub-command.
    const struct
    {
        const char *name;
        int decoder;
        const char *minimal;
        Fields fields;
        const char *other;
    } rows[] = {
        {"machine", Machine, "80 01 84 03 2D EC 01 1A 3B 5B 09",
         with(values(MachineOrder, {900, -20, 1, 26, 59, 91, 9}), 0x2D),
         "80 02 84 03 00 EC 01 1A 3B 5B 09"},
        {"game", Game, "80 02 B5 48 4C 35 64 C8",
         all(values(GameOrder, {181, 72, 76, 53, 100, 200})), "80 01 B5 48 4C 35 64 C8"},
        {"mode", Mode, "80 04 02 01 FF FF", all(values(ModeOrder, {0x0102, 0xFFFF})),
         "81 04 02 00 01 00"},
        {"reset", Reset, "80 05 AA AA", {1}, "80 0A AA AA"},
        {"status",
         Status,
         "80 0A 34 12 78 56 BC 9A F0 DE",
         {0x1234, 0x5678, 0x9ABC, 0xDEF0},
         "80 05 40 00 03 00 89 13 18 00"},
        // Axes X..RZ = 321 654 987 CBA FED 210: every nibble in its own place; buttons 0, 2,
        // 7 (byte 12 = A1), 8 (byte 13 = 80) and 63 (byte 19 = 01).
        {"live",
         Live,
         "01 34 12 21 43 65 87 A9 CB ED 0F 21 A1 80 00 00 00 00 00 01",
         {0x1234, 0x321, 0x654, 0x987, 0xCBA, 0xFED, 0x210, 0, 2, 7, 8, 63},
         "80 34 12 21 43 65 87 A9 CB ED 0F 21 A1 80 00 00 00 00 00 01"},
    };
    for (const auto &row : rows) {
        const QByteArray minimal = hex(row.minimal);
        const QString name = QLatin1String(row.name);
        QTest::addRow("%s minimal", row.name) << row.decoder << minimal << row.fields;
        QTest::addRow("%s oversized", row.name)
            << row.decoder << minimal + QByteArray(300, char(0xFF)) << row.fields;
        QTest::addRow("%s one byte short", row.name)
            << row.decoder << minimal.chopped(1) << Fields{};
        QTest::addRow("%s id only", row.name) << row.decoder << minimal.left(1) << Fields{};
        QTest::addRow("%s empty", row.name) << row.decoder << QByteArray() << Fields{};
        QTest::addRow("%s other id", row.name) << row.decoder << hex(row.other) << Fields{};
    }
    QTest::newRow("machine signed extremes")
        << int(Machine) << hex("80 01 00 00 00 80 FF FF FF FF FF")
        << with(values(MachineOrder, {0, -128, 255, 255, 255, 255, 255}), 0);
    QTest::newRow("machine 65535, 127")
        << int(Machine) << hex("80 01 FF FF 01 7F 00 00 00 00 00")
        << with(values(MachineOrder, {65535, 127, 0, 0, 0, 0, 0}), 1);
    QTest::newRow("reset AA 00") << int(Reset) << hex("80 05 AA 00") << Fields{0};
    QTest::newRow("reset 00 AA") << int(Reset) << hex("80 05 00 AA") << Fields{0};
    QTest::newRow("live all ones")
        << int(Live) << QByteArray(20, char(0xFF)).replace(0, 1, "\x01") << [] {
               Fields f{0xFFFF, 4095, 4095, 4095, 4095, 4095, 4095};
               for (int k = 0; k < 64; ++k)
                   f << k;
               return f;
           }();
}

void TestReports::decoders()
{
    QFETCH(int, decoder);
    QFETCH(QByteArray, report);
    QFETCH(Fields, fields);
    // A detached copy of exactly the given size: reading past it would trip the sanitizers.
    QCOMPARE(decode(decoder, QByteArray(report.constData(), report.size())), fields);
}

void TestReports::roundTripsOverWholeRanges()
{
    for (const ParameterInfo &info : parameterTable()) {
        for (int v = info.range.minimum; v <= info.range.maximum; ++v) {
            ParameterValues sent;
            sent.setValue(info.parameter, v);
            const QByteArray echo = toFeatureLength(
                info.field.subCommand == SubCommand::MachineSettings
                    ? machineSettingsReport(sent, 0)
                : info.field.subCommand == SubCommand::GameSettings ? gameSettingsReport(sent)
                                                                    : modeReport(sent),
                InputReportSize);
            const int decoder = echo.at(1) == 1 ? Machine : echo.at(1) == 2 ? Game : Mode;
            QCOMPARE(decode(decoder, echo).value(int(info.parameter)), qint64(v));
        }
    }
}

void TestReports::wheelPositionDegrees()
{
    // Raw position, steering range, degrees (truncated toward zero).
    const int rows[][3] = {{0, 900, -450},  {32767, 900, 0},       {65535, 900, 450},
                           {32768, 900, 0}, {36408, 900, 50},      {29126, 900, -50},
                           {32766, 900, 0}, {65535, 0, 0},         {65535, 1, 0},
                           {0, 901, -450},  {65535, 65535, 32768}, {0, 65535, -32767}};
    for (const auto &r : rows)
        QCOMPARE(protocol::wheelPositionDegrees(quint16(r[0]), quint16(r[1])), r[2]);
}

void TestReports::valueFromText()
{
    const struct
    {
        const char *text;
        int value;
    } rows[] = {{"900", 900}, {"-20", -20}, {"+5", 5},  {"010", 10}, {"", 0},
                {"-", 0},     {"abc", 0},   {"12a", 0}, {"0x10", 0}, {"99999999999", 0}};
    for (const auto &r : rows)
        QCOMPARE(protocol::valueFromText(QLatin1String(r.text)), r.value);
}

void TestReports::keptSubCommands()
{
    const QVector<int> kept{0x01, 0x02, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x10};
    for (int sub = 0; sub <= 0xFF; ++sub)
        QVERIFY2(isKeptSubCommand(quint8(sub)) == kept.contains(sub),
                 qPrintable(QString::number(sub)));
}

QTEST_APPLESS_MAIN(TestReports)
#include "tst_reports.moc"
