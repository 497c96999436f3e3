// The history of the base's settings: snapshots saved before they are
// overwritten wholesale, the undo steps of changes that reached the base, and
// the settings and status commands ask for.

#include "ui_widget.h"
#include "widget.h"

#include "languagetable.h"
#include "parameterbits.h"
#include "parameterprofile.h"
#include "parameters.h"
#include "profilefolder.h"
#include "profilestore.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QSlider>
#include <QUndoStack>

#include <functional>

Q_LOGGING_CATEGORY(lcHistory, "velorax.ui.history")

namespace {

// How long a read request's answer is waited for before the base is asked again; the base
// answers within a few tens of milliseconds.
constexpr qint64 kSettingsAnswerMs = 1000;

// One change that reached the base: the settings before and after it, for the
// groups it touched. The sends of one user action (a profile load goes out as
// up to three reports) merge into one step.
class SentChange : public QUndoCommand
{
public:
    using Apply = std::function<void(const protocol::ParameterValues &, quint32)>;

    SentChange(Apply apply, const protocol::ParameterValues &before,
               const protocol::ParameterValues &after, quint32 parameters, int origin)
        : m_apply(std::move(apply)), m_before(before), m_after(after), m_parameters(parameters),
          m_origin(origin)
    {
    }

    int id() const override { return 1; }

    bool mergeWith(const QUndoCommand *other) override
    {
        const auto *next = static_cast<const SentChange *>(other);
        if (m_origin == 0 || next->m_origin != m_origin)
            return false;
        m_after = next->m_after;
        m_parameters |= next->m_parameters;
        return true;
    }

    void undo() override { m_apply(m_before, m_parameters); }
    void redo() override
    {
        // Pushed once the change has gone out: only a later redo sends.
        if (m_pushed)
            m_apply(m_after, m_parameters);
        m_pushed = true;
    }

private:
    Apply m_apply;
    protocol::ParameterValues m_before;
    protocol::ParameterValues m_after;
    quint32 m_parameters;
    int m_origin;
    bool m_pushed = false;
};

// The platform's undo and redo keys, and Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y everywhere; each
// sequence once, since two shortcuts on one sequence would both stay silent.
QList<QKeySequence> keysFor(QKeySequence::StandardKey action)
{
    QList<QKeySequence> keys = QKeySequence::keyBindings(action);
    const QList<QKeySequence> everywhere =
        action == QKeySequence::Undo
            ? QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Z)}
            : QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                                  QKeySequence(Qt::CTRL | Qt::Key_Y)};
    for (const QKeySequence &key : everywhere) {
        if (!keys.contains(key))
            keys.append(key);
    }
    return keys;
}

bool isUndoOrRedoKey(const QKeyEvent *event)
{
    const QKeySequence pressed(int(event->modifiers()) | event->key());
    return keysFor(QKeySequence::Undo).contains(pressed) ||
           keysFor(QKeySequence::Redo).contains(pressed);
}

} // namespace

// ---- Settings known on this link -------------------------------------------------------------

void Widget::setUpHistory()
{
    m_undoStack = new QUndoStack(this);
    const auto bind = [this](QKeySequence::StandardKey action, void (QUndoStack::*step)()) {
        for (const QKeySequence &key : keysFor(action)) {
            auto *shortcut = new QShortcut(key, this);
            connect(shortcut, &QShortcut::activated, m_undoStack, step);
        }
    };
    bind(QKeySequence::Undo, &QUndoStack::undo);
    bind(QKeySequence::Redo, &QUndoStack::redo);
}

bool Widget::claimsUndoKey(QEvent *event) const
{
    // A line edit would take Ctrl+Z for its own text; in this window it undoes what reached
    // the base.
    return event->type() == QEvent::ShortcutOverride &&
           isUndoOrRedoKey(static_cast<QKeyEvent *>(event));
}

bool Widget::baseSettingsKnown() const
{
    return m_deviceFound && (m_readBackMask & kAllParameterBits) == kAllParameterBits;
}

protocol::ParameterValues Widget::baseSettings() const
{
    return m_readBackValues;
}

void Widget::readBaseSettings()
{
    // The answer to a request that went out moments ago is as fresh as a new one's: a command
    // run beside the window's own start-up read waits for it instead of asking twice.
    if (m_settingsRequested.isValid() && m_settingsRequested.elapsed() < kSettingsAnswerMs)
        return;
    requestBaseSettings();
}

