// The help dialog on its own: dragging it by its title strip, restyling the strip, pictures
// with odd paths and the plain-text files it shows. Opening it from
// the window, its language and its scroll position are checked through the window.

#include "helptext.h"
#include "highlighter.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextLayout>
#include <QtTest>

namespace {

QTextEdit *textEditOf(const HelpText &dialog)
{
    return dialog.findChild<QTextEdit *>(QStringLiteral("textEdit"));
}

} // namespace

class TestHelpText : public QObject
{
    Q_OBJECT

private slots:
    void drag();
    void restyle();
    void shownFiles();
};

// A press and a move, on the title strip or on the dialog itself, with one button; after the
// release a move no longer drags. Sent to the dialog itself, positions keep their fractions.
void TestHelpText::drag()
{
    const struct
    {
        Qt::MouseButton button;
        bool onTitleStrip;
        QPointF pressAt, moveTo;
        QPoint travel;
    } rows[] = {{Qt::LeftButton, true, {50, 20}, {80, 35}, {30, 15}},
                {Qt::LeftButton, true, {100, 30}, {60, 10}, {-40, -20}},
                {Qt::LeftButton, false, {10.6, 5.4}, {20.4, 5.6}, {9, 1}},
                {Qt::RightButton, true, {50, 20}, {80, 35}, {}},
                {Qt::MiddleButton, true, {50, 20}, {80, 35}, {}}};
    QWidget mainWindow;
    HelpText dialog(&mainWindow);
    dialog.onOpenHelpTextWidget();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *strip = dialog.findChild<QWidget *>(QStringLiteral("widget"));
    for (const auto &row : rows) {
        const QPoint start = dialog.pos();
        QWidget *target = row.onTitleStrip ? strip : &dialog;
        const auto send = [&](QEvent::Type type, const QPointF &at, int pressed, int held) {
            QMouseEvent event(type, at, target->mapToGlobal(at.toPoint()), Qt::MouseButton(pressed),
                              Qt::MouseButtons(held), Qt::NoModifier);
            QApplication::sendEvent(target, &event); // travels on to the dialog as a real one
        };
        send(QEvent::MouseButtonPress, row.pressAt, row.button, row.button);
        send(QEvent::MouseMove, row.moveTo, Qt::NoButton, row.button);
        send(QEvent::MouseButtonRelease, row.moveTo, row.button, Qt::NoButton);
        send(QEvent::MouseMove, row.moveTo + QPointF(25, 25), Qt::NoButton, Qt::NoButton);
        QCOMPARE(dialog.pos(), start + row.travel);
    }
}

// A custom strip style touches nothing else; the empty form brings the standard look back.
void TestHelpText::restyle()
{
    QWidget mainWindow;
    HelpText dialog(&mainWindow);
    auto *strip = dialog.findChild<QWidget *>(QStringLiteral("widget"));
    const QString standard = strip->styleSheet(), html = textEditOf(dialog)->toHtml();
    dialog.onModifyStyle(QStringLiteral("background-color: rgb(1, 2, 3);"));
    QCOMPARE(strip->styleSheet(), QStringLiteral("background-color: rgb(1, 2, 3);"));
    // The help is read, never edited.
    QTest::keyClicks(textEditOf(dialog), QStringLiteral("x"));
    QCOMPARE(textEditOf(dialog)->toHtml(), html);
    dialog.onModifyStyle();
    QCOMPARE(strip->styleSheet(), standard);
    // Picture paths are kept as they are, quotes and brackets included.
    dialog.onInsertTheImagic(QStringLiteral("/tmp/it's <odd>.png"));
    QTextCursor end(textEditOf(dialog)->document());
    end.movePosition(QTextCursor::End);
    QCOMPARE(end.charFormat().toImageFormat().name(), QStringLiteral("/tmp/it's <odd>.png"));
}

void TestHelpText::shownFiles()
{
    const auto write = [](const QString &path, const QByteArray &bytes) {
        QFile file(path);
        return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
               file.write(bytes) == bytes.size();
    };
    QTemporaryDir scratch;
    // UTF-8 for "力反馈 QString\r\n第二行", with a Windows line end.
    QVERIFY(write(scratch.filePath("notes.cpp"), QByteArray::fromHex("e58a9be58f8de9a688") +
                                                     " QString\r\n" +
                                                     QByteArray::fromHex("e7acace4ba8ce8a18c")));
    QWidget mainWindow;
    HelpText dialog(&mainWindow);
    QTextEdit *text = textEditOf(dialog);
    const QString html = text->toHtml();
    // A missing file, and no text help beside the binary, leave the picture in place.
    const QDir beside(QCoreApplication::applicationDirPath());
    QVERIFY2(!beside.exists(QStringLiteral("Help")), "a Help folder is beside the test");
    dialog.onOpenPlainText(scratch.filePath("missing.cpp"));
    dialog.setupEditor();
    QCOMPARE(text->toHtml(), html);
    dialog.onOpenPlainText(scratch.filePath("notes.cpp"));
    QCOMPARE(text->toPlainText(), QStringLiteral("力反馈 QString\n第二行"));
    QVERIFY(!text->toHtml().contains(QLatin1String("<img")));

    // The text help is GBK: "力反馈大小: 50", then a line naming a class.
    const auto cleanup = qScopeGuard([&] { QDir(beside.filePath("Help")).removeRecursively(); });
    QVERIFY(write(beside.filePath("Help/ch.txt"),
                  QByteArray::fromHex("c1a6b7b4c0a1b4f3d0a13a") + " 50\r\nQString x;\r\n"));
    dialog.setupEditor();
    QCOMPARE(text->toPlainText(), QStringLiteral("力反馈大小: 50\nQString x;\n"));
    // One highlighter, which colours the text once events run.
    QCOMPARE(text->document()->findChildren<Highlighter *>().size(), 1);
    QCoreApplication::processEvents();
    QVERIFY(!text->document()->firstBlock().layout()->formats().isEmpty());
}

QTEST_MAIN(TestHelpText)
#include "tst_helptext.moc"
