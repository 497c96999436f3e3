#include "hidraw_channel.h"

#include "report_descriptor.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <string>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace device {

namespace {

// Without an eventfd a pending read looks at the cancel flag this often.
constexpr int kCancelPollIntervalMs = 50;

bool isDisconnectError(int error)
{
    return error == EIO || error == ENODEV || error == ENXIO || error == EPIPE ||
           error == ECONNRESET || error == EBADF;
}

void closeFd(int &fd)
{
    if (fd != -1)
        ::close(fd);
    fd = -1;
}

std::vector<std::uint8_t> readSysfsDescriptor(int fd)
{
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode))
        return {};
    const std::string path = "/sys/dev/char/" + std::to_string(major(st.st_rdev)) + ":" +
                             std::to_string(minor(st.st_rdev)) + "/device/report_descriptor";
    const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file == -1)
        return {};
    std::vector<std::uint8_t> descriptor(HID_MAX_DESCRIPTOR_SIZE);
    std::size_t used = 0;
    while (used < descriptor.size()) {
        const ssize_t n = ::read(file, descriptor.data() + used, descriptor.size() - used);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        used += std::size_t(n);
    }
    ::close(file);
    descriptor.resize(used);
    return descriptor;
}

} // namespace

OpenError openErrorFromErrno(int error)
{
    switch (error) {
    case 0:
        return OpenError::None;
    case EACCES:
    case EPERM:
        return OpenError::PermissionDenied;
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return OpenError::NotFound;
    case EBUSY:
        return OpenError::Busy;
    default:
        return OpenError::Other;
    }
}

std::vector<std::uint8_t> buildFeatureReport(const std::uint8_t *data, std::size_t size,
                                             std::size_t length)
{
    std::vector<std::uint8_t> report(length, 0);
    if (data)
        std::copy(data, data + std::min(size, length), report.begin());
    return report;
}

std::vector<std::uint8_t> readReportDescriptor(int fd)
{
    int size = 0;
    if (::ioctl(fd, HIDIOCGRDESCSIZE, &size) == 0 && size > 0 && size <= HID_MAX_DESCRIPTOR_SIZE) {
        hidraw_report_descriptor descriptor = {};
        descriptor.size = std::uint32_t(size);
        if (::ioctl(fd, HIDIOCGRDESC, &descriptor) == 0)
            return std::vector<std::uint8_t>(descriptor.value, descriptor.value + size);
    }
    return readSysfsDescriptor(fd);
}

HidrawReadChannel::HidrawReadChannel(int fd, bool usesReportIds)
    : m_fd(fd), m_wakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), m_usesReportIds(usesReportIds)
{
    const int flags = ::fcntl(m_fd, F_GETFL);
    if (flags != -1)
        ::fcntl(m_fd, F_SETFL, flags | O_NONBLOCK);
}

HidrawReadChannel::~HidrawReadChannel()
{
    closeFd(m_fd);
    closeFd(m_wakeFd);
}

ReadResult HidrawReadChannel::read(std::uint8_t *buffer, std::size_t capacity)
{
    // An unnumbered report goes behind a 0 byte, so it needs one byte more.
    const std::size_t idBytes = m_usesReportIds ? 0 : 1;
    if (!buffer || capacity <= idBytes || m_fd == -1)
        return {ReadStatus::Error, 0};
    std::uint8_t *target = buffer + idBytes;
    const std::size_t room = capacity - idBytes;

    for (;;) {
        if (m_cancelled.load())
            return {ReadStatus::Cancelled, 0};
        pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
        const nfds_t count = m_wakeFd != -1 ? 2 : 1;
        const int timeout = m_wakeFd != -1 ? -1 : kCancelPollIntervalMs;
        const int ready = ::poll(fds, count, timeout);
        if (m_cancelled.load())
            return {ReadStatus::Cancelled, 0};
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return {ReadStatus::Error, 0};
        }
        if (ready == 0)
            continue;

        // Reports still queued are handed out before a hang-up is reported.
        if (fds[0].revents & POLLIN) {
            const ssize_t n = ::read(m_fd, target, room);
            if (n > 0) {
                if (idBytes)
                    buffer[0] = 0;
                return {ReadStatus::Report, std::size_t(n) + idBytes};
            }
            if (n == 0)
                return {ReadStatus::Disconnected, 0};
            const int error = errno;
            if (error == EINTR || error == EAGAIN || error == EWOULDBLOCK)
                continue;
            return {isDisconnectError(error) ? ReadStatus::Disconnected : ReadStatus::Error, 0};
        }
        if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL))
            return {ReadStatus::Disconnected, 0};
    }
}

void HidrawReadChannel::cancel()
{
    m_cancelled.store(true);
    if (m_wakeFd != -1) {
        const std::uint64_t one = 1;
        // Cannot block: the counter is far from its limit.
        [[maybe_unused]] const ssize_t n = ::write(m_wakeFd, &one, sizeof one);
    }
}

HidrawWriteChannel::HidrawWriteChannel(int fd, std::size_t featureLength)
    : m_fd(fd), m_featureLength(std::clamp<std::size_t>(featureLength, 1, kMaxReportLength))
{
}

HidrawWriteChannel::~HidrawWriteChannel()
{
    closeFd(m_fd);
}

bool HidrawWriteChannel::sendFeatureReport(const std::uint8_t *data, std::size_t size)
{
    if (!data || size == 0 || m_fd == -1)
        return false;
    std::vector<std::uint8_t> report = buildFeatureReport(data, size, m_featureLength);
    int result;
    do {
        result = ::ioctl(m_fd, HIDIOCSFEATURE(report.size()), report.data());
    } while (result < 0 && errno == EINTR);
    return result >= 0;
}

bool HidrawWriteChannel::writeOutputReport(const std::uint8_t *data, std::size_t size)
{
    if (!data || size == 0 || m_fd == -1)
        return false;
    ssize_t written;
    do {
        written = ::write(m_fd, data, size);
    } while (written < 0 && errno == EINTR);
    return written == ssize_t(size);
}

} // namespace device