Widget::BaseStatus Widget::baseStatus() const
{
    BaseStatus status = m_status;
    status.linked = m_deviceFound;
    return status;
}

void Widget::noteReadBack(protocol::Parameter parameter, int value)
{
    const quint32 bit = parameterBit(parameter);
    m_readBackValues.setValue(parameter, value);
    m_readBackMask |= bit;
    m_baseHasValues.setValue(parameter, value);
    m_baseHasMask |= bit;
}

void Widget::finishReadBackPass(bool settingsArrived)
{
    if (!settingsArrived || !baseSettingsKnown())
        return;
    m_settingsRequested.invalidate();
    if (m_factoryResetBefore) {
        // The factory values are known: the reset becomes an undo step.
        pushUndoStep(*m_factoryResetBefore, kAllParameterBits, ++m_changeOrigins);
        m_factoryResetBefore.reset();
    }
    emit baseSettingsRead();
}

void Widget::forgetBaseSettings()
{
    m_readBackMask = 0;
    m_baseHasMask = 0;
    m_settingsRequested.invalidate();
    m_factoryResetBefore.reset();
}

void Widget::noteFactoryResetSent()
{
    // What the base had becomes the reset's undo step once the factory values are read.
    const bool complete = (m_baseHasMask & kAllParameterBits) == kAllParameterBits;
    const std::optional<protocol::ParameterValues> before =
        complete ? std::optional(m_baseHasValues) : std::nullopt;
    forgetBaseSettings();
    m_factoryResetBefore = before;
}

void Widget::onHistoryLinkDown()
{
    forgetBaseSettings();
    m_status = BaseStatus();
    // Steps of another link would send values this base never had.
    m_undoStack->clear();
}

// ---- Undo ---------------------------------------------------------------------------------------

void Widget::noteUserChange(protocol::ParameterGroup group)
{
    if (m_loadingProfile)
        return;
    m_groupOrigin[static_cast<int>(group)] = ++m_changeOrigins;
}

void Widget::noteSent(protocol::ParameterGroup group, const protocol::ParameterValues &values)
{
    const quint32 bits = parameterGroupBits(group);
    const bool wasKnown = (m_baseHasMask & bits) == bits;
    const protocol::ParameterValues before = m_baseHasValues;
    for (const protocol::ParameterInfo &info : protocol::parameterTable()) {
        if (info.group == group)
            m_baseHasValues.setValue(info.parameter, values.value(info.parameter));
    }
    m_baseHasMask |= bits;
    if (m_undoing || !wasKnown || before == m_baseHasValues)
        return;
    pushUndoStep(before, bits, m_groupOrigin[static_cast<int>(group)]);
}

void Widget::pushUndoStep(const protocol::ParameterValues &before, quint32 parameters, int origin)
{
    // The step's "after" is what the base has now.
    m_undoStack->push(
        new SentChange([this](const auto &values, quint32 shown) { sendForUndo(values, shown); },
                       before, m_baseHasValues, parameters, origin));
}

void Widget::sendForUndo(const protocol::ParameterValues &values, quint32 parameters)
{
    const QScopedValueRollback<bool> undoing(m_undoing, true);
    showValues(values, parameters);
    if (parameters & parameterGroupBits(protocol::ParameterGroup::Machine)) {
        m_machineSendArmed = true;
        SetSendMachineryData();
    }
    if (parameters & parameterGroupBits(protocol::ParameterGroup::Game)) {
        m_gameSendArmed = true;
        SetSendGamesData();
    }
    if (parameters & parameterGroupBits(protocol::ParameterGroup::Choice))
        EightZeroZeroFour();
}

void Widget::showValues(const protocol::ParameterValues &values, quint32 parameters)
{
    // Shown as base values are: the binding neither arms a send nor counts a user change, and
    // a combo's index change sends nothing by itself.
    const QScopedValueRollback<bool> applying(m_applyingBaseValues, true);
    const QScopedValueRollback<bool> comboQuiet(m_comboSendArmed, false);
    for (const protocol::ParameterInfo &info : protocol::parameterTable()) {
        if (!(parameters & parameterBit(info.parameter)))
            continue;
        if (canShow(info, values.value(info.parameter)))
            showParameter(info, values.value(info.parameter));
    }
}

