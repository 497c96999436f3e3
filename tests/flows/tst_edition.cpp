// The edition set-up: this variant's texts, choices and look, applied once
// after the window is shown, in English and in Chinese.

#include "flowtestutil.h"

#include <QComboBox>
#include <QFrame>
#include <QSlider>
#include <QStackedWidget>
#include <QToolButton>
#include <QtTest>

using namespace flowtest;

namespace {

// The slider template with the accent colour #2EBDE7 (1056 characters with
// five %1 markers).
const char kSliderStyle[] =
    "QSlider::groove:horizontal{border: 1px solid  #4C4D50;  background: #4C4D50; height:2px;"
    "border-radius:1px;padding-left:-1px;  "
    "padding-right:-1px;}QSlider::sub-page:horizontal{background: "
    "qlineargradient(x1:0, y1:0, x2:0, y2:1,   stop:0 #2EBDE7, stop:1 #2EBDE7);background: "
    "qlineargradient(x1: 0, y1: 0.2, x2: 1, y2: 1,  stop: 0 #2EBDE7, stop: 1 #2EBDE7);"
    "border: 1px solid #2EBDE7;height: 15px;  border-radius: 4px; }  QSlider::add-page:horizontal "
    "{  background: #4C4D50;  border: 0px solid #777;  height: 15px;  border-radius: "
    "4px;  } QSlider::handle:horizontal   {  background: qradialgradient(spread:pad, "
    "cx:0.5, cy:0.5, radius:0.5, fx:0.5, fy:0.5,   stop:0.6 #4C4D50, stop:0.778409 "
    "rgba(76, 77, 80, 255)); width: 11px;  margin-top: -4px;  margin-bottom: -4px; "
    " border-radius: 5px;  }  QSlider::sub-page:horizontal:disabled {  background: "
    "#7e7e7e;  border-color: #7e7e7e; }   QSlider::add-page:horizontal:disabled {  "
    "background: #7e7e7e;  border-color: #7e7e7e;  }  QSlider::handle:horizontal:disabled "
    "{  background: #7e7e7e;  border: 1px solid #7e7e7e;  border-radius: 4px;  }  ";

// The button template with no background image, hover #2EBDE7 and pressed
// #2494b3 (905 characters; a tab before "background-image", and "%3s").
const char kButtonStyle[] =
    "QToolButton{text-align : left; color: rgb(147, 159, 153);\tbackground-image: url(:/);"
    "min-height:20;  font-size : 16px ;font-weight: bold;border:1px   rgb(124,124,124);"
    "background-color: rgba(124,124,124, 0%);padding:1px 1px;border-style: "
    "solid;border-top-left-radius:1px;"
    "  border-top-right-radius:1px; border-radius:5px;padding:1px "
    "1px;/*border-radius控制圆角大小*/ "
    " }  QToolButton:hover{ color: rgb(147, 159, 153);  min-height:20;  border:2px "
    "  rgb(124,124,124);background-color: #2EBDE7;padding:2px 4px;border-style:solid;"
    "  border-top-left-radius:2px;  border-top-right-radius:2px; border:1px;  border-radius:5px;"
    "padding:2px 4px;} QToolButton:pressed{ color: rgb(147, 159, 153);  min-height:20;"
    "  border:2px   rgb(124,124,124);background-color: #2494b3;padding:2px 4px;border-style:solid;"
    "  border-top-left-radius:2px;  border-top-right-radius:2px; border:1px;  border-radius:5px;"
    "padding:2px 4px;background-color: #2494b3s; } ";

const char kPageBackground[] =
    "#page{background-color:qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, stop:0 "
    "#283345,stop:0.5 #151c26 ,stop:1 "
    "#020407);}#page_2{background-color:qlineargradient(spread:pad, "
    "x1:0, y1:0, x2:0, y2:1, stop:0 #283345,stop:0.5 #151c26 ,stop:1 "
    "#020407);}#page_3{background-color:qlineargradient(spread:pad, "
    "x1:0, y1:0, x2:0, y2:1, stop:0 #283345,stop:0.5 #151c26 ,stop:1 #020407);}";

const char *const kStyledSliders[] = {"SliderStreeingAngle",
                                      "SliderGramFreeBack",
                                      "SliderJump",
                                      "SliderDamping",
                                      "SliderInertia",
                                      "SliderFriction",
                                      "SliderGramFreeBack_Flider",
                                      "SliderGamesJump",
                                      "SliderGamesDamping",
                                      "SliderGamesInertia",
                                      "SliderGamesFriction",
                                      "SliderGamesconstant",
                                      "SliderGamesSinOne"};

// A window built but not yet set up, so that each test applies the edition
// itself with the language it wants.
WidgetHarness::Options unshown()
{
    WidgetHarness::Options options = quietBase();
    options.show = false;
    return options;
}

QStringList items(const QComboBox *combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

} // namespace

class TestEdition : public QObject
{
    Q_OBJECT

private slots:
    void texts_data();
    void texts();
    void look();
    void refillingTheChoicesSendsNothing();
};

void TestEdition::texts_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("filterLabel");
    QTest::addColumn<QString>("hiddenFilterLabel");
    QTest::addColumn<QStringList>("suspension");
    QTest::newRow("English") << 0 << QStringLiteral("FilterFrequency") << QStringLiteral("Filter")
                             << QStringList{"Soft", "Normal", "Hard"};
    QTest::newRow("German system")
        << int(QLocale::German) << QStringLiteral("FilterFrequency") << QStringLiteral("Filter")
        << QStringList{"Soft", "Normal", "Hard"};
    QTest::newRow("Chinese") << int(QLocale::Chinese) << QStringLiteral("滤波频率")
                             << QStringLiteral("滤波频率")
                             << QStringList{QStringLiteral("偏软"), QStringLiteral("适中"),
                                            QStringLiteral("偏硬")};
}

