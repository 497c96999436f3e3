#pragma once

#include <QIntValidator>

#include <optional>

// An integer validator that treats both ends of its range alike: a number past either end
// (with no more digits than that end) is intermediate input, corrected to the end when the
// field is committed. QIntValidator lets "150" through for 0..100 but refuses "-150" for
// -100..100 outright, which dropped the last keystroke. Group separators are no part of a
// number: "1,600" would otherwise pass and convert to nothing.
class RangeValidator : public QIntValidator
{
    Q_OBJECT

public:
    RangeValidator(int minimum, int maximum, QObject *parent = nullptr);

    State validate(QString &input, int &position) const override;
    // The number `text` stands for, in this validator's locale; none for text that is no
    // number yet (empty, a lone sign) or that validate() refuses. Past the range is given as
    // it is.
    std::optional<int> number(const QString &text) const;
};
