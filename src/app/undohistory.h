#pragma once

// The pieces of the window's undo history that need no window: the steps (changes that
// reached the base), the undo and redo keys, and the line saying what a step changed.

#include "reports.h"

#include <QKeySequence>
#include <QList>
#include <QString>

#include <functional>

class QKeyEvent;
class QUndoCommand;

namespace undo {

// Sends `to` (for the parameters given, bit p for parameter p) where the base had `from`;
// `undone` for an undo.
using Apply = std::function<void(const protocol::ParameterValues &to,
                                 const protocol::ParameterValues &from, quint32, bool undone)>;

// One change that reached the base; steps of one `origin` (not 0) merge into one.
QUndoCommand *sentChange(Apply apply, const protocol::ParameterValues &before,
                         const protocol::ParameterValues &after, quint32 parameters, int origin);

// The platform's undo or redo keys, and Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y everywhere.
QList<QKeySequence> keysFor(QKeySequence::StandardKey action);
bool isUndoOrRedoKey(const QKeyEvent *event);

// "Undone: WheelSpring 33 → 26" in the language of `languageIndex`.
QString noteText(const protocol::ParameterValues &values, const protocol::ParameterValues &from,
                 quint32 parameters, bool undone, int languageIndex);

} // namespace undo
