// The language switch of the main window, driven through the real window against the
// simulated base.

#include "inifile.h"
#include "languagetable.h"
#include "navtestutil.h"
#include "parameters.h"
#include "widgetharness.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QSettings>
#include <QtTest>

namespace {

constexpr int kChinese = 1;
constexpr int kEnglish = 2;
const QString kTab = QStringLiteral("\n\n\n\n\n\n");

QString textOfControl(const WidgetHarness &harness, const QString &name)
{
    QObject *control = harness.widget()->findChild<QObject *>(name);
    if (auto *label = qobject_cast<QLabel *>(control))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(control))
        return button->text();
    return QStringLiteral("<no label or button %1>").arg(name);
}

QStringList itemsOf(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

// The current profile of a harness, made present so that a write to it can land.
QString currentProfile(const WidgetHarness &harness)
{
    const QString path = harness.profileFolder() + QStringLiteral("/data.ini");
    if (!QFile::exists(path)) {
        QFile::copy(QStringLiteral(":/data.ini"), path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    }
    return path;
}

// Keys match without regard to case: the default profile spells the entry "Languages", and
// the write keeps that spelling.
QString storedLanguage(const QString &profile)
{
    IniFile ini;
    QString value;
    ini.ReadIniFile(profile, QStringLiteral("Language"), QStringLiteral("LanguageS"), value);
    return value;
}

// Lets the start-up read-back and any deferred sends run out.
void settleStartup()
{
    WidgetHarness::settle(800);
}

} // namespace

class tst_Language : public QObject
{
    Q_OBJECT

private slots:
    void startupLocaleChoosesLanguage_data();
    void startupLocaleChoosesLanguage();
    void textsOfEachLanguage_data();
    void textsOfEachLanguage();
    void choiceCombosRefilledInLanguage();
    void switchKeepsChoicesAndSendsNothing();
    void switchArmsTheChoiceSends();
    void otherIndexKeepsTextsAndStoresZero();
    void everySwitchStoresItsIndex();
    void ledsNumberedFromZeroAfterEverySwitch_data();
    void ledsNumberedFromZeroAfterEverySwitch();
    void fixedTextsInEveryLanguage_data();
    void fixedTextsInEveryLanguage();
    void pilotImageOfFifthLed();
    void tableAgreesWithCatalogue();
};

void tst_Language::startupLocaleChoosesLanguage_data()
{
    QTest::addColumn<int>("localeLanguage");
    QTest::addColumn<int>("comboIndex");
    QTest::addColumn<QString>("filterLabel");

    QTest::newRow("Chinese system") << int(QLocale::Chinese) << 1 << QStringLiteral("滤波频率");
    QTest::newRow("English system")
        << int(QLocale::English) << 2 << QStringLiteral("FilterFrequency");
    QTest::newRow("German system")
        << int(QLocale::German) << 2 << QStringLiteral("FilterFrequency");
}

void tst_Language::startupLocaleChoosesLanguage()
{
    QFETCH(int, localeLanguage);
    QFETCH(int, comboIndex);
    QFETCH(QString, filterLabel);

    WidgetHarness::Options options;
    options.language = localeLanguage;
    WidgetHarness harness(options);

    QCOMPARE(harness.child<QComboBox>("comboBox")->currentIndex(), comboIndex);
    QCOMPARE(harness.child<QLabel>("label_52")->text(), filterLabel);
}

void tst_Language::textsOfEachLanguage_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("chinese");
    QTest::addColumn<QString>("english");

    const auto row = [](const char *control, const char *chinese, const char *english) {
        QTest::newRow(control) << QString::fromLatin1(control) << QString::fromUtf8(chinese)
                               << QString::fromUtf8(english);
    };
    row("label_52", "滤波频率", "FilterFrequency");
    row("label_14", "悬挂硬度", "Suspension");
    row("label_63", "响应模式", "Response");
    row("toolButton_3", "对中", "Center");
    row("label_17", "方向盘角度", "Angle");
    row("labelJump_8", "游戏力调整", "GAME FORCE");
    row("label_20", "游戏恒力", "ConstantForce");
    row("label_19", "游戏周期力", "PeriodForce");
    row("tbt_readdata", "读取基座", "ReadBase");
    row("tbt_savedata", "写入存储", "WriteStorage");
    row("toolButton_5", "另存为", "SaveAs");
    row("tBtn_ReadFile", "读取文件", "ReadFile");
    row("labelJump_4", "机械设置", "MECHANICAL SETTING");
    row("label_18", "力反馈大小", "TotalForce");
    row("label_3", "回盘速度", "WheelSpeed");
    row("label", "机械回中", "WheelSpring");
    row("label_2", "机械阻尼", "WheelDamper");
    row("label_4", "机械摩擦", "WheelFriction");
    row("labelJump_6", "游戏效果", "GAME EFFECT");
    row("label_5", "游戏回中", "GameSpring");
    row("label_6", "游戏阻尼", "GameDamper");
    row("label_7", "游戏惯量", "GameInertia");
    row("label_8", "游戏摩擦", "GameFriction");
    row("ValueSet", "\n\n\n\n\n\n参数设置", "\n\n\n\n\n\nSetting");
    row("ValueSet_3", "\n\n\n\n\n\n参数设置", "\n\n\n\n\n\nSetting");
    row("ValueSet_2", "\n\n\n\n\n\n参数设置", "\n\n\n\n\n\nSetting");
    row("toolButton_4", "\n\n\n\n\n\n外设校准", "\n\n\n\n\n\nCalibration");
    row("toolButton_9", "\n\n\n\n\n\n外设校准", "\n\n\n\n\n\nCalibration");
    row("toolButton_7", "\n\n\n\n\n\n外设校准", "\n\n\n\n\n\nCalibration");
    row("toolButton_6", "\n\n\n\n\n\n电机设置", "\n\n\n\n\n\nState");
    row("toolButton_10", "\n\n\n\n\n\n电机设置", "\n\n\n\n\n\nState");
    row("toolButton_8", "\n\n\n\n\n\n电机设置", "\n\n\n\n\n\nState");
    row("labelJump_12", "系统状态", "SYSTEM STATE");
    row("labelJump_11", "软件信息", "SYSTEM MESSAGE");
    row("label_12", "正常", "Normal");
    row("label_23", "系统过流", "OverCur");
    row("label_24", "硬件错误", "TestCur");
    row("label_26", "系统读取", "ROMErr");
    row("label_25", "系统过压", "OverVol");
    row("label_27", "角度超限", "OutOfAng");
    row("label_29", "系统缺项", "LosingPhase");
    row("label_30", "系统超速", "OverSpeed");
    row("label_31", "未找零点", "AssErr");
    row("label_9", "固件", "Firmware");
    row("label_10", "公司名称", "Company");
    row("label_11", "联系方式", "Contact");
    row("label_32", "供电电压", "Voltage");
    row("label_46", "中英文切换", "Language");
    row("lb_software", "软件版本号", "Software");
    row("label_15", "维罗拉克斯科技", "Velorax Technology");
    row("tbt_original_state", "恢复出厂", "FactoryReset");
}

