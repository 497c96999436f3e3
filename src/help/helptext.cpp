#include "helptext.h"
#include "ui_helptext.h"

#include "highlighter.h"
#include "velorax_resources.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextCodec>
#include <QTextCursor>
#include <QTextImageFormat>

Q_LOGGING_CATEGORY(lcHelp, "velorax.help")

namespace {

const QString kAccentColor = QStringLiteral("#2EBDE7");
const QString kChinesePicture = QStringLiteral(":/Help_Orvex.jpg");
const QString kEnglishPicture = QStringLiteral(":/Help_Orvex_En.jpg");

} // namespace

HelpText::HelpText(QWidget *parent) : QDialog(parent), ui(new Ui::HelpText)
{
    veloraxInitResources();
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);

    QScrollBar *hbar = ui->textEdit->horizontalScrollBar();
    hbar->setValue(hbar->minimum());

    onModifyStyle(QString(""));

    connect(ui->TB_Close, &QToolButton::released, this, &HelpText::onCloseHelpTextWidget);
    ui->textEdit->setReadOnly(true);
}

HelpText::~HelpText()
{
    delete ui;
}

void HelpText::onOpenHelpTextWidget()
{
    // The help is read from its start each time it opens. The text area's first showing
    // scrolls its cursor into view, and the cursor's line is the whole picture, which puts the
    // view at the picture's end: the view goes back to the top once the dialog is shown.
    const bool opening = !isVisible();
    show();
    if (opening)
        ui->textEdit->verticalScrollBar()->setValue(0);
}

void HelpText::onModifyStyle(QString style)
{
    if (style.isEmpty()) {
        applyStandardLook();
        return;
    }
    ui->widget->setStyleSheet(style);
}

void HelpText::onModifyStyle()
{
    onModifyStyle(QString());
}

void HelpText::onOpenPlainText(QString path)
{
    if (path.isNull())
        path = QFileDialog::getOpenFileName(this, tr("Open File"), QString(),
                                            QStringLiteral("C++ Files (*.cpp *.h)"));
    if (path.isEmpty())
        return;

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qCDebug(lcHelp) << "cannot open text file" << path << file.errorString();
        return;
    }
    showPlainText(QString::fromUtf8(file.readAll()));
}

void HelpText::setupEditor()
{
    // One highlighter per document: a second call reuses the first.
    if (!m_highlighter)
        m_highlighter = new Highlighter(ui->textEdit->document());

    const QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/Help/ch.txt");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qCDebug(lcHelp) << "no text help at" << path;
        return;
    }
    QTextCodec *codec = QTextCodec::codecForName("GBK");
    if (!codec) {
        qCWarning(lcHelp) << "GBK text codec unavailable; text help not loaded";
        return;
    }
    showPlainText(codec->toUnicode(file.readAll()));
}

void HelpText::onInsertTheImagic(QString path)
{
    // The picture goes in as an image format rather than through an "<img>"
    // tag: the HTML reader neither stops at quotes nor decodes entities in a
    // path, so any path would not survive the round trip.
    QTextImageFormat image;
    image.setName(path);
    QTextCursor cursor = ui->textEdit->textCursor();
    cursor.insertImage(image);
}

void HelpText::onCloseHelpTextWidget()
{
    close();
}

void HelpText::mousePressEvent(QMouseEvent *event)
{
    m_dragging = event->button() == Qt::LeftButton;
    m_pressX = qRound(event->localPos().x());
    m_pressY = qRound(event->localPos().y());
}

void HelpText::mouseReleaseEvent(QMouseEvent *event)
{
    Q_UNUSED(event);
    m_dragging = false;
}

void HelpText::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging)
        return;
    const QPoint travel(qRound(event->localPos().x()) - m_pressX,
                        qRound(event->localPos().y()) - m_pressY);
    move(pos() + travel);
}

void HelpText::applyStandardLook()
{
    ui->widget->setStyleSheet(QStringLiteral("background-color:%1;").arg(kAccentColor));
    ui->textEdit->setStyleSheet(
        QStringLiteral(
            "QTextEdit#textEdit{border: 2px solid %1;background-color: rgb(22, 22, 26);}")
            .arg(kAccentColor));
    onInsertTheImagic(isChinese() ? kChinesePicture : kEnglishPicture);
    ui->LB_Help->setText(isChinese() ? QStringLiteral("帮助") : QStringLiteral("Help"));
}

void HelpText::showPlainText(const QString &text)
{
    // The cursor sits beside the picture and would lend its image format to
    // every character of the new text; plain text starts from a clean format.
    ui->textEdit->setCurrentCharFormat(QTextCharFormat());
    ui->textEdit->setPlainText(text);
}

bool HelpText::isChinese() const
{
    return m_locale.language() == QLocale::Chinese;
}
