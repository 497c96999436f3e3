#include "preview.h"

#include <QDir>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidget>

namespace {

class Sheet
{
public:
    explicit Sheet(const QString &outputDirectory) : m_images(outputDirectory + "/images/") {}

    QString url(const QString &name) const
    {
        return QStringLiteral("url(%1%2)").arg(m_images, name);
    }

    QWidget *tab(const QString &image, const QString &word, QWidget *parent) const
    {
        auto *button = new QToolButton(parent);
        button->setFixedSize(82, 101);
        button->setText(QStringLiteral("\n\n\n\n\n\n") + word);
        button->setStyleSheet(
            QStringLiteral("QToolButton{border-image: %1;color: #777b81;font-size : 12px ;}")
                .arg(url(image)));
        return button;
    }

    QLabel *lamp(const QString &image, const QSize &size, const QString &text, bool asImage,
                 QWidget *parent) const
    {
        auto *label = new QLabel(text, parent);
        label->setFixedSize(size);
        label->setAlignment(Qt::AlignCenter);
        label->setStyleSheet(
            QStringLiteral("color: rgb(255, 255, 255);%1: %2;")
                .arg(asImage ? QStringLiteral("image") : QStringLiteral("border-image"),
                     url(image)));
        return label;
    }

    QToolButton *button(const QString &style, const QSize &size, const QString &text,
                        QWidget *parent) const
    {
        auto *b = new QToolButton(parent);
        b->setFixedSize(size);
        b->setText(text);
        b->setStyleSheet(style);
        return b;
    }

