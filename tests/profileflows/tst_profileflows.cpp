// Loading, saving and listing profiles through the real window against the
// simulated base, with hand-written and generated malformed profiles: the edition marker and its
// boxes, refused profiles that change nothing and send nothing, what a load sends, what
// "WriteStorage" and "SaveAs" write, and that the list always shows the profile that is written.

#include "modalresponder.h"
#include "platform.h"
#include "profileflowutil.h"
#include "profilefolder.h"
#include "profilestore.h"
#include "startup.h"
#include "switchbutton.h"
#include "velorax_resources.h"

#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

#include <cstdio>
#include <memory>

using namespace flowutil;
using Answer = ModalResponder::Answer;

namespace {

// A profile of this edition with the given values, in the shipped layout.
QByteArray markedProfile(int totalForce, int spring, int angle, int speed = 1, int type = 1)
{
    return QString::asprintf(
               "[MachineSetUp]\r\nForceFeedback=%d\r\nExternalElastic=%d\r\nOuterDamping=33\r\n"
               "ExternalMoment=44\r\nExternalFriction=55\r\n\r\n[GameEffect]\r\nGameFlider=7\r\n"
               "GameElastic=120\r\nGameDamping=121\r\nGameMoment=122\r\nGameFriction=123\r\n\r\n"
               "[GameIsForce]\r\nGameConstant=124\r\nGameSinOne=125\r\n\r\n[StreeingAngle]\r\n"
               "SliderStreeingAngle=%d\r\n\r\n[Softward]\r\nspeed=%d\r\ntype=%d\r\nVer=0\r\n"
               "Help=1\r\n\r\n[Language]\r\nLanguages=2\r\n",
               totalForce, spring, angle, speed, type)
        .toLatin1();
}

QByteArray withMarker(const QByteArray &marker)
{
    return markedProfile(-40, 12, 720).replace("Ver=0\r\n", "Ver=" + marker + "\r\n");
}

// The reports sent that begin with `hexPrefix`, in hex, space separated.
QString sent(const WidgetHarness &h, const char *hexPrefix)
{
    QStringList found;
    for (const QByteArray &report : h.features())
        if (report.toHex().startsWith(hexPrefix))
            found << QString::fromLatin1(report.left(11).toHex());
    return found.join(' ');
}

// True while a debounced settings send is due.
bool sendPending(const WidgetHarness &h)
{
    for (const QTimer *timer : h.widget()->findChildren<QTimer *>())
        if (timer->timerType() == Qt::PreciseTimer && timer->isActive())
            return true;
    return false;
}

// Reproducible profiles: every key with odd values and markers (files of
// random bytes are the fuzz target's, oversized ones the table's).
QByteArray malformedProfile(QRandomGenerator &random)
{
    const auto pick = [&random](const char *list) {
        const QList<QByteArray> items = QByteArray(list).split('|');
        return items.at(int(random.bounded(items.size())));
    };
    // Half the profiles hold only values every parameter can take.
    const bool clean = random.bounded(2) == 0;
    const char *values = clean ? "12|100| 42 |\"15\"|\t9|00000000000000000000000000007"
                               : "|-|0|12|-100|100|201|-500|99999|2147483648| 42 |0x1F|1e3|12.5|"
                                 "+7|abc|\"15\"|7;c|1,2|\\x41|\xe4\xb8\xad|\t9|-0|0007";
    const char *choices = clean ? "0|1" : values;
    QByteArray text, section;
    for (const SliderKey &row : kSliderKeys) {
        if (section != row.group)
            text += "[" + (section = row.group) + "]\r\n";
        if (random.bounded(40) != 0)
            text += QByteArray(row.key) + "=" + pick(values) + "\r\n";
    }
    text += "[Softward]\r\nspeed=" + pick(choices) + "\r\ntype=" + pick(choices) + "\r\n";
    if (random.bounded(6) != 0)
        text += "Ver=" + pick("|0|0|0|00|3|-1|abc| |+0|1") + "\r\n";
    return text;
}

// The box the window must show for a profile (empty: it loads): the edition marker decides,
// then whether every key but GameFlider is there, then whether every value is a whole decimal
// number inside its range (empty or "-" counting as 0).
QString boxFor(const QString &path)
{
    const profiles::ProfileValues values = profiles::ProfileValues::read(path);
    if (values.editionMarker() != profiles::EditionMarker::Ours)
        return values.editionMarker() == profiles::EditionMarker::Unmarked ? kEnglishConversion
                                                                           : kEnglishForeign;
    QStringList missing, bad;
    const auto check = [&](const char *group, const char *key, int minimum, int maximum) {
        const QString name = QString(group) + '/' + key;
        const QString text = values.value(group, key);
        if (!values.contains(group, key) && name != "GameEffect/GameFlider")
            return void(missing << name);
        QString number = text.trimmed();
        number = number.isEmpty() || number == "-" ? "0" : number;
        const bool decimal = QRegularExpression("^-?[0-9]+$").match(number).hasMatch();
        bool ok = false;
        const qlonglong value = number.toLongLong(&ok);
        if (!decimal || !ok || value < minimum || value > maximum)
            bad << QString("%1=%2 [%3..%4]").arg(name, text).arg(minimum).arg(maximum);
    };
    for (const SliderKey &row : kSliderKeys)
        check(row.group, row.key, row.minimum, row.maximum);
    for (const ComboKey &row : kComboKeys)
        check(row.group, row.key, 0, row.items - 1);
    if (!missing.isEmpty())
        return kEnglishDamaged.arg(missing.join('\n'));
    return bad.isEmpty() ? QString() : kEnglishInvalid.arg(bad.join('\n'));
}

} // namespace