void tst_Language::textsOfEachLanguage()
{
    QFETCH(QString, control);
    QFETCH(QString, chinese);
    QFETCH(QString, english);

    WidgetHarness harness;
    Widget *window = harness.widget();

    window->SetWidgetLanguage(kEnglish);
    QCOMPARE(textOfControl(harness, control), english);
    window->SetWidgetLanguage(kChinese);
    QCOMPARE(textOfControl(harness, control), chinese);
    // The second signal of a pick in the language combo runs the same switch.
    window->on_comboBox_activated(kEnglish);
    QCOMPARE(textOfControl(harness, control), english);
}

void tst_Language::choiceCombosRefilledInLanguage()
{
    WidgetHarness harness;
    auto *suspension = harness.child<QComboBox>("colorComboBox");
    auto *response = harness.child<QComboBox>("colorComboBox_2");

    harness.widget()->SetWidgetLanguage(kEnglish);
    QCOMPARE(itemsOf(suspension), (QStringList{"Soft", "Normal", "Hard"}));
    QCOMPARE(itemsOf(response), (QStringList{"Stable", "Wild"}));

    harness.widget()->SetWidgetLanguage(kChinese);
    QCOMPARE(itemsOf(suspension), (QStringList{"偏软", "适中", "偏硬"}));
    QCOMPARE(itemsOf(response), (QStringList{"稳定", "狂野"}));

    // Index 0 leaves the items of the language last applied.
    harness.widget()->SetWidgetLanguage(0);
    QCOMPARE(itemsOf(suspension), (QStringList{"偏软", "适中", "偏硬"}));
    QCOMPARE(itemsOf(response), (QStringList{"稳定", "狂野"}));
}

