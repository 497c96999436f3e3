#pragma once

// The hidraw read and write channels. The read channel works on any file
// descriptor that keeps report boundaries (a hidraw node, or one end of a
// SOCK_SEQPACKET socket pair in the tests).

#include "hidplatform.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace device {

// open() failure codes as the window sees them.
OpenError openErrorFromErrno(int error);

// A feature report of exactly `length` bytes: `data` cut to it or padded with
// zeros.
std::vector<std::uint8_t> buildFeatureReport(const std::uint8_t *data, std::size_t size,
                                             std::size_t length);

// The report descriptor of the open hidraw node `fd`, through HIDIOCGRDESC or,
// failing that, sysfs. Empty when neither works (not a hidraw node).
std::vector<std::uint8_t> readReportDescriptor(int fd);

class HidrawReadChannel final : public HidReadChannel
{
public:
    // Takes ownership of `fd` and makes it non-blocking. When the device
    // declares no report ids, each report is handed out behind a 0 byte.
    HidrawReadChannel(int fd, bool usesReportIds);
    ~HidrawReadChannel() override;
    HidrawReadChannel(const HidrawReadChannel &) = delete;
    HidrawReadChannel &operator=(const HidrawReadChannel &) = delete;

    ReadResult read(std::uint8_t *buffer, std::size_t capacity) override;
    // Wakes a pending read; this read and every later one return Cancelled.
    void cancel() override;

private:
    int m_fd = -1;
    int m_wakeFd = -1; // eventfd written by cancel()
    bool m_usesReportIds = true;
    std::atomic<bool> m_cancelled{false};
};

class HidrawWriteChannel final : public HidWriteChannel
{
public:
    // Takes ownership of `fd`. `featureLength` is clamped to 1..4096.
    HidrawWriteChannel(int fd, std::size_t featureLength);
    ~HidrawWriteChannel() override;
    HidrawWriteChannel(const HidrawWriteChannel &) = delete;
    HidrawWriteChannel &operator=(const HidrawWriteChannel &) = delete;

    bool sendFeatureReport(const std::uint8_t *data, std::size_t size) override;
    std::size_t featureReportLength() const override { return m_featureLength; }
    bool writeOutputReport(const std::uint8_t *data, std::size_t size) override;

private:
    int m_fd = -1;
    std::size_t m_featureLength = 0;
};

} // namespace device
