#pragma once

// The state page's background settings: a switch that starts the background instance with the
// desktop, and the game bindings dialog (the bound programs, and "add the running game").

#include <QObject>

class QLabel;
class QToolButton;
class QWidget;
class SwitchButton;

class BackgroundPanel : public QObject
{
    Q_OBJECT

public:
    // Places its controls on `page`, below the state lamps.
    explicit BackgroundPanel(QWidget *page);
    // The texts in the window's language (language::Chinese or language::English).
    void retranslate(int languageIndex);
    // Opens the bindings dialog (modal).
    void showBindings();

private:
    QWidget *m_page;
    QLabel *m_autostartLabel;
    SwitchButton *m_autostart;
    QToolButton *m_bindings;
    int m_language = 0;
};
