#pragma once

#include "basesession.h"
#include "windowdrag.h"

#include <QByteArray>
#include <QList>
#include <QLocale>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QSlider;
class QTimer;
class QTranslator;
class QUndoStack;
class LiveIndicators;
class HelpText;
class IniFile;
class TxtFile;
class USBThread;

namespace Ui {
class Widget;
}
namespace protocol {
enum class Parameter;
struct ParameterInfo;
} // namespace protocol

// The main window: a view of one BaseSession. It shows what the session announces and turns
// what the user committed (a slider moved, a field's text taken with Enter or on leaving it, a
// choice, a button) into session calls; no control's state is ever sent. Its named slots are
// the tool's interface, thin forwarders in widget_interface.cpp.
class Widget : public QWidget
{
    Q_OBJECT

public:
    explicit Widget(QWidget *parent = nullptr);
    // A window on a session that outlives it (the background instance's); closing it leaves
    // the session running.
    explicit Widget(session::BaseSession *shared, QWidget *parent = nullptr);
    ~Widget() override;

    session::BaseSession *session() const { return m_session; }
    USBThread *currentReader() const { return m_session->reader(); }
    bool deviceFound() const { return m_session->linked(); }
    // An information box that does not block, named `objectName`.
    void showNotice(const char *objectName, const QString &text);
    // The window's undo history of changes that reached the base.
    QUndoStack *undoStack() const { return m_undoStack; }

signals:
    void ServoVersion(quint16 number);

    // The interface's slots (widget_interface.cpp).
public slots:
    int OpenUSBHandle();
    int USBRegistration();
    void ProgressToLinedata();
    void Slot_SetLabelStyle();
    int SendDataToUsb(const QByteArray &WriteToDeiverBuffer);
    void Get_LacaelLanuage(int language);
    int Slot_FilterVersionColtrol(int Language);
    void Slot_CloseApplication();
    void on_tbt_savedata_clicked();
    void ListOfSliderAndLine();
    int InitSliderValue();
    int SetSendGamesData();
    int ReadOrSaveValue();
    int SaveAsPower(bool Type = true);
    int SetSendMachineryData();
    int ReadReportBufferToSetGames();
    int TxtAndIniFile(QString stDirPath, QString stFileName);
    void on_tbt_readdata_clicked();
    void on_toolButton_5_clicked();
    void on_toolButton_3_clicked();
    void on_ForceFeedback_clicked();
    void SetGaugeArcRanges(int Range);
    void usbStatuLedShow();
    void on_comboBox_activated(int index);
    void SetWidgetLanguage(int index);
    void Slot_SengDataFromkeyPressEvent();
    void slot_CloseUSBthread();
    void Slot_CB_ReadFile(int index);
    void Slit_InitcbReadFile();
    void Slot_ReadFileCombined();
    int EightZeroZeroFour();
    int ReadBufferToZreoOneReport();
    int slot_VersionCheck(quint16 data);
    void on_tbt_original_state_clicked();
    void Slot_Help(bool status);
    void Init_installEventFilter();

    // The page buttons' slots (connectButtons shows the pages directly).
    void on_ValueSet_clicked() { showPage(0); }
    void on_ValueSet_2_clicked() { showPage(0); }
    void on_ValueSet_3_clicked() { showPage(0); }
    void on_toolButton_4_clicked() { showPage(1); }
    void on_toolButton_7_clicked() { showPage(1); }
    void on_toolButton_9_clicked() { showPage(1); }
    void on_toolButton_6_clicked() { showPage(2); }
    void on_toolButton_8_clicked() { showPage(2); }
    void on_toolButton_10_clicked() { showPage(2); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool nativeEvent(const QByteArray &eventType, void *message, long *result) override;

private:
    // widget_link.cpp: the link, status and live display
    void connectSession();
    // Shows what a session that was running before the window knows.
    void showSession();
    void onLinkUp();
    void onLinkDown();
    void onStatus(const session::BaseStatus &status);
    void onNotice(session::Notice notice, int detail);
    // widget_binding.cpp: controls bound to parameters
    void bindPairs();
    void bindChoices();
    void onSliderMoved(QSlider *slider, protocol::Parameter parameter, int value);
    void onFieldEdited(QLineEdit *edit, const QString &text);
    // Takes the field's text as the user's commitment (Enter, or leaving the field); text
    // that is no number yet shows the committed value again.
    void commitField(QLineEdit *edit);
    // Shows `value` in the parameter's controls without committing anything.
    void showCommitted(protocol::Parameter parameter, int value);
    // The bound field's parameter; none for any other widget.
    std::optional<protocol::Parameter> fieldParameter(const QObject *widget) const;
    bool holdsTyping(const QObject *widget) const;
    bool ignoresWheel(const QObject *watched) const;
    // widget_history.cpp: undo keys and the note of what an undo or redo changed
    void setUpHistory();
    bool claimsUndoKey(QEvent *event) const;
    void pushHistoryStep(const protocol::ParameterValues &before,
                         const protocol::ParameterValues &after, quint32 parameters, int origin);
    void applyHistoryStep(const protocol::ParameterValues &values,
                          const protocol::ParameterValues &from, quint32 parameters, bool undone);
    void showHistoryNote(const QString &text);
    // widget_profiles.cpp
    QString profileFolder() const;
    void setWriteTarget(const QString &path);
    // widget_navigation.cpp
    void connectButtons();
    void showPage(int page);
    void applyLanguageTexts(int index);
    void refillChoiceCombos(int index);

    Ui::Widget *ui = nullptr;
    session::BaseSession *m_session = nullptr;
    bool m_sessionShared = false;
    std::unique_ptr<LiveIndicators> m_indicators;
    QUndoStack *m_undoStack = nullptr;
    QLabel *m_historyNote = nullptr;
    QTimer *m_historyNoteTimer = nullptr;
    TxtFile *m_txtFile = nullptr;
    IniFile *m_iniFile = nullptr;
    QTimer *m_ledTimer = nullptr;
    QTimer *m_liveStatusTimer = nullptr;
    QTranslator *m_translator = nullptr;
    HelpText *m_helpText = nullptr;
    class BackgroundPanel *m_backgroundPanel = nullptr;

    // Control lists, in the orders the reports and the effect mask use.
    QList<QSlider *> m_machineSliders;
    QList<QLineEdit *> m_machineEdits;
    QList<QLineEdit *> m_gameEditsMaskOrder;
    QList<QSlider *> m_gameSlidersMaskOrder;
    QList<QLineEdit *> m_gameEditsSendOrder;
    QList<QSlider *> m_gameSlidersSendOrder;

    // Shown values are being written into the controls (no commitment).
    bool m_showingCommitted = false;
    // The choice selectors are being refilled (a language switch): no commitment either.
    bool m_refillingChoices = false;
    // The bound field an Enter came from, taken by the Enter handler.
    QLineEdit *m_enterField = nullptr;

    // Live display.
    quint16 m_angleRange = 0;

    // Profiles.
    QString m_dataProfilePath;
    int m_lastLoadedProfileIndex = 0;
    bool m_profileListRefreshing = false;

    WindowDrag m_drag;
};
