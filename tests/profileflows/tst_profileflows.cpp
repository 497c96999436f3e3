// Loading, saving and listing profiles through the real window against the
// simulated base: the edition marker and its boxes, what a load sets, what
// "WriteStorage" and "SaveAs" write, and that a refused or cancelled action
// leaves every file as it was.

#include "inifile.h"
#include "modalresponder.h"
#include "profileflowutil.h"
#include "profilestore.h"
#include "switchbutton.h"
#include "velorax_resources.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QtTest>

#include <memory>

using namespace flowutil;

namespace {

// A profile of this edition with the given values, in the shipped layout.
QByteArray markedProfile(int totalForce, int spring, int angle, int speedIndex = 1,
                         int typeIndex = 1)
{
    return QStringLiteral("[MachineSetUp]\r\nForceFeedback=%1\r\nExternalElastic=%2\r\n"
                          "OuterDamping=33\r\nExternalMoment=44\r\nExternalFriction=55\r\n\r\n"
                          "[GameEffect]\r\nGameFlider=7\r\nGameElastic=120\r\nGameDamping=121\r\n"
                          "GameMoment=122\r\nGameFriction=123\r\n\r\n"
                          "[GameIsForce]\r\nGameConstant=124\r\nGameSinOne=125\r\n\r\n"
                          "[StreeingAngle]\r\nSliderStreeingAngle=%3\r\n\r\n"
                          "[Softward]\r\nspeed=%4\r\ntype=%5\r\nVer=0\r\nHelp=1\r\n\r\n"
                          "[Language]\r\nLanguages=2\r\n")
        .arg(totalForce)
        .arg(spring)
        .arg(angle)
        .arg(speedIndex)
        .arg(typeIndex)
        .toLatin1();
}

QByteArray withMarker(const QByteArray &marker)
{
    QByteArray profile = markedProfile(-40, 12, 720);
    profile.replace("Ver=0\r\n", "Ver=" + marker + "\r\n");
    return profile;
}

// The first report since the last clearFeatures() that starts with the
// prefix, waiting for it; the two settings reports may come in either order.
QByteArray waitForReport(const WidgetHarness &h, const char *hexPrefix, int timeoutMs = 3000)
{
    const QByteArray prefix = QByteArray::fromHex(hexPrefix);
    QByteArray found;
    WidgetHarness::waitFor(
        [&] {
            for (const QByteArray &report : h.features()) {
                if (report.startsWith(prefix)) {
                    found = report;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

QByteArray shippedDefault()
{
    veloraxInitResources();
    QFile resource(QStringLiteral(":/data.ini"));
    return resource.open(QIODevice::ReadOnly) ? resource.readAll() : QByteArray();
}

} // namespace

class TestProfileFlows : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startUpPreparesTheDefaultProfileAndList();
    void listHoldsProfileFilesSortedWithoutRegardToCase();
    void shippedDefaultConvertsThenLoads();
    void declinedConversionChangesNothing_data();
    void declinedConversionChangesNothing();
    void boxTextsFollowTheSystemLocale_data();
    void boxTextsFollowTheSystemLocale();
    void editionMarkers_data();
    void editionMarkers();
    void foreignProfileStaysByteIdentical();
    void missingAngleSetsTheSliderToOne();
    void choiceIndexesOutsideTheItemsKeepTheSelection();
    void vanishedFileIsRefused_data();
    void vanishedFileIsRefused();
    void namesAreTakenExactly();
    void sameItemAgainReloadsFromTheFile();
    void saveAsWritesEveryKeyAndListsTheFile_data();
    void saveAsWritesEveryKeyAndListsTheFile();
    void saveAsIntoAnExistingProfileKeepsItsOtherKeys();
    void saveAsWithoutFolderDefaultStartsFromTheShippedOne();
    void cancelledSaveAsChangesNothing();
    void storeWritesTheProfileThenAsksTheBaseToStore();
    void storeAfterRefusalWritesTheShownProfile();
    void storeWithTheProfileGoneStillAsksTheBase();
    void refusedLoadAfterSaveAsReturnsToTheSavedProfile();
    void defaultPreparationCopiesOnlyWhenMissing();
    void pointingAtAProfileFolderFile();
    void loadedValuesReachTheBase();
    void unchangedValuesAreNotSentAgain();

private:
    void makeHarness();
    QString pathOf(const QString &name) const
    {
        return m_h->profileFolder() + QLatin1Char('/') + name;
    }
    void addProfile(const QString &name, const QByteArray &bytes)
    {
        QVERIFY(writeBytes(pathOf(name), bytes));
    }
    // Rebuilds the list so that files added by the test appear in it.
    void relist() { m_h->widget()->Slit_InitcbReadFile(); }
    void loadGood(const QString &name, const QByteArray &bytes);

    std::unique_ptr<WidgetHarness> m_h;
    std::unique_ptr<ModalResponder> m_responder;
};

void TestProfileFlows::init()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    makeHarness();
}

void TestProfileFlows::cleanup()
{
    m_responder.reset();
    m_h.reset();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestProfileFlows::makeHarness()
{
    m_h = std::make_unique<WidgetHarness>(quietOptions());
    m_responder = std::make_unique<ModalResponder>();
    // Let the start-up read-back fill the form before the test changes it.
    WidgetHarness::settle(400);
}

void TestProfileFlows::loadGood(const QString &name, const QByteArray &bytes)
{
    addProfile(name, bytes);
    relist();
    QVERIFY(choose(*m_h, name));
    QVERIFY(m_responder->takeBoxes().isEmpty());
    QCOMPARE(m_h->child<QComboBox>("CB_ReadFile")->currentText(), name);
}

void TestProfileFlows::startUpPreparesTheDefaultProfileAndList()
{
    // The shipped profile, writable by its owner; the start-up language
    // switch stores the window's language in it and changes nothing else.
    QCOMPARE(shippedDefault().size(), 422);
    const QString shippedCopy = pathOf("shipped.copy");
    QVERIFY(writeBytes(shippedCopy, shippedDefault()));
    const profiles::ProfileValues shipped = profiles::ProfileValues::read(shippedCopy);
    const profiles::ProfileValues prepared = profiles::ProfileValues::read(pathOf("data.ini"));
    QCOMPARE(prepared.keys(), shipped.keys());
    for (const QString &key : shipped.keys()) {
        if (key == QLatin1String("Language/Languages"))
            continue;
        QCOMPARE(prepared.value(key.section('/', 0, 0), key.section('/', 1)),
                 shipped.value(key.section('/', 0, 0), key.section('/', 1)));
    }
    QCOMPARE(prepared.value("Language", "Languages"), QStringLiteral("2"));
    QVERIFY(QFile::remove(shippedCopy));
    QVERIFY(QFileInfo(pathOf("data.ini")).isWritable());
    QCOMPARE(listEntries(*m_h), QStringList{"data.ini"});
    QCOMPARE(m_h->child<QComboBox>("CB_ReadFile")->currentIndex(), 0);
    // Nothing is loaded at start: no box was shown.
    QVERIFY(m_responder->boxes().isEmpty());
}

void TestProfileFlows::listHoldsProfileFilesSortedWithoutRegardToCase()
{
    addProfile("b.ini", markedProfile(1, 1, 100));
    addProfile("A.INI", markedProfile(2, 2, 200));
    addProfile("notes.txt", "text");
    QVERIFY(QDir(m_h->profileFolder()).mkdir("folder.ini"));
    auto *list = m_h->child<QComboBox>("CB_ReadFile");
    list->setCurrentIndex(0);
    relist();
    QCOMPARE(listEntries(*m_h), (QStringList{"A.INI", "b.ini", "data.ini"}));
    QCOMPARE(list->currentIndex(), 0);
    // Rebuilding loads nothing.
    QVERIFY(m_responder->boxes().isEmpty());

    QVERIFY(choose(*m_h, "A.INI"));
    QCOMPARE(m_h->child<QSlider>("SliderStreeingAngle")->value(), 200);
}

void TestProfileFlows::shippedDefaultConvertsThenLoads()
{
    scrambleForm(*m_h);
    const QMap<QString, int> before = formValues(*m_h);
    const QByteArray shipped = readBytes(pathOf("data.ini"));

    m_responder->setAnswer(ModalResponder::Answer::Yes);
    QVERIFY(choose(*m_h, "data.ini"));
    const QList<SeenBox> first = m_responder->takeBoxes();
    QCOMPARE(first.size(), 1);
    QCOMPARE(first.at(0).title, QStringLiteral("information"));
    QCOMPARE(first.at(0).text, kEnglishConversion);
    QCOMPARE(first.at(0).buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(first.at(0).icon, QMessageBox::Information);
    QCOMPARE(first.at(0).parent, m_h->widget());
    // Marked, not loaded; the list went back.
    QCOMPARE(formValues(*m_h), before);
    QCOMPARE(m_h->child<QComboBox>("CB_ReadFile")->currentIndex(), 0);
    const profiles::ProfileValues marked = profiles::ProfileValues::read(pathOf("data.ini"));
    QCOMPARE(marked.value("Softward", "Ver"), QStringLiteral("0"));
    // Nothing else changed: the marker is the one new entry.
    const profiles::ProfileValues original = [&] {
        const QString copy = pathOf("original.copy");
        writeBytes(copy, shipped);
        return profiles::ProfileValues::read(copy);
    }();
    QCOMPARE(marked.keys().size(), original.keys().size() + 1);
    for (const QString &key : original.keys())
        QCOMPARE(marked.value(key.section('/', 0, 0), key.section('/', 1)),
                 original.value(key.section('/', 0, 0), key.section('/', 1)));

    // The second choice loads.
    QVERIFY(choose(*m_h, "data.ini"));
    QVERIFY(m_responder->takeBoxes().isEmpty());
    const QMap<QString, int> expected{
        {"SliderGramFreeBack", 0},    {"SliderJump", 26},         {"SliderDamping", 59},
        {"SliderInertia", 91},        {"SliderFriction", 9},      {"SliderGramFreeBack_Flider", 0},
        {"SliderGamesJump", 181},     {"SliderGamesDamping", 72}, {"SliderGamesInertia", 76},
        {"SliderGamesFriction", 53},  {"SliderGamesconstant", 0}, {"SliderGamesSinOne", 0},
        {"SliderStreeingAngle", 900}, {"colorComboBox", 0},       {"colorComboBox_2", 0}};
    QCOMPARE(formValues(*m_h), expected);
}

void TestProfileFlows::declinedConversionChangesNothing_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("No") << int(ModalResponder::Answer::No);
    QTest::newRow("closed") << int(ModalResponder::Answer::Escape);
}

void TestProfileFlows::declinedConversionChangesNothing()
{
    QFETCH(int, answer);
    loadGood("good.ini", markedProfile(-20, 30, 540));
    const QMap<QString, int> loaded = formValues(*m_h);
    const QMap<QString, QByteArray> files = snapshot(m_h->profileFolder());

    m_responder->setAnswer(ModalResponder::Answer(answer));
    QVERIFY(choose(*m_h, "data.ini"));
    QCOMPARE(m_responder->takeBoxes().size(), 1);
    QCOMPARE(snapshot(m_h->profileFolder()), files);
    QCOMPARE(formValues(*m_h), loaded);
    QCOMPARE(m_h->child<QComboBox>("CB_ReadFile")->currentText(), QStringLiteral("good.ini"));

    // Still unmarked: the next choice asks again.
    QVERIFY(choose(*m_h, "data.ini"));
    QCOMPARE(m_responder->takeBoxes().size(), 1);
}

void TestProfileFlows::boxTextsFollowTheSystemLocale_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QByteArray>("profile"); // empty: the file is deleted after listing
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");

    const int english = QLocale::English;
    const int chinese = QLocale::Chinese;
    const QByteArray unmarked = markedProfile(1, 2, 300).replace("Ver=0\r\n", "");
    QTest::newRow("English, missing")
        << english << QByteArray() << "information" << kEnglishMissing;
    QTest::newRow("English, unmarked")
        << english << unmarked << "information" << kEnglishConversion;
    QTest::newRow("English, foreign")
        << english << withMarker("3") << "information" << kEnglishForeign;
    QTest::newRow("Chinese, missing")
        << chinese << QByteArray() << QString::fromUtf8("信息") << QString::fromUtf8("文件不存在");
    QTest::newRow("Chinese, unmarked")
        << chinese << unmarked << QString::fromUtf8("信息")
        << QString::fromUtf8("此版本软件无法设别该文件,是否转换为Orvex Manager专属文件");
    QTest::newRow("Chinese, foreign") << chinese << withMarker("3") << QString::fromUtf8("信息")
                                      << QString::fromUtf8("Torvane Manager文件");
}

void TestProfileFlows::boxTextsFollowTheSystemLocale()
{
    QFETCH(int, language);
    QFETCH(QByteArray, profile);
    QFETCH(QString, title);
    QFETCH(QString, text);

    addProfile("x.ini", profile.isEmpty() ? markedProfile(1, 2, 3) : profile);
    relist();
    if (profile.isEmpty())
        QVERIFY(QFile::remove(pathOf("x.ini")));
    QLocale::setDefault(QLocale(QLocale::Language(language)));
    m_responder->setAnswer(ModalResponder::Answer::No);
    QVERIFY(choose(*m_h, "x.ini"));
    const QList<SeenBox> boxes = m_responder->takeBoxes();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.at(0).title, title);
    QCOMPARE(boxes.at(0).text, text);
    QCOMPARE(boxes.at(0).icon, QMessageBox::Information);
    QCOMPARE(boxes.at(0).buttons, profile.isEmpty() ? QMessageBox::StandardButtons(QMessageBox::Ok)
                                                    : QMessageBox::Yes | QMessageBox::No);
}

void TestProfileFlows::editionMarkers_data()
{
    QTest::addColumn<QByteArray>("marker");
    QTest::addColumn<QString>("box"); // empty: loads without a box

    QTest::newRow("0") << QByteArray("0") << QString();
    QTest::newRow("00") << QByteArray("00") << QString();
    QTest::newRow("text") << QByteArray("abc") << QString();
    QTest::newRow("number then text") << QByteArray("3x") << QString();
    // Blanks around a value are not part of it.
    QTest::newRow("blank") << QByteArray("   ") << kEnglishConversion;
    QTest::newRow("0 in blanks") << QByteArray(" 0 ") << QString();
    QTest::newRow("3") << QByteArray("3") << kEnglishForeign;
    QTest::newRow("-1") << QByteArray("-1") << kEnglishForeign;
    QTest::newRow("beyond int") << QByteArray("99999999999999999999") << kEnglishForeign;
    QTest::newRow("empty") << QByteArray("") << kEnglishConversion;
}

void TestProfileFlows::editionMarkers()
{
    QFETCH(QByteArray, marker);
    QFETCH(QString, box);

    scrambleForm(*m_h);
    const QMap<QString, int> before = formValues(*m_h);
    addProfile("marked.ini", withMarker(marker));
    relist();
    const QByteArray bytes = readBytes(pathOf("marked.ini"));
    m_responder->setAnswer(ModalResponder::Answer::No);
    QVERIFY(choose(*m_h, "marked.ini"));
    const QList<SeenBox> boxes = m_responder->takeBoxes();
    if (box.isEmpty()) {
        QVERIFY(boxes.isEmpty());
        QCOMPARE(m_h->child<QSlider>("SliderGramFreeBack")->value(), -40);
        QCOMPARE(m_h->child<QSlider>("SliderJump")->value(), 12);
        QCOMPARE(m_h->child<QSlider>("SliderStreeingAngle")->value(), 720);
    } else {
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.at(0).text, box);
        QCOMPARE(formValues(*m_h), before);
    }
    QCOMPARE(readBytes(pathOf("marked.ini")), bytes);
}

void TestProfileFlows::foreignProfileStaysByteIdentical()
{
    loadGood("good.ini", markedProfile(-20, 30, 540));
    addProfile("torvane.ini", withMarker("3"));
    relist();
    const QByteArray foreign = readBytes(pathOf("torvane.ini"));
    const QMap<QString, int> loaded = formValues(*m_h);

    // The answer does not matter.
    m_responder->setAnswer(ModalResponder::Answer::Yes);
    QVERIFY(choose(*m_h, "torvane.ini"));
    const QList<SeenBox> boxes = m_responder->takeBoxes();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.at(0).text, kEnglishForeign);
    QCOMPARE(boxes.at(0).buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(formValues(*m_h), loaded);
    QCOMPARE(m_h->child<QComboBox>("CB_ReadFile")->currentText(), QStringLiteral("good.ini"));

    // "WriteStorage" writes into the profile the list shows, not the refused one.
    m_h->child<QLineEdit>("lineJump")->setText(QStringLiteral("77"));
    m_h->widget()->on_tbt_savedata_clicked();
    QCOMPARE(readBytes(pathOf("torvane.ini")), foreign);
    QCOMPARE(
        profiles::ProfileValues::read(pathOf("good.ini")).value("MachineSetUp", "ExternalElastic"),
        QStringLiteral("77"));
}

void TestProfileFlows::missingAngleSetsTheSliderToOne()
{
    m_h->child<QSlider>("SliderStreeingAngle")->setValue(1080);
    QByteArray profile = markedProfile(5, 6, 0);
    profile.replace("SliderStreeingAngle=0\r\n", "");
    loadGood("noangle.ini", profile);
    QCOMPARE(m_h->child<QSlider>("SliderStreeingAngle")->value(), 1);
    QCOMPARE(m_h->child<QSlider>("SliderJump")->value(), 6);
}

void TestProfileFlows::choiceIndexesOutsideTheItemsKeepTheSelection()
{
    m_h->child<QComboBox>("colorComboBox")->setCurrentIndex(1);
    m_h->child<QComboBox>("colorComboBox_2")->setCurrentIndex(1);
    loadGood("badchoice.ini", markedProfile(5, 6, 700, 3, -1));
    QCOMPARE(m_h->child<QComboBox>("colorComboBox")->currentIndex(), 1);
    QCOMPARE(m_h->child<QComboBox>("colorComboBox_2")->currentIndex(), 1);
    // The sliders of the same profile are loaded.
    QCOMPARE(m_h->child<QSlider>("SliderStreeingAngle")->value(), 700);

    loadGood("goodchoice.ini", markedProfile(5, 6, 700, 2, 0));
    QCOMPARE(m_h->child<QComboBox>("colorComboBox")->currentIndex(), 2);
    QCOMPARE(m_h->child<QComboBox>("colorComboBox_2")->currentIndex(), 0);
}

void TestProfileFlows::vanishedFileIsRefused_data()
{
    QTest::addColumn<QString>("replacement"); // what takes the file's place
    QTest::newRow("deleted") << QString();
    QTest::newRow("replaced by a folder") << QStringLiteral("folder");
    QTest::newRow("replaced by a huge file") << QStringLiteral("huge");
}

void TestProfileFlows::vanishedFileIsRefused()
{
    QFETCH(QString, replacement);
    loadGood("good.ini", markedProfile(-20, 30, 540));
    addProfile("gone.ini", markedProfile(1, 2, 3));
    relist();
    QVERIFY(QFile::remove(pathOf("gone.ini")));
    if (replacement == QLatin1String("folder"))
        QVERIFY(QDir(m_h->profileFolder()).mkdir("gone.ini"));
    if (replacement == QLatin1String("huge"))
        addProfile("gone.ini", withMarker("0") + QByteArray(2 * 1024 * 1024, ';'));
    const QMap<QString, QByteArray> files = snapshot(m_h->profileFolder());
    const QMap<QString, int> loaded = formValues(*m_h);

    QVERIFY(choose(*m_h, "gone.ini"));
    const QList<SeenBox> boxes = m_responder->takeBoxes();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.at(0).text, kEnglishMissing);
    QCOMPARE(boxes.at(0).buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(m_h->child<QComboBox>("CB_ReadFile")->currentText(), QStringLiteral("good.ini"));
    QCOMPARE(formValues(*m_h), loaded);

    // "WriteStorage" still writes the shown profile and creates nothing.
    m_h->child<QLineEdit>("lineDamping")->setText(QStringLiteral("66"));
    m_h->widget()->on_tbt_savedata_clicked();
    QMap<QString, QByteArray> after = snapshot(m_h->profileFolder());
    QCOMPARE(
        profiles::ProfileValues::read(pathOf("good.ini")).value("MachineSetUp", "OuterDamping"),
        QStringLiteral("66"));
    after.remove("good.ini");
    QMap<QString, QByteArray> expected = files;
    expected.remove("good.ini");
    QCOMPARE(after, expected);
    QCOMPARE(QFileInfo::exists(pathOf("gone.ini")), !replacement.isEmpty());
}

void TestProfileFlows::namesAreTakenExactly()
{
    // " a.ini" and "a.ini" are two files; choosing one never touches the other.
    addProfile("a.ini", withMarker("3"));
    addProfile(" a.ini", markedProfile(-7, 8, 360));
    relist();
    const QByteArray foreign = readBytes(pathOf("a.ini"));
    QVERIFY(choose(*m_h, " a.ini"));
    QVERIFY(m_responder->takeBoxes().isEmpty());
    QCOMPARE(m_h->child<QSlider>("SliderStreeingAngle")->value(), 360);
    m_h->widget()->on_tbt_savedata_clicked();
    QCOMPARE(readBytes(pathOf("a.ini")), foreign);
}

void TestProfileFlows::sameItemAgainReloadsFromTheFile()
{
    loadGood("again.ini", markedProfile(-20, 30, 540));
    QCOMPARE(m_h->child<QSlider>("SliderJump")->value(), 30);

    // Moved by hand, then chosen again: back to the file's values.
    m_h->child<QSlider>("SliderJump")->setValue(90);
    QVERIFY(choose(*m_h, "again.ini"));
    QCOMPARE(m_h->child<QSlider>("SliderJump")->value(), 30);

    // Changed on disk, then chosen again: the new values.
    addProfile("again.ini", markedProfile(60, 45, 1200));
    QVERIFY(choose(*m_h, "again.ini"));
    QVERIFY(m_responder->takeBoxes().isEmpty());
    QCOMPARE(m_h->child<QSlider>("SliderGramFreeBack")->value(), 60);
    QCOMPARE(m_h->child<QSlider>("SliderJump")->value(), 45);
    QCOMPARE(m_h->child<QSlider>("SliderStreeingAngle")->value(), 1200);
}

void TestProfileFlows::saveAsWritesEveryKeyAndListsTheFile_data()
{
    QTest::addColumn<bool>("help");
    QTest::newRow("help on") << true;
    QTest::newRow("help off") << false;
}

void TestProfileFlows::saveAsWritesEveryKeyAndListsTheFile()
{
    QFETCH(bool, help);
    // Texts as the user left them, including ones a slider at 0 keeps.
    const QList<QPair<const char *, int>> numbers{{"lineStreeingAngle", 1080},
                                                  {"lineDamping", 17},
                                                  {"lineInertia", 18},
                                                  {"lineFriction", 19},
                                                  {"lineGramFreeBack_Flider", 20},
                                                  {"lineGamesJump", 21},
                                                  {"lineGamesDamping", 22},
                                                  {"lineGamesInertia", 23},
                                                  {"lineGamesFriction", 24},
                                                  {"lineGamesconstant", 25},
                                                  {"lineGamesSinOne", 26}};
    for (const SliderKey &row : kSliderKeys) {
        for (const auto &number : numbers) {
            if (qstrcmp(number.first, row.lineEdit) == 0) {
                m_h->child<QSlider>(row.slider)->setValue(number.second);
                m_h->child<QLineEdit>(row.lineEdit)->setText(QString::number(number.second));
            }
        }
    }
    m_h->child<QSlider>("SliderGramFreeBack")->setValue(0);
    m_h->child<QLineEdit>("lineGramFreeBack")->setText(QStringLiteral("-"));
    m_h->child<QSlider>("SliderJump")->setValue(0);
    m_h->child<QLineEdit>("lineJump")->setText(QString());
    m_h->child<QComboBox>("colorComboBox")->setCurrentIndex(2);
    m_h->child<QComboBox>("colorComboBox_2")->setCurrentIndex(1);
    m_h->child<SwitchButton>("SwitchHelp")->setChecked(help);

    const QByteArray folderDefault = readBytes(pathOf("data.ini"));
    const QString language =
        profiles::ProfileValues::read(pathOf("data.ini")).value("Language", "Languages");
    const QString target = pathOf("mine.ini");
    m_responder->setSaveTarget(target);
    m_h->widget()->on_toolButton_5_clicked();

    QCOMPARE(m_responder->fileDialogs().size(), 1);
    const SeenFileDialog dialog = m_responder->fileDialogs().at(0);
    QCOMPARE(dialog.title, QStringLiteral("Save File"));
    QCOMPARE(QFileInfo(dialog.directory).canonicalFilePath(),
             QFileInfo(m_h->profileFolder()).canonicalFilePath());
    QCOMPARE(dialog.nameFilters, QStringList{"*.ini"});
    QCOMPARE(dialog.acceptMode, QFileDialog::AcceptSave);
    QVERIFY(!dialog.options.testFlag(QFileDialog::DontConfirmOverwrite));
    QCOMPARE(dialog.parent, m_h->widget());

    // Every key of the default profile, plus GameFlider, Ver and Help.
    const profiles::ProfileValues saved = profiles::ProfileValues::read(target);
    QCOMPARE(saved.status(), profiles::ReadStatus::Ok);
    QStringList keys = saved.keys();
    keys.sort();
    QStringList expectedKeys{"MachineSetUp/ForceFeedback",
                             "MachineSetUp/ExternalElastic",
                             "MachineSetUp/OuterDamping",
                             "MachineSetUp/ExternalMoment",
                             "MachineSetUp/ExternalFriction",
                             "GameEffect/GameElastic",
                             "GameEffect/GameDamping",
                             "GameEffect/GameMoment",
                             "GameEffect/GameFriction",
                             "GameIsForce/GameConstant",
                             "GameIsForce/GameSinOne",
                             "GameIsForce/GameSinTwo",
                             "GameIsForce/GameSinThree",
                             "GameIsForce/GameSinFour",
                             "StreeingAngle/SliderStreeingAngle",
                             "Softward/speed",
                             "Softward/type",
                             "Language/Languages",
                             "RSaxis/RSHight",
                             "RSaxis/RSLow",
                             "RSaxis/RSSwitch",
                             "GameEffect/GameFlider",
                             "Softward/Ver",
                             "Softward/Help"};
    expectedKeys.sort();
    QCOMPARE(keys, expectedKeys);

    const QList<QPair<QString, QString>> values{{"MachineSetUp/ForceFeedback", "-"},
                                                {"MachineSetUp/ExternalElastic", ""},
                                                {"MachineSetUp/OuterDamping", "17"},
                                                {"MachineSetUp/ExternalMoment", "18"},
                                                {"MachineSetUp/ExternalFriction", "19"},
                                                {"GameEffect/GameFlider", "20"},
                                                {"GameEffect/GameElastic", "21"},
                                                {"GameEffect/GameDamping", "22"},
                                                {"GameEffect/GameMoment", "23"},
                                                {"GameEffect/GameFriction", "24"},
                                                {"GameIsForce/GameConstant", "25"},
                                                {"GameIsForce/GameSinOne", "26"},
                                                {"StreeingAngle/SliderStreeingAngle", "1080"},
                                                {"Softward/speed", "2"},
                                                {"Softward/type", "1"},
                                                {"Softward/Ver", "0"},
                                                {"Softward/Help", help ? "1" : "0"},
                                                // Not written: what the default profile had.
                                                {"Language/Languages", language},
                                                {"GameIsForce/GameSinTwo", ""},
                                                {"RSaxis/RSSwitch", "0"}};
    for (const auto &value : values)
        QCOMPARE(saved.value(value.first.section('/', 0, 0), value.first.section('/', 1)),
                 value.second);

    // One rewrite gives what seventeen single writes of the same keys give.
    const QString replay = pathOf("replay.copy");
    QVERIFY(writeBytes(replay, folderDefault));
    IniFile ini;
    const char *const writeOrder[] = {"MachineSetUp/ForceFeedback",
                                      "MachineSetUp/ExternalElastic",
                                      "MachineSetUp/OuterDamping",
                                      "MachineSetUp/ExternalMoment",
                                      "MachineSetUp/ExternalFriction",
                                      "GameEffect/GameFlider",
                                      "GameEffect/GameElastic",
                                      "GameEffect/GameDamping",
                                      "GameEffect/GameMoment",
                                      "GameEffect/GameFriction",
                                      "GameIsForce/GameConstant",
                                      "GameIsForce/GameSinOne",
                                      "StreeingAngle/SliderStreeingAngle",
                                      "Softward/speed",
                                      "Softward/type",
                                      "Softward/Ver",
                                      "Softward/Help"};
    for (const char *key : writeOrder) {
        const QString k = QLatin1String(key);
        QCOMPARE(ini.WriteIniFile(replay, k.section('/', 0, 0), k.section('/', 1),
                                  saved.value(k.section('/', 0, 0), k.section('/', 1))),
                 0);
    }
    QCOMPARE(readBytes(target), readBytes(replay));
    QVERIFY(QFile::remove(replay));

    // Listed, the list on its first entry; the new file is the current one.
    QCOMPARE(listEntries(*m_h), (QStringList{"data.ini", "mine.ini"}));
    QCOMPARE(m_h->child<QComboBox>("CB_ReadFile")->currentIndex(), 0);
    QCOMPARE(readBytes(pathOf("data.ini")), folderDefault);
    m_h->child<QLineEdit>("lineDamping")->setText(QStringLiteral("99"));
    m_h->widget()->on_tbt_savedata_clicked();
    QCOMPARE(profiles::ProfileValues::read(target).value("MachineSetUp", "OuterDamping"),
             QStringLiteral("99"));
    QCOMPARE(readBytes(pathOf("data.ini")), folderDefault);

    // Loading it back turns "-" and "" into 0.
    m_h->child<QSlider>("SliderGramFreeBack")->setValue(50);
    m_h->child<QSlider>("SliderJump")->setValue(50);
    QVERIFY(choose(*m_h, "mine.ini"));
    QVERIFY(m_responder->takeBoxes().isEmpty());
    QCOMPARE(m_h->child<QSlider>("SliderGramFreeBack")->value(), 0);
    QCOMPARE(m_h->child<QSlider>("SliderJump")->value(), 0);
    QCOMPARE(m_h->child<QSlider>("SliderStreeingAngle")->value(), 1080);
}

void TestProfileFlows::saveAsIntoAnExistingProfileKeepsItsOtherKeys()
{
    QByteArray existing = markedProfile(10, 20, 400);
    existing += "[RSaxis]\r\nRSHight=4000\r\n";
    addProfile("existing.ini", existing);
    m_h->child<QSlider>("SliderJump")->setValue(64);
    m_h->child<QLineEdit>("lineJump")->setText(QStringLiteral("64"));

    // The dialog asks before replacing; the answer Yes goes ahead.
    m_responder->setAnswer(ModalResponder::Answer::Yes);
    m_responder->setSaveTarget(pathOf("existing.ini"));
    m_h->widget()->on_toolButton_5_clicked();
    const QList<SeenBox> boxes = m_responder->takeBoxes();
    QCOMPARE(boxes.size(), 1); // the dialog's own overwrite question
    const profiles::ProfileValues saved = profiles::ProfileValues::read(pathOf("existing.ini"));
    QCOMPARE(saved.value("MachineSetUp", "ExternalElastic"), QStringLiteral("64"));
    QCOMPARE(saved.value("RSaxis", "RSHight"), QStringLiteral("4000"));
    QCOMPARE(saved.value("Language", "Languages"), QStringLiteral("2"));
}

void TestProfileFlows::saveAsWithoutFolderDefaultStartsFromTheShippedOne()
{
    QVERIFY(QFile::remove(pathOf("data.ini")));
    m_responder->setSaveTarget(pathOf("fresh.ini"));
    m_h->widget()->on_toolButton_5_clicked();
    const profiles::ProfileValues saved = profiles::ProfileValues::read(pathOf("fresh.ini"));
    QCOMPARE(saved.status(), profiles::ReadStatus::Ok);
    QCOMPARE(saved.value("Softward", "Ver"), QStringLiteral("0"));
    QCOMPARE(saved.value("RSaxis", "RSSwitch"), QStringLiteral("0"));
    QCOMPARE(saved.keys().size(), 24);
    QVERIFY(!QFileInfo::exists(pathOf("data.ini")));
}

void TestProfileFlows::cancelledSaveAsChangesNothing()
{
    loadGood("good.ini", markedProfile(-20, 30, 540));
    const QMap<QString, QByteArray> files = snapshot(m_h->profileFolder());

    m_responder->setSaveTarget(QString());
    m_h->child<QLineEdit>("lineFriction")->setText(QStringLiteral("42"));
    QCOMPARE(m_h->widget()->SaveAsPower(true), -1);
    QCOMPARE(m_responder->fileDialogs().size(), 1);
    m_h->widget()->on_toolButton_5_clicked();
    QCOMPARE(m_responder->fileDialogs().size(), 2);
    QCOMPARE(snapshot(m_h->profileFolder()), files);

    // The current profile is still the one loaded.
    m_h->widget()->on_tbt_savedata_clicked();
    QCOMPARE(
        profiles::ProfileValues::read(pathOf("good.ini")).value("MachineSetUp", "ExternalFriction"),
        QStringLiteral("42"));
    QMap<QString, QByteArray> after = snapshot(m_h->profileFolder());
    after.remove("good.ini");
    QMap<QString, QByteArray> others = files;
    others.remove("good.ini");
    QCOMPARE(after, others);
}

void TestProfileFlows::storeWritesTheProfileThenAsksTheBaseToStore()
{
    // Before any choice "WriteStorage" writes the default profile.
    m_h->clearFeatures();
    m_h->child<QLineEdit>("lineInertia")->setText(QStringLiteral("31"));
    m_h->widget()->on_tbt_savedata_clicked();
    const profiles::ProfileValues written = profiles::ProfileValues::read(pathOf("data.ini"));
    QCOMPARE(written.value("MachineSetUp", "ExternalMoment"), QStringLiteral("31"));
    QCOMPARE(written.value("Softward", "Ver"), QStringLiteral("0"));
    const QByteArray store = m_h->waitForFeature(QByteArray::fromHex("8003"));
    QCOMPARE(store.left(11), QByteArray::fromHex("8003002400000000000000"));
    // The request is the only report the button sends.
    WidgetHarness::settle(100);
    QCOMPARE(m_h->features().size(), 1);
}

void TestProfileFlows::storeAfterRefusalWritesTheShownProfile()
{
    loadGood("first.ini", markedProfile(-20, 30, 540));
    addProfile("second.ini", markedProfile(1, 2, 3).replace("Ver=0\r\n", ""));
    relist();
    const QByteArray unmarked = readBytes(pathOf("second.ini"));
    // After the rebuild the list shows its first entry; a refusal returns it
    // to the profile "WriteStorage" writes into.
    m_responder->setAnswer(ModalResponder::Answer::No);
    QVERIFY(choose(*m_h, "second.ini"));
    QCOMPARE(m_h->child<QComboBox>("CB_ReadFile")->currentText(), QStringLiteral("first.ini"));
    m_h->child<QLineEdit>("lineJump")->setText(QStringLiteral("88"));
    m_h->widget()->on_tbt_savedata_clicked();
    QCOMPARE(readBytes(pathOf("second.ini")), unmarked);
    QCOMPARE(
        profiles::ProfileValues::read(pathOf("first.ini")).value("MachineSetUp", "ExternalElastic"),
        QStringLiteral("88"));
}

void TestProfileFlows::storeWithTheProfileGoneStillAsksTheBase()
{
    loadGood("brief.ini", markedProfile(-20, 30, 540));
    QVERIFY(QFile::remove(pathOf("brief.ini")));
    m_h->clearFeatures();
    m_h->widget()->on_tbt_savedata_clicked();
    QVERIFY(!QFileInfo::exists(pathOf("brief.ini")));
    QCOMPARE(m_h->widget()->SaveAsPower(false), -1);
    QCOMPARE(m_h->waitForFeature(QByteArray::fromHex("8003")).left(11),
             QByteArray::fromHex("8003002400000000000000"));
}

void TestProfileFlows::refusedLoadAfterSaveAsReturnsToTheSavedProfile()
{
    loadGood("zeta.ini", markedProfile(-20, 30, 540));
    addProfile("foreign.ini", withMarker("5"));
    m_responder->setSaveTarget(pathOf("alpha.ini"));
    m_h->widget()->on_toolButton_5_clicked();
    QCOMPARE(listEntries(*m_h), (QStringList{"alpha.ini", "data.ini", "foreign.ini", "zeta.ini"}));

    QVERIFY(choose(*m_h, "foreign.ini"));
    QCOMPARE(m_responder->takeBoxes().size(), 1);
    // The saved file is current: the list shows it and the store goes there.
    QCOMPARE(m_h->child<QComboBox>("CB_ReadFile")->currentText(), QStringLiteral("alpha.ini"));
    const QByteArray zeta = readBytes(pathOf("zeta.ini"));
    m_h->child<QLineEdit>("lineFriction")->setText(QStringLiteral("3"));
    m_h->widget()->on_tbt_savedata_clicked();
    QCOMPARE(profiles::ProfileValues::read(pathOf("alpha.ini"))
                 .value("MachineSetUp", "ExternalFriction"),
             QStringLiteral("3"));
    QCOMPARE(readBytes(pathOf("zeta.ini")), zeta);
}

void TestProfileFlows::defaultPreparationCopiesOnlyWhenMissing()
{
    QTemporaryDir other;
    QCOMPARE(m_h->widget()->TxtAndIniFile(other.path(), "data.ini"), 0);
    QCOMPARE(readBytes(other.path() + "/data.ini"), shippedDefault());
    QVERIFY(QFileInfo(other.path() + "/data.ini").isWritable());

    QVERIFY(writeBytes(other.path() + "/data.ini", "mine"));
    QCOMPARE(m_h->widget()->TxtAndIniFile(other.path(), "data.ini"), 0);
    QCOMPARE(readBytes(other.path() + "/data.ini"), QByteArray("mine"));

    // No such resource: nothing is created.
    QCOMPARE(m_h->widget()->TxtAndIniFile(other.path(), "nothing.ini"), 0);
    QCOMPARE(m_h->widget()->TxtAndIniFile(other.path(), "../escape.ini"), 0);
    QCOMPARE(QDir(other.path()).entryList(QDir::Files), QStringList{"data.ini"});
}

void TestProfileFlows::pointingAtAProfileFolderFile()
{
    const QString folderName = QFileInfo(m_h->profileFolder()).fileName();
    addProfile("servo.ini", markedProfile(1, 2, 3));
    m_h->child<QLineEdit>("lineJump")->setText(QStringLiteral("12"));
    QCOMPARE(m_h->widget()->slot_GameModelServoOrSteper(folderName, "servo.ini"), 0);
    QVERIFY(m_responder->takeBoxes().isEmpty());
    m_h->widget()->on_tbt_savedata_clicked();
    QCOMPARE(
        profiles::ProfileValues::read(pathOf("servo.ini")).value("MachineSetUp", "ExternalElastic"),
        QStringLiteral("12"));

    // A missing file is reported and does not become current.
    QCOMPARE(m_h->widget()->slot_GameModelServoOrSteper(folderName, "absent.ini"), -1);
    const QList<SeenBox> boxes = m_responder->takeBoxes();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.at(0).title, QStringLiteral("information"));
    QCOMPARE(boxes.at(0).text, kEnglishMissing);
    m_h->child<QLineEdit>("lineJump")->setText(QStringLiteral("13"));
    m_h->widget()->on_tbt_savedata_clicked();
    QCOMPARE(
        profiles::ProfileValues::read(pathOf("servo.ini")).value("MachineSetUp", "ExternalElastic"),
        QStringLiteral("13"));
    QVERIFY(!QFileInfo::exists(pathOf("absent.ini")));
}

