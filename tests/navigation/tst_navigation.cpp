// The window as a user meets it, through its real controls against the simulated base: the
// first look in each language (every tab leads to its page, every text fits its control, no
// style-sheet or picture warning, the help in the system's language opening at its top), the
// language switch, and dragging the frameless window.

#include "autostart.h"
#include "gamebindings.h"
#include "helptext.h"
#include "inifile.h"
#include "languagetable.h"
#include "profilefolder.h"
#include "widgetharness.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableWidget>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

namespace {

// Makes the stacked page that holds `widget` the current one, so that it is visible.
void showPageOf(QWidget *widget)
{
    for (QWidget *w = widget; w && w->parentWidget(); w = w->parentWidget()) {
        if (auto *stack = qobject_cast<QStackedWidget *>(w->parentWidget()))
            return stack->setCurrentWidget(w);
    }
}

QStringList g_warnings;
QtMessageHandler g_previous = nullptr;

// Keeps the warnings the style sheet parser and the picture loader print.
void collectWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    static const QRegularExpression watched(QStringLiteral("QCssParser|style ?sheet|pixmap"),
                                            QRegularExpression::CaseInsensitiveOption);
    if (type != QtDebugMsg && type != QtInfoMsg && message.contains(watched))
        g_warnings << message;
    g_previous(type, context, message);
}

// The size `label`'s text needs in the label's own font, wrapped to its width when it wraps.
QSizeF labelTextSize(const QLabel *label)
{
    QTextDocument doc;
    doc.setDocumentMargin(0);
    doc.setDefaultFont(label->font());
    const bool rich = label->textFormat() != Qt::PlainText && Qt::mightBeRichText(label->text());
    rich ? doc.setHtml(label->text()) : doc.setPlainText(label->text());
    if (label->wordWrap())
        doc.setTextWidth(label->contentsRect().width());
    return QSizeF(doc.idealWidth(), doc.size().height());
}

// Where a button draws its text: inside its border and padding, beside its icon when it has one.
QRect buttonTextRect(QAbstractButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    QRect rect = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    auto *tool = qobject_cast<QToolButton *>(button);
    if (tool && !button->icon().isNull() && tool->toolButtonStyle() == Qt::ToolButtonTextBesideIcon)
        rect.setLeft(rect.left() + button->iconSize().width() + 4);
    return rect;
}

// The texts in `page` that do not fit, as "object "text": needed > available".
QStringList clippedTexts(QWidget *page)
{
    QStringList clipped;
    const auto report = [&](const QWidget *w, const QSizeF &need, const QSize &room) {
        if (need.width() > room.width() || need.height() > room.height())
            clipped << QStringLiteral("%1 \"%2\" needs %3x%4")
                           .arg(w->objectName(), w->property("text").toString(),
                                QString::number(need.width()), QString::number(need.height()));
    };
    for (QLabel *label : page->findChildren<QLabel *>()) {
        if (label->isVisibleTo(page) && !label->text().isEmpty())
            report(label, labelTextSize(label), label->contentsRect().size());
    }
    for (QAbstractButton *button : page->findChildren<QAbstractButton *>()) {
        const QFontMetricsF metrics(button->font());
        if (button->isVisibleTo(page) && !button->text().isEmpty())
            report(button, QSizeF(metrics.horizontalAdvance(button->text()), metrics.capHeight()),
                   buttonTextRect(button).size());
    }
    return clipped;
}

// Presses `button` on its page; the help dialogs shown afterwards.
QList<HelpText *> pressHelp(WidgetHarness &harness, const char *button)
{
    auto *help = harness.child<QToolButton>(button);
    showPageOf(help);
    QTest::mouseClick(help, Qt::LeftButton);
    QList<HelpText *> shown;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *dialog = qobject_cast<HelpText *>(w); dialog && dialog->isVisible())
            shown << dialog;
    }
    if (shown.size() == 1 && QTest::qWaitForWindowExposed(shown.first()))
        QApplication::processEvents(); // the text area scrolls its cursor into view on showing
    return shown;
}

