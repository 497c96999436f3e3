#pragma once

#include "hidplatform.h"
#include "reports.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QLocale>
#include <QMutex>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QSlider;
class QTimer;
class QTranslator;
class QUndoStack;
class HelpText;
class IniFile;
class TxtFile;
class USBThread;

namespace Ui {
class Widget;
}
namespace protocol {
enum class Parameter;
enum class ParameterGroup;
struct ParameterInfo;
} // namespace protocol

// The main window: owner of the form, the device link, the reader thread, the
// timers and the file helpers. Its slots are the tool's public interface; the
// logic behind them lives in the protocol, device and profiles libraries, and
// this class is the glue between form, core and device. The implementation is
// split by concern: widget.cpp (assembly, keys, shutdown), widget_device.cpp
// (discovery, hotplug, report filing, sends), widget_binding.cpp (slider and
// field binding), widget_flows.cpp (write, read-back, live display, firmware
// check and edition), widget_profiles.cpp (profile load, save, list) and
// widget_navigation.cpp (pages, dragging, language, help).
class Widget : public QWidget
{
    Q_OBJECT

public:
    explicit Widget(QWidget *parent = nullptr);
    ~Widget() override;

    // The reader currently attached to the window (for tests and diagnostics).
    USBThread *currentReader() const { return m_reader; }
    bool deviceFound() const { return m_deviceFound; }

    // ---- For commands and history (widget_history.cpp) ----
    // True once every parameter was read back from the base on this link.
    bool baseSettingsKnown() const;
    // The base's settings as last read back on this link (complete only when baseSettingsKnown()).
    protocol::ParameterValues baseSettings() const;
    // Asks the base for its settings; baseSettingsRead() follows when all of them came back. A
    // request still unanswered is not repeated unless settings were sent after it.
    void readBaseSettings();
    // What the base has: the last read-back with every send it accepted since laid over it.
    // Complete only when baseSettingsKnown().
    protocol::ParameterValues baseHasSettings() const { return m_baseHasValues; }
    struct BaseStatus
    {
        bool linked = false;
        bool reported = false; // a status report arrived on this link
        quint16 firmwareVersion = 0;
        quint16 voltage = 0;
        quint16 statusCode = 0;
    };
    BaseStatus baseStatus() const;
    // Saves the last read-back as a profile in the history folder, named by the time and
    // `reason` ("before factory reset"); returns its path, or an empty string when not every
    // setting was read on this link or the file could not be written.
    QString saveSnapshot(const QString &reason);
    // The same for `values`, which the caller read from the base.
    QString saveSnapshot(const QString &reason, const protocol::ParameterValues &values);
    // Sends what is pending, then every group of `values` at once, through the form as a
    // profile load does (one undo step); true when the base took all of them.
    bool sendSettings(const protocol::ParameterValues &values);
    // Loads the profile at `path` into the form and sends it at once, after a snapshot, with the
    // checks a load from the list makes but no message box: false and the reason in *error when
    // the profile is refused or the base's settings are not known yet (nothing is sent then).
    // The profile the window writes stays what it was.
    bool applyProfileFile(const QString &path, QString *error);
    // The base stores the settings it has (after a snapshot); false when the request failed.
    bool storeBaseSettings(QString *error);
    // Sends every group whose committed values have not gone out yet (before a store, a factory
    // reset, a profile save or load, a command that reads a restore point, and when the window
    // closes).
    void sendPendingChanges();
    // An information box that does not block, named `objectName`.
    void showNotice(const char *objectName, const QString &text);
    // The window's undo history of changes that reached the base.
    QUndoStack *undoStack() const { return m_undoStack; }

signals:
    void DeviceRemove();
    void StartTimer(bool blset);
    void ReadExternHidReport();
    void ReadGamesHidReport();
    void ReadSixthByteDataReport();
    void ServoVersion(quint16 number);
    // Every parameter has been read back from the base (again).
    void baseSettingsRead();

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
    void SetSomeWidgetPower(bool blPower, int nnumber);
    void TimerStatius(bool blset);
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
    void SetGaugeArcRange(int nnumber);
    void on_ValueSet_clicked();
    void on_toolButton_4_clicked();
    void on_toolButton_6_clicked();
    void on_ValueSet_2_clicked();
    void on_toolButton_7_clicked();
    void on_toolButton_8_clicked();
    void on_ValueSet_3_clicked();
    void on_toolButton_9_clicked();
    void on_toolButton_10_clicked();
    void SetGaugeArcRanges(int Range);
    void usbStatuLedShow();
    void on_comboBox_activated(int index);
    void SetWidgetLanguage(int index);
    void Slot_SengDataFromkeyPressEvent();
    void slot_CloseUSBthread();
    void Slot_CB_ReadFile(int index);
    void Slit_InitcbReadFile();
    void Slot_ReadFileCombined();
    int SendRSAxisData();
    int SendYAxisData();
    int SendZAxisData();
    int SendRXAxisData();
    int SendRYAxisData();
    int SendRZAxisData();
    int EightZeroZeroFour();
    int EightZeroOneZero();
    int ReadBufferToZreoOneReport();
    int slot_VersionCheck(quint16 data);
    int slot_GameModelServoOrSteper(QString Dir, QString fileName);
    void on_tbt_original_state_clicked();
    int SendDataToUsbByFrame(const QByteArray &WriteToDeiverBuffer);
    void Slot_Help(bool status);
    void Init_installEventFilter();
    void scaleChildWidget(QWidget *widget, float scale);
    void onEditLineEdit(int index, int value);
    void SetImagePilot(int ncolor);

private slots:
    // Compares the link with what is plugged in now, as arrivals and removals
    // would have: runs when notifications were lost or cannot be had, and
    // while a present base cannot be opened.
    void reconcileLink();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void customEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool nativeEvent(const QByteArray &eventType, void *message, long *result) override;

private:
    // One filed 0x80 report kind: the newest report and whether it is unprocessed.
    struct FiledReport
    {
        QByteArray bytes;
        bool arrived = false;
    };
    static constexpr int kSubCommandSlots = 17; // sub-commands 0..16

