#pragma once

// Answers the modal dialogs the window opens while a test drives it. The
// message boxes and the save dialog run their own event loop, so a timer
// looks for the active modal widget, notes what it shows and answers it the
// way the test asked, like a user would.

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

struct SeenBox
{
    QString title, text;
    QMessageBox::StandardButtons buttons;
};

class ModalResponder
{
public:
    enum class Answer
    {
        Yes,   // the Yes button, or OK where there is no Yes
        No,    // the No button, or OK where there is no No
        Escape // the Escape key, as closing the box
    };

    ModalResponder()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start();
    }

    void setAnswer(Answer answer) { m_answer = answer; }
    // The file name typed into the save dialog; an empty one cancels it.
    void setSaveTarget(const QString &path) { m_saveTarget = path; }
    int fileDialogs() const { return m_fileDialogs; }
    QList<SeenBox> takeBoxes()
    {
        QList<SeenBox> taken;
        taken.swap(m_boxes);
        return taken;
    }

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || m_answering == modal)
            return;
        m_answering = modal;
        // Answered from a fresh event: an answer may open a dialog of its own
        // (the save dialog asks before replacing a file), and this timer does
        // not fire again while its own slot is still running.
        QTimer::singleShot(0, modal, [this, modal] {
            if (auto *box = qobject_cast<QMessageBox *>(modal))
                answerBox(box);
            else if (auto *dialog = qobject_cast<QFileDialog *>(modal))
                answerFileDialog(dialog);
        });
    }

    void answerBox(QMessageBox *box)
    {
        m_boxes.append({box->windowTitle(), box->text(), box->standardButtons()});
        QAbstractButton *button =
            box->button(m_answer == Answer::Yes ? QMessageBox::Yes : QMessageBox::No);
        if (m_answer == Answer::Escape)
            QTest::keyClick(box, Qt::Key_Escape);
        else if (button || (button = box->button(QMessageBox::Ok)))
            button->click();
        else
            box->reject();
    }

    void answerFileDialog(QFileDialog *dialog)
    {
        ++m_fileDialogs;
        if (m_saveTarget.isEmpty())
            return dialog->reject();
        // Typed into the name field, as a user would, then the Save button.
        if (auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            name->setText(m_saveTarget);
        else
            dialog->selectFile(m_saveTarget);
        static_cast<QDialog *>(dialog)->accept();
    }

    QTimer m_timer;
    Answer m_answer = Answer::Yes;
    QString m_saveTarget;
    QPointer<QWidget> m_answering;
    QList<SeenBox> m_boxes;
    int m_fileDialogs = 0;
};
