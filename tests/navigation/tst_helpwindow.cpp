// The help dialog as the main window opens it from its three "?" buttons.

#include "helptext.h"
#include "navtestutil.h"
#include "widgetharness.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

namespace {

const QString kChinesePicture = QStringLiteral(":/Help_Orvex.jpg");
const QString kEnglishPicture = QStringLiteral(":/Help_Orvex_En.jpg");

QStringList pictureNames(const QTextEdit *textEdit)
{
    QStringList names;
    const QTextDocument *doc = textEdit->document();
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.isImageFormat())
                names << format.toImageFormat().name();
        }
    }
    return names;
}

QList<HelpText *> visibleHelpDialogs()
{
    QList<HelpText *> dialogs;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *dialog = qobject_cast<HelpText *>(w); dialog && dialog->isVisible())
            dialogs << dialog;
    }
    return dialogs;
}

void pressHelp(WidgetHarness &harness, const char *button)
{
    auto *help = harness.child<QToolButton>(button);
    QVERIFY(help);
    navtest::showPageOf(help);
    QTest::mouseClick(help, Qt::LeftButton);
}

HelpText *dialogOf(const WidgetHarness &harness)
{
    const QList<HelpText *> dialogs = harness.widget()->findChildren<HelpText *>();
    return dialogs.size() == 1 ? dialogs.first() : nullptr;
}

} // namespace

class tst_HelpWindow : public QObject
{
    Q_OBJECT

private slots:
    void createdHiddenWithTheWindow();
    void languageFollowsSystemNotWindow_data();
    void languageFollowsSystemNotWindow();
    void everyHelpButtonOpensTheDialog_data();
    void everyHelpButtonOpensTheDialog();
    void twoPressesShowOneDialogWithOnePicture();
    void reopensWhereItWasClosed();
    void pictureFitsTheDialogWidth_data();
    void pictureFitsTheDialogWidth();
};

void tst_HelpWindow::createdHiddenWithTheWindow()
{
    WidgetHarness harness;
    HelpText *dialog = dialogOf(harness);
    QVERIFY(dialog);
    QCOMPARE(dialog->parentWidget(), harness.widget());
    QVERIFY(!dialog->isVisible());
    QVERIFY(dialog->windowFlags() & Qt::FramelessWindowHint);
}

void tst_HelpWindow::languageFollowsSystemNotWindow_data()
{
    QTest::addColumn<QLocale>("system");
    QTest::addColumn<int>("windowLanguage");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("picture");

    const QLocale chinese(QLocale::Chinese, QLocale::China);
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    QTest::newRow("Chinese system, window in English")
        << chinese << 2 << QStringLiteral("帮助") << kChinesePicture;
    QTest::newRow("Chinese system, window in Chinese")
        << chinese << 1 << QStringLiteral("帮助") << kChinesePicture;
    QTest::newRow("English system, window in Chinese")
        << english << 1 << QStringLiteral("Help") << kEnglishPicture;
    QTest::newRow("German system") << QLocale(QLocale::German, QLocale::Germany) << 2
                                   << QStringLiteral("Help") << kEnglishPicture;
}

void tst_HelpWindow::languageFollowsSystemNotWindow()
{
    QFETCH(QLocale, system);
    QFETCH(int, windowLanguage);
    QFETCH(QString, title);
    QFETCH(QString, picture);

    const navtest::DefaultLocale locale(system);
    WidgetHarness::Options options;
    options.language = system.language();
    WidgetHarness harness(options);
    harness.widget()->SetWidgetLanguage(windowLanguage);

    pressHelp(harness, "TB_Help_1");
    HelpText *dialog = dialogOf(harness);
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->findChild<QLabel *>(QStringLiteral("LB_Help"))->text(), title);
    QCOMPARE(pictureNames(dialog->findChild<QTextEdit *>(QStringLiteral("textEdit"))),
             QStringList{picture});
}

void tst_HelpWindow::everyHelpButtonOpensTheDialog_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("settings page") << "TB_Help_1";
    QTest::newRow("calibration page") << "TB_Help_2";
    QTest::newRow("state page") << "TB_Help_3";
}

void tst_HelpWindow::everyHelpButtonOpensTheDialog()
{
    QFETCH(QString, button);
    WidgetHarness harness;
    pressHelp(harness, qPrintable(button));
    const QList<HelpText *> shown = visibleHelpDialogs();
    QCOMPARE(shown.size(), 1);
    QVERIFY(shown.first() == dialogOf(harness));
}

void tst_HelpWindow::twoPressesShowOneDialogWithOnePicture()
{
    WidgetHarness harness;
    pressHelp(harness, "TB_Help_1");
    pressHelp(harness, "TB_Help_1");
    pressHelp(harness, "TB_Help_3");

    const QList<HelpText *> shown = visibleHelpDialogs();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(harness.widget()->findChildren<HelpText *>().size(), 1);
    QCOMPARE(pictureNames(shown.first()->findChild<QTextEdit *>(QStringLiteral("textEdit"))).size(),
             1);
}

void tst_HelpWindow::reopensWhereItWasClosed()
{
    WidgetHarness harness;
    pressHelp(harness, "TB_Help_1");
    HelpText *dialog = dialogOf(harness);
    QVERIFY(dialog && dialog->isVisible());
    dialog->move(123, 77);
    const QPoint left = dialog->pos();

    QTest::mouseClick(dialog->findChild<QToolButton *>(QStringLiteral("TB_Close")), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());

    pressHelp(harness, "TB_Help_2");
    QVERIFY(dialogOf(harness) == dialog);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->pos(), left);
}

void tst_HelpWindow::pictureFitsTheDialogWidth_data()
{
    QTest::addColumn<QLocale>("system");
    QTest::addColumn<QString>("picture");
    QTest::newRow("Chinese") << QLocale(QLocale::Chinese, QLocale::China) << kChinesePicture;
    QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates) << kEnglishPicture;
}

// The help is read in the dialog as it opens: the picture needs no sideways scrolling at
// the usual 96 dpi, and is scrolled through top to bottom.
void tst_HelpWindow::pictureFitsTheDialogWidth()
{
    QFETCH(QLocale, system);
    QFETCH(QString, picture);

    const navtest::DefaultLocale locale(system);
    WidgetHarness harness;
    const QImage image(picture);
    QVERIFY2(!image.isNull(), qPrintable(picture));

    pressHelp(harness, "TB_Help_1");
    HelpText *dialog = dialogOf(harness);
    QVERIFY(dialog && dialog->isVisible());
    auto *textEdit = dialog->findChild<QTextEdit *>(QStringLiteral("textEdit"));
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QApplication::processEvents();

    // Pictures are laid out at one image pixel per logical pixel at 96 dpi (the offscreen
    // platform reports 100 dpi and enlarges them a little), inside the document margins.
    const int usable =
        textEdit->viewport()->width() - 2 * qRound(textEdit->document()->documentMargin());
    QVERIFY2(
        image.width() <= usable,
        qPrintable(
            QStringLiteral("picture %1 px wide, text area %2 px").arg(image.width()).arg(usable)));
    if (textEdit->logicalDpiX() == 96)
        QCOMPARE(textEdit->horizontalScrollBar()->maximum(), 0);
    QVERIFY(textEdit->verticalScrollBar()->maximum() > 0);
}

QTEST_MAIN(tst_HelpWindow)
#include "tst_helpwindow.moc"
