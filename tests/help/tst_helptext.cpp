#include "helptext.h"
#include "highlighter.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <QToolButton>
#include <QtTest>

namespace {

const QString kChinesePicture = QStringLiteral(":/Help_Orvex.jpg");
const QString kEnglishPicture = QStringLiteral(":/Help_Orvex_En.jpg");
const QString kStripStyle = QStringLiteral("background-color:#2EBDE7;");
const QString kTextStyle = QStringLiteral(
    "QTextEdit#textEdit{border: 2px solid #2EBDE7;background-color: rgb(22, 22, 26);}");

// Sets the default locale for the duration of a test and restores it after.
class DefaultLocale
{
public:
    explicit DefaultLocale(const QLocale &locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(m_saved); }

private:
    QLocale m_saved;
};

QTextEdit *textEditOf(HelpText &dialog)
{
    return dialog.findChild<QTextEdit *>(QStringLiteral("textEdit"));
}

QWidget *titleStripOf(HelpText &dialog)
{
    return dialog.findChild<QWidget *>(QStringLiteral("widget"));
}

QString titleOf(HelpText &dialog)
{
    return dialog.findChild<QLabel *>(QStringLiteral("LB_Help"))->text();
}

// Names of the images in the document, in document order.
QStringList imageNames(const QTextDocument *doc)
{
    QStringList names;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat fmt = it.fragment().charFormat();
            if (fmt.isImageFormat())
                names << fmt.toImageFormat().name();
        }
    }
    return names;
}

int imgTagCount(HelpText &dialog)
{
    return textEditOf(dialog)->toHtml().count(QStringLiteral("<img"));
}

int visibleHelpDialogs()
{
    int count = 0;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (qobject_cast<HelpText *>(w) && w->isVisible())
            ++count;
    }
    return count;
}

// Sends a mouse event through the application so that it propagates from the
// child to the dialog like a real one.
void sendMouse(QWidget *target, QEvent::Type type, const QPointF &local, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    QMouseEvent event(type, local, target->mapToGlobal(local.toPoint()), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace

Q_DECLARE_METATYPE(Qt::MouseButton)

class TestHelpText : public QObject
{
    Q_OBJECT

private slots:
    void languageFollowsSystemLocale_data();
    void languageFollowsSystemLocale();
    void form();
    void openingTwiceShowsOneDialogWithOnePicture();
    void drag_data();
    void drag();
    void closeHidesAndReopensWhereLeft();
    void modifyStyleRestylesTitleStripOnly();
    void insertPicture();
    void openPlainText();
    void setupEditor();
};

void TestHelpText::languageFollowsSystemLocale_data()
{
    QTest::addColumn<QLocale>("system");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("picture");

    QTest::newRow("chinese, china")
        << QLocale(QLocale::Chinese, QLocale::China) << QStringLiteral("帮助") << kChinesePicture;
    QTest::newRow("chinese, taiwan")
        << QLocale(QLocale::Chinese, QLocale::Taiwan) << QStringLiteral("帮助") << kChinesePicture;
    QTest::newRow("english") << QLocale(QLocale::English, QLocale::UnitedStates)
                             << QStringLiteral("Help") << kEnglishPicture;
    QTest::newRow("german") << QLocale(QLocale::German, QLocale::Germany) << QStringLiteral("Help")
                            << kEnglishPicture;
}

void TestHelpText::languageFollowsSystemLocale()
{
    QFETCH(QLocale, system);
    QFETCH(QString, title);
    QFETCH(QString, picture);

    // The main window speaks the other language; the dialog follows the system.
    QWidget mainWindow;
    mainWindow.setLocale(system.language() == QLocale::Chinese ? QLocale(QLocale::English)
                                                               : QLocale(QLocale::Chinese));
    std::unique_ptr<HelpText> dialog;
    {
        DefaultLocale locale(system);
        dialog.reset(new HelpText(&mainWindow));
    }

    QCOMPARE(titleOf(*dialog), title);
    QCOMPARE(imageNames(textEditOf(*dialog)->document()), QStringList{picture});
    QVERIFY(textEditOf(*dialog)->toHtml().contains(QStringLiteral("src=\"%1\"").arg(picture)));

    // The locale is the one the dialog was built with, not today's default.
    DefaultLocale other(system.language() == QLocale::Chinese ? QLocale(QLocale::English)
                                                              : QLocale(QLocale::Chinese));
    dialog->onModifyStyle();
    QCOMPARE(titleOf(*dialog), title);
    QCOMPARE(imageNames(textEditOf(*dialog)->document()).last(), picture);
}

void TestHelpText::form()
{
    QWidget mainWindow;
    HelpText dialog(&mainWindow);

    QCOMPARE(dialog.parentWidget(), &mainWindow);
    QVERIFY(dialog.isWindow());
    QVERIFY(dialog.isHidden());
    QCOMPARE(dialog.objectName(), QStringLiteral("HelpText"));
    QCOMPARE(dialog.size(), QSize(675, 470));
    QVERIFY(dialog.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(dialog.styleSheet(), QStringLiteral("background-color: rgb(57, 58, 60);\n"));

    QCOMPARE(titleStripOf(dialog)->styleSheet(), kStripStyle);

    QTextEdit *text = textEditOf(dialog);
    QVERIFY(text->isReadOnly());
    QCOMPARE(text->styleSheet(), kTextStyle);
}

void TestHelpText::openingTwiceShowsOneDialogWithOnePicture()
{
    QWidget mainWindow;
    auto *help = new HelpText(&mainWindow);
    QToolButton help1(&mainWindow), help2(&mainWindow), help3(&mainWindow);
    for (QToolButton *button : {&help3, &help2, &help1})
        connect(button, &QToolButton::released, help, &HelpText::onOpenHelpTextWidget);
    mainWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));

    QCOMPARE(visibleHelpDialogs(), 0);
    QTest::mouseClick(&help1, Qt::LeftButton);
    QVERIFY(help->isVisible());
    QTest::mouseClick(&help1, Qt::LeftButton);
    QTest::mouseClick(&help3, Qt::LeftButton);

    QCOMPARE(visibleHelpDialogs(), 1);
    QCOMPARE(imgTagCount(*help), 1);
    QCOMPARE(imageNames(textEditOf(*help)->document()).size(), 1);
}

void TestHelpText::drag_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("onTitleStrip");
    QTest::addColumn<QPointF>("pressAt");
    QTest::addColumn<QPointF>("moveTo");
    QTest::addColumn<QPoint>("travel");

    QTest::newRow("left button") << Qt::LeftButton << true << QPointF(50, 20) << QPointF(80, 35)
                                 << QPoint(30, 15);
    QTest::newRow("left button, backwards")
        << Qt::LeftButton << true << QPointF(100, 30) << QPointF(60, 10) << QPoint(-40, -20);
    // Propagation from a child already rounds positions; sent to the dialog
    // itself they arrive with their fractions.
    QTest::newRow("left button, rounded positions")
        << Qt::LeftButton << false << QPointF(10.6, 5.4) << QPointF(20.4, 5.6) << QPoint(9, 1);
    QTest::newRow("right button") << Qt::RightButton << true << QPointF(50, 20) << QPointF(80, 35)
                                  << QPoint(0, 0);
    QTest::newRow("middle button")
        << Qt::MiddleButton << true << QPointF(50, 20) << QPointF(80, 35) << QPoint(0, 0);
}

