// The device link seen from the window: discovery, arrival and removal, the
// reader's lifetime, filing of input reports and the feature-report send path.

#include "ui_widget.h"
#include "widget.h"

#include "indicatorlooks.h"
#include "languagetable.h"
#include "reports.h"
#include "usbevent.h"
#include "usbthread.h"

#include <QLoggingCategory>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <algorithm>

Q_LOGGING_CATEGORY(lcLink, "velorax.device.link")

namespace {

// How often the base is looked for while notifications cannot be relied on,
// or while a present base cannot be opened.
constexpr int kLinkPollMs = 2000;

} // namespace

int Widget::OpenUSBHandle()
{
    m_deviceFound = false;
    m_featureSendBusy = false;
    onLinkDown();
    closeReadHandle();
    m_writeHandle.reset();

    device::OpenError problem = device::OpenError::None;
    for (const device::HidInterfaceInfo &info : m_platform.enumerate()) {
        if (info.vendorId != m_vendorId || info.productId != m_productId)
            continue;
        // A base whose firmware was refused stays refused until it is unplugged.
        if (!m_refusedPath.empty() && m_platform.samePath(info.path, m_refusedPath))
            continue;
        auto reader = m_platform.openForReading(info.path);
        auto writer = m_platform.openForWriting(info.path);
        if (!reader && !writer) {
            // Present but not ours to open: held by another program, or
            // missing access rights. Another program wins the explanation.
            for (device::OpenError error : {reader.error, writer.error}) {
                if (error == device::OpenError::Busy ||
                    (error == device::OpenError::PermissionDenied &&
                     problem != device::OpenError::Busy))
                    problem = error;
            }
            continue;
        }
        m_deviceFound = true;
        m_devicePath = info.path;
        m_readHandle = std::move(reader.channel);
        m_writeHandle = std::move(writer.channel);
        break;
    }

    m_baseUnopened = !m_deviceFound && problem != device::OpenError::None;
    if (m_deviceFound) {
        m_firmwareNoticeShown = false;
        m_busyNoticeShown = false;
        // Each new link plays the lamp sequence from its first step.
        m_connectionStep = 0;
        m_ledTimer->start();
        return 0;
    }
    setHeaderLamps(form::LinkLampOffStyle, true);
    if (m_baseUnopened)
        notifyOpenProblem(problem);
    return -1;
}

int Widget::USBRegistration()
{
    std::uintptr_t nativeWindow = 0;
#ifdef Q_OS_WIN
    nativeWindow = static_cast<std::uintptr_t>(winId());
#endif
    QPointer<Widget> self(this);
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
    return 1;
}

bool Widget::nativeEvent(const QByteArray &eventType, void *message, long *result)
{
    Q_UNUSED(result);
    if (eventType == "windows_generic_MSG")
        m_platform.handleNativeMessage(message);
    return false;
}

void Widget::handleDeviceChange(const device::HotplugEvent &event)
{
    switch (event.kind) {
    case device::HotplugKind::Resync:
        qCDebug(lcLink) << "device notifications were lost; comparing with what is plugged in";
        reconcileLink();
        return;
    case device::HotplugKind::Removal:
        if (!m_refusedPath.empty() && m_platform.samePath(event.path, m_refusedPath))
            m_refusedPath.clear();
        // Only the node the link is open on: another base, or another
        // interface of the same one, has the same ids.
        if (m_deviceFound && m_platform.samePath(event.path, m_devicePath)) {
            slot_CloseUSBthread();
            qCDebug(lcLink) << "检测到的特定HID设备拔出";
        } else {
            qCDebug(lcLink) << "检测到的有HID设备拔出，但不是特定的";
        }
        return;
    case device::HotplugKind::Arrival:
        break;
    }
    const bool matches = event.vendorId == m_vendorId && event.productId == m_productId;
    if (m_deviceFound || !matches) {
        qCDebug(lcLink) << "检测到的有HID设备插入，但不是特定的";
        return;
    }
    connectLink();
}

