#pragma once

// Shared helpers of the flow tests: a quiet simulated base (no periodic
// reports unless a test asks for them), input reports written out byte by
// byte, and counting of the feature reports the base accepted.

#include "widgetharness.h"

#include <QByteArray>
#include <QLabel>
#include <QList>
#include <QtTest>

#include <initializer_list>

namespace flowtest {

// The simulated base's factory firmware version, shown once the start-up
// read-back has been applied.
constexpr const char *kSimFirmwareText = "6001";

// A base that sends nothing by itself: its only input reports are the
// answers to requests and what the test injects.
inline WidgetHarness::Options quietBase()
{
    WidgetHarness::Options options;
    options.config.liveRateHz = 0;
    options.config.statusIntervalMs = 0;
    return options;
}

// A 20-byte input report beginning with `bytes`.
inline QByteArray inputReport(std::initializer_list<int> bytes)
{
    QByteArray report(20, '\0');
    int i = 0;
    for (int b : bytes)
        report[i++] = char(b);
    return report;
}

// A status report 0x80/0x0A with its four 16-bit fields, little-endian.
inline QByteArray statusReport(int effectMask, int statusCode, int firmware, int voltage)
{
    return inputReport({0x80, 0x0A, effectMask & 0xFF, effectMask >> 8, statusCode & 0xFF,
                        statusCode >> 8, firmware & 0xFF, firmware >> 8, voltage & 0xFF,
                        voltage >> 8});
}

inline QList<QByteArray> withPrefix(const QList<QByteArray> &reports, const QByteArray &prefix)
{
    QList<QByteArray> found;
    for (const QByteArray &report : reports) {
        if (report.startsWith(prefix))
            found << report;
    }
    return found;
}

inline const QByteArray kMachinePrefix = QByteArray::fromHex("8001");
inline const QByteArray kGamePrefix = QByteArray::fromHex("8002");
inline const QByteArray kReadStorePrefix = QByteArray::fromHex("8003");
inline const QByteArray kModePrefix = QByteArray::fromHex("8004");
inline const QByteArray kFactoryResetPrefix = QByteArray::fromHex("8005");

// Waits until the answer to the window's start-up read request has been
// applied, then forgets the reports sent so far.
inline bool settleStartUp(WidgetHarness &harness)
{
    QLabel *version = harness.child<QLabel>("label_16");
    const bool applied = WidgetHarness::waitFor(
        [version] { return version->text() == QLatin1String(kSimFirmwareText); }, 5000);
    // Let the send timers restarted by the read-back run out.
    WidgetHarness::settle(600);
    harness.clearFeatures();
    return applied;
}

// The byte at `position` of a report, as an unsigned value.
inline int byteAt(const QByteArray &report, int position)
{
    return position < report.size() ? quint8(report.at(position)) : -1;
}

} // namespace flowtest
