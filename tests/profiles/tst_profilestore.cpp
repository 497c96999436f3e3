#include "inifile.h"
#include "profilefolder.h"
#include "profilestore.h"
#include "profiletestutil.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace testutil;
using profiles::EditionMarker;
using profiles::ReadStatus;
using profiles::WriteStatus;

Q_DECLARE_METATYPE(EditionMarker)

class TestProfileStore : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void profileNumber_data();
    void profileNumber();
    void editionMarker_data();
    void editionMarker();

    void defaultProfileLoadsAsShipped();
    void readStatus();

    void saveAsWritesAllKeysInOneStep();
    void laterEntryForTheSameKeyWins();
    void unverifiableEditIsRefused();
    void emptyKeyIsRefused();
    void growingPastTheLimitIsRefused();

    void listProfileFiles();

    void folderBesideApplication();
    void folderFallsBackToUserFolder_data();
    void folderFallsBackToUserFolder();
    void folderFallsBackWhenApplicationDirReadOnly();
    void folderOverrideForTests();

private:
    QString installDefault(const QString &name = QStringLiteral("data.ini"));

    QScopedPointer<QTemporaryDir> m_dir;
};

void TestProfileStore::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

QString TestProfileStore::installDefault(const QString &name)
{
    const QString path = m_dir->filePath(name);
    return profiles::installResourceCopy(QLatin1String(profiles::kDefaultProfileResource), path)
               ? path
               : QString();
}

void TestProfileStore::profileNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");
    QTest::newRow("decimal") << "181" << 181;
    QTest::newRow("negative") << "-100" << -100;
    QTest::newRow("plus sign") << "+7" << 7;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("null") << QString() << 0;
    QTest::newRow("lone minus") << "-" << 0;
    QTest::newRow("text") << "abc" << 0;
    QTest::newRow("trailing text") << "12abc" << 0;
    QTest::newRow("hex is not decimal") << "0x10" << 0;
    QTest::newRow("fraction") << "1.5" << 0;
    QTest::newRow("beyond int") << "99999999999" << 0;
    QTest::newRow("out of a slider's range stays") << "5000" << 5000;
}

void TestProfileStore::profileNumber()
{
    QFETCH(QString, text);
    QFETCH(int, number);
    QCOMPARE(profiles::profileNumber(text), number);
}

void TestProfileStore::editionMarker_data()
{
    QTest::addColumn<QString>("marker");
    QTest::addColumn<EditionMarker>("expected");
    QTest::newRow("absent") << QString() << EditionMarker::Unmarked;
    QTest::newRow("empty") << "" << EditionMarker::Unmarked;
    QTest::newRow("zero") << "0" << EditionMarker::Ours;
    QTest::newRow("zeros") << "000" << EditionMarker::Ours;
    QTest::newRow("minus zero") << "-0" << EditionMarker::Ours;
    QTest::newRow("not a number") << "abc" << EditionMarker::Ours;
    QTest::newRow("blank") << " " << EditionMarker::Ours;
    QTest::newRow("three") << "3" << EditionMarker::Foreign;
    QTest::newRow("negative") << "-1" << EditionMarker::Foreign;
    QTest::newRow("padded") << " 2 " << EditionMarker::Foreign;
    QTest::newRow("beyond int") << "99999999999" << EditionMarker::Foreign;
}

void TestProfileStore::editionMarker()
{
    QFETCH(QString, marker);
    QFETCH(EditionMarker, expected);
    QCOMPARE(profiles::classifyEditionMarker(marker), expected);
}

void TestProfileStore::defaultProfileLoadsAsShipped()
{
    const QString path = installDefault();
    const auto values = profiles::ProfileValues::read(path);
    QCOMPARE(values.status(), ReadStatus::Ok);
    QCOMPARE(values.editionMarker(), EditionMarker::Unmarked);
    const struct
    {
        const char *group;
        const char *key;
        int number;
    } expected[] = {{"Softward", "type", 0},
                    {"MachineSetUp", "ForceFeedback", 0},
                    {"MachineSetUp", "ExternalElastic", 26},
                    {"MachineSetUp", "OuterDamping", 59},
                    {"MachineSetUp", "ExternalMoment", 91},
                    {"MachineSetUp", "ExternalFriction", 9},
                    {"GameEffect", "GameFlider", 0},
                    {"GameEffect", "GameElastic", 181},
                    {"GameEffect", "GameDamping", 72},
                    {"GameEffect", "GameMoment", 76},
                    {"GameEffect", "GameFriction", 53},
                    {"GameIsForce", "GameConstant", 0},
                    {"GameIsForce", "GameSinOne", 0},
                    {"StreeingAngle", "SliderStreeingAngle", 900},
                    {"Softward", "speed", 0},
                    {"Language", "Languages", 1}};
    for (const auto &row : expected)
        QCOMPARE(values.number(row.group, row.key), row.number);
    QVERIFY(values.contains("MachineSetUp", "ForceFeedback"));
    QVERIFY(!values.contains("GameEffect", "GameFlider"));
    QCOMPARE(values.keys().size(), 21);
}

