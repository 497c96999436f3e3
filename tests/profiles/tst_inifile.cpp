#include "inifile.h"
#include "profilestore.h"
#include "profiletestutil.h"
#include "velorax_resources.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace testutil;

class TestIniFile : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void defaultProfileResourceIsByteExact();
    void readDefaultProfile_data();
    void readDefaultProfile();
    void readMissingFileKeepsData();
    void readUnreadableFileGivesEmpty_data();
    void readUnreadableFileGivesEmpty();

    void writeMissingFileCreatesNothing();
    void languageSwitchKeepsOneEntry();
    void writeReusesSpelling_data();
    void writeReusesSpelling();
    void writeKeepsEveryOtherByte();
    void writtenValueReadsBack_data();
    void writtenValueReadsBack();

    void judgmentFileNullRule_data();
    void judgmentFileNullRule();
    void judgmentFileKeepsExistingProfile();
    void judgmentFileFolderOnly();
    void judgmentFileReportsFolderFailure();

    void writeReplacesFileAtomically();
    void failedWriteKeepsOldFile();
    void writeIntoReadOnlyFolderFails();
    void writeKeepsPermissions();

    void helperStaysHidden();

private:
    QString installDefault(const QString &name = QStringLiteral("data.ini"));

    QScopedPointer<QTemporaryDir> m_dir;
    IniFile m_ini;
};

void TestIniFile::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

QString TestIniFile::installDefault(const QString &name)
{
    const QString path = m_dir->filePath(name);
    QFile::remove(path);
    if (m_ini.JudgmentFile(m_dir->path(), name) != 0)
        return QString();
    return path;
}

void TestIniFile::defaultProfileResourceIsByteExact()
{
    veloraxInitResources();
    const QByteArray bytes = readBytes(QStringLiteral(":/data.ini"));
    QCOMPARE(bytes.size(), 422);
    QCOMPARE(bytes.count("\r\n"), 35);
    QCOMPARE(bytes.count('\n'), 35);
    QCOMPARE(bytes, expectedDefaultProfile());
    // The copy in the folder is the resource, byte for byte.
    const QString path = installDefault();
    QVERIFY(!path.isEmpty());
    QCOMPARE(readBytes(path), expectedDefaultProfile());
}

void TestIniFile::readDefaultProfile_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    QTest::newRow("present, no value") << "MachineSetUp"
                                       << "ForceFeedback"
                                       << "";
    QTest::newRow("absent key") << "GameEffect"
                                << "GameFlider"
                                << "";
    QTest::newRow("absent marker") << "Softward"
                                   << "Ver"
                                   << "";
    QTest::newRow("absent section") << "Nowhere"
                                    << "Key"
                                    << "";
    QTest::newRow("number") << "MachineSetUp"
                            << "ExternalElastic"
                            << "26";
    QTest::newRow("angle") << "StreeingAngle"
                           << "SliderStreeingAngle"
                           << "900";
    QTest::newRow("language as stored") << "Language"
                                        << "Languages"
                                        << "1";
    QTest::newRow("language as the switch names it") << "Language"
                                                     << "LanguageS"
                                                     << "1";
    QTest::newRow("section and key in other case") << "machinesetup"
                                                   << "OUTERDAMPING"
                                                   << "59";
    QTest::newRow("slashes normalised") << "/GameEffect/"
                                        << "/GameMoment"
                                        << "76";
}

void TestIniFile::readDefaultProfile()
{
    QFETCH(QString, group);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    const QString path = installDefault();
    QString data = QStringLiteral("previous");
    QCOMPARE(m_ini.ReadIniFile(path, group, key, data), 0);
    QCOMPARE(data, expected);
    QCOMPARE(profiles::profileNumber(data), expected.toInt());
}

void TestIniFile::readMissingFileKeepsData()
{
    QString data = QStringLiteral("previous");
    QCOMPARE(m_ini.ReadIniFile(m_dir->filePath("none.ini"), "Language", "Languages", data), 0);
    QCOMPARE(data, QStringLiteral("previous"));
    QVERIFY(snapshot(m_dir->path()).isEmpty());
}

void TestIniFile::readUnreadableFileGivesEmpty_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("folder") << "folder";
    QTest::newRow("over 1 MiB") << "huge";
}

