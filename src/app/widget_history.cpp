// The window's undo history of changes that reached the base: the keys, the steps the
// session announces, and the line saying what an undo or redo changed.

#include "ui_widget.h"
#include "widget.h"

#include "languagetable.h"
#include "undohistory.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QShortcut>
#include <QTimer>
#include <QUndoStack>

namespace {

// How long the line saying what an undo or redo changed stays.
constexpr int kHistoryNoteMs = 4000;

} // namespace

void Widget::setUpHistory()
{
    m_undoStack = new QUndoStack(this);
    // A change still pending goes out first and becomes the step the key undoes.
    for (const bool redo : {false, true}) {
        for (const QKeySequence &key :
             undo::keysFor(redo ? QKeySequence::Redo : QKeySequence::Undo)) {
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
           undo::isUndoOrRedoKey(static_cast<QKeyEvent *>(event)) &&
           !holdsTyping(QApplication::focusWidget());
}

void Widget::pushHistoryStep(const protocol::ParameterValues &before,
                             const protocol::ParameterValues &after, quint32 parameters, int origin)
{
    m_undoStack->push(
        undo::sentChange([this](const auto &to, const auto &from, quint32 shown,
                                bool undone) { applyHistoryStep(to, from, shown, undone); },
                         before, after, parameters, origin));
}

void Widget::applyHistoryStep(const protocol::ParameterValues &values,
                              const protocol::ParameterValues &from, quint32 parameters,
                              bool undone)
{
    m_session->applyHistoryStep(values, parameters);
    const int languageIndex =
        ui->comboBox->currentIndex() == language::Chinese ? language::Chinese : language::English;
    showHistoryNote(undo::noteText(values, from, parameters, undone, languageIndex));
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