// A label's or a button's text.
QString textOf(const QObject *control)
{
    return control->property("text").toString();
}

QStringList itemsOf(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

// Shown when the page holding it is: no ancestor is hidden but by the page stack.
bool shownOnItsPage(const QWidget *control)
{
    for (; control->parentWidget(); control = control->parentWidget()) {
        if (control->isHidden() && !qobject_cast<QStackedWidget *>(control->parentWidget()))
            return false;
    }
    return true;
}

// Every control of the language table shows its text in `index`, the fixed texts are in place,
// and no control on any page shows a text of the other language.
void verifyLanguage(const Widget *window, int index)
{
    const int other = index == language::Chinese ? language::English : language::Chinese;
    QSet<QString> foreign;
    for (const language::TextRow &row : language::languageTable()) {
        foreign << language::textOf(row, other);
        const QObject *control = window->findChild<QObject *>(QLatin1String(row.control));
        QVERIFY2(control, row.control);
        if (auto *combo = qobject_cast<const QComboBox *>(control))
            QCOMPARE(itemsOf(combo), language::comboItems(combo->objectName(), index));
        else
            QCOMPARE(textOf(control), language::textOf(row, index));
    }
    for (const language::FixedText &fixed : language::fixedTexts())
        QCOMPARE(textOf(window->findChild<QLabel *>(fixed.control)), QString::fromUtf8(fixed.text));
    for (const QWidget *control : window->findChildren<QWidget *>()) {
        if (!shownOnItsPage(control))
            continue;
        const auto *combo = qobject_cast<const QComboBox *>(control);
        for (const QString &text : combo ? itemsOf(combo) : QStringList{textOf(control)})
            QVERIFY2(!foreign.contains(text), qPrintable(control->objectName() + ": " + text));
    }
}

// One mouse event of a drag script: press, move (button held), release or double click on
// the named control (nullptr: the window's own background).
struct Step
{
    char kind; // 'p', 'm', 'r', 'd'
    const char *target;
    QPointF pos;
    Qt::MouseButton button = Qt::LeftButton;
};
using Script = QVector<Step>;

} // namespace

Q_DECLARE_METATYPE(Script)

class tst_Navigation : public QObject
{
    Q_OBJECT

private slots:
    void firstLook_data();
    void firstLook();
    void switchThroughTheCombo_data();
    void switchThroughTheCombo();
    void dragMovesByPointerTravel_data();
    void dragMovesByPointerTravel();
    void backgroundSettings();
};

void tst_Navigation::firstLook_data()
{
    QTest::addColumn<QLocale>("system");
    QTest::addColumn<int>("window"); // the QLocale language the window starts in
    QTest::newRow("Chinese") << QLocale(QLocale::Chinese, QLocale::China) << int(QLocale::Chinese);
    QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates)
                             << int(QLocale::English);
    // The help follows the system, not the window.
    QTest::newRow("German system, Chinese window")
        << QLocale(QLocale::German, QLocale::Germany) << int(QLocale::Chinese);
}