class TestProfileFlows : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void startUpTarget_data();
    void startUpTarget();
    void chooseProfile_data();
    void chooseProfile();
    void conversionThenLoadSendsTheProfile();
    void wheelOverTheListLoadsNothing();
    void saveAs_data();
    void saveAs();
    void malformedProfilesLoadOrAreRefused();
    void nonAsciiInstallFolderKeepsItsProfiles();

private:
    QString pathOf(const QString &name) const { return m_h->profileFolder() + '/' + name; }
    QString written(const char *name, const char *group, const char *key) const
    {
        return profiles::ProfileValues::read(pathOf(name)).value(group, key);
    }
    QComboBox *list() const { return m_h->child<QComboBox>("CB_ReadFile"); }

    std::unique_ptr<WidgetHarness> m_h;
    std::unique_ptr<ModalResponder> m_responder;
};

void TestProfileFlows::init()
{
    m_responder.reset();
    m_h.reset(); // the last test's window and base go before the next are made
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    m_h = std::make_unique<WidgetHarness>(quietOptions());
    m_responder = std::make_unique<ModalResponder>();
    QVERIFY(waitForStartUp(*m_h));
}

void TestProfileFlows::startUpTarget_data()
{
    QTest::addColumn<QByteArray>("dataIni"); // empty: the shipped profile is installed
    QTest::addColumn<bool>("ours");
    QTest::newRow("shipped, unmarked") << QByteArray() << false;
    QTest::newRow("foreign") << withMarker("3") << false;
    QTest::newRow("ours") << withMarker("0") << true;
}

// data.ini is written at start, by the language switch and by "WriteStorage"
// only when it is this edition's; else it stays byte for byte as it was.
void TestProfileFlows::startUpTarget()
{
    QFETCH(QByteArray, dataIni);
    QFETCH(bool, ours);
    m_h.reset();
    WidgetHarness::Options options = quietOptions();
    options.prepare = [&](sim::SimPlatform &) {
        if (!dataIni.isEmpty())
            writeBytes(profiles::profileFolder() + "/data.ini", dataIni);
    };
    m_h = std::make_unique<WidgetHarness>(options);
    QVERIFY(waitForStartUp(*m_h));
    veloraxInitResources();
    const QByteArray before = dataIni.isEmpty() ? readBytes(":/data.ini") : dataIni;
    QCOMPARE(list()->count(), 1);
    QCOMPARE(list()->currentIndex(), ours ? 0 : -1); // the list shows what is written, or nothing
    m_h->widget()->Get_LacaelLanuage(QLocale::Chinese);
    typeInto(*m_h, "lineInertia", "31");
    m_h->widget()->on_tbt_savedata_clicked();
    if (ours)
        QCOMPARE(written("data.ini", "MachineSetUp", "ExternalMoment"), QStringLiteral("31"));
    else
        QCOMPARE(readBytes(pathOf("data.ini")), before);
    // The committed value goes out first, then the base is asked to store whatever happened
    // to the file, and nothing else.
    QCOMPARE(m_h->waitForFeature(QByteArray::fromHex("8003")).left(11),
             QByteArray::fromHex("8003002400000000000000"));
    QCOMPARE(sent(*m_h, "80"), QStringLiteral("800184030064011a3b1f09 8003002400000000000000"));
    QVERIFY(m_responder->takeBoxes().isEmpty());
}

