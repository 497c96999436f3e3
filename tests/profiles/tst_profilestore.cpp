// The profile store and the file helpers over it: stored numbers and edition
// markers, the default profile copy, checked atomic writes that either land
// whole or change nothing, the list, the folder and the lock shared with
// QSettings.

#include "inifile.h"
#include "parameterprofile.h"
#include "profilefolder.h"
#include "profilestore.h"
#include "profiletestutil.h"
#include "runjournal.h"
#include "velorax_resources.h"

#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

using namespace testutil;
using profiles::EditionMarker;
using profiles::WriteStatus;

Q_DECLARE_METATYPE(EditionMarker)
Q_DECLARE_METATYPE(WriteStatus)

constexpr int kNone = -99999;

class TestProfileStore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void storedText_data();
    void storedText();
    void defaultProfileCopy();
    void writes_data();
    void writes();
    void listProfileFiles();
    void twoProcessesLoseNoUpdate();
    void folder_data();
    void folder();
    void snapshotOrder_data();
    void snapshotOrder();

private:
    QString path(const char *name) const { return m_dir->filePath(QLatin1String(name)); }
    QScopedPointer<QTemporaryDir> m_dir;
};

void TestProfileStore::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    veloraxInitResources();
}

void TestProfileStore::storedText_data()
{
    // The number a stored text stands for as TotalForce (-100..100) and as Angle (1..1600),
    // kNone where it stands for none, and the edition it names as a marker.
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("force");
    QTest::addColumn<int>("angle");
    QTest::addColumn<EditionMarker>("marker");
    const auto row = [](const char *text, int force, int angle, EditionMarker marker) {
        QTest::newRow(text) << QString::fromLatin1(text) << force << angle << marker;
    };
    row("", 0, kNone, EditionMarker::Unmarked);
    row("000", 0, kNone, EditionMarker::Ours);
    row("-0", 0, kNone, EditionMarker::Ours);
    row(" ", 0, kNone, EditionMarker::Ours);
    row("-", 0, kNone, EditionMarker::Ours);
    row("-100", -100, kNone, EditionMarker::Foreign);
    row("-101", kNone, kNone, EditionMarker::Foreign);
    row("+7", kNone, kNone, EditionMarker::Foreign);
    row(" 2 ", 2, 2, EditionMarker::Foreign);
    row("0900", kNone, 900, EditionMarker::Foreign);
    row("1600", kNone, 1600, EditionMarker::Foreign);
    row("1601", kNone, kNone, EditionMarker::Foreign);
    row("900.0", kNone, kNone, EditionMarker::Ours);
    row("1e3", kNone, kNone, EditionMarker::Ours);
    row("12abc", kNone, kNone, EditionMarker::Ours);
    row("0x10", kNone, kNone, EditionMarker::Ours);
    row("--5", kNone, kNone, EditionMarker::Ours);
    row("99999999999", kNone, kNone, EditionMarker::Foreign);
    row("2147483648", kNone, kNone, EditionMarker::Foreign);
}

// A stored value stands for a whole decimal number inside its range, or for none.
void TestProfileStore::storedText()
{
    QFETCH(QString, text);
    QFETCH(int, force);
    QFETCH(int, angle);
    QFETCH(EditionMarker, marker);
    QCOMPARE(profiles::storedParameterValue(text, {-100, 100}).value_or(kNone), force);
    QCOMPARE(profiles::storedParameterValue(text, {1, 1600}).value_or(kNone), angle);
    QCOMPARE(profiles::classifyEditionMarker(text), marker);
}

