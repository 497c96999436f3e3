#include "rangevalidator.h"

RangeValidator::RangeValidator(int minimum, int maximum, QObject *parent)
    : QIntValidator(minimum, maximum, parent)
{
    QLocale numbers = locale();
    numbers.setNumberOptions(numbers.numberOptions() | QLocale::RejectGroupSeparator);
    setLocale(numbers);
}

QValidator::State RangeValidator::validate(QString &input, int &position) const
{
    const State state = QIntValidator::validate(input, position);
    if (state != Invalid || bottom() >= 0)
        return state;
    bool ok = false;
    const qlonglong value = locale().toLongLong(input, &ok);
    const int digits = QString::number(-qlonglong(bottom())).size();
    return ok && value < bottom() && QString::number(-value).size() <= digits ? Intermediate
                                                                              : Invalid;
}

std::optional<int> RangeValidator::number(const QString &text) const
{
    QString input = text;
    int position = 0;
    if (validate(input, position) == Invalid)
        return std::nullopt;
    bool ok = false;
    const int value = locale().toInt(input, &ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}
