// Checks the main form as the rest of the tool relies on it: the controls other
// code reaches by object name, the slider ranges and start values, the window
// size, the start page, the texts, the focus chain and the custom-widget
// properties. The form is built on a plain QWidget, as the window does.

#include "ui_widget.h"
#include "velorax_resources.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QStackedWidget>
#include <QTextDocumentFragment>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

struct FormHost
{
    QWidget window;
    Ui::Widget ui;
    FormHost() { ui.setupUi(&window); }
};

// The 64 button LEDs in list order: led_1 ... led_8, then led_57 ... led_112.
QStringList ledNames()
{
    QStringList names;
    for (int n = 1; n <= 8; ++n)
        names << QStringLiteral("led_%1").arg(n);
    for (int n = 57; n <= 112; ++n)
        names << QStringLiteral("led_%1").arg(n);
    return names;
}

QString plain(const QString &text)
{
    return QTextDocumentFragment::fromHtml(text).toPlainText();
}

void addObjects(const char *cls, int page, const QStringList &names)
{
    for (const QString &name : names)
        QTest::newRow(qPrintable(name)) << name << QString::fromLatin1(cls) << page;
}

} // namespace

class TestForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void objectHasClassAndPage_data();
    void objectHasClassAndPage();
    void slidersHoldRangesAndStartValues_data();
    void slidersHoldRangesAndStartValues();
    void lineEditsHoldPlaceholderAndText_data();
    void lineEditsHoldPlaceholderAndText();
    void windowIsFixedAndStartsOnFirstPage();
    void chromeSitsAtTheSamePlaceOnEveryPage_data();
    void chromeSitsAtTheSamePlaceOnEveryPage();
    void initialTexts_data();
    void initialTexts();
    void comboItems_data();
    void comboItems();
    void buttonLedsAreNumberedAndDoNotOverlap();
    void lampsStartGrey();
    void customWidgetPropertiesAreDeclaredAndSet_data();
    void customWidgetPropertiesAreDeclaredAndSet();
    void axisGaugesCarryTitleAsDynamicProperty();
    void focusChainFollowsTabOrder();
    void groupContentsFitTheirContainers_data();
    void groupContentsFitTheirContainers();
    void controlsHiddenByTheWindowAreCreatedVisible();
};

void TestForm::initTestCase()
{
    veloraxInitResources();
}