// The shipped profile is copied, writable by its owner, where no file
// is; an existing file is kept. Folders are created one level deep.
void TestProfileStore::defaultProfileCopy()
{
    const QString resource = QLatin1String(profiles::kDefaultProfileResource);
    QCOMPARE(readBytes(resource), expectedDefaultProfile());
    QVERIFY(profiles::installResourceCopy(resource, path("data.ini")));
    QCOMPARE(readBytes(path("data.ini")), expectedDefaultProfile());
    QVERIFY(QFileInfo(path("data.ini")).permissions().testFlag(QFileDevice::WriteOwner));
    QVERIFY(writeBytes(path("mine.ini"), "Ver=0"));
    QVERIFY(profiles::installResourceCopy(resource, path("mine.ini")));
    QCOMPARE(readBytes(path("mine.ini")), QByteArray("Ver=0"));
    QVERIFY(profiles::ensureFolder(path("ini")) && QFileInfo(path("ini")).isDir());
    QVERIFY(!profiles::ensureFolder(path("a/b")) && !profiles::ensureFolder(path("mine.ini")));
    QCOMPARE(snapshot(m_dir->path()).keys(), (QStringList{"data.ini", "ini", "mine.ini"}));
}

void TestProfileStore::writes_data()
{
    QTest::addColumn<QByteArray>("bytes"); // "-": no file, "<dir>": a folder
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<WriteStatus>("status");
    const auto row = [](const char *tag, const QByteArray &bytes, const char *key, int size,
                        const char *condition, WriteStatus status) {
        QTest::newRow(tag) << bytes << QString::fromLatin1(key) << size
                           << QString::fromLatin1(condition) << status;
    };
    const QByteArray shipped = expectedDefaultProfile();
    const int big = int(profiles::kMaxProfileBytes);
    row("written", shipped, "Softward/Help", 4000, "", WriteStatus::Written);
    row("missing file: none created", "-", "A/b", 1, "", WriteStatus::Missing);
    row("folder", "<dir>", "A/b", 1, "", WriteStatus::Failed);
    row("over 1 MiB", shipped + QByteArray(big, ';'), "A/b", 1, "", WriteStatus::Failed);
    row("would grow past 1 MiB", shipped, "Softward/Help", big, "", WriteStatus::Failed);
    row("edit would not read back", "[A]\nk=\"open\nx=1", "Softward/Ver", 1, "",
        WriteStatus::Failed);
    row("empty key", shipped, "/", 1, "", WriteStatus::Failed);
    row("disk full", shipped, "Softward/Help", 4000, "full", WriteStatus::Failed);
    row("read-only folder", shipped, "Softward/Help", 1, "read-only", WriteStatus::Failed);
    row("unmarked where ours is required", shipped, "A/b", 1, "ours", WriteStatus::Refused);
    row("foreign where ours is required", "[Softward]\nVer=3\n", "A/b", 1, "ours",
        WriteStatus::Refused);
}

// A write replaces the file by a rename (new inode, same permissions) with
// every entry read back, or leaves the folder exactly as it was.
void TestProfileStore::writes()
{
#ifdef Q_OS_UNIX
    QFETCH(QByteArray, bytes);
    QFETCH(QString, key);
    QFETCH(int, size);
    QFETCH(QString, condition);
    QFETCH(WriteStatus, status);
    const QString file = path("p.ini");
    const QFile::Permissions mine = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                    QFileDevice::ReadUser | QFileDevice::WriteUser;
    if (bytes == "<dir>")
        QVERIFY(QDir().mkdir(file));
    else if (bytes != "-")
        QVERIFY(writeBytes(file, bytes) && QFile::setPermissions(file, mine));
    const auto before = snapshot(m_dir->path());
    const quint64 inode = inodeOf(file);
    const QFile::Permissions full =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    if (condition == "read-only" && ::geteuid() == 0)
        QSKIP("root writes into read-only folders");
    if (condition == "read-only")
        QVERIFY(QFile::setPermissions(m_dir->path(), full & ~QFileDevice::WriteOwner));
    profiles::WriteOptions options;
    options.requireOurs = condition == "ours";
    const QString group = key.section('/', 0, 0), name = key.section('/', 1);
    const QString value(size, QLatin1Char('7'));
    WriteStatus result;
    int iniResult = 0;
    {
        FileSizeLimit limit(condition == "full" ? 1024 : RLIM_INFINITY);
        result = profiles::writeProfileValues(
            file, {{"Softward", "Ver", "0"}, {group, name, value}}, options);
        if (!options.requireOurs)
            iniResult = IniFile().WriteIniFile(file, group, name, value);
    }
    QFile::setPermissions(m_dir->path(), full);
    QCOMPARE(result, status);
    QCOMPARE(iniResult, status == WriteStatus::Failed ? -1 : 0);
    if (status != WriteStatus::Written) {
        QCOMPARE(snapshot(m_dir->path()), before);
        return;
    }
    QVERIFY(inodeOf(file) != inode);
    QCOMPARE(QFile::permissions(file), mine);
    QCOMPARE(profiles::ProfileValues::read(file).value(group, name), value);
    QCOMPARE(snapshot(m_dir->path()).keys(), QStringList{"p.ini"});
#else
    QSKIP("inodes, permissions and RLIMIT_FSIZE are Unix notions");
#endif
}

