#pragma once

#include <QDialog>
#include <QLocale>
#include <QString>

class Highlighter;
class QMouseEvent;

namespace Ui {
class HelpText;
}

// The frameless help dialog: a coloured title strip that drags the dialog and
// a read-only text area holding the help picture in the system's language.
// It is created hidden once and then shown and hidden on demand.
class HelpText : public QDialog
{
    Q_OBJECT

public:
    explicit HelpText(QWidget *parent = nullptr);
    ~HelpText() override;

public slots:
    void onOpenHelpTextWidget();
    // An empty style applies the standard look (accent colours, picture and
    // title text); any other style sheet only restyles the title strip.
    void onModifyStyle(QString style);
    void onModifyStyle();
    // Loads a UTF-8 text file as plain text; a null path asks for the file.
    void onOpenPlainText(QString path);
    // Attaches the highlighter and loads the GBK text help beside the binary.
    void setupEditor();
    void onInsertTheImagic(QString path);
    void onCloseHelpTextWidget();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void applyStandardLook();
    void showPlainText(const QString &text);
    bool isChinese() const;

    Ui::HelpText *ui = nullptr;
    int m_pressX = 0;
    int m_pressY = 0;
    bool m_dragging = false;
    Highlighter *m_highlighter = nullptr;
    const QLocale m_locale; // the system locale at construction
};