void TestProfileFlows::chooseProfile_data()
{
    QTest::addColumn<QByteArray>("bytes"); // or "<gone>", "<dir>", "<huge>"
    QTest::addColumn<QString>("box");      // empty: loads; %1 the file's path
    QTest::addColumn<int>("angle");        // after a load
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("answer");
    const auto row = [](const char *tag, const QByteArray &bytes, const QString &box,
                        int angle = 720, int language = QLocale::English,
                        Answer answer = Answer::No) {
        QTest::newRow(tag) << bytes << box << angle << language << int(answer);
    };
    const QByteArray unmarked = withMarker("0").replace("Ver=0\r\n", "");
    const QByteArray damaged =
        withMarker("0").replace("OuterDamping=33\r\n", "").replace("GameFlider=7\r\n", "");
    row("marker 0", withMarker("0"), "");
    row("no GameFlider", withMarker("0").replace("GameFlider=7\r\n", ""), "");
    row("selector indexes outside the items", markedProfile(5, 6, 700, 3, -1),
        kEnglishInvalid.arg("Softward/speed=3 [0..2]\nSoftward/type=-1 [0..1]"));
    const auto invalid = [](const char *key, const char *value, const char *range) {
        return kEnglishInvalid.arg(QString("%1=%2 [%3]").arg(key, value, range));
    };
    row("angle not a whole number",
        withMarker("0").replace("SliderStreeingAngle=720", "SliderStreeingAngle=900.0"),
        invalid("StreeingAngle/SliderStreeingAngle", "900.0", "1..1600"));
    row("angle empty", withMarker("0").replace("SliderStreeingAngle=720", "SliderStreeingAngle="),
        invalid("StreeingAngle/SliderStreeingAngle", "", "1..1600"));
    row("force past the range", withMarker("0").replace("ForceFeedback=-40", "ForceFeedback=-9999"),
        invalid("MachineSetUp/ForceFeedback", "-9999", "-100..100"));
    row("spring in hex", withMarker("0").replace("ExternalElastic=12", "ExternalElastic=0x20"),
        invalid("MachineSetUp/ExternalElastic", "0x20", "0..100"));
    row("no marker", unmarked, kEnglishConversion);
    row("no marker, box closed", unmarked, kEnglishConversion, 0, QLocale::English, Answer::Escape);
    row("marker 3", withMarker("3"), kEnglishForeign);
    row("foreign, answered Yes", withMarker("3"), kEnglishForeign, 0, QLocale::English,
        Answer::Yes);
    row("deleted after listing", "<gone>", kEnglishMissing);
    row("replaced by a folder", "<dir>", kEnglishFolder);
    row("replaced by a file over 1 MiB", "<huge>", kEnglishTooLarge);
    row("damaged", damaged, kEnglishDamaged.arg("MachineSetUp/OuterDamping"));
    const int zh = QLocale::Chinese;
    row("Chinese, damaged", damaged,
        QString::fromUtf8("该配置文件已损坏，未载入。缺少：\nMachineSetUp/OuterDamping"), 0, zh);
}