void TestProfileStore::listProfileFiles()
{
    for (const char *name : {"b.ini", "A.INI", "c.Ini", "data.ini.lock", "notes.txt", "ini"})
        QVERIFY(writeBytes(path(name), "x"));
    QVERIFY(QDir().mkdir(path("folder.ini")));
    QCOMPARE(profiles::listProfileFiles(m_dir->path()), (QStringList{"A.INI", "b.ini", "c.Ini"}));
    QCOMPARE(profiles::listProfileFiles(path("missing")), QStringList());
}

// This tool and a QSettings-based program edit one profile at the same time,
// each counting its own key up: with both holding the file's lock around
// their read-modify-write, neither loses an update of the other.
void TestProfileStore::twoProcessesLoseNoUpdate()
{
    constexpr int kRounds = 300;
    const QString file = path("shared.ini");
    QVERIFY(writeBytes(file, "[Counter]\r\nA=0\r\nB=0\r\n"));
    QProcess other;
    other.start(QCoreApplication::applicationFilePath(),
                {"--qsettings-writer", file, QString::number(kRounds)});
    // It says when it has begun, so that the two really overlap.
    QVERIFY(other.waitForReadyRead(30000));
    for (int i = 0; i < kRounds; ++i) {
        const int a = profiles::ProfileValues::read(file).number("Counter", "A");
        QCOMPARE(profiles::writeProfileValues(file, {{"Counter", "A", QString::number(a + 1)}}),
                 WriteStatus::Written);
    }
    QVERIFY(other.waitForFinished(60000));
    QCOMPARE(other.exitCode(), 0);
    const profiles::ProfileValues values = profiles::ProfileValues::read(file);
    QCOMPARE(values.number("Counter", "A"), kRounds);
    QCOMPARE(values.number("Counter", "B"), kRounds);
    QVERIFY(!QFileInfo::exists(file + ".lock"));
}

void TestProfileStore::folder_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("besideApplication");
    QTest::newRow("beside the application") << "app" << true;
    QTest::newRow("application folder cannot be created") << "under a file" << false;
    QTest::newRow("read-only ini folder") << "read-only" << false;
}

// Profiles live in "ini" beside the application while it can be written,
// else in the user's data folder; the write probe leaves nothing behind.
void TestProfileStore::folder()
{
    QFETCH(QString, kind);
    QFETCH(bool, besideApplication);
    const QString app = kind == "under a file" ? path("plain/app") : path("app");
    const QString user = path("home/velorax");
    QVERIFY(writeBytes(path("plain"), "x"));
    if (kind != "under a file")
        QVERIFY(QDir().mkdir(app));
    if (kind == "read-only")
        QVERIFY(QDir().mkdir(app + "/ini") && writeBytes(app + "/ini/data.ini", "x"));
    const QFile::Permissions full =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
#ifdef Q_OS_WIN
    if (kind == "read-only")
        QSKIP("a folder's read-only attribute does not stop new files on Windows");
#else
    if (kind == "read-only" && ::geteuid() == 0)
        QSKIP("root writes into read-only folders");
#endif
    if (kind == "read-only")
        QVERIFY(QFile::setPermissions(app + "/ini", full & ~QFileDevice::WriteOwner));
    const QString chosen = profiles::resolveProfileFolder(app, user);
    QFile::setPermissions(app + "/ini", full);
    QCOMPARE(chosen, (besideApplication ? app : user) + "/ini");
    QVERIFY(QFileInfo(chosen).isDir());
    QVERIFY(snapshot(chosen).isEmpty());
}