void TestForm::objectHasClassAndPage_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<int>("page");

    // Chrome of each page.
    addObjects("QLabel", 0, {"label_53", "label_47", "label_50", "label_51", "label_54"});
    addObjects("QLabel", 1, {"label_126", "label_125", "label_59", "label_58", "label_56"});
    addObjects("QLabel", 2, {"label_57", "label_49", "label_60", "label_61", "label_62"});
    addObjects("QToolButton", 0,
               {"TB_Help_1", "toolButton_11", "toolButton_12", "ValueSet", "toolButton_4",
                "toolButton_6"});
    addObjects("QToolButton", 1,
               {"TB_Help_2", "toolButton_13", "toolButton_14", "ValueSet_3", "toolButton_9",
                "toolButton_10"});
    addObjects(
        "QToolButton", 2,
        {"TB_Help_3", "toolButton", "toolButton_2", "ValueSet_2", "toolButton_7", "toolButton_8"});
    addObjects("QFrame", 0, {"frame_15"});
    addObjects("QFrame", 1, {"frame_53"});
    addObjects("QFrame", 2, {"frame_17"});

    // Settings page.
    addObjects("GaugeArc", 0, {"gaugeArc"});
    addObjects("QFrame", 0, {"frame", "line", "frame_4", "frame_16"});
    addObjects("QSlider", 0,
               {"SliderStreeingAngle", "SliderGramFreeBack", "SliderGramFreeBack_Flider",
                "SliderInertia", "SliderJump", "SliderDamping", "SliderFriction", "SliderGamesJump",
                "SliderGamesDamping", "SliderGamesInertia", "SliderGamesFriction",
                "SliderGamesconstant", "SliderGamesSinOne", "SliderGamesSinTwo",
                "SliderGamesSinThree", "SliderGamesSinFour"});
    addObjects("QLineEdit", 0,
               {"lineStreeingAngle", "lineGramFreeBack", "lineGramFreeBack_Flider", "lineInertia",
                "lineJump", "lineDamping", "lineFriction", "lineGamesJump", "lineGamesDamping",
                "lineGamesInertia", "lineGamesFriction", "lineGamesconstant", "lineGamesSinOne",
                "lineGamesSinTwo", "lineGamesSinThree", "lineGamesSinFour"});
    addObjects("QLabel", 0,
               {"labelJump_4",
                "labelJump_6",
                "labelJump_8",
                "label_17",
                "label_18",
                "label_52",
                "label_3",
                "label",
                "label_2",
                "label_4",
                "label_5",
                "label_6",
                "label_7",
                "label_8",
                "label_20",
                "label_19",
                "label_14",
                "label_63",
                "labelJump_2",
                "labelJump_3",
                "labelJump_5",
                "labelInertia",
                "labelDamping",
                "labelJump",
                "labelFriction",
                "labelGamesJump",
                "labelGamesDamping",
                "labelGamesInertia",
                "labelGamesFriction",
                "labelGamesJump_3",
                "labelGamesJump_2",
                "LB_filterFrequency",
                "labelGamesJump_7",
                "LB_filterDamping",
                "labelGamesJump_8"});
    addObjects("QComboBox", 0, {"colorComboBox", "colorComboBox_2", "CB_ReadFile"});
    addObjects("QToolButton", 0,
               {"toolButton_3", "tbt_readdata", "tbt_savedata", "toolButton_5", "tBtn_ReadFile"});
    addObjects("QCheckBox", 0, {"ForceFeedback"});
    addObjects("QWidget", 0,
               {"layoutWidget", "layoutWidget1", "layoutWidget2", "layoutWidget3", "layoutWidget5",
                "layoutWidget6"});

    // Calibration page.
    addObjects("GaugeSimple", 1,
               {"progressBar", "progressBar_2", "progressBar_3", "progressBar_4", "progressBar_5",
                "progressBar_6"});
    addObjects("QLabel", 1, ledNames());
    addObjects("QFrame", 1, {"frame_5", "frame_6", "frame_8", "frame_10", "frame_12", "frame_14"});
    addObjects("SwitchButton", 1,
               {"switchButton", "switchButton_2", "switchButton_3", "switchButton_4",
                "switchButton_5", "switchButton_6"});
    QStringList limits;
    for (int n = 2; n <= 13; ++n)
        limits << QStringLiteral("lineFriction_%1").arg(n);
    addObjects("QLineEdit", 1, limits);

    // State page.
    addObjects("QFrame", 2, {"line_2"});
    addObjects("QLabel", 2,
               {"labelJump_11",       "labelJump_12", "label_9",  "label_16", "lb_software",
                "lb_softwareVersion", "label_10",     "label_15", "label_11", "label_13",
                "label_32",           "label_33",     "label_34", "label_35", "label_36",
                "label_46",           "LB_Help",      "label_48", "label_12", "label_23",
                "label_24",           "label_26",     "label_25", "label_27", "label_29",
                "label_30",           "label_31"});
    QStringList pilots, cells;
    for (int n = 1; n <= 9; ++n) {
        pilots << QStringLiteral("imagePilot%1").arg(n);
        cells << QStringLiteral("frame_%1").arg(17 + n);
    }
    addObjects("QLabel", 2, pilots);
    addObjects("QFrame", 2, cells);
    addObjects("ColorComboBox", 2, {"colorComboBox3", "colorComboBox_29"});
    addObjects("QComboBox", 2, {"comboBox"});
    addObjects("SwitchButton", 2, {"SwitchHelp"});
    addObjects("QToolButton", 2, {"tbt_original_state"});
    addObjects("RoundCircle", 2, {"Factory_wait"});
    addObjects("QWidget", 2, {"layoutWidget13", "layoutWidget14", "layoutWidget15"});
}

void TestForm::objectHasClassAndPage()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(int, page);

    FormHost host;
    const QList<QWidget *> found = host.window.findChildren<QWidget *>(name);
    QCOMPARE(found.size(), 1);
    QCOMPARE(QString::fromLatin1(found.first()->metaObject()->className()), className);
    QWidget *expectedPage = host.ui.stackedWidget->widget(page);
    QVERIFY(expectedPage);
    QVERIFY2(expectedPage->isAncestorOf(found.first()),
             qPrintable(name + " is not on page " + expectedPage->objectName()));
}