void TestHelpText::drag()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, onTitleStrip);
    QFETCH(QPointF, pressAt);
    QFETCH(QPointF, moveTo);
    QFETCH(QPoint, travel);

    QWidget mainWindow;
    HelpText dialog(&mainWindow);
    dialog.move(200, 150);
    dialog.onOpenHelpTextWidget();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QPoint start = dialog.pos();

    QWidget *target = onTitleStrip ? titleStripOf(dialog) : &dialog;
    sendMouse(target, QEvent::MouseButtonPress, pressAt, button, button);
    sendMouse(target, QEvent::MouseMove, moveTo, Qt::NoButton, button);
    QCOMPARE(dialog.pos(), start + travel);

    // After the release a move no longer drags.
    sendMouse(target, QEvent::MouseButtonRelease, moveTo, button, Qt::NoButton);
    sendMouse(target, QEvent::MouseMove, moveTo + QPointF(25, 25), Qt::NoButton, Qt::NoButton);
    QCOMPARE(dialog.pos(), start + travel);
}

void TestHelpText::closeHidesAndReopensWhereLeft()
{
    QWidget mainWindow;
    QPointer<HelpText> dialog = new HelpText(&mainWindow);
    dialog->onOpenHelpTextWidget();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));

    QWidget *strip = titleStripOf(*dialog);
    const QPoint before = dialog->pos();
    sendMouse(strip, QEvent::MouseButtonPress, QPointF(300, 20), Qt::LeftButton, Qt::LeftButton);
    sendMouse(strip, QEvent::MouseMove, QPointF(340, 50), Qt::NoButton, Qt::LeftButton);
    sendMouse(strip, QEvent::MouseButtonRelease, QPointF(340, 50), Qt::LeftButton, Qt::NoButton);
    const QPoint left = dialog->pos();
    QCOMPARE(left, before + QPoint(40, 30));

    QTest::mouseClick(dialog->findChild<QToolButton *>(QStringLiteral("TB_Close")), Qt::LeftButton);
    QVERIFY(dialog);
    QVERIFY(dialog->isHidden());

    dialog->onOpenHelpTextWidget();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QCOMPARE(dialog->pos(), left);
    QCOMPARE(imgTagCount(*dialog), 1);
}