void TestEdition::texts()
{
    QFETCH(int, language);
    QFETCH(QString, filterLabel);
    QFETCH(QString, hiddenFilterLabel);
    QFETCH(QStringList, suspension);
    WidgetHarness harness(unshown());
    Widget *w = harness.widget();
    w->show();

    QCOMPARE(w->Slot_FilterVersionColtrol(language), 0);
    QCOMPARE(harness.child<QLabel>("label_52")->text(), filterLabel);
    QCOMPARE(harness.child<QLabel>("label_35")->text(), hiddenFilterLabel);
    auto *combo = harness.child<QComboBox>("colorComboBox");
    QCOMPARE(items(combo), suspension);
    for (int i = 0; i < combo->count(); ++i) {
        QVERIFY(combo->itemIcon(i).isNull());
        QVERIFY(!combo->itemData(i).isValid());
    }
    QCOMPARE(harness.child<QLabel>("lb_softwareVersion")->text(), QStringLiteral("A2.1"));
    for (const char *title : {"label_53", "label_57", "label_126"})
        QCOMPARE(harness.child<QLabel>(title)->text(), QStringLiteral("Orvex Manager"));
    QVERIFY(!harness.child<QToolButton>("tbt_original_state")->isHidden());
    auto *saveAs = harness.child<QToolButton>("toolButton_5");
    QVERIFY(!saveAs->icon().isNull());
    QCOMPARE(saveAs->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
}

void TestEdition::look()
{
    WidgetHarness harness(unshown());
    harness.widget()->show();
    harness.widget()->Slot_FilterVersionColtrol(0);

    QCOMPARE(int(sizeof kSliderStyle) - 1, 1056 + 5 * 5);
    QCOMPARE(QString::fromUtf8(kButtonStyle).size(), 905 - 2 + 5 + 2 * 5);
    for (const char *name : kStyledSliders)
        QCOMPARE(harness.child<QSlider>(name)->styleSheet(), QString::fromLatin1(kSliderStyle));
    for (const char *name : {"toolButton_3", "tbt_readdata", "tbt_savedata", "toolButton_5"})
        QCOMPARE(harness.child<QToolButton>(name)->styleSheet(), QString::fromUtf8(kButtonStyle));
    QCOMPARE(harness.child<QStackedWidget>("stackedWidget")->styleSheet(),
             QString::fromLatin1(kPageBackground));

    const char *const navigation[][2] = {
        {"ValueSet", "setting.png"},     {"toolButton_4", "show.png"},
        {"toolButton_6", "message.png"}, {"ValueSet_3", "setting1.png"},
        {"toolButton_9", "show1.png"},   {"toolButton_10", "message.png"},
        {"ValueSet_2", "setting1.png"},  {"toolButton_7", "show.png"},
        {"toolButton_8", "message1.png"}};
    for (const auto &entry : navigation) {
        const QString expected =
            QStringLiteral("QToolButton{border-image: url(:/%1);color: #777b81;font-size : 12px ;}")
                .arg(QLatin1String(entry[1]));
        QCOMPARE(harness.child<QToolButton>(entry[0])->styleSheet(), expected);
    }
    for (const char *name :
         {"labelJump_4", "labelJump_6", "labelJump_8", "labelJump_11", "labelJump_12"})
        QCOMPARE(harness.child<QLabel>(name)->styleSheet(),
                 QStringLiteral("font-size:22px;color:#2EBDE7;"));
    for (const char *name : {"frame_15", "frame_17", "frame_53"})
        QCOMPARE(harness.child<QFrame>(name)->styleSheet(),
                 QStringLiteral("#%1{background-color:#202226;}").arg(QLatin1String(name)));
}

void TestEdition::refillingTheChoicesSendsNothing()
{
    WidgetHarness harness(unshown());
    harness.widget()->show();
    harness.widget()->Slot_FilterVersionColtrol(0);
    QVERIFY(WidgetHarness::waitFor([&] {
        return harness.child<QLabel>("label_16")->text() == QLatin1String(kSimFirmwareText);
    }));
    WidgetHarness::settle(200);

    // Refilling the suspension combo changed its index before combo sends
    // were armed: only the start-up read request went out.
    const QList<QByteArray> sent = harness.features();
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent.at(0).left(3), QByteArray::fromHex("80 03 01"));
}

QTEST_MAIN(TestEdition)
#include "tst_edition.moc"