void TestForm::slidersHoldRangesAndStartValues_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("pageStep");
    QTest::addColumn<int>("value");

    QTest::newRow("Angle") << "SliderStreeingAngle" << 1 << 1600 << 10 << 900;
    QTest::newRow("TotalForce") << "SliderGramFreeBack" << -100 << 100 << 5 << -100;
    QTest::newRow("FilterFrequency") << "SliderGramFreeBack_Flider" << 0 << 100 << 5 << 1;
    QTest::newRow("WheelSpeed") << "SliderInertia" << 0 << 100 << 5 << 0;
    QTest::newRow("WheelSpring") << "SliderJump" << 0 << 100 << 5 << 0;
    QTest::newRow("WheelDamper") << "SliderDamping" << 0 << 100 << 5 << 0;
    QTest::newRow("WheelFriction") << "SliderFriction" << 0 << 100 << 5 << 0;
    QTest::newRow("GameSpring") << "SliderGamesJump" << 0 << 200 << 5 << 100;
    QTest::newRow("GameDamper") << "SliderGamesDamping" << 0 << 200 << 5 << 150;
    QTest::newRow("GameInertia") << "SliderGamesInertia" << 0 << 200 << 5 << 99;
    QTest::newRow("GameFriction") << "SliderGamesFriction" << 0 << 200 << 5 << 189;
    QTest::newRow("ConstantForce") << "SliderGamesconstant" << 0 << 200 << 5 << 100;
    QTest::newRow("PeriodForce") << "SliderGamesSinOne" << 0 << 200 << 5 << 200;
    QTest::newRow("unused periodic 2") << "SliderGamesSinTwo" << 0 << 200 << 5 << 0;
    QTest::newRow("unused periodic 3") << "SliderGamesSinThree" << 0 << 200 << 5 << 0;
    QTest::newRow("unused periodic 4") << "SliderGamesSinFour" << 0 << 200 << 5 << 0;
}

void TestForm::slidersHoldRangesAndStartValues()
{
    QFETCH(QString, name);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, pageStep);
    QFETCH(int, value);

    FormHost host;
    auto *slider = host.window.findChild<QSlider *>(name);
    QVERIFY(slider);
    QCOMPARE(slider->orientation(), Qt::Horizontal);
    QCOMPARE(slider->minimum(), minimum);
    QCOMPARE(slider->maximum(), maximum);
    QCOMPARE(slider->pageStep(), pageStep);
    QCOMPARE(slider->value(), value);
}

void TestForm::lineEditsHoldPlaceholderAndText_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("placeholder");

    QTest::newRow("Angle") << "lineStreeingAngle"
                           << "1~1600";
    QTest::newRow("TotalForce") << "lineGramFreeBack" << QString::fromUtf8("±100");
    for (const char *name :
         {"lineGramFreeBack_Flider", "lineInertia", "lineJump", "lineDamping", "lineFriction"})
        QTest::newRow(name) << name << "0~100";
    for (const char *name : {"lineGamesJump", "lineGamesDamping", "lineGamesInertia",
                             "lineGamesFriction", "lineGamesconstant", "lineGamesSinOne",
                             "lineGamesSinTwo", "lineGamesSinThree", "lineGamesSinFour"})
        QTest::newRow(name) << name << "0~200";
    for (int n = 2; n <= 13; ++n) {
        const QString name = QStringLiteral("lineFriction_%1").arg(n);
        QTest::newRow(qPrintable(name)) << name << "0~4095";
    }
}

void TestForm::lineEditsHoldPlaceholderAndText()
{
    QFETCH(QString, name);
    QFETCH(QString, placeholder);

    FormHost host;
    auto *edit = host.window.findChild<QLineEdit *>(name);
    QVERIFY(edit);
    QCOMPARE(edit->placeholderText(), placeholder);
    if (!name.startsWith(QLatin1String("lineFriction_")))
        QCOMPARE(edit->text(), QStringLiteral("0"));
}

