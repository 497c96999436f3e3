#pragma once

#include <QComboBox>

// The combo box class the main form places for its colour choice; it behaves as a plain
// QComboBox.
class ColorComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit ColorComboBox(QWidget *parent = nullptr);
};