void TestProfileFlows::loadedValuesReachTheBase()
{
    addProfile("data.ini", readBytes(pathOf("data.ini")).replace("type=0", "type=0\r\nVer=0"));
    scrambleForm(*m_h);
    WidgetHarness::settle(700); // the scrambled values go out first
    m_h->clearFeatures();

    QElapsedTimer sinceLoad;
    sinceLoad.start();
    QVERIFY(choose(*m_h, "data.ini"));
    QVERIFY(m_responder->takeBoxes().isEmpty());
    // Angle 900 = 0x0384; TotalForce 0, FilterFrequency 0, WheelSpring 26,
    // WheelDamper 59, WheelSpeed 91, WheelFriction 9.
    const QByteArray machine = waitForReport(*m_h, "8001");
    const qint64 machineAfter = sinceLoad.elapsed();
    QCOMPARE(machine.left(11), QByteArray::fromHex("80018403000000"
                                                   "1a3b5b09"));
    QVERIFY2(machineAfter >= 450, qPrintable(QString::number(machineAfter)));
    // GameSpring 181, GameDamper 72, GameInertia 76, GameFriction 53,
    // ConstantForce 0, PeriodForce 0.
    const QByteArray game = waitForReport(*m_h, "8002");
    QCOMPARE(game.left(11), QByteArray::fromHex("8002b5484c350000000000"));
    // One report of each group for the whole load.
    WidgetHarness::settle(700);
    const QList<QByteArray> all = m_h->features();
    const auto count = [&all](const char *hexPrefix) {
        return std::count_if(all.begin(), all.end(), [hexPrefix](const QByteArray &r) {
            return r.startsWith(QByteArray::fromHex(hexPrefix));
        });
    };
    QCOMPARE(count("8001"), 1);
    QCOMPARE(count("8002"), 1);
    // The selectors in load order: Response first (Suspension still 2), then
    // Suspension, then the choice sends the settings as loaded once more.
    QList<QByteArray> modes;
    for (const QByteArray &report : all)
        if (report.startsWith(QByteArray::fromHex("8004")))
            modes.append(report.left(11));
    QCOMPARE(modes, (QList<QByteArray>{QByteArray::fromHex("8004020000000000000000"),
                                       QByteArray::fromHex("8004000000000000000000"),
                                       QByteArray::fromHex("8004000000000000000000")}));
}

void TestProfileFlows::unchangedValuesAreNotSentAgain()
{
    m_h->clearFeatures();
    loadGood("same.ini", markedProfile(-20, 30, 540, 1, 1));
    // The first load changes the sliders, so both groups go out.
    QVERIFY(!waitForReport(*m_h, "8001").isEmpty());
    QVERIFY(!waitForReport(*m_h, "8002").isEmpty());
    WidgetHarness::settle(700);
    m_h->clearFeatures();
    QVERIFY(choose(*m_h, "same.ini"));
    WidgetHarness::settle(900);
    for (const QByteArray &report : m_h->features()) {
        QVERIFY2(!report.startsWith(QByteArray::fromHex("8001")) &&
                     !report.startsWith(QByteArray::fromHex("8002")),
                 report.toHex().constData());
    }
}

QTEST_MAIN(TestProfileFlows)
#include "tst_profileflows.moc"