// A profile chosen from the list loads, or is refused with the box its state
// calls for: then the form, the list and every file stay as they were,
// nothing is sent, and "WriteStorage" still writes the profile shown.
void TestProfileFlows::chooseProfile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, box);
    QFETCH(int, angle);
    QFETCH(int, language);
    QFETCH(int, answer);
    QVERIFY(writeBytes(pathOf("good.ini"), markedProfile(-20, 30, 540)));
    QVERIFY(writeBytes(pathOf("x.ini"), bytes.startsWith('<') ? withMarker("0") : bytes));
    m_h->widget()->Slit_InitcbReadFile();
    QVERIFY(choose(*m_h, "good.ini"));
    if (bytes.startsWith('<'))
        QVERIFY(QFile::remove(pathOf("x.ini")));
    if (bytes == "<dir>")
        QVERIFY(QDir(m_h->profileFolder()).mkdir("x.ini"));
    if (bytes == "<huge>")
        QVERIFY(writeBytes(pathOf("x.ini"), withMarker("0") + QByteArray(2 << 20, ';')));
    m_h->widget()->SetSendMachineryData();
    m_h->widget()->SetSendGamesData();
    m_h->clearFeatures();
    QVERIFY(m_responder->takeBoxes().isEmpty());
    auto files = snapshot(m_h->profileFolder());
    const auto form = formValues(*m_h);
    QLocale::setDefault(QLocale(QLocale::Language(language)));
    m_responder->setAnswer(Answer(answer));

    QVERIFY(choose(*m_h, "x.ini"));
    const QList<SeenBox> boxes = m_responder->takeBoxes();
    QCOMPARE(boxes.size(), box.isEmpty() ? 0 : 1);
    if (box.isEmpty()) {
        QCOMPARE(m_h->child<QSlider>("SliderStreeingAngle")->value(), angle);
        QCOMPARE(m_h->child<QComboBox>("colorComboBox")->currentIndex(), 1);
        QCOMPARE(m_h->child<QComboBox>("colorComboBox_2")->currentIndex(), 1);
        QCOMPARE(list()->currentText(), QStringLiteral("x.ini"));
        return;
    }
    QCOMPARE(boxes.at(0).text,
             box.contains("%1") ? box.arg(QDir::toNativeSeparators(pathOf("x.ini"))) : box);
    QCOMPARE(formValues(*m_h), form);
    QCOMPARE(list()->currentText(), QStringLiteral("good.ini"));
    QCOMPARE(snapshot(m_h->profileFolder()), files);
    QVERIFY(!sendPending(*m_h));
    QVERIFY(m_h->features().isEmpty());

    typeInto(*m_h, "lineJump", "77");
    m_h->widget()->on_tbt_savedata_clicked();
    QCOMPARE(written("good.ini", "MachineSetUp", "ExternalElastic"), QStringLiteral("77"));
    files["good.ini"] = readBytes(pathOf("good.ini"));
    QCOMPARE(snapshot(m_h->profileFolder()), files);
}

// An unmarked profile is marked (one new entry, nothing else changed) but
// not loaded; chosen again it loads, and each group goes out once with the
// profile's values.
void TestProfileFlows::conversionThenLoadSendsTheProfile()
{
    scrambleForm(*m_h);
    m_h->clearFeatures();
    const auto form = formValues(*m_h);
    const QByteArray shipped = readBytes(pathOf("data.ini"));
    m_responder->setAnswer(Answer::Yes);
    QVERIFY(choose(*m_h, "data.ini"));
    QCOMPARE(m_responder->takeBoxes().size(), 1);
    QCOMPARE(formValues(*m_h), form);
    QCOMPARE(list()->currentIndex(), -1);
    QCOMPARE(readBytes(pathOf("data.ini")),
             QByteArray(shipped).replace("type=0\r\n", "type=0\r\nVer=0\r\n"));
    QVERIFY(m_h->features().isEmpty());

    QVERIFY(choose(*m_h, "data.ini"));
    QVERIFY(m_responder->takeBoxes().isEmpty());
    QVERIFY(WidgetHarness::waitFor([&] { return !sendPending(*m_h); }));
    // Angle 900 = 0x0384, TotalForce 0, FilterFrequency 0, WheelSpring 26,
    // WheelDamper 59, WheelSpeed 91, WheelFriction 9; GameSpring 181,
    // GameDamper 72, GameInertia 76, GameFriction 53, ConstantForce 0, PeriodForce 0.
    QCOMPARE(sent(*m_h, "8001"), QStringLiteral("800184030000001a3b5b09"));
    QCOMPARE(sent(*m_h, "8002"), QStringLiteral("8002b5484c350000000000"));
    // Both selectors as loaded, never one of them alone; then the choice sends them once more.
    QCOMPARE(sent(*m_h, "8004"), QStringLiteral("8004000000000000000000 8004000000000000000000"));
}

