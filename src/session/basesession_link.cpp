// The link: discovery, arrival and removal, the reader's lifetime and the filing of input
// reports.

#include "basesession.h"

#include "indicators.h"
#include "reports.h"
#include "usbevent.h"
#include "usbthread.h"

#include <QLoggingCategory>
#include <QPointer>
#include <QTimer>

#include <algorithm>

Q_LOGGING_CATEGORY(lcLink, "velorax.session.link")

namespace session {

namespace {

// How often the base is looked for while notifications cannot be relied on, or while a present
// base cannot be opened.
constexpr int kLinkPollMs = 2000;

bool isBase(const device::HidInterfaceInfo &info)
{
    return info.vendorId == protocol::BaseVendorId && info.productId == protocol::BaseProductId;
}

} // namespace

void BaseSession::start(std::uintptr_t nativeWindow)
{
    m_started = true;
    openLink();
    registerNotifications(nativeWindow);
    for (FiledReport &filed : m_filed)
        filed.arrived = false;
    startReader();
    requestBaseSettings();
}

int BaseSession::openLink()
{
    m_linked = false;
    m_featureSendBusy = false;
    onLinkDown();
    releaseReadHandle();
    m_writeHandle.reset();

    device::OpenError problem = device::OpenError::None;
    for (const device::HidInterfaceInfo &info : m_platform.enumerate()) {
        if (!isBase(info))
            continue;
        // A base whose firmware was refused stays refused until it is unplugged.
        if (!m_refusedPath.empty() && m_platform.samePath(info.path, m_refusedPath))
            continue;
        auto reader = m_platform.openForReading(info.path);
        auto writer = m_platform.openForWriting(info.path);
        if (!reader && !writer) {
            // Present but not ours to open: held by another program, or missing access
            // rights. Another program wins the explanation.
            for (device::OpenError error : {reader.error, writer.error}) {
                if (error == device::OpenError::Busy ||
                    (error == device::OpenError::PermissionDenied &&
                     problem != device::OpenError::Busy))
                    problem = error;
            }
            continue;
        }
        m_linked = true;
        m_devicePath = info.path;
        m_readHandle = std::move(reader.channel);
        m_writeHandle = std::move(writer.channel);
        break;
    }

    m_baseUnopened = !m_linked && problem != device::OpenError::None;
    if (m_linked) {
        m_firmwareNoticeShown = false;
        m_busyNoticeShown = false;
        emit linkUp();
        return 0;
    }
    emit linkNotOpened();
    if (m_baseUnopened)
        notifyOpenProblem(problem);
    return -1;
}

void BaseSession::registerNotifications(std::uintptr_t nativeWindow)
{
    QPointer<BaseSession> self(this);
    m_notificationsWork =
        m_platform.registerNotifications(nativeWindow, [self](const device::HotplugEvent &event) {
            if (self)
                self->handleDeviceChange(event);
        });
    if (!m_notificationsWork)
        qCDebug(lcLink) << "device notification registration failed:"
                        << QString::fromStdString(m_platform.lastErrorText())
                        << "- looking for the base every" << kLinkPollMs << "ms instead";
    updateLinkPolling(false);
}

void BaseSession::handleNativeMessage(void *message)
{
    m_platform.handleNativeMessage(message);
}

void BaseSession::handleDeviceChange(const device::HotplugEvent &event)
{
    switch (event.kind) {
    case device::HotplugKind::Resync:
        qCDebug(lcLink) << "device notifications were lost; comparing with what is plugged in";
        reconcileLink();
        return;
    case device::HotplugKind::Removal:
        if (!m_refusedPath.empty() && m_platform.samePath(event.path, m_refusedPath))
            m_refusedPath.clear();
        // Only the node the link is open on: another base, or another interface of the same
        // one, has the same ids.
        if (m_linked && m_platform.samePath(event.path, m_devicePath)) {
            qCDebug(lcLink) << "the base was unplugged";
            closeLink();
        }
        return;
    case device::HotplugKind::Arrival:
        break;
    }
    const bool matches =
        event.vendorId == protocol::BaseVendorId && event.productId == protocol::BaseProductId;
    if (!m_linked && matches)
        connectLink();
}

bool BaseSession::connectLink()
{
    stopReader();
    const bool opened = openLink() == 0;
    updateLinkPolling(false);
    if (!opened)
        return false; // no traffic; the next arrival or poll tries again
    startReader();
    m_readBackTimer->start();
    requestBaseSettings();
    return true;
}

void BaseSession::reconcileLink()
{
    const std::vector<device::HidInterfaceInfo> present = m_platform.enumerate();
    const auto plugged = [&](const std::string &path) {
        return std::any_of(present.begin(), present.end(), [&](const device::HidInterfaceInfo &i) {
            return m_platform.samePath(i.path, path);
        });
    };
    if (!m_refusedPath.empty() && !plugged(m_refusedPath))
        m_refusedPath.clear();
    if (m_linked) {
        if (!plugged(m_devicePath)) {
            qCDebug(lcLink) << "the open base is no longer plugged in";
            closeLink();
        }
    } else {
        const bool candidate =
            std::any_of(present.begin(), present.end(), [&](const device::HidInterfaceInfo &i) {
                return isBase(i) &&
                       (m_refusedPath.empty() || !m_platform.samePath(i.path, m_refusedPath));
            });
        if (candidate) {
            connectLink();
            return;
        }
        m_baseUnopened = false;
    }
    updateLinkPolling(false);
}

void BaseSession::updateLinkPolling(bool checkAgain)
{
    if (!m_linkPollTimer) {
        m_linkPollTimer = new QTimer(this);
        m_linkPollTimer->setObjectName(QStringLiteral("linkPollTimer"));
        m_linkPollTimer->setInterval(kLinkPollMs);
        connect(m_linkPollTimer, &QTimer::timeout, this, &BaseSession::reconcileLink);
    }
    const bool needed = checkAgain || !m_notificationsWork || m_baseUnopened;
    if (needed && !m_linkPollTimer->isActive())
        m_linkPollTimer->start();
    else if (!needed)
        m_linkPollTimer->stop();
}

void BaseSession::closeLink()
{
    m_linked = false;
    onLinkDown();
    m_readBackTimer->stop();
    emit linkDown();
    if (m_reader)
        m_reader->StopOrStart(false);
}

bool BaseSession::checkFirmware(quint16 version)
{
    if (protocol::isFirmwareAccepted(version))
        return false;
    qCWarning(lcLink) << "firmware version" << version << "is older than"
                      << protocol::MinimumFirmwareVersion << "- dropping the link";
    const bool linked = m_linked;
    if (linked)
        m_refusedPath = m_devicePath;
    closeLink();
    emit firmwareRefused(version);
    if (linked && !m_firmwareNoticeShown) {
        m_firmwareNoticeShown = true;
        emit notice(Notice::FirmwareTooOld, version);
    }
    return true;
}

void BaseSession::startReader()
{
    m_reader = new USBThread(this, m_readHandle, m_linked, this);
    m_reader->Slot_init(this, m_readHandle, m_linked);
    // Live reports are taken at the view's pace, the newest only.
    m_reader->keepNewestReport(protocol::LiveReportId);
    m_reader->start(QThread::InheritPriority);
}

void BaseSession::stopReader()
{
    if (!m_reader)
        return;
    m_reader->StopOrStart(false);
    m_reader->wait();
    delete m_reader;
    m_reader = nullptr;
}

void BaseSession::releaseReadHandle()
{
    if (!m_readHandle)
        return;
    if (m_reader)
        m_reader->USBReadHandlessss(nullptr);
    m_readHandle->cancel();
    m_readHandle.reset();
}

void BaseSession::notifyOpenProblem(device::OpenError error)
{
    if (error == device::OpenError::Busy) {
        if (m_busyNoticeShown)
            return;
        m_busyNoticeShown = true;
        qCWarning(lcLink) << "wheel base present but held by another program";
        emit notice(Notice::BaseInUse, 0);
        return;
    }
    if (error != device::OpenError::PermissionDenied || m_permissionNoticeShown)
        return;
    m_permissionNoticeShown = true;
    qCWarning(lcLink) << "wheel base present but its node cannot be opened";
    emit notice(Notice::AccessDenied, 0);
}

const QByteArray &BaseSession::liveReport()
{
    // One handed over as an event stays until the reader has a newer one.
    if (m_reader)
        m_reader->takeKeptReport(&m_liveReport);
    return m_liveReport;
}

void BaseSession::customEvent(QEvent *event)
{
    if (event->type() == ReaderDisconnectEvent::kType) {
        // The reader saw the base go: a removal of the open node, whether or not a notification
        // follows. A notice about an earlier handle is late.
        const auto *gone = static_cast<const ReaderDisconnectEvent *>(event);
        if (m_linked && m_readHandle && gone->channel() == m_readHandle.get()) {
            qCDebug(lcLink) << "the read handle reports the base gone";
            closeLink();
            // Still plugged in after all (a reset): the next check reopens it.
            updateLinkPolling(true);
        }
        return;
    }
    if (event->type() != USBEvent::kType)
        return;
    const auto *report = static_cast<const USBEvent *>(event);
    if (report->reportId() == protocol::LiveReportId) {
        m_liveReport = report->bytes();
        return;
    }
    if (report->reportId() != protocol::VendorReportId)
        return;
    const QByteArray &bytes = report->bytes();
    if (bytes.size() > 1 && protocol::isKeptSubCommand(quint8(bytes.at(1))))
        m_filed[quint8(bytes.at(1))] = {bytes, true};
    if (!m_readBackTimer->isActive())
        m_readBackTimer->start();
}

int BaseSession::sendFeatureReport(const QByteArray &report)
{
    if (!m_linked || !m_writeHandle || m_featureSendBusy)
        return -1;
    m_featureSendBusy = true;
    // The platform sends exactly the device's feature-report length: the record is padded
    // with zeros or cut to it.
    const bool sent = m_writeHandle->sendFeatureReport(
        reinterpret_cast<const std::uint8_t *>(report.constData()), std::size_t(report.size()));
    if (!sent)
        return 0;
    m_featureSendBusy = false;
    return 1;
}

} // namespace session
