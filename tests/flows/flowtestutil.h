#pragma once

// Shared helpers of the flow tests: a quiet simulated base with known values,
// input reports written out byte by byte, their delivery with the window's
// timer passes run by hand, and the feature reports the base accepted.

#include "usbevent.h"
#include "widgetharness.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

namespace flowtest {

// A base with distinct values in every field: angle 900, force 50, filter 1,
// wheel 10 20 30 40, game 100 150 99 189 100 200, suspension 1, response 0.
inline const sim::Settings kKnownSettings{900, 50, 1,   10,  20,  30, 40, 100,
                                          150, 99, 189, 100, 200, 1,  0};
// Its two settings reports as the window sends them back unchanged, and Center.
constexpr const char *kKnownMachine = "80 01 84 03 00 32 01 0A 14 1E 28";
constexpr const char *kKnownGame = "80 02 64 96 63 BD 64 C8 00 00 00";
constexpr const char *kCentredKnown = "80 01 84 03 2D 32 01 0A 14 1E 28";

// That base, sending nothing by itself: its only input reports are the
// answers to requests and what the test injects.
inline WidgetHarness::Options quietBase(const sim::Settings &settings = kKnownSettings)
{
    WidgetHarness::Options options;
    options.config.liveRateHz = 0;
    options.config.statusIntervalMs = 0;
    options.prepare = [settings](sim::SimPlatform &platform) {
        platform.wheelBase()->loadSettings(settings);
    };
    return options;
}

// The records of `reports` (their first 11 bytes) as "80 01 84 03 ..".
inline QStringList records(const QList<QByteArray> &reports)
{
    QStringList out;
    for (const QByteArray &report : reports)
        out << QString::fromLatin1(report.left(11).toHex(' ').toUpper());
    return out;
}

// A 20-byte input report beginning with the bytes written in `hex`.
inline QByteArray inputReport(const char *hex)
{
    QByteArray report = QByteArray::fromHex(hex);
    return report.append(20 - report.size(), '\0');
}

// A status report 0x80/0x0A with its four 16-bit fields, little-endian.
inline QByteArray statusReport(int effectMask, int statusCode, int firmware, int voltage)
{
    QByteArray report = inputReport("80 0A");
    int at = 2;
    for (const int field : {effectMask, statusCode, firmware, voltage}) {
        report[at++] = char(field & 0xFF);
        report[at++] = char(field >> 8);
    }
    return report;
}

// Hands `reports` to the window as its reader does, without running a pass.
inline void hand(WidgetHarness &harness, const QList<QByteArray> &reports)
{
    for (const QByteArray &report : reports) {
        USBEvent event(report);
        QCoreApplication::sendEvent(harness.widget()->session(), &event);
    }
}

// Hands `reports` over, then runs the read-back and live-display passes that
// the window's timers would run.
inline void deliver(WidgetHarness &harness, const QList<QByteArray> &reports)
{
    hand(harness, reports);
    harness.widget()->ReadReportBufferToSetGames();
    harness.widget()->ReadBufferToZreoOneReport();
}

// Runs the read-back pass until `done` holds (or the wait times out).
template <typename Done> bool readUntil(WidgetHarness &harness, Done done)
{
    return WidgetHarness::waitFor([&] {
        harness.widget()->ReadReportBufferToSetGames();
        return done();
    });
}

// True once the answer to the start-up read request is applied: the base's
// firmware version is shown.
inline bool startedUp(WidgetHarness &harness)
{
    QLabel *version = harness.child<QLabel>("label_16");
    return readUntil(harness, [&] { return version->text() == QLatin1String("6001"); });
}

// Fires both debounced send timers' slots.
inline void fireSendTimers(WidgetHarness &harness)
{
    harness.widget()->SetSendMachineryData();
    harness.widget()->SetSendGamesData();
}

// Waits for the start-up read-back, then forgets the reports sent.
inline bool settleStartUp(WidgetHarness &harness)
{
    const bool applied = startedUp(harness);
    fireSendTimers(harness); // the read-back left both groups disarmed
    harness.clearFeatures();
    return applied;
}

} // namespace flowtest