void tst_Navigation::firstLook()
{
    QFETCH(QLocale, system);
    QFETCH(int, window);
    const bool chinese = system.language() == QLocale::Chinese;
    const QString helpTitle = chinese ? QStringLiteral("帮助") : QStringLiteral("Help");
    const QString helpPicture =
        chinese ? QStringLiteral(":/Help_Orvex.jpg") : QStringLiteral(":/Help_Orvex_En.jpg");
    const auto restoreLocale = qScopeGuard([saved = QLocale()] { QLocale::setDefault(saved); });
    QLocale::setDefault(system);
    g_warnings.clear();
    g_previous = qInstallMessageHandler(collectWarnings);
    WidgetHarness::Options options;
    options.language = window;
    WidgetHarness harness(options);

    // Every page in turn, reached through each of its tab buttons: a page's controls are
    // polished and laid out when it is first shown.
    auto *stack = harness.child<QStackedWidget>("stackedWidget");
    const std::pair<const char *, int> tabs[] = {
        {"ValueSet", 0},     {"ValueSet_3", 0},    {"ValueSet_2", 0},
        {"toolButton_4", 1}, {"toolButton_9", 1},  {"toolButton_7", 1},
        {"toolButton_6", 2}, {"toolButton_10", 2}, {"toolButton_8", 2}};
    QStringList clipped;
    for (const auto &[name, page] : tabs) {
        auto *tab = harness.child<QToolButton>(name);
        showPageOf(tab);
        QVERIFY2(tab->isVisible(), name);
        QTest::mouseClick(tab, Qt::LeftButton);
        QVERIFY2(stack->currentIndex() == page, name);
        QApplication::processEvents();
        // Texts that arrived with the last reports relayout their rows with the next pass.
        QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        clipped << clippedTexts(stack->currentWidget());
    }

    const QList<HelpText *> shown = pressHelp(harness, "TB_Help_1");
    QCOMPARE(shown.size(), 1);
    HelpText *help = shown.first();
    clipped << clippedTexts(help);
    qInstallMessageHandler(g_previous);
    clipped.removeDuplicates();
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QLatin1Char('\n'))));
    QVERIFY2(g_warnings.isEmpty(), qPrintable(g_warnings.join(QLatin1Char('\n'))));

    QCOMPARE(help->findChild<QLabel *>(QStringLiteral("LB_Help"))->text(), helpTitle);
    auto *textEdit = help->findChild<QTextEdit *>(QStringLiteral("textEdit"));
    const auto onePicture = [&] {
        const QString html = textEdit->toHtml();
        return html.count(QLatin1String("<img")) == 1 && html.contains("src=\"" + helpPicture);
    };
    QVERIFY(onePicture());
    // Pictures are laid out at one image pixel per logical pixel at 96 dpi, inside the
    // document margins: the picture needs no sideways scrolling.
    const int usable =
        textEdit->viewport()->width() - 2 * qRound(textEdit->document()->documentMargin());
    QVERIFY2(QImage(helpPicture).width() <= usable, qPrintable(QString::number(usable)));
    QScrollBar *vbar = textEdit->verticalScrollBar();
    QVERIFY(vbar->maximum() > 0);
    QCOMPARE(vbar->value(), 0);

    // Moved, read to the end, closed: every "?" opens the same dialog where it was, at its
    // top; a press while it is open adds nothing.
    help->move(123, 77);
    const QPoint left = help->pos();
    for (const char *button : {"TB_Help_2", "TB_Help_3"}) {
        vbar->setValue(vbar->maximum());
        QTest::mouseClick(help->findChild<QToolButton *>(QStringLiteral("TB_Close")),
                          Qt::LeftButton);
        QVERIFY(!help->isVisible());
        QCOMPARE(pressHelp(harness, button), shown);
        QCOMPARE(help->pos(), left);
        QCOMPARE(vbar->value(), 0);
    }
    QCOMPARE(pressHelp(harness, "TB_Help_1"), shown);
    QVERIFY(onePicture());
    QCOMPARE(harness.widget()->findChildren<HelpText *>(), shown);
}

void tst_Navigation::switchThroughTheCombo_data()
{
    QTest::addColumn<int>("locale"); // the window starts in Chinese or else in English
    QTest::newRow("Chinese system") << int(QLocale::Chinese);
    QTest::newRow("English system") << int(QLocale::English);
    QTest::newRow("German system") << int(QLocale::German);
}

