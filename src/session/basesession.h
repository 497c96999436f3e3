#pragma once

// Everything the tool knows about one wheel base, apart from any window: the link (discovery,
// hotplug, open and retry, the reader), the base's values as read back and as sent, the values
// the user committed, the send rules, status and firmware check, and snapshots. Views (the
// window, the command line) show what it announces and call it with what the user meant; no
// widget state ever becomes a sent value. Qt Core only.

#include "hidplatform.h"
#include "reports.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QTimer;
class USBThread;

namespace session {

// What the user should be told, once per occasion; the views word it.
enum class Notice
{
    BaseInUse,               // present, held by another program
    AccessDenied,            // present, this user may not open it
    FirmwareTooOld,          // detail: the refused version
    BaseRefusesSettings,     // several sends in a row were refused
    FactoryResetLinkLost,    // the link went while the reset was waited for
    FactoryResetUnconfirmed, // the base never acknowledged the reset
};

struct BaseStatus
{
    bool linked = false;
    bool reported = false; // a status report arrived on this link
    quint16 firmwareVersion = 0;
    quint16 voltage = 0;
    quint16 statusCode = 0;
    quint16 effectMask = 0;
};

class BaseSession : public QObject
{
    Q_OBJECT

public:
    explicit BaseSession(device::HidPlatform &platform, QObject *parent = nullptr);
    ~BaseSession() override;

    // ---- The link --------------------------------------------------------------------------
    // Opens the base if it is plugged in, registers for hotplug notifications (on Windows they
    // need `nativeWindow`; without one, or where they fail, the base is looked for every two
    // seconds), starts the reader and asks for the base's settings.
    void start(std::uintptr_t nativeWindow = 0);
    bool started() const { return m_started; }
    // Registers for hotplug notifications (on Windows through `nativeWindow`); where they fail
    // the base is looked for every two seconds.
    void registerNotifications(std::uintptr_t nativeWindow);
    // A native window message, for the Windows device notifications.
    void handleNativeMessage(void *message);
    bool linked() const { return m_linked; }
    // Looks for the base and opens it; 0 when a link is open, -1 otherwise.
    int openLink();
    // Drops the link (a removal, a refused firmware, a reader that saw the base go).
    void closeLink();
    // Cancels the reader's handle, so that the reader ends (before the program ends).
    void releaseReadHandle();
    // The refused version drops the link until the base is unplugged; true when refused.
    bool checkFirmware(quint16 version);
    USBThread *reader() const { return m_reader; }
    // The newest live report (the reader keeps only the newest; a view takes it at its pace).
    const QByteArray &liveReport();
    // Sends one feature report as given: 1 sent, 0 refused, -1 no link or a send in progress.
    int sendFeatureReport(const QByteArray &report);

    // ---- Values ----------------------------------------------------------------------------
    // The value each parameter was last committed to: read from the base, loaded from a
    // profile, an undo step, or set by the user. Every report carries these values.
    int committedValue(protocol::Parameter parameter) const;
    protocol::ParameterValues committedValues() const { return m_committed; }
    // What a view shows before the base answers; commits and sends nothing.
    void presetValues(const protocol::ParameterValues &values);
    // The user committed `value` (clamped to the parameter's range). Nothing is sent yet.
    void setUserValue(protocol::Parameter parameter, int value);
    // The group goes out half a second after the last such call (a slider being moved).
    void scheduleSend(protocol::ParameterGroup group);
    // Sends every group whose committed values have not gone out yet.
    void sendPendingChanges();
    // Enter: each settings group that is not armed or holds unsent values goes out now; a
    // group whose values are not known yet asks the base for them instead, once.
    void sendSettingsNow();
    // The machine settings with the centring command; asks for the settings first when unknown.
    void centre();
    // The choices go out at once (once both are known).
    void sendChoices();
    bool valuesKnown(protocol::ParameterGroup group) const;
    // The armed machine and game sends (the debounce timers' slots).
    int sendMachineSettings();
    int sendGameSettings();

