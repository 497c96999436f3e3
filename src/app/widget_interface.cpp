// The window's named slots, kept for the tool's interface: each forwards to the session or to
// the view function that does the work.

#include "ui_widget.h"
#include "widget.h"

#include "parameters.h"

#include <QLineEdit>

#include <utility>

int Widget::OpenUSBHandle()
{
    return m_session->openLink();
}

int Widget::USBRegistration()
{
    std::uintptr_t nativeWindow = 0;
#ifdef Q_OS_WIN
    nativeWindow = static_cast<std::uintptr_t>(winId());
#endif
    m_session->registerNotifications(nativeWindow);
    return 1;
}

int Widget::SendDataToUsb(const QByteArray &WriteToDeiverBuffer)
{
    return m_session->sendFeatureReport(WriteToDeiverBuffer);
}

int Widget::SetSendMachineryData()
{
    return m_session->sendMachineSettings();
}

int Widget::SetSendGamesData()
{
    return m_session->sendGameSettings();
}

int Widget::EightZeroZeroFour()
{
    m_session->sendChoices();
    return 0;
}

int Widget::ReadOrSaveValue()
{
    return m_session->requestBaseSettings();
}

int Widget::ReadReportBufferToSetGames()
{
    m_session->readBackPass();
    return 0;
}

int Widget::slot_VersionCheck(quint16 data)
{
    return m_session->checkFirmware(data) ? 1 : 0;
}

void Widget::slot_CloseUSBthread()
{
    m_session->closeLink();
}

void Widget::on_tbt_readdata_clicked()
{
    m_session->requestBaseSettings();
}

void Widget::on_toolButton_3_clicked()
{
    m_session->centre();
}

void Widget::on_ForceFeedback_clicked()
{
    m_session->sendMachineSettings();
}

void Widget::on_tbt_original_state_clicked()
{
    m_session->factoryReset();
}

void Widget::Slot_SengDataFromkeyPressEvent()
{
    QLineEdit *entered = std::exchange(m_enterField, nullptr);
    if (ui->stackedWidget->currentIndex() != 0)
        return;
    // Enter commits the field it was pressed in, then sends the settings (see sendSettingsNow).
    commitField(entered);
    m_session->sendSettingsNow();
}

void Widget::Slot_CloseApplication()
{
    // What is pending reaches the base before the link closes. Releasing the read handle lets
    // the reader end; the event loop then returns 0 and the window is torn down in order.
    m_session->sendPendingChanges();
    if (m_sessionShared) {
        // The background instance's window: it goes, the session stays.
        close();
        return;
    }
    m_session->releaseReadHandle();
    QCoreApplication::exit(0);
}

void Widget::on_comboBox_activated(int index)
{
    SetWidgetLanguage(index);
}