    // widget_device.cpp
    void handleDeviceChange(const device::HotplugEvent &event);
    bool connectLink();
    void refuseFirmware(quint16 version);
    void startReader();
    void stopReader();
    void closeReadHandle();
    void notifyOpenProblem(device::OpenError error);

    void updateLinkPolling(bool basePresent);
    // widget_flows.cpp (and the slider/field binding of widget_binding.cpp)
    enum class SendGroup
    {
        Machine,
        Game
    };
    void onSliderValueChanged(SendGroup group, int position, int value);
    void onFieldTextChanged(SendGroup group, int position, const QString &text);
    // Commitments (widget_binding.cpp): what each parameter was last set to by the user (a
    // slider moved, a field's text taken with Enter or on leaving it, a selector chosen), a
    // profile load, an undo step or the base's read-back. Every send carries these values,
    // never a control's state, so a half-typed field never reaches the base.
    void commit(protocol::Parameter parameter, int value);
    void commitField(QLineEdit *edit);
    // Shows the committed value in the parameter's controls without committing or arming.
    void showCommitted(protocol::Parameter parameter);
    // The bound field's parameter; none for any other widget.
    std::optional<protocol::Parameter> fieldParameter(const QObject *widget) const;
    bool holdsTyping(const QObject *widget) const;
    bool ignoresWheel(const QObject *watched) const;
    static protocol::Parameter parameterAt(SendGroup group, int position);
    QTimer *sendTimer(SendGroup group) const;
    bool &sendArmed(SendGroup group);
    void applyMachineSettingsEcho(const QByteArray &report);
    void applyGameSettingsEcho(const QByteArray &report);
    void applyModeEcho(const QByteArray &report);
    void applyFactoryResetAck(const QByteArray &report);
    void applyStatusReport(const QByteArray &report);
    // What reaches the base: only values read from it, loaded from a profile or set by the user
    // on the current link, and only reports the protocol core built (widget_flows.cpp).
    int sendFeature(const QByteArray &report);
    void requestBaseSettings();
    bool baseValuesKnown(protocol::ParameterGroup group) const;
    void noteValueSet(protocol::Parameter parameter);
    void sendHeldBackValues(protocol::ParameterGroup group);
    void sendGroup(protocol::ParameterGroup group);
    void noteGroupSent(protocol::ParameterGroup group, const protocol::ParameterValues &values);
    void onLinkDown();
    // Gives the link lamps, or every header lamp when `linkLampsOnly` is false, `style`.
    void setHeaderLamps(const char *style, bool linkLampsOnly);
    void endFactoryResetWait(bool linkLost);
    void showBaseValue(const protocol::ParameterInfo *parameter, int value);
    void showPilotLamps(int statusCode);
    void showButtonLeds(quint64 buttons);
    void applyEditionStyles();
    // The six axis gauges in axis order X, Y, Z, RX, RY, RZ.
    QList<class GaugeSimple *> m_axisGauges;
    // widget_history.cpp: what the base has, snapshots and undo
    void setUpHistory();
    bool claimsUndoKey(QEvent *event) const;
    void noteReadBack(protocol::Parameter parameter, int value);
    // After a read-back pass; `settingsArrived` when it applied a settings report.
    void finishReadBackPass(bool settingsArrived);
    void forgetBaseSettings();
    void noteFactoryResetSent();
    void onHistoryLinkDown();
    void noteUserChange(protocol::ParameterGroup group);
    void noteSent(protocol::ParameterGroup group, const protocol::ParameterValues &values);
    void pushUndoStep(const protocol::ParameterValues &before, quint32 parameters, int origin);
    void sendForUndo(const protocol::ParameterValues &values, const protocol::ParameterValues &from,
                     quint32 parameters, bool undone);
    QString historyNoteText(const protocol::ParameterValues &values,
                            const protocol::ParameterValues &from, quint32 parameters,
                            bool undone) const;
    void showHistoryNote(const QString &text);
    QLabel *m_historyNote = nullptr;
    QTimer *m_historyNoteTimer = nullptr;
    void showValues(const protocol::ParameterValues &values, quint32 parameters);
    void loadIntoForm(const protocol::ParameterValues &values);
    bool canShow(const protocol::ParameterInfo &info, int value) const;
    QUndoStack *m_undoStack = nullptr;
    // The last read-back on this link, and what the base has: the read-back with every
    // accepted send laid over it. Bit p of a mask stands for protocol::Parameter p.
    protocol::ParameterValues m_readBackValues;
    quint32 m_readBackMask = 0;
    protocol::ParameterValues m_baseHasValues;
    quint32 m_baseHasMask = 0;
    // Since the read request whose settings have not come back yet went out; the parameters
    // that came back since, and whether settings were sent since.
    QElapsedTimer m_settingsRequested;
    quint32 m_answeredMask = 0;
    bool m_sentSinceRequest = false;
    std::optional<protocol::ParameterValues> m_factoryResetBefore;
    // Sends that come from one user action share an origin and make one undo step.
    std::array<int, 3> m_groupOrigin{};
    int m_changeOrigins = 0;
    bool m_loadingProfile = false;
    bool m_undoing = false;
    BaseStatus m_status;
    // widget_profiles.cpp
    QString profileFolder() const;
    void setWriteTarget(const QString &path);
    // widget_navigation.cpp
    void applyLanguageTexts(int index);
    void refillChoiceCombos(int index);

