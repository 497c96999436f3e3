#include "undohistory.h"

#include "formcatalogue.h"
#include "languagetable.h"
#include "parameterbits.h"
#include "parameters.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QUndoCommand>

#include <utility>

namespace undo {

namespace {

// One change that reached the base: the settings before and after it, for the
// groups it touched. The sends of one user action (a profile load goes out as
// up to three reports) merge into one step.
class SentChange : public QUndoCommand
{
public:
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

} // namespace

QUndoCommand *sentChange(Apply apply, const protocol::ParameterValues &before,
                         const protocol::ParameterValues &after, quint32 parameters, int origin)
{
    return new SentChange(std::move(apply), before, after, parameters, origin);
}

// Each sequence once, since two shortcuts on one sequence would both stay silent.
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

QString noteText(const protocol::ParameterValues &values, const protocol::ParameterValues &from,
                 quint32 parameters, bool undone, int languageIndex)
{
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

} // namespace undo