void TestForm::windowIsFixedAndStartsOnFirstPage()
{
    FormHost host;
    QCOMPARE(host.window.minimumSize(), QSize(1200, 675));
    QCOMPARE(host.window.maximumSize(), QSize(1200, 675));
    QCOMPARE(host.window.windowTitle(), QStringLiteral("VELORAX"));
    QVERIFY(host.window.styleSheet().isEmpty());

    QCOMPARE(host.ui.gridLayout->count(), 1);
    QCOMPARE(host.ui.gridLayout->itemAtPosition(0, 0)->widget(), host.ui.stackedWidget);
    QCOMPARE(host.ui.gridLayout->spacing(), 0);
    QCOMPARE(host.ui.gridLayout->contentsMargins(), QMargins());

    QStackedWidget *stack = host.ui.stackedWidget;
    QCOMPARE(stack->minimumSize(), QSize(1200, 675));
    QCOMPARE(stack->maximumSize(), QSize(1200, 675));
    QCOMPARE(stack->count(), 3);
    QCOMPARE(stack->widget(0)->objectName(), QStringLiteral("page"));
    QCOMPARE(stack->widget(1)->objectName(), QStringLiteral("page_2"));
    QCOMPARE(stack->widget(2)->objectName(), QStringLiteral("page_3"));
    QCOMPARE(stack->currentIndex(), 0);

    // A resize request cannot change the size.
    host.window.resize(800, 600);
    QCOMPARE(host.window.size(), QSize(1200, 675));
}

void TestForm::chromeSitsAtTheSamePlaceOnEveryPage_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");

    const char *titles[] = {"label_53", "label_126", "label_57"};
    const char *helps[] = {"TB_Help_1", "TB_Help_2", "TB_Help_3"};
    const char *minimise[] = {"toolButton_11", "toolButton_13", "toolButton"};
    const char *close[] = {"toolButton_12", "toolButton_14", "toolButton_2"};
    const char *tabs[3][3] = {{"ValueSet", "toolButton_4", "toolButton_6"},
                              {"ValueSet_3", "toolButton_9", "toolButton_10"},
                              {"ValueSet_2", "toolButton_7", "toolButton_8"}};
    const char *lamps[3][4] = {{"label_47", "label_50", "label_51", "label_54"},
                               {"label_125", "label_59", "label_58", "label_56"},
                               {"label_49", "label_60", "label_61", "label_62"}};
    const int lampY[] = {413, 479, 548, 610};
    for (int p = 0; p < 3; ++p) {
        QTest::newRow(titles[p]) << titles[p] << QRect(120, 10, 600, 70);
        QTest::newRow(helps[p]) << helps[p] << QRect(p == 2 ? 1108 : 1107, 20, 21, 16);
        QTest::newRow(minimise[p]) << minimise[p] << QRect(1135, 20, 21, 16);
        QTest::newRow(close[p]) << close[p] << QRect(1160, 20, 21, 16);
        for (int t = 0; t < 3; ++t)
            QTest::newRow(tabs[p][t]) << tabs[p][t] << QRect(0, 101 * t, 82, 101);
        for (int l = 0; l < 4; ++l)
            QTest::newRow(lamps[p][l]) << lamps[p][l] << QRect(15, lampY[l], 41, 41);
    }
}

void TestForm::chromeSitsAtTheSamePlaceOnEveryPage()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);

    FormHost host;
    auto *w = host.window.findChild<QWidget *>(name);
    QVERIFY(w);
    // Positions are page coordinates, whichever container holds the control.
    QWidget *page = w->parentWidget();
    while (page && page->parentWidget() != host.ui.stackedWidget)
        page = page->parentWidget();
    QVERIFY(page);
    QCOMPARE(QRect(w->mapTo(page, QPoint(0, 0)), w->size()), geometry);
}