void TestIniFile::readUnreadableFileGivesEmpty()
{
    QFETCH(QString, kind);
    const QString path = m_dir->filePath("odd.ini");
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(path));
    } else {
        QByteArray bytes = "[Language]\r\nLanguages=1\r\n";
        bytes += QByteArray(int(profiles::kMaxProfileBytes), ';');
        QVERIFY(writeBytes(path, bytes));
    }
    const auto before = snapshot(m_dir->path());
    QString data = QStringLiteral("previous");
    QCOMPARE(m_ini.ReadIniFile(path, "Language", "Languages", data), -1);
    QCOMPARE(data, QString());
    QCOMPARE(m_ini.WriteIniFile(path, "Language", "LanguageS", "2"), -1);
    QCOMPARE(snapshot(m_dir->path()), before);
}

void TestIniFile::writeMissingFileCreatesNothing()
{
    QCOMPARE(m_ini.WriteIniFile(m_dir->filePath("none.ini"), "Softward", "Ver", "0"), 0);
    QCOMPARE(m_ini.WriteIniFile(m_dir->filePath("sub/none.ini"), "Softward", "Ver", "0"), 0);
    QVERIFY(snapshot(m_dir->path()).isEmpty());
}

void TestIniFile::languageSwitchKeepsOneEntry()
{
    const QString path = installDefault();
    QCOMPARE(m_ini.WriteIniFile(path, "Language", "LanguageS", "2"), 0);

    const QString text = QString::fromLatin1(readBytes(path));
    const QRegularExpression entry(QStringLiteral("^languages\\s*="),
                                   QRegularExpression::CaseInsensitiveOption |
                                       QRegularExpression::MultilineOption);
    QCOMPARE(text.count(entry), 1);
    QString data;
    QCOMPARE(m_ini.ReadIniFile(path, "Language", "Languages", data), 0);
    QCOMPARE(data, QStringLiteral("2"));
    // Plain QSettings (case-sensitive here) finds it under the file's spelling.
    QCOMPARE(settingsValue(path, "Language/Languages").toString(), QStringLiteral("2"));
}

void TestIniFile::writeReusesSpelling_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("key in other case") << QByteArray("[language]\nLANGUAGES=1\n") << "Language"
                                       << "LanguageS"
                                       << "3" << QByteArray("[language]\nLANGUAGES=3\n");
    QTest::newRow("new key into section in other case")
        << QByteArray("[softward]\r\nspeed=0\r\n\r\n[X]\r\n") << "Softward"
        << "Ver"
        << "0" << QByteArray("[softward]\r\nspeed=0\r\nVer=0\r\n\r\n[X]\r\n");
    QTest::newRow("duplicates differing by case merge into the first")
        << QByteArray("[Language]\nLanguages=1\nLANGUAGES=5\n[LANGUAGE]\n  languages=6 ; old\n")
        << "Language"
        << "LanguageS"
        << "2" << QByteArray("[Language]\nLanguages=2\n[LANGUAGE]\n");
    QTest::newRow("new section at the end")
        << QByteArray("[A]\r\nx=1") << "Softward"
        << "Help"
        << "1" << QByteArray("[A]\r\nx=1\r\n\r\n[Softward]\r\nHelp=1\r\n");
    QTest::newRow("spacing and comment kept")
        << QByteArray("; profile\n[Softward]\nspeed = 1 ; suspension\n") << "Softward"
        << "speed"
        << "2" << QByteArray("; profile\n[Softward]\nspeed =2; suspension\n");
    QTest::newRow("empty file") << QByteArray() << "Softward"
                                << "Ver"
                                << "0" << QByteArray("[Softward]\nVer=0\n");
}

void TestIniFile::writeReusesSpelling()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, group);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    const QString path = m_dir->filePath("p.ini");
    QVERIFY(writeBytes(path, before));
    QCOMPARE(m_ini.WriteIniFile(path, group, key, value), 0);
    QCOMPARE(readBytes(path), after);
    QString data;
    QCOMPARE(m_ini.ReadIniFile(path, group, key, data), 0);
    QCOMPARE(data, value);
}

