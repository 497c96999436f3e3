// The device link seen from the window: discovery, arrival and removal, the
// reader's lifetime, filing of input reports and the feature-report send path.

#include "ui_widget.h"
#include "widget.h"

#include "usbevent.h"
#include "usbthread.h"

#include <QLoggingCategory>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

Q_LOGGING_CATEGORY(lcLink, "velorax.device.link")

namespace {

const char kGreyLinkLamp[] = "image: url(://LedGrayThree.png);";
const char kGreyLed[] = "color: rgb(255, 255, 255);image: url(://LEDGrayG.png);";

// 0x80 sub-commands that have a buffer of their own.
bool isFiledSubCommand(int subCommand)
{
    return subCommand == 1 || subCommand == 2 || (subCommand >= 4 && subCommand <= 11) ||
           subCommand == 16;
}

} // namespace

int Widget::OpenUSBHandle()
{
    m_deviceFound = false;
    m_featureSendBusy = false;
    closeReadHandle();
    m_writeHandle.reset();

    bool permissionDenied = false;
    for (const device::HidInterfaceInfo &info : m_platform.enumerate()) {
        if (info.vendorId != m_vendorId || info.productId != m_productId)
            continue;
        auto reader = m_platform.openForReading(info.path);
        auto writer = m_platform.openForWriting(info.path);
        if (!reader && !writer) {
            // Present but not ours to open: most often missing udev access.
            permissionDenied = permissionDenied ||
                               reader.error == device::OpenError::PermissionDenied ||
                               writer.error == device::OpenError::PermissionDenied;
            continue;
        }
        m_deviceFound = true;
        m_devicePath = info.path;
        m_readHandle = std::move(reader.channel);
        m_writeHandle = std::move(writer.channel);
        break;
    }

    if (m_deviceFound) {
        m_ledTimer->start();
        return 0;
    }
    for (QLabel *lamp : {ui->label_54, ui->label_56, ui->label_62})
        lamp->setStyleSheet(tr(kGreyLinkLamp));
    if (permissionDenied)
        notifyPermissionProblem();
    return -1;
}

int Widget::USBRegistration()
{
    std::uintptr_t nativeWindow = 0;
#ifdef Q_OS_WIN
    nativeWindow = static_cast<std::uintptr_t>(winId());
#endif
    QPointer<Widget> self(this);
    const bool registered =
        m_platform.registerNotifications(nativeWindow, [self](const device::HotplugEvent &event) {
            if (self)
                self->handleDeviceChange(event);
        });
    if (!registered)
        qCDebug(lcLink) << "device notification registration failed:"
                        << QString::fromStdString(m_platform.lastErrorText());
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
    const bool matches = event.vendorId == m_vendorId && event.productId == m_productId;
    if (event.kind == device::HotplugKind::Removal) {
        if (!m_removalLatch && matches) {
            slot_CloseUSBthread();
            qCDebug(lcLink) << "检测到的特定HID设备拔出";
        } else {
            qCDebug(lcLink) << "检测到的有HID设备拔出，但不是特定的";
        }
        return;
    }

    if (m_arrivalLatch || !matches) {
        qCDebug(lcLink) << "检测到的有HID设备插入，但不是特定的";
        return;
    }
    stopReader();
    m_deviceFound = true;
    m_arrivalLatch = true;
    m_removalLatch = false;
    OpenUSBHandle();
    m_reader = new USBThread(this, nullptr, false, nullptr);
    m_reader->Slot_init(this, m_readHandle, m_deviceFound);
    m_reader->start(QThread::InheritPriority);
    m_readBackTimer->start();
    m_liveStatusTimer->start();
    m_readRequestByte = 1;
    ReadOrSaveValue();
    m_ledTimer->start();
}

void Widget::slot_CloseUSBthread()
{
    m_arrivalLatch = false;
    m_removalLatch = true;
    m_deviceFound = false;
    m_readBackTimer->stop();
    m_liveStatusTimer->stop();
    m_ledTimer->stop();

    for (QLabel *lamp : {ui->label_54, ui->label_56, ui->label_62})
        lamp->setStyleSheet(tr(kGreyLinkLamp));
    ui->label_16->setText(tr("0"));
    ui->label_33->setText(tr("0"));
    for (auto *gauge : {ui->progressBar, ui->progressBar_2, ui->progressBar_3, ui->progressBar_4,
                        ui->progressBar_5, ui->progressBar_6})
        gauge->setValue(0);
    const QString greyLed = tr(kGreyLed);
    for (QLabel *led : qAsConst(m_buttonLeds))
        led->setStyleSheet(greyLed);
    for (QLabel *lamp : qAsConst(m_pilotLamps))
        lamp->setStyleSheet(greyLed);
    // The live display starts from scratch on the next connection.
    m_buttonsShown = false;
    m_shownStatusCode = -1;

    if (m_reader)
        m_reader->StopOrStart(m_deviceFound);
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

void Widget::notifyPermissionProblem()
{
    if (m_permissionNoticeShown)
        return;
    m_permissionNoticeShown = true;
    const bool chinese = QLocale().language() == QLocale::Chinese;
    const QString title = chinese ? QStringLiteral("信息") : QStringLiteral("information");
    const QString text =
        chinese ? QStringLiteral("已检测到方向盘基座，但当前用户无权访问它。\n"
                                 "请安装 velorax-manager 软件包（或把其 udev 规则 "
                                 "60-velorax-wheelbase.rules 复制到 /etc/udev/rules.d），"
                                 "然后拔下并重新插入基座。")
                : QStringLiteral("The wheel base is connected, but this user may not open it.\n"
                                 "Install the velorax-manager package (or copy its udev rule "
                                 "60-velorax-wheelbase.rules to /etc/udev/rules.d), then unplug "
                                 "the wheel base and plug it in again.");
    qCWarning(lcLink) << "wheel base present but its node cannot be opened";
    auto *box = new QMessageBox(QMessageBox::Information, title, text, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("permissionNotice"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void Widget::customEvent(QEvent *event)
{
    if (event->type() != USBEvent::kType)
        return;
    const auto *report = dynamic_cast<const USBEvent *>(event);
    if (!report)
        return;
    if (report->reportId() == 0x01) {
        m_liveReport = report->bytes();
        return;
    }
    if (report->reportId() != 0x80)
        return;
    const QByteArray &bytes = report->bytes();
    const int subCommand = bytes.size() > 1 ? quint8(bytes.at(1)) : -1;
    if (isFiledSubCommand(subCommand))
        m_filed[subCommand] = {bytes, true};
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
    QByteArray frame = WriteToDeiverBuffer.left(kOutputFrameSize);
    frame.append(QByteArray(kOutputFrameSize - frame.size(), '\0'));
    if (m_writeHandle)
        m_writeHandle->writeOutputReport(reinterpret_cast<const std::uint8_t *>(frame.constData()),
                                         std::size_t(frame.size()));
    return 0;
}