void TestForm::initialTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");

    const auto row = [](const char *name, const char *utf8) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromUtf8(utf8);
    };
    row("label_53", "Torvane Manager");
    row("label_126", "Torvane Manager");
    row("label_57", "Torvane Manager");
    row("labelJump_4", "机械设置");
    row("labelJump_6", "游戏效果");
    row("labelJump_8", "游戏力调整");
    row("labelJump_11", "软件信息");
    row("labelJump_12", "系统状态");
    row("label_17", "方向盘角度");
    row("label_18", "力反馈大小");
    row("label_52", "力反馈滤波");
    row("label_3", "回盘速度");
    row("label", "机械回中");
    row("label_2", "机械阻尼");
    row("label_4", "机械摩擦");
    row("label_5", "游戏回中");
    row("label_6", "游戏阻尼");
    row("label_7", "游戏惯量");
    row("label_8", "游戏摩擦");
    row("label_20", "游戏恒力");
    row("label_19", "游戏周期力");
    row("label_14", "悬挂硬度");
    row("label_63", "响应模式");
    row("labelJump_3", "[-100~100]");
    row("labelJump_5", "[0~100]");
    row("labelGamesJump_2", "[0~200]");
    row("toolButton_3", "对中");
    row("toolButton_5", "另存");
    row("tbt_readdata", "");
    row("tbt_savedata", "");
    row("tBtn_ReadFile", "读取文件");
    row("ForceFeedback", "力反馈方向");
    row("TB_Help_1", "?");
    row("label_9", "固件");
    row("label_16", "0");
    row("lb_software", "软件版本号");
    row("lb_softwareVersion", "R4.0");
    row("label_10", "公司名称");
    row("label_15", "维罗拉克斯科技");
    row("label_11", "联系方式");
    row("label_13", "support@velorax.example");
    row("label_32", "供电电压");
    row("label_33", "0");
    row("label_34", "V");
    row("label_35", "电机响应速度");
    row("label_36", "游戏模式");
    row("label_46", "中英文切换");
    row("LB_Help", "帮助");
    row("tbt_original_state", "恢复出厂");
    row("label_12", "正常");
    row("label_23", "系统过流");
    row("label_24", "硬件错误");
    row("label_26", "参数读取");
    row("label_25", "系统过压");
    row("label_27", "角度超限");
    row("label_29", "系统缺项");
    row("label_30", "系统超速");
    row("label_31", "未找零点");
    for (const char *name : {"ValueSet", "ValueSet_3", "ValueSet_2"})
        row(name, "\n\n\n\n\n\n参数设置");
    for (const char *name : {"toolButton_4", "toolButton_9", "toolButton_7"})
        row(name, "\n\n\n\n\n\n外设校准");
    for (const char *name : {"toolButton_6", "toolButton_10", "toolButton_8"})
        row(name, "\n\n\n\n\n\n电机设置");
}

void TestForm::initialTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);

    FormHost host;
    QObject *object = host.window.findChild<QObject *>(name);
    QVERIFY(object);
    if (auto *label = qobject_cast<QLabel *>(object))
        QCOMPARE(plain(label->text()), text);
    else if (auto *button = qobject_cast<QAbstractButton *>(object))
        QCOMPARE(button->text(), text);
    else
        QFAIL("neither a label nor a button");
}

void TestForm::comboItems_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<int>("maxWidth");

    const auto u = [](const char *s) { return QString::fromUtf8(s); };
    QTest::newRow("suspension") << "colorComboBox" << QStringList{u("偏软"), u("适中"), u("偏硬")}
                                << 131;
    QTest::newRow("response") << "colorComboBox_2" << QStringList{u("稳定"), u("狂野")} << 131;
    QTest::newRow("motor response")
        << "colorComboBox3" << QStringList{u("超柔"), u("柔性"), u("正常"), u("快速"), u("超快")}
        << QWIDGETSIZE_MAX;
    QTest::newRow("game mode") << "colorComboBox_29" << QStringList{u("赛车模式"), u("F1模式")}
                               << QWIDGETSIZE_MAX;
    QTest::newRow("language") << "comboBox"
                              << QStringList{u("其他"), u("中文(Chinese)"), u("英文(English)")}
                              << QWIDGETSIZE_MAX;
    QTest::newRow("profiles") << "CB_ReadFile" << QStringList{} << 112;
}