void TestProfileStore::readStatus()
{
    QString value = QStringLiteral("previous");
    QCOMPARE(profiles::readProfileValue(m_dir->filePath("none.ini"), "A", "b", &value),
             ReadStatus::Missing);
    QCOMPARE(value, QStringLiteral("previous"));
    QCOMPARE(profiles::ProfileValues::read(m_dir->path()).status(), ReadStatus::Unreadable);
    const QString empty = m_dir->filePath("empty.ini");
    QVERIFY(writeBytes(empty, QByteArray()));
    const auto values = profiles::ProfileValues::read(empty);
    QCOMPARE(values.status(), ReadStatus::Ok);
    QCOMPARE(values.editionMarker(), EditionMarker::Unmarked);
    QCOMPARE(values.number("StreeingAngle", "SliderStreeingAngle"), 0);
}

void TestProfileStore::saveAsWritesAllKeysInOneStep()
{
    const QString path = installDefault(QStringLiteral("mine.ini"));
    const QVector<profiles::ProfileEntry> entries = {
        {"MachineSetUp", "ForceFeedback", "-"},
        {"MachineSetUp", "ExternalElastic", "1"},
        {"MachineSetUp", "OuterDamping", "2"},
        {"MachineSetUp", "ExternalMoment", "3"},
        {"MachineSetUp", "ExternalFriction", "4"},
        {"GameEffect", "GameFlider", "5"},
        {"GameEffect", "GameElastic", "6"},
        {"GameEffect", "GameDamping", "7"},
        {"GameEffect", "GameMoment", "8"},
        {"GameEffect", "GameFriction", "9"},
        {"GameIsForce", "GameConstant", ""},
        {"GameIsForce", "GameSinOne", "11"},
        {"StreeingAngle", "SliderStreeingAngle", "1080"},
        {"Softward", "speed", "2"},
        {"Softward", "type", "1"},
        {"Softward", "Ver", "0"},
        {"Softward", "Help", "1"}};
#ifdef Q_OS_UNIX
    const quint64 inode = inodeOf(path);
#endif
    QCOMPARE(profiles::writeProfileValues(path, entries), WriteStatus::Written);
#ifdef Q_OS_UNIX
    QVERIFY(inodeOf(path) != inode);
#endif
    const auto values = profiles::ProfileValues::read(path);
    for (const auto &entry : entries)
        QCOMPARE(values.value(entry.group, entry.name), entry.value);
    // The keys the save does not write keep the default profile's content.
    QCOMPARE(values.value("Language", "Languages"), QStringLiteral("1"));
    QCOMPARE(values.value("RSaxis", "RSSwitch"), QStringLiteral("0"));
    QVERIFY(values.contains("GameIsForce", "GameSinFour"));
    QCOMPARE(values.keys().size(), 21 + 3);
    QCOMPARE(values.editionMarker(), EditionMarker::Ours);
    // Still CR LF throughout, and QSettings reads the same.
    const QByteArray bytes = readBytes(path);
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
    QCOMPARE(settingsValue(path, "GameEffect/GameFlider").toString(), QStringLiteral("5"));
    QCOMPARE(settingsValue(path, "Softward/Help").toString(), QStringLiteral("1"));
    QCOMPARE(snapshot(m_dir->path()).keys(), QStringList{"mine.ini"});
}

void TestProfileStore::laterEntryForTheSameKeyWins()
{
    const QString path = installDefault();
    QCOMPARE(profiles::writeProfileValues(
                 path, {{"Language", "LanguageS", "2"}, {"language", "languages", "0"}}),
             WriteStatus::Written);
    const auto values = profiles::ProfileValues::read(path);
    QCOMPARE(values.value("Language", "Languages"), QStringLiteral("0"));
    QCOMPARE(readBytes(path).count("anguage"), 2); // the header and one entry
}

void TestProfileStore::unverifiableEditIsRefused()
{
    // An unclosed quote swallows everything after it, so a section appended
    // at the end would not read back: the write is refused, nothing changes.
    const QString path = m_dir->filePath("broken.ini");
    const QByteArray broken = "[A]\nk=\"open quote\nx=1";
    QVERIFY(writeBytes(path, broken));
    QCOMPARE(profiles::writeProfileValues(path, {{"Softward", "Ver", "0"}}), WriteStatus::Failed);
    QCOMPARE(readBytes(path), broken);
    IniFile ini;
    QCOMPARE(ini.WriteIniFile(path, "Softward", "Ver", "0"), -1);
    QCOMPARE(readBytes(path), broken);
}