    Ui::Widget *ui = nullptr;
    TxtFile *m_txtFile = nullptr;
    IniFile *m_iniFile = nullptr;
    QTimer *m_readBackTimer = nullptr;
    QTimer *m_ledTimer = nullptr;
    QTimer *m_liveStatusTimer = nullptr;
    QTimer *m_machineSendTimer = nullptr;
    QTimer *m_gameSendTimer = nullptr;
    QTranslator *m_translator = nullptr;
    QLocale m_locale;
    HelpText *m_helpText = nullptr;
    bool m_deviceFound = false;
    int m_vendorId = protocol::BaseVendorId;
    int m_productId = protocol::BaseProductId;
    quint8 m_readRequestByte = 0;
    quint8 m_storeRequestByte = 0;
    std::array<FiledReport, kSubCommandSlots> m_filed{};

    // Control lists, in the orders the reports and the effect mask use.
    QList<QSlider *> m_machineSliders;
    QList<QLineEdit *> m_machineEdits;
    QList<QLineEdit *> m_gameEditsMaskOrder;
    QList<QSlider *> m_gameSlidersMaskOrder;
    QList<QLineEdit *> m_gameEditsSendOrder;
    QList<QSlider *> m_gameSlidersSendOrder;
    QList<QLabel *> m_buttonLeds;
    QList<QLabel *> m_pilotLamps;

    QString m_dataProfilePath;
    QString m_productIdText;
    QByteArray m_liveReport;
    QMutex m_reportMutex;
    bool m_featureSendBusy = false;

    // The device link: the platform back end and the two open handles.
    device::HidPlatform &m_platform;
    std::shared_ptr<device::HidReadChannel> m_readHandle;
    std::unique_ptr<device::HidWriteChannel> m_writeHandle;
    std::string m_devicePath;
    USBThread *m_reader = nullptr;
    bool m_permissionNoticeShown = false;
    bool m_busyNoticeShown = false;
    bool m_firmwareNoticeShown = false;
    bool m_notificationsWork = false;
    bool m_baseUnopened = false; // a base is plugged in but could not be opened
    std::string m_refusedPath;   // a base whose firmware was refused, while it stays
    QTimer *m_linkPollTimer = nullptr;

    // Write flow.
    bool m_machineSendArmed = false;
    bool m_gameSendArmed = false;
    bool m_comboSendArmed = false;
    quint8 m_centerCommandByte = 0;
    // Bit p stands for protocol::Parameter p: values read, loaded or set on this link, and the
    // values the user set that have not reached the base yet.
    quint32 m_knownValues = 0;
    quint32 m_heldBackValues = 0;
    bool m_applyingBaseValues = false;
    protocol::ParameterValues m_committedValues;
    quint32 m_unsentGroups = 0; // bit per ParameterGroup: committed values not sent yet
    bool m_showingCommitted = false;
    // The bound field an Enter came from, taken by the Enter handler.
    QLineEdit *m_enterField = nullptr;
    int m_refusedInARow = 0;
    bool m_refusalNoticeShown = false;
    QTimer *m_factoryResetTimer = nullptr;
    bool m_forceFeedbackReversed = false;
    QByteArray m_machineRecord;
    QByteArray m_gameRecord;
    QByteArray m_readStoreRecord;
    QByteArray m_modeRecord;

    // Read-back and live display.
    quint16 m_angleRange = 0;
    quint8 m_connectionStep = 0;
    quint64 m_shownButtons = 0;
    bool m_buttonsShown = false;
    int m_shownStatusCode = -1;

    // Profiles.
    int m_lastLoadedProfileIndex = 0;
    bool m_profileListRefreshing = false;

    // Window dragging.
    bool m_dragAllowed = false;
    QPoint m_pressPosition;
};