void tst_Navigation::switchThroughTheCombo()
{
    QFETCH(int, locale);
    const int first = locale == QLocale::Chinese ? language::Chinese : language::English;
    WidgetHarness::Options options;
    options.language = locale;
    // The default profile, marked as one of this edition so that the switch may store into it.
    options.prepare = [](sim::SimPlatform &) {
        IniFile ini;
        ini.JudgmentFile(profiles::profileFolder(), QStringLiteral("data.ini"));
        ini.WriteIniFile(profiles::profileFolder() + QStringLiteral("/data.ini"),
                         QStringLiteral("Softward"), QStringLiteral("Ver"), QStringLiteral("0"));
    };
    WidgetHarness harness(options);
    Widget *window = harness.widget();
    const QString profile = harness.profileFolder() + QStringLiteral("/data.ini");
    const QStringList keys = QSettings(profile, QSettings::IniFormat).allKeys();
    // The start-up read-back sets the choices; it must have landed before they are picked.
    QVERIFY(WidgetHarness::waitFor(
        [&] { return harness.child<QLabel>("label_16")->text() == QLatin1String("6001"); }));
    auto *suspension = harness.child<QComboBox>(language::SuspensionCombo);
    auto *response = harness.child<QComboBox>(language::ResponseCombo);
    QTest::keyClick(suspension, Qt::Key_End);
    QTest::keyClick(response, Qt::Key_Down);
    window->SetSendMachineryData();
    window->SetSendGamesData();
    harness.clearFeatures();

    auto *combo = harness.child<QComboBox>("comboBox");
    QCOMPARE(combo->currentIndex(), first);
    const int second = first == language::Chinese ? language::English : language::Chinese;
    // "Other" (the first item, reached with Home) changes no text.
    const std::pair<int, int> steps[] = {
        {language::Other, first}, {second, second}, {first, first}};
    for (const auto &[index, shown] : steps) {
        QTest::keyClick(combo, Qt::Key_Home);
        for (int i = 0; i < index; ++i)
            QTest::keyClick(combo, Qt::Key_Down);
        QCOMPARE(combo->currentIndex(), index);
        verifyLanguage(window, shown);
        QCOMPARE(suspension->currentIndex(), suspension->count() - 1);
        QCOMPARE(response->currentIndex(), 1);
        // The default profile spells the entry "Languages"; the write keeps that spelling.
        const QSettings stored(profile, QSettings::IniFormat);
        QCOMPARE(stored.value(QStringLiteral("Language/Languages")).toInt(), index);
        QCOMPARE(stored.allKeys(), keys);
        if (QTest::currentTestFailed())
            return;
    }
    window->SetSendMachineryData();
    window->SetSendGamesData();
    QCOMPARE(harness.features(), QList<QByteArray>());

    // After the switches the user's pick reaches the base again.
    QTest::keyClick(suspension, Qt::Key_Home);
    QCOMPARE(harness.waitForFeature(QByteArray::fromHex("8004")).mid(2, 1),
             QByteArray::fromHex("00"));
}

void tst_Navigation::dragMovesByPointerTravel_data()
{
    QTest::addColumn<Script>("script");
    QTest::addColumn<QPoint>("travel");
    const Script caption{{'p', "label_17", {4, 4}}};

    // The window follows the pointer, so the same local position again is a second travel.
    QTest::newRow("caption, twice")
        << (caption + Script{{'m', "label_17", {27, 15}}, {'m', "label_17", {27, 15}}})
        << QPoint(46, 22);
    QTest::newRow("caption, left and up")
        << (caption + Script{{'m', "label_17", {-36, -3}}}) << QPoint(-40, -7);
    QTest::newRow("heading") << Script{{'p', "labelJump_4", {4, 4}}, {'m', "labelJump_4", {9, 34}}}
                             << QPoint(5, 30);
    // Halves round toward positive infinity: 10.5 -> 11, -2.5 -> -2.
    QTest::newRow("background, rounded") << Script{{'p', nullptr, {10.5, 20.5}},
                                                   {'m', nullptr, {-2.5, 20.5}},
                                                   {'m', nullptr, {11.49, 30.5}}}
                                         << QPoint(-13, 10);
    QTest::newRow("right button") << Script{{'p', "label_17", {4, 4}, Qt::RightButton},
                                            {'m', "label_17", {60, 30}, Qt::RightButton},
                                            {'p', nullptr, {4, 4}, Qt::RightButton},
                                            {'m', nullptr, {60, 30}, Qt::RightButton}}
                                  << QPoint();
    QTest::newRow("after release")
        << (caption + Script{{'r', "label_17", {4, 4}}, {'m', nullptr, {90, 90}}}) << QPoint();
    QTest::newRow("double click") << Script{{'d', nullptr, {10, 10}}, {'m', nullptr, {50, 40}}}
                                  << QPoint();
    // A held move that reaches an input control ends the drag even when the control leaves
    // the event to the window.
    for (const char *input : {"SliderJump", "SliderGamesDamping", "lineJump", "lineGamesDamping",
                              "colorComboBox", "toolButton_3"})
        QTest::newRow(input) << (caption + Script{{'m', input, {-3, -3}}}) << QPoint();
}