    // Compares the link with what is plugged in now, as arrivals and removals would have: runs
    // when notifications were lost or cannot be had, and while a present base cannot be opened.
    Q_INVOKABLE void reconcileLink();
    // How long after a report arrives the reports filed meanwhile are taken in one pass
    // (100 ms unless set).
    void setReadBackDelay(int milliseconds);
    // Takes the reports filed since the last pass, in a fixed order (the read-back timer's slot).
    void readBackPass();

    // ---- Requests --------------------------------------------------------------------------
    // Asks the base for its settings (read request).
    int requestBaseSettings();
    // Asks for the settings unless a request went out moments ago and nothing was sent since.
    void readBaseSettings();
    // The base stores the settings it has, after what is pending and a snapshot.
    bool store();
    // The base returns to its factory settings, after what is pending and a snapshot; true when
    // the request went out (the wait for its acknowledgement begins).
    bool factoryReset();

    // ---- What the base has ------------------------------------------------------------------
    // True once every parameter was read back on this link.
    bool baseSettingsKnown() const;
    // The last read-back on this link.
    protocol::ParameterValues baseSettings() const { return m_readBack; }
    // The read-back with every send the base accepted since laid over it.
    protocol::ParameterValues baseHasSettings() const { return m_baseHas; }
    BaseStatus status() const;

    // ---- Profiles, snapshots, history -------------------------------------------------------
    // Loads `values` as a profile load from the list does: committed and shown, settings sent
    // half a second later, choices at once (one undo step).
    void loadValues(const protocol::ParameterValues &values);
    // Sends what is pending, then `values` at once (one undo step); true when the base took
    // all of them.
    bool sendSettings(const protocol::ParameterValues &values);
    // A profile `values` sent at once after a snapshot; false when the base's settings are not
    // known (nothing is sent then).
    bool applyProfile(const protocol::ParameterValues &values);
    // An undo or redo step: `values` for the given parameters (bit p for parameter p).
    void applyHistoryStep(const protocol::ParameterValues &values, quint32 parameters);
    // Saves what the base has in the history folder, named by the time and `reason`; returns
    // its path, or an empty string when not every setting is known or the file failed.
    QString saveSnapshot(const QString &reason);
    QString saveSnapshot(const QString &reason, const protocol::ParameterValues &values);
    // How a snapshot's reason ("before store") is worded in its file name.
    void setReasonWording(std::function<QString(const QString &)> wording);

signals:
    void linkUp();
    void linkDown();
    // A base is not plugged in, or could not be opened.
    void linkNotOpened();
    void committedValueChanged(protocol::Parameter parameter, int value);
    void statusReported(const session::BaseStatus &status);
    void firmwareRefused(quint16 version);
    void notice(session::Notice notice, int detail);
    // Several sends in a row were refused (true), or one went through again (false).
    void sendsRefused(bool refused);
    void factoryResetWaitChanged(bool waiting);
    // Every parameter has been read back from the base (again).
    void baseSettingsRead();
    // A change reached the base: the settings before and after it for `parameters`; sends of
    // one user action share `origin`.
    void changeSent(const protocol::ParameterValues &before, const protocol::ParameterValues &after,
                    quint32 parameters, int origin);
    // The history of this link is gone (the link dropped).
    void historyReset();

protected:
    void customEvent(QEvent *event) override;

private:
    struct FiledReport
    {
        QByteArray bytes;
        bool arrived = false;
    };
    static constexpr int kSubCommandSlots = 17; // sub-commands 0..16

