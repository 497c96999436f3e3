#include "formcontrols.h"

#include "rangevalidator.h"

#include <QLineEdit>
#include <QTimer>

Q_LOGGING_CATEGORY(lcFormControls, "velorax.ui.binding")

namespace {

// A field whose Enter was just taken shows a red border for this long.
constexpr int kPendingStyleMs = 200;

const char kPendingEditStyle[] =
    "QLineEdit{border:3px rgb(255,0,0); background-color: rgba(124,124,124, 0%);padding:1px "
    "2px;border-style: solid;font-size:15px;color:#9f9e9e;}QLineEdit:enabled {color: "
    "rgb(124,124,124);}QLineEdit:enabled:hover,QLineEdit:enabled:focus{border-color: "
    "rgb(255,0,0);color: rgb(124,124,124);}QLineEdit:!enabled {color: rgb(124,124,124);}";
const char kNormalEditStyle[] =
    "QLineEdit{border:1px rgb(124,124,124); background-color: rgba(124,124,124, 0%);padding:1px "
    "2px;border-style:solid;font-size:15px;color:#9f9e9e;}QLineEdit:enabled {color: "
    "rgb(124,124,124);}QLineEdit:enabled:hover,QLineEdit:enabled:focus{border-color: "
    "rgb(124,124,124);color: rgb(124,124,124);}QLineEdit:!enabled {color: rgb(124,124,124);}";

const char kStyleRestoreTimerName[] = "pendingStyleRestore";

} // namespace

// `text` as a number by the rules of the field's validator; none for text that is no number
// yet (empty, a lone sign) or that the validator refuses.
std::optional<int> typedNumber(const QLineEdit *edit, const QString &text)
{
    if (const auto *validator = qobject_cast<const RangeValidator *>(edit->validator()))
        return validator->number(text);
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

void flashEnteredField(QLineEdit *edit)
{
    edit->setStyleSheet(QString::fromLatin1(kPendingEditStyle));

    // The normal look comes back from a single-shot timer rather than a wait that spins the
    // event loop; a second Enter within the period restarts it.
    auto *restore = edit->findChild<QTimer *>(QString::fromLatin1(kStyleRestoreTimerName),
                                              Qt::FindDirectChildrenOnly);
    if (!restore) {
        restore = new QTimer(edit);
        restore->setObjectName(QString::fromLatin1(kStyleRestoreTimerName));
        restore->setSingleShot(true);
        restore->setInterval(kPendingStyleMs);
        QObject::connect(restore, &QTimer::timeout, edit,
                         [edit] { edit->setStyleSheet(QString::fromLatin1(kNormalEditStyle)); });
    }
    restore->start();
}