void tst_Language::switchKeepsChoicesAndSendsNothing()
{
    WidgetHarness harness;
    auto *suspension = harness.child<QComboBox>("colorComboBox");
    auto *response = harness.child<QComboBox>("colorComboBox_2");
    settleStartup();
    {
        const QSignalBlocker blockSuspension(suspension);
        const QSignalBlocker blockResponse(response);
        suspension->setCurrentIndex(2);
        response->setCurrentIndex(1);
    }
    harness.clearFeatures();

    harness.widget()->SetWidgetLanguage(kEnglish);
    QCOMPARE(suspension->currentIndex(), 2);
    QCOMPARE(response->currentIndex(), 1);
    QCOMPARE(suspension->currentText(), QStringLiteral("Hard"));
    QCOMPARE(response->currentText(), QStringLiteral("Wild"));

    harness.widget()->SetWidgetLanguage(kChinese);
    QCOMPARE(suspension->currentIndex(), 2);
    QCOMPARE(response->currentIndex(), 1);
    QCOMPARE(suspension->currentText(), QStringLiteral("偏硬"));
    QCOMPARE(response->currentText(), QStringLiteral("狂野"));

    // Longer than the send debounce: nothing may follow later either.
    WidgetHarness::settle(700);
    QCOMPARE(harness.base().featureLog().size(), 0);
}

void tst_Language::switchArmsTheChoiceSends()
{
    WidgetHarness harness;
    settleStartup();
    harness.widget()->SetWidgetLanguage(kEnglish);
    harness.clearFeatures();

    // After the switch a choice picked by the user reaches the base as a mode report.
    auto *suspension = harness.child<QComboBox>("colorComboBox");
    suspension->setCurrentIndex(suspension->currentIndex() == 1 ? 2 : 1);
    const QByteArray mode = harness.waitForFeature(QByteArray::fromHex("8004"));
    QVERIFY2(!mode.isEmpty(), "no mode report after a choice change");
    QCOMPARE(int(quint8(mode.at(2))), suspension->currentIndex());
}

void tst_Language::otherIndexKeepsTextsAndStoresZero()
{
    WidgetHarness harness;
    const QString profile = currentProfile(harness);
    harness.widget()->SetWidgetLanguage(kEnglish);
    QCOMPARE(storedLanguage(profile), QStringLiteral("2"));

    harness.widget()->SetWidgetLanguage(0);
    QCOMPARE(harness.child<QLabel>("label_17")->text(), QStringLiteral("Angle"));
    QCOMPARE(harness.child<QAbstractButton>("ValueSet")->text(), kTab + QStringLiteral("Setting"));
    QCOMPARE(harness.child<QLabel>("label_15")->text(), QStringLiteral("Velorax Technology"));
    QCOMPARE(storedLanguage(profile), QStringLiteral("0"));

    // So does any index outside the combo's items.
    harness.widget()->SetWidgetLanguage(7);
    QCOMPARE(harness.child<QLabel>("label_17")->text(), QStringLiteral("Angle"));
    QCOMPARE(storedLanguage(profile), QStringLiteral("7"));
}

void tst_Language::everySwitchStoresItsIndex()
{
    WidgetHarness harness;
    const QString profile = currentProfile(harness);
    QSettings before(profile, QSettings::IniFormat);
    const QStringList keysBefore = before.allKeys();

    harness.widget()->SetWidgetLanguage(kChinese);
    QCOMPARE(storedLanguage(profile), QStringLiteral("1"));
    harness.widget()->on_comboBox_activated(kEnglish);
    QCOMPARE(storedLanguage(profile), QStringLiteral("2"));

    // The rest of the profile is left as it was, the entry keeps its spelling.
    QSettings after(profile, QSettings::IniFormat);
    QCOMPARE(after.allKeys(), keysBefore);
}

void tst_Language::ledsNumberedFromZeroAfterEverySwitch_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("other") << 0;
    QTest::newRow("Chinese") << kChinese;
    QTest::newRow("English") << kEnglish;
}

void tst_Language::ledsNumberedFromZeroAfterEverySwitch()
{
    QFETCH(int, index);
    WidgetHarness harness;
    harness.widget()->SetWidgetLanguage(index);

    // Button order: led_1 .. led_8, then led_57 .. led_112.
    QStringList names;
    for (int n = 1; n <= 8; ++n)
        names << QStringLiteral("led_%1").arg(n);
    for (int n = 57; n <= 112; ++n)
        names << QStringLiteral("led_%1").arg(n);
    QCOMPARE(names.size(), 64);
    for (int k = 0; k < names.size(); ++k) {
        const QLabel *led = harness.widget()->findChild<QLabel *>(names.at(k));
        QVERIFY2(led, qPrintable(names.at(k)));
        QCOMPARE(led->text(), QString::number(k));
        QCOMPARE(led->alignment(), Qt::AlignCenter);
    }
}

