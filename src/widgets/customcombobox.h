#pragma once

#include <QComboBox>

// Combo box that reports every mouse release over it as mouseClicked() and keeps the release
// from the base class.
class CustomComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit CustomComboBox(QWidget *parent = nullptr);

Q_SIGNALS:
    void mouseClicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};