// Qt's combo box takes a wheel turn as a choice; over the profile list it changes nothing.
void TestProfileFlows::wheelOverTheListLoadsNothing()
{
    QVERIFY(writeBytes(pathOf("good.ini"), markedProfile(-20, 30, 540)));
    m_h->widget()->Slit_InitcbReadFile();
    const int shown = list()->currentIndex();
    m_h->clearFeatures();
    for (const int delta : {-120, 120, 120}) {
        QWheelEvent turn(QPointF(5, 5), QPointF(list()->mapToGlobal(QPoint(5, 5))), QPoint(),
                         QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(list(), &turn);
    }
    QCOMPARE(list()->currentIndex(), shown);
    QVERIFY(m_responder->takeBoxes().isEmpty());
    QVERIFY(!sendPending(*m_h));
    QVERIFY(m_h->features().isEmpty());
}

void TestProfileFlows::saveAs_data()
{
    QTest::addColumn<QString>("typed");     // empty: the dialog is cancelled
    QTest::addColumn<QStringList>("edits"); // "field=text" typed after the sliders moved
    QTest::addColumn<QByteArray>("existing");
    QTest::addColumn<QString>("saved");
    QTest::newRow("name with .ini") << "mine.ini" << QStringList() << QByteArray() << "mine.ini";
    QTest::newRow("name without .ini") << "mine" << QStringList() << QByteArray() << "mine.ini";
    QTest::newRow("fields mid-edit save what is sent")
        << "mine.ini" << QStringList{"lineGramFreeBack=-", "lineJump="} << QByteArray()
        << "mine.ini";
    QTest::newRow("over a profile of ours")
        << "old.ini" << QStringList() << markedProfile(10, 20, 400) + "[RSaxis]\r\nRSHight=4000\r\n"
        << "old.ini";
    QTest::newRow("cancelled") << "" << QStringList() << QByteArray() << "";
}

// Save As writes every parameter as the value its control sends, keeps the
// other keys of the file it starts from, and makes the saved file the one
// the list shows and "WriteStorage" writes.
void TestProfileFlows::saveAs()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, edits);
    QFETCH(QByteArray, existing);
    QFETCH(QString, saved);
    if (!existing.isEmpty())
        QVERIFY(writeBytes(pathOf(typed), existing));
    for (int i = 0; i < int(std::size(kSliderKeys)); ++i)
        m_h->child<QSlider>(kSliderKeys[i].slider)->setValue(kSliderKeys[i].minimum + 11 + i);
    m_h->child<QComboBox>("colorComboBox")->setCurrentIndex(2);
    m_h->child<QComboBox>("colorComboBox_2")->setCurrentIndex(0);
    // The switch, never laid out, takes a request a moment later.
    auto *help = m_h->child<SwitchButton>("SwitchHelp");
    help->setChecked(true);
    QTRY_VERIFY(help->isChecked());
    for (const QString &edit : edits)
        typeInto(*m_h, qPrintable(edit.section('=', 0, 0)), edit.section('=', 1));
    // A new profile starts from the folder's default profile, not the shipped one.
    QByteArray folderDefault = readBytes(pathOf("data.ini"));
    QVERIFY(writeBytes(pathOf("data.ini"), folderDefault.replace("RSHight=", "RSHight=77")));
    const auto files = snapshot(m_h->profileFolder());
    m_responder->setSaveTarget(typed.isEmpty() ? QString() : pathOf(typed));
    m_h->widget()->on_toolButton_5_clicked();
    QCOMPARE(m_responder->fileDialogs(), 1);
    if (saved.isEmpty()) {
        QCOMPARE(snapshot(m_h->profileFolder()), files);
        QVERIFY2(!QFile::exists(QStringLiteral(".ini")), "a file named \".ini\" was written");
        QCOMPARE(list()->currentIndex(), -1);
        return;
    }
    const profiles::ProfileValues values = profiles::ProfileValues::read(pathOf(saved));
    for (int i = 0; i < int(std::size(kSliderKeys)); ++i)
        QCOMPARE(values.value(kSliderKeys[i].group, kSliderKeys[i].key),
                 QString::number(kSliderKeys[i].minimum + 11 + i));
    QStringList others; // the keys that are no parameter, kept or written as the form says
    for (const QString key : {"Softward/speed", "Softward/type", "Softward/Ver", "Softward/Help",
                              "Language/Languages", "RSaxis/RSHight"})
        others << values.value(key.section('/', 0, 0), key.section('/', 1));
    QCOMPARE(others.join(' '), QString(existing.isEmpty() ? "2 0 0 1 1 77" : "2 0 0 1 2 4000"));
    QCOMPARE(list()->currentText(), saved);

    typeInto(*m_h, "lineFriction", "3");
    m_h->widget()->on_tbt_savedata_clicked();
    QCOMPARE(written(qPrintable(saved), "MachineSetUp", "ExternalFriction"), QStringLiteral("3"));
    QCOMPARE(readBytes(pathOf("data.ini")), files.value("data.ini"));
}