void TestForm::comboItems()
{
    QFETCH(QString, name);
    QFETCH(QStringList, items);
    QFETCH(int, maxWidth);

    FormHost host;
    auto *combo = host.window.findChild<QComboBox *>(name);
    QVERIFY(combo);
    QStringList actual;
    for (int i = 0; i < combo->count(); ++i)
        actual << combo->itemText(i);
    QCOMPARE(actual, items);
    QCOMPARE(combo->currentIndex(), items.isEmpty() ? -1 : 0);
    QCOMPARE(combo->maximumWidth(), maxWidth);
    if (name == QLatin1String("colorComboBox3"))
        QCOMPARE(combo->maxVisibleItems(), 5);
    if (name == QLatin1String("colorComboBox_29"))
        QCOMPARE(combo->maxVisibleItems(), 2);
}

void TestForm::buttonLedsAreNumberedAndDoNotOverlap()
{
    FormHost host;
    const QStringList names = ledNames();
    QCOMPARE(names.size(), 64);
    QList<QRect> rects;
    for (int k = 0; k < names.size(); ++k) {
        auto *led = host.window.findChild<QLabel *>(names.at(k));
        QVERIFY2(led, qPrintable(names.at(k)));
        QCOMPARE(led->parentWidget(), host.ui.page_2);
        QCOMPARE(plain(led->text()), QString::number(k + 1));
        QVERIFY(led->alignment() & Qt::AlignHCenter);
        QVERIFY(led->alignment() & Qt::AlignVCenter);
        const int number = names.at(k).mid(4).toInt();
        QCOMPARE(led->size(), QSize(31, number >= 105 ? 31 : 29));
        QVERIFY(led->styleSheet().contains(QLatin1String("border-image: url(:/LEDGrayG.png);")));
        rects << led->geometry();
    }
    const QRect pageRect(0, 0, 1200, 675);
    for (int i = 0; i < rects.size(); ++i) {
        QVERIFY2(pageRect.contains(rects.at(i)), qPrintable(names.at(i)));
        for (int j = i + 1; j < rects.size(); ++j)
            QVERIFY2(!rects.at(i).intersects(rects.at(j)),
                     qPrintable(names.at(i) + " overlaps " + names.at(j)));
    }
    // Left columns, middle row and right columns.
    QCOMPARE(host.ui.led_1->pos(), QPoint(125, 120));
    QCOMPARE(host.ui.led_2->pos(), QPoint(167, 120));
    QCOMPARE(host.ui.led_112->pos(), QPoint(1120, 582));
    int middleRow = 0;
    for (const QRect &r : rects)
        middleRow += (r.y() == 352 && r.x() >= 223 && r.x() <= 1020) ? 1 : 0;
    QCOMPARE(middleRow, 20);
}

void TestForm::lampsStartGrey()
{
    FormHost host;
    const QString grey = QStringLiteral("border-image: url(:/LedGrayThree.png);");
    for (int n = 1; n <= 9; ++n) {
        auto *lamp = host.window.findChild<QLabel *>(QStringLiteral("imagePilot%1").arg(n));
        QVERIFY(lamp);
        QCOMPARE(lamp->styleSheet(), grey);
        QCOMPARE(lamp->size(), QSize(31, 31));
    }
    for (QLabel *lamp : {host.ui.label_47, host.ui.label_50, host.ui.label_51, host.ui.label_54,
                         host.ui.label_125, host.ui.label_59, host.ui.label_58, host.ui.label_56,
                         host.ui.label_49, host.ui.label_60, host.ui.label_61, host.ui.label_62})
        QCOMPARE(lamp->styleSheet(), grey);
}