    QString images() const { return m_images; }

private:
    QString m_images;
};

QWidget *sidebar(const Sheet &s, QWidget *parent)
{
    auto *frame = new QFrame(parent);
    frame->setObjectName(QStringLiteral("side"));
    frame->setStyleSheet(QStringLiteral("#side{background-color:#202226;}"));
    frame->setFixedWidth(82);
    auto *column = new QVBoxLayout(frame);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(s.tab(QStringLiteral("setting.png"), QStringLiteral("Setting"), frame));
    column->addWidget(s.tab(QStringLiteral("show.png"), QStringLiteral("Calibration"), frame));
    column->addWidget(s.tab(QStringLiteral("message.png"), QStringLiteral("State"), frame));
    column->addWidget(s.tab(QStringLiteral("setting1.png"), QStringLiteral("参数设置"), frame));
    column->addWidget(s.tab(QStringLiteral("show1.png"), QStringLiteral("外设校准"), frame));
    column->addWidget(s.tab(QStringLiteral("message1.png"), QStringLiteral("电机设置"), frame));
    static const char *const header[] = {"LedBlueThree.png", "LedGrayThree.png", "LedGrayThree.png",
                                         "LedGreenThree.png"};
    for (const char *name : header) {
        auto *row = new QHBoxLayout;
        row->setContentsMargins(15, 12, 0, 12);
        row->addWidget(s.lamp(QString::fromLatin1(name), QSize(41, 41), QString(), false, frame));
        row->addStretch();
        column->addLayout(row);
    }
    return frame;
}

QWidget *lampGrid(const Sheet &s, QWidget *parent)
{
    auto *grid = new QWidget(parent);
    auto *layout = new QGridLayout(grid);
    layout->setSpacing(11);
    static const char *const lamps[] = {"LEDGrayG.png",   "LedBlueThree.png", "LedGreen.png",
                                        "LedRed.png",     "LedGrayThree.png", "LedGreenThree.png",
                                        "LedRedThree.png"};
    int column = 0;
    for (const char *name : lamps) {
        const QString file = QString::fromLatin1(name);
        layout->addWidget(s.lamp(file, QSize(31, 29), QString::number(column), true, grid), 0,
                          column);
        layout->addWidget(s.lamp(file, QSize(31, 31), QString(), false, grid), 1, column);
        layout->addWidget(s.lamp(file, QSize(41, 41), QString(), false, grid), 2, column);
        ++column;
    }
    return grid;
}

QWidget *controls(const Sheet &s, QWidget *parent)
{
    auto *box = new QWidget(parent);
    auto *column = new QVBoxLayout(box);
    column->setSpacing(12);

    auto *panel = new QFrame(box);
    panel->setObjectName(QStringLiteral("frame_4"));
    panel->setFixedSize(471, 71);
    panel->setStyleSheet(QStringLiteral("#frame_4{border-image: %1;}").arg(s.url("ForIn.png")));
    auto *center =
        s.button(QStringLiteral("QToolButton{font-size:16px;font-weight:bold;color: rgb(147, 159, "
                                "153);border:1px solid rgb(124,124,124);border-radius:5px;}"),
                 QSize(71, 24), QStringLiteral("Center"), panel);
    center->move(198, 9);
    auto *pressedCenter = s.button(QStringLiteral("QToolButton{font-size:16px;font-weight:bold;"
                                                  "color: rgb(147, 159, 153);border-image: %1;}")
                                       .arg(s.url("redtwo.png")),
                                   QSize(71, 24), QStringLiteral("Center"), panel);
    pressedCenter->move(290, 9);
    column->addWidget(panel);

    auto *row = new QHBoxLayout;
    const QString action =
        QStringLiteral("QToolButton{font-size:15px;font-weight:bold;color:#9f9e9e;border:1px solid "
                       "rgb(124,124,124);border-radius:5px;background-image: %1;background-repeat: "
                       "no-repeat;background-position: center;}");
    row->addWidget(s.button(action.arg(s.url("upload.png")), QSize(111, 31), QString(), box));
    row->addWidget(s.button(action.arg(s.url("download.png")), QSize(111, 31), QString(), box));
    row->addWidget(s.button(QStringLiteral("QToolButton{font-size:15px;font-weight:bold;color:"
                                           "#777b81;border-image: %1;border-radius:15px;}")
                                .arg(s.url("redone.png")),
                            QSize(111, 31), QStringLiteral("ReadBase"), box));
    auto *saveAs = s.button(QStringLiteral("QToolButton{font-size:15px;font-weight:bold;color:"
                                           "#9f9e9e;border:1px solid rgb(124,124,124);"
                                           "border-radius:5px;}"),
                            QSize(111, 31), QStringLiteral("SaveAs"), box);
    saveAs->setIcon(QIcon(s.images() + "save.ico"));
    saveAs->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    row->addWidget(saveAs);
    column->addLayout(row);

    auto *chrome = new QHBoxLayout;
    chrome->addWidget(s.button(QStringLiteral("border-image: %1;").arg(s.url("1111.png")),
                               QSize(21, 16), QString(), box));
    chrome->addWidget(s.button(QStringLiteral("border-image: %1;").arg(s.url("delete.png")),
                               QSize(21, 16), QString(), box));
    auto *strip = new QFrame(box);
    strip->setObjectName(QStringLiteral("strip"));
    strip->setFixedSize(120, 40);
    strip->setStyleSheet(QStringLiteral("#strip{background-color:#2EBDE7;}"));
    s.button(QStringLiteral("border-image: %1;").arg(s.url("CLOSE.png")), QSize(21, 21), QString(),
             strip)
        ->move(90, 10);
    chrome->addWidget(strip);
    auto *emblem = new QFrame(box);
    emblem->setObjectName(QStringLiteral("frame"));
    emblem->setFixedSize(41, 41);
    emblem->setStyleSheet(QStringLiteral("#frame{border-image: %1;}").arg(s.url("YibIAO.png")));
    chrome->addWidget(emblem);
    auto *cell = new QFrame(box);
    cell->setObjectName(QStringLiteral("cell"));
    cell->setFixedSize(170, 60);
    cell->setStyleSheet(QStringLiteral("#cell{border-image: %1;}").arg(s.url("tab3line.png")));
    auto *pilot = s.lamp(QStringLiteral("LedRed.png"), QSize(31, 31), QString(), true, cell);
    pilot->move(120, 14);
    auto *caption = new QLabel(QStringLiteral("OverCur"), cell);
    caption->setStyleSheet(QStringLiteral("color:#9f9e9e;font-size:15px;font-weight:bold;"));
    caption->move(16, 20);
    chrome->addWidget(cell);
    chrome->addStretch();
    column->addLayout(chrome);
    column->addWidget(lampGrid(s, box));
    column->addStretch();
    return box;
}

} // namespace

QImage renderPreview(const QString &outputDirectory)
{
    const Sheet sheet(QDir(outputDirectory).absolutePath());
    QWidget window;
    window.setObjectName(QStringLiteral("page"));
    window.setStyleSheet(QStringLiteral(
        "#page{background-color:qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, stop:0 "
        "#283345,stop:0.5 #151c26 ,stop:1 #020407);}"));
    auto *layout = new QHBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(sidebar(sheet, &window));
    layout->addWidget(controls(sheet, &window));
    window.resize(720, 900);
    window.ensurePolished();
    window.show();
    return window.grab().toImage();
}