void tst_Language::fixedTextsInEveryLanguage_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("other") << 0;
    QTest::newRow("Chinese") << kChinese;
    QTest::newRow("English") << kEnglish;
}

void tst_Language::fixedTextsInEveryLanguage()
{
    QFETCH(int, index);
    WidgetHarness harness;
    harness.widget()->SetWidgetLanguage(index);

    const QList<QPair<const char *, QString>> expected{
        {"labelJump_3", "[-100~100]"},
        {"labelJump_5", "[0~100]"},
        {"labelInertia", "[0~100]"},
        {"labelDamping", "[0~100]"},
        {"labelJump", "[0~100]"},
        {"labelFriction", "[0~100]"},
        {"labelGamesJump", "[0~200]"},
        {"labelGamesDamping", "[0~200]"},
        {"labelGamesInertia", "[0~200]"},
        {"labelGamesFriction", "[0~200]"},
        {"labelGamesJump_3", "[0~200]"},
        {"labelGamesJump_2", "[0~200]"},
        {"label_34", "V"},
        {"label_13", "support@velorax.example"},
    };
    for (const auto &pair : expected)
        QCOMPARE(harness.child<QLabel>(pair.first)->text(), pair.second);
}

void tst_Language::pilotImageOfFifthLed()
{
    WidgetHarness harness;
    auto *led = harness.child<QLabel>("led_5");
    harness.widget()->SetImagePilot(1);
    QCOMPARE(led->styleSheet(),
             QStringLiteral("color: rgb(255, 255, 255);image: url(://LedRedThree.png);"));
    harness.widget()->SetImagePilot(0);
    QCOMPARE(led->styleSheet(),
             QStringLiteral("color: rgb(255, 255, 255);image: url(://LEDGrayG.png);"));
    harness.widget()->SetImagePilot(2);
    QCOMPARE(led->styleSheet(),
             QStringLiteral("color: rgb(255, 255, 255);image: url(://LEDGrayG.png);"));
    QVERIFY(harness.child<QLabel>("led_4")->styleSheet() != led->styleSheet());
}

// The names of parameters and fault codes appear both in the catalogue and in the language
// table; the two must not drift apart.
void tst_Language::tableAgreesWithCatalogue()
{
    const auto rowFor = [](const char *control) -> const language::TextRow * {
        for (const language::TextRow &row : language::languageTable()) {
            if (qstrcmp(row.control, control) == 0)
                return &row;
        }
        return nullptr;
    };

    for (const protocol::ParameterInfo &info : protocol::parameterTable()) {
        const language::TextRow *row = rowFor(info.controls.label);
        QVERIFY2(row, info.controls.label);
        QCOMPARE(QString::fromUtf8(row->chinese), QString::fromUtf8(info.labels.chineseSwitched));
        QCOMPARE(QString::fromUtf8(row->english), QString::fromUtf8(info.labels.english));
        if (info.controls.combo) {
            QStringList chinese, english;
            for (int i = 0; i < info.items.count; ++i) {
                chinese << QString::fromUtf8(info.items.chinese[i]);
                english << QString::fromUtf8(info.items.english[i]);
            }
            QCOMPARE(language::comboItems(info.controls.combo, kChinese), chinese);
            QCOMPARE(language::comboItems(info.controls.combo, kEnglish), english);
            QVERIFY(language::comboItems(info.controls.combo, 0).isEmpty());
        }
    }
    for (const protocol::StatusCodeInfo &status : protocol::statusCodeTable()) {
        const language::TextRow *row = rowFor(status.label);
        QVERIFY2(row, status.label);
        QCOMPARE(QString::fromUtf8(row->chinese), QString::fromUtf8(status.labels.chineseSwitched));
        QCOMPARE(QString::fromUtf8(row->english), QString::fromUtf8(status.labels.english));
    }
    for (const protocol::ParameterInfo &info : protocol::parameterTable()) {
        if (!info.controls.rangeLabel)
            continue;
        bool found = false;
        for (const language::FixedText &fixed : language::fixedTexts()) {
            if (qstrcmp(fixed.control, info.controls.rangeLabel) == 0) {
                QCOMPARE(QString::fromUtf8(fixed.text), QString::fromUtf8(info.rangeText));
                found = true;
            }
        }
        QVERIFY2(found, info.controls.rangeLabel);
    }
    QVERIFY(language::textOf(language::languageTable().front(), 0).isNull());
    QVERIFY(language::comboItems(QStringLiteral("label_52"), kEnglish).isEmpty());
}

QTEST_MAIN(tst_Language)
#include "tst_language.moc"