void TestForm::customWidgetPropertiesAreDeclaredAndSet_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("value");

    const auto row = [](const char *name, const char *property, const QVariant &value) {
        QTest::newRow(
            qPrintable(QStringLiteral("%1.%2").arg(QLatin1String(name), QLatin1String(property))))
            << QString::fromLatin1(name) << QByteArray(property) << value;
    };
    row("gaugeArc", "arcColor", QColor(253, 253, 253));
    row("gaugeArc", "scaleColor", QColor(253, 253, 253));
    row("gaugeArc", "scaleNumColor", QColor(253, 253, 253));
    row("gaugeArc", "pointerColor", QColor(255, 0, 0));
    row("gaugeArc", "textColor", QColor(255, 255, 255));

    const char *gauges[] = {"progressBar",   "progressBar_2", "progressBar_3",
                            "progressBar_4", "progressBar_5", "progressBar_6"};
    for (const char *g : gauges) {
        row(g, "minValue", 0.0);
        row(g, "maxValue", 4095.0);
        row(g, "scaleMajor", 5);
        row(g, "usedColor", QColor(46, 189, 231));
        row(g, "freeColor", QColor(57, 65, 68));
        row(g, "scaleColor", QColor(203, 203, 203));
        row(g, "pointerColor", QColor(227, 30, 24));
    }
    row("progressBar", "overlayColor", QColor(253, 253, 253, 60));

    const char *switches[] = {"switchButton",   "switchButton_2", "switchButton_3",
                              "switchButton_4", "switchButton_5", "switchButton_6"};
    for (const char *s : switches) {
        row(s, "space", 1);
        row(s, "checked", false);
        row(s, "bgColorOff", QColor(191, 22, 9));
        row(s, "bgColorOn", QColor(191, 22, 9));
        row(s, "sliderColorOff", QColor(76, 77, 80));
        row(s, "sliderColorOn", QColor(76, 77, 80));
    }
    row("switchButton", "rectRadius", 9);
    row("switchButton_3", "rectRadius", 10);
}

void TestForm::customWidgetPropertiesAreDeclaredAndSet()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, property);
    QFETCH(QVariant, value);

    FormHost host;
    QWidget *w = host.window.findChild<QWidget *>(name);
    QVERIFY(w);
    // A misspelt name would land as a dynamic property and change nothing.
    QVERIFY2(w->metaObject()->indexOfProperty(property.constData()) >= 0, property.constData());
    QVERIFY2(!w->dynamicPropertyNames().contains(property), property.constData());
    const QVariant actual = w->property(property.constData());
    if (value.userType() == QMetaType::Double)
        QCOMPARE(actual.toDouble(), value.toDouble());
    else if (value.userType() == QMetaType::QColor)
        QCOMPARE(actual.value<QColor>(), value.value<QColor>());
    else
        QCOMPARE(actual, value);
}

void TestForm::axisGaugesCarryTitleAsDynamicProperty()
{
    FormHost host;
    const QList<QPair<QWidget *, QString>> gauges = {
        {host.ui.progressBar, "X"},    {host.ui.progressBar_2, "Y"},
        {host.ui.progressBar_3, "Z"},  {host.ui.progressBar_4, "RX"},
        {host.ui.progressBar_5, "RY"}, {host.ui.progressBar_6, "RZ"}};
    for (const auto &g : gauges) {
        QVERIFY(g.first->dynamicPropertyNames().contains("title"));
        QCOMPARE(g.first->property("title").toString(), g.second);
        QCOMPARE(g.first->size(), QSize(231, 201));
    }
}

void TestForm::focusChainFollowsTabOrder()
{
    FormHost host;
    const QStringList order = {
        "lineGramFreeBack",   "lineJump",           "lineDamping",         "lineInertia",
        "lineFriction",       "lineGamesJump",      "lineGamesDamping",    "lineGamesInertia",
        "lineGamesFriction",  "toolButton_2",       "lineGamesconstant",   "lineGamesSinOne",
        "lineGamesSinTwo",    "lineGamesSinThree",  "SliderGramFreeBack",  "SliderJump",
        "SliderDamping",      "SliderInertia",      "SliderFriction",      "SliderGamesJump",
        "SliderGamesDamping", "SliderGamesInertia", "SliderGamesFriction", "SliderGamesconstant",
        "SliderGamesSinOne",  "SliderGamesSinTwo",  "SliderGamesSinThree", "toolButton_3",
        "ForceFeedback",      "tbt_savedata",       "tbt_readdata",        "toolButton_5",
        "toolButton"};
    for (int i = 0; i + 1 < order.size(); ++i) {
        auto *from = host.window.findChild<QWidget *>(order.at(i));
        auto *to = host.window.findChild<QWidget *>(order.at(i + 1));
        QVERIFY2(from && to, qPrintable(order.at(i)));
        QVERIFY2(from->nextInFocusChain() == to,
                 qPrintable(order.at(i) + " is not followed by " + order.at(i + 1)));
    }
    QCOMPARE(host.ui.toolButton_5->focusPolicy(), Qt::TabFocus);
}

