#include "usbthread.h"

#include "usbevent.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <array>
#include <chrono>

namespace {
Q_LOGGING_CATEGORY(lcReader, "velorax.device.reader")
} // namespace

namespace {

// Pause after a failed read before the next try; a stop cuts it short.
constexpr int kErrorBackOffMs = 100;

} // namespace

std::atomic<int> USBThread::s_running{0};

USBThread::USBThread(QObject *w, std::shared_ptr<device::HidReadChannel> readHandle,
                     bool MyDevFounds, QObject *parent)
    : QThread(parent), widgetone(w)
{
    Slot_init(w, std::move(readHandle), MyDevFounds);
}

USBThread::~USBThread()
{
    if (!isRunning())
        return;
    StopOrStart(false);
    wait();
}

int USBThread::runningCount()
{
    return s_running.load();
}

void USBThread::keepNewestReport(quint8 reportId)
{
    m_keptReportId = reportId;
}

bool USBThread::takeKeptReport(QByteArray *report)
{
    std::lock_guard<std::mutex> lock(m_keptMutex);
    if (!m_keptUnread)
        return false;
    m_keptUnread = false;
    report->resize(int(m_kept.size()));
    std::copy(m_kept.begin(), m_kept.end(), report->begin());
    return true;
}

void USBThread::Slot_init(QObject *w, std::shared_ptr<device::HidReadChannel> readHandle,
                          bool MyDevFounds)
{
    Q_UNUSED(w);
    if (!readHandle)
        return;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_enabled = MyDevFounds;
    }
    setHandle(std::move(readHandle));
    qCDebug(lcReader).noquote() << QStringLiteral("this->widgetone       ") +
                                       (widgetone ? widgetone->objectName() : QString());
}

void USBThread::StopOrStart(bool blstius)
{
    std::shared_ptr<device::HidReadChannel> pending;
    if (!blstius)
        requestInterruption();
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_enabled = blstius;
        if (!blstius)
            pending = m_handle;
        m_wake.notify_all();
    }
    if (pending)
        pending->cancel();
}

void USBThread::USBReadHandlessss(std::shared_ptr<device::HidReadChannel> USBReadHandles)
{
    setHandle(std::move(USBReadHandles));
}

void USBThread::setHandle(std::shared_ptr<device::HidReadChannel> handle)
{
    std::shared_ptr<device::HidReadChannel> previous;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_handle == handle) {
            // Given again: worth another try even if it ended before.
            ++m_generation;
            m_wake.notify_all();
            return;
        }
        previous = std::move(m_handle);
        m_handle = std::move(handle);
        ++m_generation;
        m_wake.notify_all();
    }
    if (previous)
        previous->cancel();
}

// Sleeps until reading is enabled with a handle that has not ended, or until
// interruption is requested (null result).
std::shared_ptr<device::HidReadChannel> USBThread::waitForWork(quint64 *generation,
                                                               quint64 finishedGeneration)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        if (isInterruptionRequested())
            return nullptr;
        if (m_enabled && m_handle && m_generation != finishedGeneration) {
            *generation = m_generation;
            return m_handle;
        }
        m_wake.wait(lock);
    }
}

void USBThread::backOff(quint64 generation)
{
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kErrorBackOffMs);
    std::unique_lock<std::mutex> lock(m_mutex);
    m_wake.wait_until(lock, deadline,
                      [&] { return isInterruptionRequested() || m_generation != generation; });
}

void USBThread::postReport(const std::uint8_t *data, std::size_t size)
{
    if (!widgetone)
        return;
    // Always a whole input report: a short one is padded with zeros.
    QByteArray bytes(int(device::kInputReportLength), '\0');
    std::copy(data, data + std::min(size, device::kInputReportLength), bytes.begin());
    QCoreApplication::postEvent(widgetone, new USBEvent(bytes), Qt::NormalEventPriority);
}

void USBThread::keepReport(const std::array<std::uint8_t, device::kInputReportLength> &report)
{
    std::lock_guard<std::mutex> lock(m_keptMutex);
    m_kept = report;
    m_keptUnread = true;
}

void USBThread::run()
{
    struct RunningGuard
    {
        RunningGuard() { ++s_running; }
        ~RunningGuard() { --s_running; }
    } guard;

    // Handle generation whose reads have ended (disconnected or cancelled);
    // the reader idles until it is given a handle again.
    quint64 finished = ~quint64(0);
    std::array<std::uint8_t, device::kInputReportLength> buffer{};
    bool failing = false;
    while (!isInterruptionRequested()) {
        quint64 generation = 0;
        const std::shared_ptr<device::HidReadChannel> channel = waitForWork(&generation, finished);
        if (!channel)
            break;

        buffer.fill(0);
        const device::ReadResult result = channel->read(buffer.data(), buffer.size());
        switch (result.status) {
        case device::ReadStatus::Report:
            failing = false;
            // The buffer was zeroed before the read: a short report is
            // kept padded, as a posted one is.
            if (result.size > 0 && int(buffer[0]) == m_keptReportId.load(std::memory_order_relaxed))
                keepReport(buffer);
            else if (result.size > 0)
                postReport(buffer.data(), std::min(result.size, buffer.size()));
            break;
        case device::ReadStatus::Error:
            if (!failing)
                qCDebug(lcReader) << "input report read failed; retrying";
            failing = true;
            backOff(generation);
            break;
        case device::ReadStatus::Disconnected:
            qCDebug(lcReader) << "read handle disconnected";
            finished = generation;
            // The window may never hear of the removal otherwise.
            if (widgetone)
                QCoreApplication::postEvent(widgetone, new ReaderDisconnectEvent(channel.get()));
            break;
        case device::ReadStatus::Cancelled:
            finished = generation;
            break;
        }
    }
}