// Generated profiles load, or are refused with the box their content calls
// for, changing neither the form nor any file but the chosen one's marker on
// a conversion. (What a load sets is the table's and the conversion test's.)
void TestProfileFlows::malformedProfilesLoadOrAreRefused()
{
    constexpr int kCount = 100;
    QRandomGenerator random(20240611);
    for (int i = 0; i < kCount; ++i)
        QVERIFY(writeBytes(pathOf(QStringLiteral("fuzz_%1.ini").arg(i)), malformedProfile(random)));
    m_h->widget()->Slit_InitcbReadFile();
    QString current; // the file "WriteStorage" writes: none until one loads
    int loaded = 0;
    for (int i = 0; i < kCount; ++i) {
        const QString name = QStringLiteral("fuzz_%1.ini").arg(i);
        const QMap<QString, QByteArray> before = snapshot(m_h->profileFolder());
        const QString box = boxFor(pathOf(name));
        const auto form = formValues(*m_h);
        const bool convert = i % 4 < 2;
        m_responder->setAnswer(convert ? Answer::Yes : Answer::No);
        QVERIFY(choose(*m_h, name));
        const QList<SeenBox> boxes = m_responder->takeBoxes();
        const QByteArray context = name.toLatin1() + ": " + before.value(name).left(200).toHex();
        QVERIFY2(boxes.size() <= 1 && (boxes.isEmpty() ? QString() : boxes.at(0).text) == box,
                 context.constData());
        QVERIFY2(box.isEmpty() || formValues(*m_h) == form, context.constData());
        // Only the chosen file may change, and only by being marked.
        // (A load saves the base's settings in the history folder first.)
        QMap<QString, QByteArray> after = snapshot(m_h->profileFolder()), others = before;
        after.remove(QStringLiteral("history")), others.remove(QStringLiteral("history"));
        if (after.take(name) != others.take(name))
            QVERIFY2(box == kEnglishConversion && convert, context.constData());
        QVERIFY2(after == others, context.constData());
        if (box.isEmpty())
            ++loaded, current = name;
        QVERIFY2(list()->currentText() == current, context.constData());
    }
    QVERIFY2(loaded > kCount / 10 && loaded < kCount * 9 / 10, qPrintable(QString::number(loaded)));
}

// This test program, started through the tool's own start-up from a folder
// with a non-ASCII name, keeps its profiles beside itself.
void TestProfileFlows::nonAsciiInstallFolderKeepsItsProfiles()
{
    QTemporaryDir root;
    const QString folder = root.path() + QString::fromUtf8("/方向盘 Ünïcode");
    const QString program = folder + "/tool";
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), program));
    QVERIFY(QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner));
    QProcess tool;
    qputenv("XDG_DATA_HOME", QFile::encodeName(root.path() + "/user")); // inherited by the tool
    tool.start(program, {"--print-profile-folder"});
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(QString::fromUtf8(tool.readAllStandardOutput()).trimmed(), folder + "/ini");
    QVERIFY(QFileInfo(folder + "/ini/data.ini").isFile());
}

int main(int argc, char **argv)
{
    if (argc == 2 && qstrcmp(argv[1], "--print-profile-folder") == 0) {
        StartupHooks hooks;
        hooks.beforeWindow = [] { device::installPlatform(std::make_unique<sim::SimPlatform>()); };
        hooks.afterShow = [](Widget *) {
            std::printf("%s\n", profiles::profileFolder().toUtf8().constData());
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        };
        int windowArgc = 1; // the tool itself, started without arguments
        return runApplication(windowArgc, argv, hooks);
    }
    QApplication app(argc, argv);
    TestProfileFlows test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_profileflows.moc"
