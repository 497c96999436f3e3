#pragma once

// A small HID report-descriptor parser: it sums the bits of every Input,
// Output and Feature main item per report id, which is all the tool needs to
// learn a report's length. Pure and free of Qt so that it is tested offline.

#include <cstddef>
#include <cstdint>
#include <map>
#include <utility>

namespace device {

enum class ReportKind
{
    Input,
    Output,
    Feature
};

// No report handed to or taken from the device is longer than this, report id
// byte included; a descriptor that declares a longer one is rejected.
constexpr std::size_t kMaxReportLength = 4096;

// Length used when the feature-report length cannot be learnt from the device.
constexpr std::size_t kFallbackFeatureReportLength = 64;

struct ReportDescriptorInfo
{
    bool valid = false;         // false: malformed; nothing below can be trusted
    bool usesReportIds = false; // a Report ID item appeared
    std::map<std::pair<ReportKind, std::uint8_t>, std::size_t> bits;

    bool hasReport(ReportKind kind, std::uint8_t id) const;
    // Data bits of one report, report id byte not counted; 0 when absent.
    std::size_t reportBits(ReportKind kind, std::uint8_t id) const;
    // Bytes of one report as handed to hidraw or HidD_*: one leading byte for
    // the report id (0 for unnumbered reports) plus the data. 0 when absent.
    std::size_t reportLength(ReportKind kind, std::uint8_t id) const;
};

ReportDescriptorInfo parseReportDescriptor(const std::uint8_t *data, std::size_t size);

// The length of feature report `reportId`, or `fallback` when the descriptor
// is malformed or does not declare that report.
std::size_t featureReportLength(const std::uint8_t *data, std::size_t size, std::uint8_t reportId,
                                std::size_t fallback = kFallbackFeatureReportLength);

} // namespace device