bool Widget::connectLink()
{
    stopReader();
    const bool opened = OpenUSBHandle() == 0;
    updateLinkPolling(false);
    if (!opened)
        return false; // lamps grey, no traffic; the next arrival or poll tries again
    m_reader = new USBThread(this, nullptr, false, nullptr);
    m_reader->Slot_init(this, m_readHandle, m_deviceFound);
    // Live reports are shown at the live-status timer's pace, the newest only.
    m_reader->keepNewestReport(protocol::LiveReportId);
    m_reader->start(QThread::InheritPriority);
    m_readBackTimer->start();
    m_liveStatusTimer->start();
    m_readRequestByte = protocol::ReadRequestValue;
    ReadOrSaveValue();
    return true;
}

void Widget::reconcileLink()
{
    const std::vector<device::HidInterfaceInfo> present = m_platform.enumerate();
    const auto plugged = [&](const std::string &path) {
        return std::any_of(present.begin(), present.end(), [&](const device::HidInterfaceInfo &i) {
            return m_platform.samePath(i.path, path);
        });
    };
    if (!m_refusedPath.empty() && !plugged(m_refusedPath))
        m_refusedPath.clear();
    if (m_deviceFound) {
        if (!plugged(m_devicePath)) {
            qCDebug(lcLink) << "the open base is no longer plugged in";
            slot_CloseUSBthread();
        }
    } else {
        const bool candidate =
            std::any_of(present.begin(), present.end(), [&](const device::HidInterfaceInfo &i) {
                return i.vendorId == m_vendorId && i.productId == m_productId &&
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

void Widget::updateLinkPolling(bool checkAgain)
{
    if (!m_linkPollTimer) {
        m_linkPollTimer = new QTimer(this);
        m_linkPollTimer->setObjectName(QStringLiteral("linkPollTimer"));
        m_linkPollTimer->setInterval(kLinkPollMs);
        connect(m_linkPollTimer, &QTimer::timeout, this, &Widget::reconcileLink);
    }
    const bool needed = checkAgain || !m_notificationsWork || m_baseUnopened;
    if (needed && !m_linkPollTimer->isActive())
        m_linkPollTimer->start();
    else if (!needed)
        m_linkPollTimer->stop();
}

void Widget::slot_CloseUSBthread()
{
    m_deviceFound = false;
    onLinkDown();
    m_readBackTimer->stop();
    m_liveStatusTimer->stop();
    m_ledTimer->stop();

    // Every lamp of the connection sequence goes grey, wherever it stood,
    // and the next link plays it from its first step.
    m_connectionStep = 0;
    setHeaderLamps(form::HeaderLampOffStyle, false);
    setHeaderLamps(form::LinkLampOffStyle, true);
    ui->label_16->setText(tr("0"));
    ui->label_33->setText(tr("0"));
    for (auto *gauge : {ui->progressBar, ui->progressBar_2, ui->progressBar_3, ui->progressBar_4,
                        ui->progressBar_5, ui->progressBar_6})
        gauge->setValue(0);
    const QString greyLed = tr(form::buttonLedStyle(false));
    for (QLabel *led : qAsConst(m_buttonLeds))
        led->setStyleSheet(greyLed);
    const QString greyLamp = tr(form::pilotLampStyle(protocol::PilotLook::Grey));
    for (QLabel *lamp : qAsConst(m_pilotLamps))
        lamp->setStyleSheet(greyLamp);
    // The live display starts from scratch on the next connection.
    m_buttonsShown = false;
    m_shownStatusCode = -1;

    if (m_reader)
        m_reader->StopOrStart(m_deviceFound);
}

void Widget::refuseFirmware(quint16 version)
{
    const bool linked = m_deviceFound;
    if (linked)
        m_refusedPath = m_devicePath;
    slot_CloseUSBthread();
    // The reason stays in view: the refused version, not "0".
    ui->label_16->setText(QString::number(version));
    if (!linked || m_firmwareNoticeShown)
        return;
    m_firmwareNoticeShown = true;
    showNotice("firmwareNotice", language::messageText(language::FirmwareTooOldMessage)
                                     .arg(version)
                                     .arg(protocol::MinimumFirmwareVersion));
}

void Widget::TimerStatius(bool blset)
{
    if (blset)
        m_readBackTimer->start();
    else
        m_readBackTimer->stop();
}

void Widget::startReader()
{
    m_reader = new USBThread(this, m_readHandle, m_deviceFound, this);
    m_reader->Slot_init(this, m_readHandle, m_deviceFound);
    m_reader->keepNewestReport(protocol::LiveReportId);
    m_reader->start(QThread::InheritPriority);
}

void Widget::stopReader()
{
    if (!m_reader)
        return;
    m_reader->StopOrStart(false);
    m_reader->wait();
    delete m_reader;
    m_reader = nullptr;
}

void Widget::closeReadHandle()
{
    if (!m_readHandle)
        return;
    if (m_reader)
        m_reader->USBReadHandlessss(nullptr);
    m_readHandle->cancel();
    m_readHandle.reset();
}

void Widget::notifyOpenProblem(device::OpenError error)
{
    if (error == device::OpenError::Busy) {
        if (m_busyNoticeShown)
            return;
        m_busyNoticeShown = true;
        qCWarning(lcLink) << "wheel base present but held by another program";
        showNotice("busyNotice", language::messageText(language::BaseInUseMessage));
        return;
    }
    if (error != device::OpenError::PermissionDenied || m_permissionNoticeShown)
        return;
    m_permissionNoticeShown = true;
    qCWarning(lcLink) << "wheel base present but its node cannot be opened";
#ifdef Q_OS_LINUX
    const bool chinese = QLocale().language() == QLocale::Chinese;
    const QString text =
        chinese ? QStringLiteral("已检测到方向盘基座，但当前用户无权访问它。\n"
                                 "请安装 velorax-manager 软件包（或把其 udev 规则 "
                                 "60-velorax-wheelbase.rules 复制到 /etc/udev/rules.d），"
                                 "然后拔下并重新插入基座。")
                : QStringLiteral("The wheel base is connected, but this user may not open it.\n"
                                 "Install the velorax-manager package (or copy its udev rule "
                                 "60-velorax-wheelbase.rules to /etc/udev/rules.d), then unplug "
                                 "the wheel base and plug it in again.");
#else
    const QString text = language::messageText(language::BaseAccessDeniedMessage);
#endif
    showNotice("permissionNotice", text);
}

void Widget::showNotice(const char *objectName, const QString &text)
{
    auto *box =
        new QMessageBox(QMessageBox::Information, language::messageText(language::InformationTitle),
                        text, QMessageBox::Ok, this);
    box->setObjectName(QLatin1String(objectName));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void Widget::customEvent(QEvent *event)
{
    if (event->type() == ReaderDisconnectEvent::kType) {
        // The reader saw the base go: a removal of the open node, whether or
        // not a notification follows. A notice about an earlier handle is late.
        const auto *notice = static_cast<const ReaderDisconnectEvent *>(event);
        if (m_deviceFound && m_readHandle && notice->channel() == m_readHandle.get()) {
            qCDebug(lcLink) << "the read handle reports the base gone";
            slot_CloseUSBthread();
            // Still plugged in after all (a reset): the next check reopens it.
            updateLinkPolling(true);
        }
        return;
    }
    if (event->type() != USBEvent::kType)
        return;
    const auto *report = dynamic_cast<const USBEvent *>(event);
    if (!report)
        return;
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

int Widget::SendDataToUsb(const QByteArray &WriteToDeiverBuffer)
{
    if (!m_deviceFound || !m_writeHandle || m_featureSendBusy)
        return -1;
    m_featureSendBusy = true;
    // The platform sends exactly the device's feature-report length: the
    // record is padded with zeros or cut to it.
    const bool sent = m_writeHandle->sendFeatureReport(
        reinterpret_cast<const std::uint8_t *>(WriteToDeiverBuffer.constData()),
        std::size_t(WriteToDeiverBuffer.size()));
    if (!sent)
        return 0;
    m_featureSendBusy = false;
    return 1;
}

int Widget::SendDataToUsbByFrame(const QByteArray &WriteToDeiverBuffer)
{
    QByteArray frame = WriteToDeiverBuffer.left(protocol::OutputFrameSize);
    frame.append(QByteArray(protocol::OutputFrameSize - frame.size(), '\0'));
    if (m_writeHandle)
        m_writeHandle->writeOutputReport(reinterpret_cast<const std::uint8_t *>(frame.constData()),
                                         std::size_t(frame.size()));
    return 0;
}
