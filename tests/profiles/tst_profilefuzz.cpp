#include "inifile.h"
#include "profilestore.h"
#include "profiletestutil.h"
#include "txtfile.h"

#include <QRandomGenerator>

#include <QTemporaryDir>
#include <QtTest>
#include <iterator>

using namespace testutil;

namespace {

const char *const kKeys[][2] = {{"MachineSetUp", "ForceFeedback"},
                                {"MachineSetUp", "ExternalElastic"},
                                {"MachineSetUp", "OuterDamping"},
                                {"MachineSetUp", "ExternalMoment"},
                                {"MachineSetUp", "ExternalFriction"},
                                {"GameEffect", "GameFlider"},
                                {"GameEffect", "GameElastic"},
                                {"GameEffect", "GameDamping"},
                                {"GameEffect", "GameMoment"},
                                {"GameEffect", "GameFriction"},
                                {"GameIsForce", "GameConstant"},
                                {"GameIsForce", "GameSinOne"},
                                {"StreeingAngle", "SliderStreeingAngle"},
                                {"Softward", "speed"},
                                {"Softward", "type"},
                                {"Softward", "Ver"},
                                {"Softward", "Help"},
                                {"Language", "Languages"}};

// Malformed profiles of several kinds, reproducible from the seed.
class MalformedProfiles
{
public:
    explicit MalformedProfiles(quint32 seed) : m_random(seed) {}

    QByteArray next(int kind)
    {
        switch (kind) {
        case 0:
            return randomBytes(bounded(0, 4096));
        case 1:
            return mutated(expectedDefaultProfile(), bounded(1, 30));
        case 2:
            return "[Softward]\r\nVer=" + QByteArray(bounded(100000, 400000), 'v') + "\r\n" +
                   expectedDefaultProfile();
        case 3:
            return expectedDefaultProfile() +
                   QByteArray(int(profiles::kMaxProfileBytes) + bounded(1, 1000), '=');
        case 4:
            return mixedCaseDuplicates();
        case 5:
            return brokenStructure();
        default:
            return oddValues();
        }
    }

private:
    int bounded(int low, int high) { return int(m_random.bounded(low, high)); }

    QByteArray randomBytes(int size)
    {
        QByteArray bytes(size, '\0');
        for (char &c : bytes)
            c = char(bounded(0, 256));
        return bytes;
    }

    QByteArray mutated(QByteArray bytes, int count)
    {
        static const char specials[] = "[]=;\"\\\r\n,@% \t";
        for (int i = 0; i < count && !bytes.isEmpty(); ++i) {
            const int at = bounded(0, bytes.size());
            switch (bounded(0, 4)) {
            case 0:
                bytes[at] = char(bounded(0, 256));
                break;
            case 1:
                bytes.remove(at, bounded(1, 20));
                break;
            case 2:
                bytes.insert(at, specials[bounded(0, int(sizeof specials) - 1)]);
                break;
            default:
                bytes.insert(at, randomBytes(bounded(1, 8)));
            }
        }
        return bytes;
    }

    QByteArray randomCase(const QByteArray &text)
    {
        QByteArray result = text;
        for (char &c : result) {
            if (bounded(0, 2))
                c = char(QChar::toUpper(uint(uchar(c))));
            else
                c = char(QChar::toLower(uint(uchar(c))));
        }
        return result;
    }

    QByteArray mixedCaseDuplicates()
    {
        QByteArray text = expectedDefaultProfile();
        const int count = bounded(1, 12);
        for (int i = 0; i < count; ++i) {
            const auto &key = kKeys[bounded(0, int(std::size(kKeys)))];
            text += '[' + randomCase(key[0]) + "]\n" + randomCase(key[1]) + '=' +
                    QByteArray::number(bounded(-5, 3000)) + '\n';
        }
        return text;
    }