void TestIniFile::writeKeepsEveryOtherByte()
{
    const QString path = installDefault();
    QCOMPARE(m_ini.WriteIniFile(path, "MachineSetUp", "ExternalElastic", "30"), 0);
    QByteArray expected = expectedDefaultProfile();
    expected.replace("ExternalElastic=26\r\n", "ExternalElastic=30\r\n");
    QCOMPARE(readBytes(path), expected);

    // Storing the value that is already there leaves the file as it is.
    QCOMPARE(m_ini.WriteIniFile(path, "MachineSetUp", "ExternalElastic", "30"), 0);
    QCOMPARE(readBytes(path), expected);
}

void TestIniFile::writtenValueReadsBack_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("empty") << "";
    QTest::newRow("lone minus") << "-";
    QTest::newRow("negative") << "-100";
    QTest::newRow("comma") << "a,b";
    QTest::newRow("semicolon") << "x;y";
    QTest::newRow("equals") << "k=v";
    QTest::newRow("blanks around") << "  padded  ";
    QTest::newRow("at sign") << "@Variant(0)";
    QTest::newRow("quote and backslash") << "say \"\\hi\"";
    QTest::newRow("line break") << "one\r\ntwo";
    QTest::newRow("control and tab") << QString::fromLatin1("a\tb\x01"
                                                            "1");
    QTest::newRow("nul") << QString::fromLatin1("a\0b", 3);
    QTest::newRow("chinese") << QString::fromUtf8("\xe4\xb8\xad\xe6\x96\x87"
                                                  "12");
}

void TestIniFile::writtenValueReadsBack()
{
    QFETCH(QString, value);
    const QString path = installDefault();
    QCOMPARE(m_ini.WriteIniFile(path, "GameEffect", "GameFlider", value), 0);
    QCOMPARE(m_ini.WriteIniFile(path, "Softward", "type", value), 0);
    QString data = QStringLiteral("previous");
    QCOMPARE(m_ini.ReadIniFile(path, "GameEffect", "GameFlider", data), 0);
    QCOMPARE(data, value);
    QCOMPARE(m_ini.ReadIniFile(path, "Softward", "type", data), 0);
    QCOMPARE(data, value);
    QCOMPARE(settingsValue(path, "GameEffect/GameFlider").toString(), value);
    QCOMPARE(settingsValue(path, "Softward/type").toString(), value);
    QCOMPARE(settingsValue(path, "StreeingAngle/SliderStreeingAngle").toString(),
             QStringLiteral("900"));
}

void TestIniFile::judgmentFileNullRule_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("copies");
    QTest::newRow("Null prepares the folder only") << "Null" << false;
    QTest::newRow("NULL is a file name") << "NULL" << true;
    QTest::newRow("null is a file name") << "null" << true;
    QTest::newRow("profile") << "data.ini" << true;
}

void TestIniFile::judgmentFileNullRule()
{
    QFETCH(QString, name);
    QFETCH(bool, copies);
    const QString folder = m_dir->filePath("ini");
    QCOMPARE(m_ini.JudgmentFile(folder, name), 0);
    QVERIFY(QFileInfo(folder).isDir());
    const auto content = snapshot(folder);
    if (!copies) {
        QVERIFY(content.isEmpty());
        return;
    }
    QCOMPARE(content.keys(), QStringList{name});
    QCOMPARE(content.value(name), expectedDefaultProfile());
    // The copy is the user's to change.
    const QString path = folder + QLatin1Char('/') + name;
    QVERIFY(QFileInfo(path).permissions().testFlag(QFileDevice::WriteOwner));
    QVERIFY(QFileInfo(path).permissions().testFlag(QFileDevice::ReadOwner));
    QVERIFY(!QFileInfo(path).permissions().testFlag(QFileDevice::WriteOther));
    QCOMPARE(m_ini.WriteIniFile(path, "Softward", "Ver", "0"), 0);
    QString data;
    QCOMPARE(m_ini.ReadIniFile(path, "Softward", "Ver", data), 0);
    QCOMPARE(data, QStringLiteral("0"));
}

void TestIniFile::judgmentFileKeepsExistingProfile()
{
    const QString path = m_dir->filePath("data.ini");
    QVERIFY(writeBytes(path, "[Softward]\nVer=0\n"));
    QCOMPARE(m_ini.JudgmentFile(m_dir->path(), "data.ini"), 0);
    QCOMPARE(readBytes(path), QByteArray("[Softward]\nVer=0\n"));
}