void TestProfileStore::emptyKeyIsRefused()
{
    const QString path = installDefault();
    QCOMPARE(profiles::writeProfileValues(path, {{"Softward", "Ver", "0"}, {"/", "", "x"}}),
             WriteStatus::Failed);
    QCOMPARE(readBytes(path), expectedDefaultProfile());
    QCOMPARE(profiles::writeProfileValues(m_dir->filePath("none.ini"), {{"A", "b", "c"}}),
             WriteStatus::Missing);
    QVERIFY(!QFileInfo::exists(m_dir->filePath("none.ini")));
}

void TestProfileStore::growingPastTheLimitIsRefused()
{
    const QString path = installDefault();
    const QString big(int(profiles::kMaxProfileBytes), QLatin1Char('9'));
    QCOMPARE(profiles::writeProfileValues(path, {{"Softward", "Help", big}}), WriteStatus::Failed);
    QCOMPARE(readBytes(path), expectedDefaultProfile());
}

void TestProfileStore::listProfileFiles()
{
    for (const char *name : {"b.ini", "A.INI", "c.Ini", "data.ini.lock", "notes.txt", "ini"})
        QVERIFY(writeBytes(m_dir->filePath(name), "x"));
    QVERIFY(QDir().mkdir(m_dir->filePath("folder.ini")));
    QCOMPARE(profiles::listProfileFiles(m_dir->path()), (QStringList{"A.INI", "b.ini", "c.Ini"}));
    QCOMPARE(profiles::listProfileFiles(m_dir->filePath("missing")), QStringList());
}

void TestProfileStore::folderBesideApplication()
{
    const QString app = m_dir->filePath("app");
    const QString user = m_dir->filePath("user");
    QVERIFY(QDir().mkdir(app));
    QCOMPARE(profiles::resolveProfileFolder(app, user), app + "/ini");
    QVERIFY(QFileInfo(app + "/ini").isDir());
    QVERIFY(snapshot(app + "/ini").isEmpty()); // the write probe leaves nothing
    // An existing folder is used as it is.
    QVERIFY(writeBytes(app + "/ini/data.ini", "x"));
    QCOMPARE(profiles::resolveProfileFolder(app, user), app + "/ini");
    QCOMPARE(snapshot(app + "/ini").keys(), QStringList{"data.ini"});
    QVERIFY(!QFileInfo::exists(user));
}

void TestProfileStore::folderFallsBackToUserFolder_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("application dir cannot be created in") << "under a file";
    QTest::newRow("ini is a file") << "ini is a file";
    QTest::newRow("no application dir") << "none";
}

void TestProfileStore::folderFallsBackToUserFolder()
{
    QFETCH(QString, kind);
    QString app;
    if (kind == QLatin1String("under a file")) {
        QVERIFY(writeBytes(m_dir->filePath("plain"), "x"));
        app = m_dir->filePath("plain/app");
    } else if (kind == QLatin1String("ini is a file")) {
        app = m_dir->filePath("app");
        QVERIFY(QDir().mkdir(app));
        QVERIFY(writeBytes(app + "/ini", "x"));
    }
    const QString user = m_dir->filePath("home/share/velorax");
    QCOMPARE(profiles::resolveProfileFolder(app, user), user + "/ini");
    QVERIFY(QFileInfo(user + "/ini").isDir());
    // The fallback folder is prepared the same way: the default profile goes in.
    IniFile ini;
    QCOMPARE(ini.JudgmentFile(user + "/ini", "data.ini"), 0);
    QCOMPARE(readBytes(user + "/ini/data.ini"), expectedDefaultProfile());
}

void TestProfileStore::folderFallsBackWhenApplicationDirReadOnly()
{
#ifdef Q_OS_UNIX
    if (runningAsRoot())
        QSKIP("root writes into read-only folders");
    const QString app = m_dir->filePath("app");
    QVERIFY(QDir().mkdir(app));
    QVERIFY(QDir().mkdir(app + "/ini"));
    const QFile::Permissions readOnly = QFileDevice::ReadOwner | QFileDevice::ExeOwner;
    QVERIFY(QFile::setPermissions(app + "/ini", readOnly));
    const QString user = m_dir->filePath("user");
    const QString chosen = profiles::resolveProfileFolder(app, user);
    QFile::setPermissions(app + "/ini", readOnly | QFileDevice::WriteOwner);
    QCOMPARE(chosen, user + "/ini");
#else
    QSKIP("Unix permissions");
#endif
}

void TestProfileStore::folderOverrideForTests()
{
    profiles::setProfileFolderForTesting(m_dir->filePath("ini"));
    QCOMPARE(profiles::profileFolder(), m_dir->filePath("ini"));
    QCOMPARE(profiles::profileFolder(), m_dir->filePath("ini"));
    profiles::setProfileFolderForTesting(m_dir->filePath("other"));
    QCOMPARE(profiles::profileFolder(), m_dir->filePath("other"));
}

QTEST_MAIN(TestProfileStore)
#include "tst_profilestore.moc"