    QByteArray brokenStructure()
    {
        static const char *const pieces[] = {"[Softward",
                                             "Softward]",
                                             "[]",
                                             "[[Language]]",
                                             "Ver=3",
                                             "Ver",
                                             "=0",
                                             "\"unclosed",
                                             "k=\"open\n",
                                             "a=b\\",
                                             "\\\r\n",
                                             ";",
                                             "[General]",
                                             "[%General]",
                                             "x=@Variant(\\0\\0\\0\\x41)",
                                             "y=@DateTime(\\0)",
                                             "z=@Rect(1 2 3 4)",
                                             "\xef\xbb\xbf",
                                             "Languages=1,2",
                                             "\0"};
        QByteArray text;
        const int count = bounded(1, 40);
        for (int i = 0; i < count; ++i)
            text += QByteArray(pieces[bounded(0, int(std::size(pieces)))]) +
                    (bounded(0, 3) ? "\r\n" : "");
        return text;
    }

    QByteArray oddValues()
    {
        static const char *const values[] = {"99999999999", "-5000", "abc", "1e3", "0x1F",
                                             " 12 ",        "+",     "--1", "\\0", "\xff\xfe"};
        QByteArray text;
        for (const auto &key : kKeys) {
            text += '[' + QByteArray(key[0]) + "]\n" + key[1] + '=' +
                    values[bounded(0, int(std::size(values)))] + '\n';
        }
        return text;
    }

    QRandomGenerator m_random;
};

} // namespace

class TestProfileFuzz : public QObject
{
    Q_OBJECT

private slots:
    void malformedProfilesNeverCrashOrSpill();
};

void TestProfileFuzz::malformedProfilesNeverCrashOrSpill()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    IniFile ini;
    TxtFile txt;
    QCOMPARE(ini.JudgmentFile(dir.path(), "neighbour.ini"), 0);
    QVERIFY(writeBytes(dir.filePath("notes.txt"), "unrelated\n"));
    const QString path = dir.filePath("case.ini");

    MalformedProfiles generator(4711);
    const int rounds = 350;
    int written = 0;
    int refused = 0;
    for (int round = 0; round < rounds; ++round) {
        const QByteArray bytes = generator.next(round % 7);
        QVERIFY(writeBytes(path, bytes));
        auto neighbours = snapshot(dir.path());
        neighbours.remove("case.ini");

        for (const auto &key : kKeys) {
            QString data = QStringLiteral("previous");
            const int result = ini.ReadIniFile(path, key[0], key[1], data);
            QVERIFY(result == 0 || (result == -1 && data.isEmpty()));
            (void)profiles::profileNumber(data);
        }
        const auto values = profiles::ProfileValues::read(path);
        (void)values.editionMarker();
        for (const auto &key : kKeys)
            (void)values.number(key[0], key[1]);
        QStringList lines;
        (void)txt.ReadFile(path, lines);

        const QByteArray beforeWrite = readBytes(path);
        const int first = ini.WriteIniFile(path, "Softward", "Ver", "0");
        const int second = ini.WriteIniFile(path, "Language", "LanguageS", "2");
        if (first == 0) {
            ++written;
            QString data;
            QCOMPARE(ini.ReadIniFile(path, "Softward", "Ver", data), 0);
            QCOMPARE(data, QStringLiteral("0"));
            QCOMPARE(profiles::ProfileValues::read(path).editionMarker(),
                     profiles::EditionMarker::Ours);
        } else {
            ++refused;
            if (second != 0)
                QCOMPARE(readBytes(path), beforeWrite);
        }
        if (second == 0) {
            QString data;
            QCOMPARE(ini.ReadIniFile(path, "Language", "Languages", data), 0);
            QCOMPARE(data, QStringLiteral("2"));
        }

        auto after = snapshot(dir.path());
        QVERIFY2(after.contains("case.ini"), "the profile itself is never removed");
        after.remove("case.ini");
        if (after != neighbours) {
            qWarning() << "round" << round << "left" << after.keys();
            QCOMPARE(after, neighbours);
        }
    }
    qInfo() << written << "malformed profiles written," << refused << "refused";
    // Most malformed files can be written; files over 1 MiB never are.
    QVERIFY2(written > rounds / 2, qPrintable(QString::number(written)));
    QVERIFY(refused >= rounds / 7);
}

QTEST_MAIN(TestProfileFuzz)
#include "tst_profilefuzz.moc"