void TestForm::groupContentsFitTheirContainers_data()
{
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("geometry");

    QTest::newRow("machine settings") << "layoutWidget5" << QRect(130, 90, 476, 291);
    QTest::newRow("game effects") << "layoutWidget6" << QRect(130, 390, 474, 263);
    QTest::newRow("game force") << "layoutWidget3" << QRect(672, 332, 478, 320);
    QTest::newRow("software information") << "layoutWidget13" << QRect(100, 150, 531, 402);
    QTest::newRow("system state") << "layoutWidget14" << QRect(659, 148, 518, 231);
    QTest::newRow("help switch") << "layoutWidget15" << QRect(101, 561, 221, 42);
    QTest::newRow("angle row") << "layoutWidget4" << QRect(26, 32, 431, 31);
}

// With the window laid out, every control of a group lies inside the group and
// keeps at least its minimum size, so nothing is cut off or squeezed.
void TestForm::groupContentsFitTheirContainers()
{
    QFETCH(QString, container);
    QFETCH(QRect, geometry);

    FormHost host;
    host.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host.window));
    for (int page = 0; page < 3; ++page) {
        host.ui.stackedWidget->setCurrentIndex(page);
        QCoreApplication::processEvents();
    }

    auto *group = host.window.findChild<QWidget *>(container);
    QVERIFY(group);
    QCOMPARE(group->geometry(), geometry);
    const QList<QWidget *> children = group->findChildren<QWidget *>();
    QVERIFY(!children.isEmpty());
    for (QWidget *child : children) {
        if (child->window() != group->window())
            continue; // combo popups
        const QRect inGroup(child->mapTo(group, QPoint(0, 0)), child->size());
        QVERIFY2(group->rect().contains(inGroup), qPrintable(child->objectName()));
        QVERIFY2(child->width() >= child->minimumWidth() &&
                     child->height() >= child->minimumHeight(),
                 qPrintable(child->objectName()));
        if (auto *label = qobject_cast<QLabel *>(child)) {
            if (!label->text().isEmpty() && !label->wordWrap()) {
                const QSize needed = label->minimumSizeHint();
                QVERIFY2(label->width() >= needed.width() && label->height() >= needed.height(),
                         qPrintable(label->objectName() + " is clipped"));
            }
        }
    }
    // Rows never overlap.
    for (int i = 0; i < children.size(); ++i) {
        if (children.at(i)->parentWidget() != group)
            continue;
        for (int j = i + 1; j < children.size(); ++j) {
            if (children.at(j)->parentWidget() != group)
                continue;
            QVERIFY2(!children.at(i)->geometry().intersects(children.at(j)->geometry()),
                     qPrintable(children.at(i)->objectName() + " overlaps " +
                                children.at(j)->objectName()));
        }
    }
}

void TestForm::controlsHiddenByTheWindowAreCreatedVisible()
{
    FormHost host;
    for (QWidget *w : std::initializer_list<QWidget *>{
             host.ui.ForceFeedback,    host.ui.frame_16,  host.ui.labelJump_2,
             host.ui.tBtn_ReadFile,    host.ui.frame_5,   host.ui.frame_6,
             host.ui.frame_8,          host.ui.frame_10,  host.ui.frame_12,
             host.ui.frame_14,         host.ui.frame,     host.ui.Factory_wait,
             host.ui.label_35,         host.ui.label_36,  host.ui.colorComboBox3,
             host.ui.colorComboBox_29, host.ui.comboBox,  host.ui.label_46,
             host.ui.LB_Help,          host.ui.SwitchHelp})
        QVERIFY2(!w->isHidden(), qPrintable(w->objectName()));
    QCOMPARE(host.ui.Factory_wait->size(), QSize(100, 80));
    QCOMPARE(host.ui.Factory_wait->pos(), QPoint(320, 580));
    QCOMPARE(host.ui.tbt_original_state->geometry(), QRect(100, 610, 221, 40));
    QCOMPARE(host.ui.gaugeArc->geometry(), QRect(710, 50, 381, 261));
}

QTEST_MAIN(TestForm)
#include "tst_form.moc"
