// The history of the base's settings: snapshots saved before they are
// overwritten wholesale, the undo steps of changes that reached the base, and
// the settings and status commands ask for.

#include "ui_widget.h"
#include "widget.h"

#include "formcatalogue.h"
#include "languagetable.h"
#include "parameterbits.h"
#include "parameterprofile.h"
#include "parameters.h"
#include "profilefolder.h"
#include "profilestore.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QSlider>
#include <QTimer>
#include <QUndoStack>

#include <functional>
#include <utility>

Q_LOGGING_CATEGORY(lcHistory, "velorax.ui.history")

namespace {

// How long a read request's answer is waited for before the base is asked again; the base
// answers within a few tens of milliseconds.
constexpr qint64 kSettingsAnswerMs = 1000;
// How long the line saying what an undo or redo changed stays.
constexpr int kHistoryNoteMs = 4000;

// One change that reached the base: the settings before and after it, for the
// groups it touched. The sends of one user action (a profile load goes out as
// up to three reports) merge into one step.
class SentChange : public QUndoCommand
{
public:
    // Sends `to` (for the parameters given) where the base had `from`; `undone` for an undo.
    using Apply = std::function<void(const protocol::ParameterValues &to,
                                     const protocol::ParameterValues &from, quint32, bool undone)>;

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