void tst_Navigation::dragMovesByPointerTravel()
{
    QFETCH(Script, script);
    QFETCH(QPoint, travel);
    WidgetHarness harness;
    Widget *window = harness.widget();
    window->move(300, 200);
    const QPoint start = window->pos();
    for (const Step &step : script) {
        QWidget *target = step.target ? harness.child<QWidget>(step.target) : window;
        QVERIFY2(target && target->isVisible(), step.target);
        const QEvent::Type type = step.kind == 'p'   ? QEvent::MouseButtonPress
                                  : step.kind == 'm' ? QEvent::MouseMove
                                  : step.kind == 'r' ? QEvent::MouseButtonRelease
                                                     : QEvent::MouseButtonDblClick;
        // Through the application, so that the window's event filter sees it and an ignored
        // event travels on to the parents as a real one does.
        QMouseEvent event(type, step.pos, target->mapToGlobal(step.pos.toPoint()),
                          step.kind == 'm' ? Qt::NoButton : step.button,
                          step.kind == 'r' ? Qt::NoButton : step.button, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &event);
    }
    QCOMPARE(window->pos() - start, travel);
}

// The state page's switch writes and removes the desktop's autostart entry (on Windows the Run
// key's value); the bindings dialog
// lists the bindings and removes the one chosen.
void tst_Navigation::backgroundSettings()
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    auto restore = qScopeGuard([] { qunsetenv("XDG_CONFIG_HOME"); });
    WidgetHarness harness;
    QString error;
    QVERIFY(profiles::bindProgram(harness.profileFolder(), "acc.exe", "data.ini", &error));
    QVERIFY(profiles::bindProgram(harness.profileFolder(), "ams2", "data.ini", &error));
    harness.child<QToolButton>("toolButton_6")->click(); // the state page
    auto *startSwitch = harness.child<QWidget>("autostartSwitch");
    const QString entry = config.filePath("autostart/velorax-manager.desktop");
    QTest::mouseClick(startSwitch, Qt::LeftButton);
    QVERIFY(autostart::enabled());
#ifdef Q_OS_LINUX
    QVERIFY(QFile::exists(entry));
#endif
    QTest::mouseClick(startSwitch, Qt::LeftButton);
    QVERIFY(!autostart::enabled());
    QVERIFY(!QFile::exists(entry));

    QStringList listed;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        auto *table = dialog->findChild<QTableWidget *>("bindingsTable");
        for (int row = 0; row < table->rowCount(); ++row)
            listed << table->item(row, 0)->text() + "=" + table->item(row, 1)->text();
        table->setCurrentCell(0, 0);
        dialog->findChild<QPushButton *>("removeBinding")->click();
        dialog->reject();
    });
    harness.child<QToolButton>("bindingsButton")->click();
    QCOMPARE(listed.join(' '), QStringLiteral("acc.exe=data.ini ams2=data.ini"));
    const QVector<profiles::GameBinding> left = profiles::readBindings(harness.profileFolder());
    QCOMPARE(left.size(), 1);
    QCOMPARE(left.first().program, QStringLiteral("ams2"));
}

QTEST_MAIN(tst_Navigation)
#include "tst_navigation.moc"