    // basesession_link.cpp
    void handleDeviceChange(const device::HotplugEvent &event);
    bool connectLink();
    void updateLinkPolling(bool checkAgain);
    void startReader();
    void stopReader();
    void notifyOpenProblem(device::OpenError error);
    void onLinkDown();
    // basesession_sends.cpp
    int sendFeature(const QByteArray &report);
    int sendReadStore(quint8 readRequest, quint8 storeRequest);
    void sendGroup(protocol::ParameterGroup group);
    void sendHeldBackValues(protocol::ParameterGroup group);
    void noteValueSet(protocol::Parameter parameter);
    void noteGroupSent(protocol::ParameterGroup group, const protocol::ParameterValues &values);
    void commit(protocol::Parameter parameter, int value);
    void endFactoryResetWait(bool linkLost);
    bool &armed(protocol::ParameterGroup group);
    // basesession_readback.cpp
    void applySettingsEcho(protocol::SubCommand subCommand, const QByteArray &report);
    void applyModeEcho(const QByteArray &report);
    void applyFactoryResetAck(const QByteArray &report);
    void applyStatusReport(const QByteArray &report);
    void takeBaseValue(const protocol::ParameterInfo &info, int value);
    // basesession_history.cpp
    void noteReadBack(protocol::Parameter parameter, int value);
    void finishReadBackPass(bool settingsArrived);
    void forgetBaseSettings();
    void noteUserChange(protocol::ParameterGroup group);
    void noteSent(protocol::ParameterGroup group, const protocol::ParameterValues &values);
    void showValues(const protocol::ParameterValues &values, quint32 parameters);
    void commitProfile(const protocol::ParameterValues &values, bool sendNow = false);

    device::HidPlatform &m_platform;
    std::shared_ptr<device::HidReadChannel> m_readHandle;
    std::unique_ptr<device::HidWriteChannel> m_writeHandle;
    std::string m_devicePath;
    std::string m_refusedPath; // a base whose firmware was refused, while it stays
    USBThread *m_reader = nullptr;
    bool m_linked = false;
    bool m_started = false;
    bool m_featureSendBusy = false;
    bool m_notificationsWork = false;
    bool m_baseUnopened = false; // a base is plugged in but could not be opened
    bool m_permissionNoticeShown = false;
    bool m_busyNoticeShown = false;
    bool m_firmwareNoticeShown = false;
    QTimer *m_linkPollTimer = nullptr;
    QTimer *m_readBackTimer = nullptr;
    std::array<FiledReport, kSubCommandSlots> m_filed{};
    QByteArray m_liveReport;
    bool m_inReadBackPass = false;

    // Sends. Bit p of a mask stands for protocol::Parameter p: values read, loaded or set on
    // this link, and values the user set before the base's were known.
    protocol::ParameterValues m_committed;
    quint32 m_knownValues = 0;
    quint32 m_heldBackValues = 0;
    quint32 m_unsentGroups = 0; // bit per ParameterGroup: committed values not sent yet
    bool m_applyingBaseValues = false;
    bool m_machineArmed = false;
    bool m_gameArmed = false;
    bool m_centring = false; // the next machine report carries the centring command
    QTimer *m_machineSendTimer = nullptr;
    QTimer *m_gameSendTimer = nullptr;
    QTimer *m_factoryResetTimer = nullptr;
    int m_refusedInARow = 0;
    bool m_refusalNoticeShown = false;

    // What the base has: the last read-back, and the read-back with every accepted send laid
    // over it; the answer to the last read request so far.
    protocol::ParameterValues m_readBack;
    quint32 m_readBackMask = 0;
    protocol::ParameterValues m_baseHas;
    quint32 m_baseHasMask = 0;
    QElapsedTimer m_settingsRequested;
    quint32 m_answeredMask = 0;
    bool m_sentSinceRequest = false;
    std::optional<protocol::ParameterValues> m_factoryResetBefore;
    // Sends that come from one user action share an origin and make one history step.
    std::array<int, 3> m_groupOrigin{};
    int m_changeOrigins = 0;
    bool m_loadingProfile = false;
    bool m_undoing = false;
    BaseStatus m_status;
    std::function<QString(const QString &)> m_reasonWording;
};

} // namespace session

Q_DECLARE_METATYPE(session::BaseStatus)