bool Widget::canShow(const protocol::ParameterInfo &info, int value) const
{
    // Sliders clamp; a selector keeps its choice for an index it does not have, so that no
    // undefined mode is shown, stored or sent.
    if (info.group != protocol::ParameterGroup::Choice)
        return findChild<QSlider *>(QLatin1String(info.controls.slider)) != nullptr;
    const auto *combo = findChild<QComboBox *>(QLatin1String(info.controls.combo));
    return combo && value >= 0 && value < combo->count();
}

void Widget::showParameter(const protocol::ParameterInfo &info, int value)
{
    if (info.group == protocol::ParameterGroup::Choice)
        findChild<QComboBox *>(QLatin1String(info.controls.combo))->setCurrentIndex(value);
    else
        findChild<QSlider *>(QLatin1String(info.controls.slider))->setValue(value);
}

// ---- Snapshots ----------------------------------------------------------------------------------

QString Widget::saveSnapshot(const QString &reason)
{
    if (!baseSettingsKnown()) {
        qCInfo(lcHistory) << "no snapshot" << reason << "- the base's settings were not read";
        return QString();
    }
    return profiles::saveSnapshot(profileFolder(), m_readBackValues,
                                  language::snapshotReason(reason), QDateTime::currentDateTime(),
                                  profiles::shippedDefaultProfile());
}

// ---- Commands -----------------------------------------------------------------------------------

bool Widget::applyProfileFile(const QString &path, QString *error, QString *snapshotPath)
{
    const profiles::CheckedProfile profile = profiles::checkProfile(path);
    const QString name = QDir::toNativeSeparators(path);
    switch (profile.verdict) {
    case profiles::ProfileVerdict::Loadable:
        break;
    case profiles::ProfileVerdict::Unreadable:
        *error = language::messageText(language::ProfileUnreadableMessage).arg(name);
        return false;
    case profiles::ProfileVerdict::Unmarked:
        *error = language::messageText(language::ProfileUnmarkedMessage).arg(name);
        return false;
    case profiles::ProfileVerdict::Foreign:
        *error = language::messageText(language::ProfileForeignMessage).arg(name);
        return false;
    case profiles::ProfileVerdict::Damaged:
        *error = language::messageText(language::DamagedProfileMessage)
                     .arg(profile.missingKeys.join(QLatin1Char('\n')));
        return false;
    }
    if (!baseSettingsKnown()) {
        *error = language::messageText(language::BaseSettingsUnknownMessage);
        return false;
    }
    const QString snapshot = saveSnapshot(QStringLiteral("before profile load"));
    if (snapshotPath) {
        *snapshotPath = snapshot;
        if (snapshot.isEmpty()) {
            *error = language::messageText(language::SnapshotFailedMessage);
            return false;
        }
    }
    loadIntoForm(profile.values);
    // Out at once, not after the sliders' send delay.
    m_machineSendArmed = true;
    SetSendMachineryData();
    m_gameSendArmed = true;
    SetSendGamesData();
    EightZeroZeroFour();
    return true;
}

void Widget::loadIntoForm(const protocol::ParameterValues &values)
{
    // One user action: its sends merge into one undo step.
    const QScopedValueRollback<bool> loading(m_loadingProfile, true);
    const int origin = ++m_changeOrigins;
    for (int &groupOrigin : m_groupOrigin)
        groupOrigin = origin;
    QVector<const protocol::ParameterInfo *> loaded;
    for (const protocol::ProfileStep &step : protocol::profileLoadOrder()) {
        if (step.item == protocol::ProfileItem::ParameterValue &&
            canShow(protocol::parameterInfo(step.parameter), values.value(step.parameter)))
            loaded.append(&protocol::parameterInfo(step.parameter));
    }
    // The values count as set on this link before the first of them moves a control, so that
    // the sends they cause may go out.
    for (const protocol::ParameterInfo *info : loaded)
        noteValueSet(info->parameter);
    for (const protocol::ParameterInfo *info : loaded)
        showParameter(*info, values.value(info->parameter));
}

bool Widget::storeBaseSettings(QString *error)
{
    saveSnapshot(QStringLiteral("before store"));
    m_storeRequestByte = protocol::StoreRequestValue;
    if (ReadOrSaveValue() != 1) {
        *error = language::messageText(language::BaseRequestFailedMessage);
        return false;
    }
    return true;
}