void TestProfileStore::snapshotOrder_data()
{
    QTest::addColumn<int>("saved");
    QTest::addColumn<QStringList>("older"); // names already there
    QTest::addColumn<int>("leased");        // the snapshot (by number) a run still needs; -1: none
    QTest::addColumn<QString>("first");     // of what is listed after the saves
    const QString second = "2030-01-01 10-00-00 before store";
    QTest::newRow("five within one second") << 5 << QStringList() << -1 << "0";
    QTest::newRow("after old names with a counter, within that second")
        << 3 << QStringList{second + " (2).ini", second + ".ini"} << -1 << second + ".ini";
    QTest::newRow("pruning removes the oldest") << 53 << QStringList() << -1 << "3";
    QTest::newRow("a run's restore point is never pruned") << 53 << QStringList() << 1 << "1";
}

// Snapshots saved at the same moment list in the order they were taken, after every older one;
// the newest 50 are kept, and whatever a run of the wrapper needs.
void TestProfileStore::snapshotOrder()
{
    QFETCH(int, saved);
    QFETCH(QStringList, older);
    QFETCH(int, leased);
    QFETCH(QString, first);
    const QString folder = m_dir->path();
    QVERIFY(QDir().mkpath(profiles::historyFolder(folder)));
    for (const QString &name : older)
        QVERIFY(writeBytes(profiles::historyFolder(folder) + '/' + name, "x"));
    const QDateTime when = QDateTime::fromString("2030-01-01 10:00:00.500", Qt::ISODateWithMs);
    QStringList taken; // the values' numbers in the order they were saved
    for (int i = 0; i < saved; ++i) {
        protocol::ParameterValues values;
        for (const protocol::ParameterInfo &info : protocol::parameterTable())
            values.setValue(info.parameter, info.range.minimum);
        values.setValue(protocol::Parameter::Angle, 100 + i);
        const QString path = profiles::saveSnapshot(folder, values, "before store", when, {});
        QVERIFY(!path.isEmpty());
        if (i == leased) {
            profiles::RunLease lease;
            lease.pid = 1;
            lease.sent = lease.restore = values;
            lease.restorePoint = path;
            QString error;
            QVERIFY2(profiles::writeRuns(folder, {lease}, &error), qPrintable(error));
        }
    }
    const QStringList names = profiles::listSnapshots(folder);
    QCOMPARE(names.size(),
             std::min(saved + older.size(), profiles::kSnapshotsKept + (leased >= 0)));
    int expected = 0;
    for (const QString &name : names) {
        const protocol::ParameterValues values =
            profiles::checkProfile(profiles::historyFolder(folder) + '/' + name).values;
        const int number =
            older.contains(name) ? -1 : values.value(protocol::Parameter::Angle) - 100;
        if (name == names.first())
            QCOMPARE(older.contains(name) ? name : QString::number(number), first);
        if (number >= 0) {
            QVERIFY2(number >= expected, qPrintable(names.join('\n')));
            expected = number + 1;
        }
    }
}

// The other program of twoProcessesLoseNoUpdate: counts B up through QSettings.
int qsettingsWriter(const QString &path, int rounds)
{
    for (int i = 0; i < rounds; ++i) {
        // On Windows a file the other process is replacing at that moment cannot be opened:
        // QSettings then writes nothing and says so, and the round is tried again.
        QSettings::Status status = QSettings::AccessError;
        for (int tries = 0; status == QSettings::AccessError && tries < 100; ++tries) {
            QSettings settings(path, QSettings::IniFormat);
            settings.setValue("Counter/B", settings.value("Counter/B").toInt() + 1);
            settings.sync();
            status = settings.status();
        }
        if (status != QSettings::NoError)
            return 1;
        if (i == 0)
            std::fputs("begun\n", stdout), std::fflush(stdout);
    }
    return 0;
}

int main(int argc, char **argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--qsettings-writer") == 0) {
        QCoreApplication app(argc, argv);
        return qsettingsWriter(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
    }
    QApplication app(argc, argv); // the file helpers are widgets
    TestProfileStore test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_profilestore.moc"
