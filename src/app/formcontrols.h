#pragma once

// Helpers for the form's controls: finding them by name, reading a field's typed number, and
// the short red border that acknowledges Enter in a field.

#include <QList>
#include <QLoggingCategory>
#include <QStringList>
#include <QWidget>

#include <optional>

class QLineEdit;

Q_DECLARE_LOGGING_CATEGORY(lcFormControls)

// The controls named `names`, in that order. A name the form lacks is reported and left out
// (the form test keeps the two in step).
template <typename T> QList<T *> controlsNamed(const QWidget *window, const QStringList &names)
{
    QList<T *> controls;
    controls.reserve(names.size());
    for (const QString &name : names) {
        if (T *control = window->findChild<T *>(name))
            controls.append(control);
        else
            qCWarning(lcFormControls)
                << "the form has no" << T::staticMetaObject.className() << name;
    }
    return controls;
}

// `text` as a number by the rules of the field's validator; none for text that is no number
// yet (empty, a lone sign) or that the validator refuses.
std::optional<int> typedNumber(const QLineEdit *edit, const QString &text);

// Gives `edit` a red border for a moment (a second Enter within it restarts it).
void flashEnteredField(QLineEdit *edit);