    void undo() override { m_apply(m_before, m_after, m_parameters, true); }
    void redo() override
    {
        // Pushed once the change has gone out: only a later redo sends.
        if (m_pushed)
            m_apply(m_after, m_before, m_parameters, false);
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
    // A change still pending goes out first and becomes the step the key undoes.
    for (const bool redo : {false, true}) {
        for (const QKeySequence &key : keysFor(redo ? QKeySequence::Redo : QKeySequence::Undo)) {
            auto *shortcut = new QShortcut(key, this);
            connect(shortcut, &QShortcut::activated, this, [this, redo] {
                sendPendingChanges();
                if (redo)
                    m_undoStack->redo();
                else
                    m_undoStack->undo();
            });
        }
    }
}

bool Widget::claimsUndoKey(QEvent *event) const
{
    // A field holding typing keeps Ctrl+Z for its own text; anywhere else in this window it
    // undoes what reached the base.
    return event->type() == QEvent::ShortcutOverride &&
           isUndoOrRedoKey(static_cast<QKeyEvent *>(event)) &&
           !holdsTyping(QApplication::focusWidget());
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
    // The answer to a request that went out moments ago is as fresh as a new one's, unless
    // settings went out after it: a command run beside the window's own start-up read waits for
    // it instead of asking twice.
    if (m_settingsRequested.isValid() && m_settingsRequested.elapsed() < kSettingsAnswerMs &&
        !m_sentSinceRequest)
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
    m_answeredMask |= bit;
    m_baseHasValues.setValue(parameter, value);
    m_baseHasMask |= bit;
}

void Widget::finishReadBackPass(bool settingsArrived)
{
    // Announced once the answer to the last request is complete, so that a command sees the
    // base's settings of after its request, not a mix.
    if (!settingsArrived || !baseSettingsKnown() ||
        (m_answeredMask & kAllParameterBits) != kAllParameterBits)
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
    m_sentSinceRequest = true;
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
    m_undoStack->push(new SentChange([this](const auto &to, const auto &from, quint32 shown,
                                            bool undone) { sendForUndo(to, from, shown, undone); },
                                     before, m_baseHasValues, parameters, origin));
}

void Widget::sendForUndo(const protocol::ParameterValues &values,
                         const protocol::ParameterValues &from, quint32 parameters, bool undone)
{
    const QScopedValueRollback<bool> undoing(m_undoing, true);
    showValues(values, parameters);
    for (const protocol::ParameterGroup group :
         {protocol::ParameterGroup::Machine, protocol::ParameterGroup::Game,
          protocol::ParameterGroup::Choice}) {
        if (parameters & parameterGroupBits(group))
            sendGroup(group);
    }
    showHistoryNote(historyNoteText(values, from, parameters, undone));
}

void Widget::showValues(const protocol::ParameterValues &values, quint32 parameters)
{
    // Committed and shown without arming a send or counting as a user change.
    for (const protocol::ParameterInfo &info : protocol::parameterTable()) {
        if (!(parameters & parameterBit(info.parameter)) ||
            !canShow(info, values.value(info.parameter)))
            continue;
        commit(info.parameter, values.value(info.parameter));
        showCommitted(info.parameter);
    }
}

QString Widget::historyNoteText(const protocol::ParameterValues &values,
                                const protocol::ParameterValues &from, quint32 parameters,
                                bool undone) const
{
    const int languageIndex =
        ui->comboBox->currentIndex() == language::Chinese ? language::Chinese : language::English;
    // A choice by its item's text, a number as it is.
    const auto shown = [&](const protocol::ParameterInfo &info, int value) {
        const QStringList items =
            info.group == protocol::ParameterGroup::Choice
                ? language::comboItems(QLatin1String(form::controls(info.parameter).combo),
                                       languageIndex)
                : QStringList();
        return value >= 0 && value < items.size() ? items.at(value) : QString::number(value);
    };
    QStringList changes;
    for (const protocol::ParameterInfo &info : protocol::parameterTable()) {
        const int to = values.value(info.parameter);
        const int before = from.value(info.parameter);
        if ((parameters & parameterBit(info.parameter)) && to != before)
            changes << QStringLiteral("%1 %2 \u2192 %3")
                           .arg(language::controlText(
                                    QLatin1String(form::controls(info.parameter).label),
                                    languageIndex),
                                shown(info, before), shown(info, to));
    }
    const language::Message &message = undone ? language::UndoneMessage : language::RedoneMessage;
    return QCoreApplication::translate(
               "Widget", languageIndex == language::Chinese ? message.chinese : message.english)
        .arg(changes.join(QStringLiteral(", ")));
}

void Widget::showHistoryNote(const QString &text)
{
    // One line above the profile buttons, for a few seconds.
    if (!m_historyNote) {
        m_historyNote = new QLabel(ui->tbt_readdata->parentWidget());
        m_historyNote->setObjectName(QStringLiteral("historyNote"));
        m_historyNote->setStyleSheet(QStringLiteral("color:#9f9e9e;font-size:13px;"));
        const QRect buttons = ui->tbt_readdata->geometry().united(ui->CB_ReadFile->geometry());
        m_historyNote->setGeometry(buttons.left(), buttons.top() - 30, buttons.width(), 22);
        m_historyNoteTimer = new QTimer(this);
        m_historyNoteTimer->setObjectName(QStringLiteral("historyNoteTimer"));
        m_historyNoteTimer->setSingleShot(true);
        m_historyNoteTimer->setInterval(kHistoryNoteMs);
        connect(m_historyNoteTimer, &QTimer::timeout, m_historyNote, &QLabel::hide);
    }
    m_historyNote->setText(
        m_historyNote->fontMetrics().elidedText(text, Qt::ElideRight, m_historyNote->width()));
    m_historyNote->setToolTip(text);
    m_historyNote->show();
    m_historyNote->raise();
    m_historyNoteTimer->start();
}

bool Widget::canShow(const protocol::ParameterInfo &info, int value) const
{
    // Sliders clamp; a selector keeps its choice for an index it does not have, so that no
    // undefined mode is shown, stored or sent.
    const form::Controls &controls = form::controls(info.parameter);
    if (info.group != protocol::ParameterGroup::Choice)
        return findChild<QSlider *>(QLatin1String(controls.slider)) != nullptr;
    const auto *combo = findChild<QComboBox *>(QLatin1String(controls.combo));
    return combo && value >= 0 && value < combo->count();
}

// ---- Snapshots ----------------------------------------------------------------------------------

QString Widget::saveSnapshot(const QString &reason)
{
    // What the base reported, with the sends it took since: a value typed and sent after the
    // read-back is the base's now.
    if (!baseSettingsKnown() || (m_baseHasMask & kAllParameterBits) != kAllParameterBits) {
        qCInfo(lcHistory) << "no snapshot" << reason << "- the base's settings were not read";
        return QString();
    }
    return saveSnapshot(reason, m_baseHasValues);
}

QString Widget::saveSnapshot(const QString &reason, const protocol::ParameterValues &values)
{
    return profiles::saveSnapshot(profileFolder(), values, language::snapshotReason(reason),
                                  QDateTime::currentDateTime(), profiles::shippedDefaultProfile());
}

bool Widget::sendSettings(const protocol::ParameterValues &values)
{
    if (!baseSettingsKnown())
        return false;
    sendPendingChanges();
    loadIntoForm(values);
    for (const protocol::ParameterGroup group :
         {protocol::ParameterGroup::Machine, protocol::ParameterGroup::Game,
          protocol::ParameterGroup::Choice})
        sendGroup(group);
    return (m_baseHasMask & kAllParameterBits) == kAllParameterBits && m_baseHasValues == values;
}

// ---- Commands -----------------------------------------------------------------------------------

bool Widget::applyProfileFile(const QString &path, QString *error)
{
    const profiles::CheckedProfile profile = profiles::checkProfile(path);
    if (profile.verdict != profiles::ProfileVerdict::Loadable) {
        *error = language::profileRefusalText(profile, path);
        return false;
    }
    if (!baseSettingsKnown()) {
        *error = language::messageText(language::BaseSettingsUnknownMessage);
        return false;
    }
    sendPendingChanges();
    saveSnapshot(QStringLiteral("before profile load"));
    loadIntoForm(profile.values);
    // Out at once, not after the sliders' send delay.
    for (const protocol::ParameterGroup group :
         {protocol::ParameterGroup::Machine, protocol::ParameterGroup::Game,
          protocol::ParameterGroup::Choice})
        sendGroup(group);
    return true;
}

void Widget::loadIntoForm(const protocol::ParameterValues &values)
{
    // One user action: its sends merge into one undo step.
    const QScopedValueRollback<bool> loading(m_loadingProfile, true);
    const int origin = ++m_changeOrigins;
    for (int &groupOrigin : m_groupOrigin)
        groupOrigin = origin;
    const quint32 unsentBefore = m_unsentGroups;
    m_unsentGroups = 0;
    for (const protocol::ProfileStep &step : protocol::profileLoadOrder()) {
        if (step.item != protocol::ProfileItem::ParameterValue)
            continue;
        const protocol::ParameterInfo &info = protocol::parameterInfo(step.parameter);
        if (!canShow(info, values.value(info.parameter)))
            continue;
        // Counted as set on this link, so that the sends it causes may go out.
        noteValueSet(info.parameter);
        commit(info.parameter, values.value(info.parameter));
        showCommitted(info.parameter);
    }
    // Each group with a changed value goes out as a slider move would: the settings half a
    // second later, a choice at once.
    const quint32 changed = m_unsentGroups;
    m_unsentGroups |= unsentBefore;
    if (changed & (1u << static_cast<int>(protocol::ParameterGroup::Machine))) {
        m_machineSendArmed = true;
        m_machineSendTimer->start();
    }
    if (changed & (1u << static_cast<int>(protocol::ParameterGroup::Game))) {
        m_gameSendArmed = true;
        m_gameSendTimer->start();
    }
    if (changed & (1u << static_cast<int>(protocol::ParameterGroup::Choice)))
        EightZeroZeroFour();
}

bool Widget::storeBaseSettings(QString *error)
{
    // The base stores what the form shows: what is pending goes out first.
    sendPendingChanges();
    saveSnapshot(QStringLiteral("before store"));
    m_storeRequestByte = protocol::StoreRequestValue;
    if (ReadOrSaveValue() != 1) {
        *error = language::messageText(language::BaseRequestFailedMessage);
        return false;
    }
    return true;
}