void TestHelpText::modifyStyleRestylesTitleStripOnly()
{
    QWidget mainWindow;
    HelpText dialog(&mainWindow);
    const QString html = textEditOf(dialog)->toHtml();
    const QString title = titleOf(dialog);

    const QString custom = QStringLiteral("background-color: rgb(1, 2, 3);");
    dialog.onModifyStyle(custom);
    QCOMPARE(titleStripOf(dialog)->styleSheet(), custom);
    QCOMPARE(textEditOf(dialog)->styleSheet(), kTextStyle);
    QCOMPARE(textEditOf(dialog)->toHtml(), html);
    QCOMPARE(titleOf(dialog), title);
    QCOMPARE(dialog.styleSheet(), QStringLiteral("background-color: rgb(57, 58, 60);\n"));

    // The empty form brings the standard look back.
    dialog.onModifyStyle();
    QCOMPARE(titleStripOf(dialog)->styleSheet(), kStripStyle);
    QCOMPARE(textEditOf(dialog)->styleSheet(), kTextStyle);
}

void TestHelpText::insertPicture()
{
    const DefaultLocale locale{QLocale(QLocale::English)};
    QWidget mainWindow;
    HelpText dialog(&mainWindow);

    dialog.onInsertTheImagic(QStringLiteral(":/first.png"));
    dialog.onInsertTheImagic(QStringLiteral("/tmp/it's <odd>.png"));
    QCOMPARE(imageNames(textEditOf(dialog)->document()),
             (QStringList{kEnglishPicture, ":/first.png", "/tmp/it's <odd>.png"}));
    QCOMPARE(imgTagCount(dialog), 3);
}

void TestHelpText::openPlainText()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("notes.cpp"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        // UTF-8 for "力反馈 QString\r\n第二行", with a Windows line end.
        file.write(QByteArray::fromHex("e58a9be58f8de9a688") + " QString\r\n" +
                   QByteArray::fromHex("e7acace4ba8ce8a18c"));
    }

    QWidget mainWindow;
    HelpText dialog(&mainWindow);
    QTextEdit *text = textEditOf(dialog);
    const QString html = text->toHtml();

    // A missing file or an empty chosen path leaves the area as it was.
    dialog.onOpenPlainText(dir.filePath(QStringLiteral("missing.cpp")));
    QCOMPARE(text->toHtml(), html);
    dialog.onOpenPlainText(QStringLiteral(""));
    QCOMPARE(text->toHtml(), html);

    dialog.onOpenPlainText(path);
    QCOMPARE(text->toPlainText(), QStringLiteral("力反馈 QString\n第二行"));
    QVERIFY(imageNames(text->document()).isEmpty());
    QVERIFY(!text->toHtml().contains(QStringLiteral("<img")));
}

void TestHelpText::setupEditor()
{
    const QString helpDir = QCoreApplication::applicationDirPath() + QStringLiteral("/Help");
    QVERIFY2(!QFileInfo::exists(helpDir), "a Help folder is already beside the test binary");

    QWidget mainWindow;
    HelpText dialog(&mainWindow);
    QTextEdit *text = textEditOf(dialog);
    const QString html = text->toHtml();

    // Without the file only the highlighter is attached.
    dialog.setupEditor();
    QCOMPARE(text->toHtml(), html);
    QCOMPARE(text->document()->findChildren<Highlighter *>().size(), 1);

    QVERIFY(QDir().mkpath(helpDir));
    struct Cleanup
    {
        QString dir;
        ~Cleanup() { QDir(dir).removeRecursively(); }
    } cleanup{helpDir};
    {
        QFile file(helpDir + QStringLiteral("/ch.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        // GBK for "力反馈大小: 50", then a line naming a class.
        file.write(QByteArray::fromHex("c1a6b7b4c0a1b4f3d0a13a") + " 50\r\nQString x;\r\n");
    }

    dialog.setupEditor();
    QCOMPARE(text->toPlainText(), QStringLiteral("力反馈大小: 50\nQString x;\n"));
    QCOMPARE(text->document()->findChildren<Highlighter *>().size(), 1);

    // The attached highlighter colours the loaded text once events run.
    QCoreApplication::processEvents();
    const QTextBlock first = text->document()->firstBlock();
    const QVector<QTextLayout::FormatRange> ranges = first.layout()->formats();
    QVERIFY(!ranges.isEmpty());
    QCOMPARE(ranges.first().start, 0);
    QCOMPARE(ranges.first().length, 6);
    QCOMPARE(ranges.first().format.foreground().color(), QColor(Qt::darkBlue));
}

QTEST_MAIN(TestHelpText)
#include "tst_helptext.moc"
