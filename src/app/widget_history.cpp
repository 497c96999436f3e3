// The window's undo history of changes that reached the base: the keys, the steps the
// session announces, and the line saying what an undo or redo changed.

#include "ui_widget.h"
#include "widget.h"

#include "formcatalogue.h"
#include "languagetable.h"
#include "parameterbits.h"
#include "parameters.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QShortcut>
#include <QTimer>
#include <QUndoStack>

#include <functional>
#include <utility>

namespace {

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

void Widget::setUpHistory()
{
    m_undoStack = new QUndoStack(this);
    // A change still pending goes out first and becomes the step the key undoes.
    for (const bool redo : {false, true}) {
        for (const QKeySequence &key : keysFor(redo ? QKeySequence::Redo : QKeySequence::Undo)) {
            auto *shortcut = new QShortcut(key, this);
            connect(shortcut, &QShortcut::activated, this, [this, redo] {
                m_session->sendPendingChanges();
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

void Widget::pushHistoryStep(const protocol::ParameterValues &before,
                             const protocol::ParameterValues &after, quint32 parameters, int origin)
{
    m_undoStack->push(
        new SentChange([this](const auto &to, const auto &from, quint32 shown,
                              bool undone) { applyHistoryStep(to, from, shown, undone); },
                       before, after, parameters, origin));
}

void Widget::applyHistoryStep(const protocol::ParameterValues &values,
                              const protocol::ParameterValues &from, quint32 parameters,
                              bool undone)
{
    m_session->applyHistoryStep(values, parameters);
    showHistoryNote(historyNoteText(values, from, parameters, undone));
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
