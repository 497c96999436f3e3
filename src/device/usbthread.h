#pragma once

// The report reader: a thread that reads input reports from the read handle
// and posts each one to the window as a USBEvent, and a ReaderDisconnectEvent
// when the handle reports that the device is gone. Reports of one id can
// instead be kept, the newest only, for the window to take when it shows
// them. It touches no window state.

#include "hidplatform.h"

#include <QByteArray>
#include <QMetaType>
#include <QThread>

#include <array>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

Q_DECLARE_METATYPE(std::shared_ptr<device::HidReadChannel>)

class USBThread : public QThread
{
    Q_OBJECT

public:
    // `w` receives the reports. A null `readHandle` leaves the reader idle
    // until a handle is given.
    USBThread(QObject *w, std::shared_ptr<device::HidReadChannel> readHandle, bool MyDevFounds,
              QObject *parent = nullptr);
    // Stops the reader and waits for it: a QThread must not be destroyed
    // while it runs.
    ~USBThread() override;

    // Readers whose run() has started and not yet returned, in this process.
    static int runningCount();

    // Reports with `reportId` are no longer posted: the newest one is kept
    // for takeKeptReport(). Call before start().
    void keepNewestReport(quint8 reportId);
    // Puts the kept report into `report` if one was read since the last
    // call; otherwise leaves `report` alone and returns false.
    bool takeKeptReport(QByteArray *report);

    // The receiver of the report events; set at construction, never changed.
    // It must outlive the reader's run().
    QObject *const widgetone;

public slots:
    // Makes `readHandle` the reader handle and `MyDevFounds` the enable flag.
    // A null handle changes nothing. `w` is not used.
    void Slot_init(QObject *w, std::shared_ptr<device::HidReadChannel> readHandle,
                   bool MyDevFounds);
    // Enables or disables reading. Disabling also ends the thread: it
    // requests interruption and cancels the pending read.
    void StopOrStart(bool blstius);
    // Makes `USBReadHandles` the reader handle; a read pending on the
    // previous handle is cancelled so the reader moves on at once.
    void USBReadHandlessss(std::shared_ptr<device::HidReadChannel> USBReadHandles);

protected:
    void run() override;

private:
    void setHandle(std::shared_ptr<device::HidReadChannel> handle);
    std::shared_ptr<device::HidReadChannel> waitForWork(quint64 *generation,
                                                        quint64 finishedGeneration);
    void backOff(quint64 generation);
    void postReport(const std::uint8_t *data, std::size_t size);
    void keepReport(const std::array<std::uint8_t, device::kInputReportLength> &report);

    // Shared with the reader; m_mutex is held only to swap or test these,
    // never while reading.
    // Standard primitives rather than Qt's, so that the thread sanitizer
    // sees every hand-over.
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::shared_ptr<device::HidReadChannel> m_handle;
    quint64 m_generation = 0; // counts handle changes
    bool m_enabled = false;

    // The kept report, handed over under its own lock so that the reader
    // never waits for the handle lock to file it.
    std::atomic<int> m_keptReportId{-1}; // -1: every report is posted
    std::mutex m_keptMutex;
    std::array<std::uint8_t, device::kInputReportLength> m_kept{};
    bool m_keptUnread = false;

    static std::atomic<int> s_running;
};