void TestIniFile::judgmentFileFolderOnly()
{
    const QString folder = m_dir->filePath("ini");
    QCOMPARE(m_ini.JudgmentFile(folder), 0);
    QVERIFY(QFileInfo(folder).isDir());
    QVERIFY(snapshot(folder).isEmpty());
    // Only one level is created.
    QCOMPARE(m_ini.JudgmentFile(m_dir->filePath("a/b")), -1);
    QVERIFY(!QFileInfo::exists(m_dir->filePath("a")));
}

void TestIniFile::judgmentFileReportsFolderFailure()
{
    // A plain file where the folder should be: nothing can be created below.
    const QString blocker = m_dir->filePath("blocker");
    QVERIFY(writeBytes(blocker, "x"));
    QCOMPARE(m_ini.JudgmentFile(blocker + "/ini", "data.ini"), -1);
    QCOMPARE(m_ini.JudgmentFile(blocker, "data.ini"), -1);
    QCOMPARE(m_ini.JudgmentFile(QString(), "data.ini"), -1);
    QCOMPARE(readBytes(blocker), QByteArray("x"));
}

void TestIniFile::writeReplacesFileAtomically()
{
#ifdef Q_OS_UNIX
    const QString path = installDefault();
    const quint64 before = inodeOf(path);
    QVERIFY(before != 0);
    QCOMPARE(m_ini.WriteIniFile(path, "Softward", "Ver", "0"), 0);
    // A new file took the old one's name: it was written aside and renamed.
    QVERIFY(inodeOf(path) != before);
    QCOMPARE(snapshot(m_dir->path()).keys(), QStringList{"data.ini"});
#else
    QSKIP("inode numbers are a Unix notion");
#endif
}

void TestIniFile::failedWriteKeepsOldFile()
{
#ifdef Q_OS_UNIX
    const QString path = installDefault();
    const QByteArray old = readBytes(path);
    const QString longValue(4000, QLatin1Char('7'));
    int result = 0;
    {
        FileSizeLimit limit(1024);
        QVERIFY(limit.isActive());
        result = m_ini.WriteIniFile(path, "Softward", "Help", longValue);
    }
    QCOMPARE(result, -1);
    QCOMPARE(readBytes(path), old);
    QCOMPARE(snapshot(m_dir->path()).keys(), QStringList{"data.ini"});
    QString data = QStringLiteral("previous");
    QCOMPARE(m_ini.ReadIniFile(path, "Softward", "Help", data), 0);
    QCOMPARE(data, QString());
    // Without the limit the same write goes through.
    QCOMPARE(m_ini.WriteIniFile(path, "Softward", "Help", longValue), 0);
    QCOMPARE(m_ini.ReadIniFile(path, "Softward", "Help", data), 0);
    QCOMPARE(data, longValue);
#else
    QSKIP("needs RLIMIT_FSIZE");
#endif
}

void TestIniFile::writeIntoReadOnlyFolderFails()
{
#ifdef Q_OS_UNIX
    if (runningAsRoot())
        QSKIP("root writes into read-only folders");
    const QString path = installDefault();
    QVERIFY(QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const int result = m_ini.WriteIniFile(path, "Softward", "Ver", "0");
    QFile::setPermissions(m_dir->path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(result, -1);
    QCOMPARE(readBytes(path), expectedDefaultProfile());
#else
    QSKIP("Unix permissions");
#endif
}

void TestIniFile::writeKeepsPermissions()
{
#ifdef Q_OS_UNIX
    const QString path = installDefault();
    const QFile::Permissions restricted = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ReadUser | QFileDevice::WriteUser |
                                          QFileDevice::ReadGroup;
    QVERIFY(QFile::setPermissions(path, restricted));
    QCOMPARE(m_ini.WriteIniFile(path, "Softward", "Ver", "0"), 0);
    QCOMPARE(QFile::permissions(path), restricted);
#else
    QSKIP("Unix permissions");
#endif
}

void TestIniFile::helperStaysHidden()
{
    QWidget window;
    window.resize(200, 100);
    auto *helper = new IniFile(&window);
    window.show();
    QVERIFY(window.isVisible());
    QVERIFY(!helper->isVisible());
    QCOMPARE(window.childAt(5, 5), nullptr);
}

QTEST_MAIN(TestIniFile)
#include "tst_inifile.moc"
