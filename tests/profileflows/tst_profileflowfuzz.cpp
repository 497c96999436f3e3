// Malformed profiles chosen through the window: each one is loaded as far as
// it can be (numbers converted and clamped by the controls) or refused with
// the box its state calls for; none crashes the tool, and no file other than
// the chosen one (and, on "WriteStorage", the current profile) ever changes.

#include "modalresponder.h"
#include "profileflowutil.h"
#include "profilestore.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace flowutil;

namespace {

const char *const kOddValues[] = {"",
                                  "-",
                                  "0",
                                  "12",
                                  "-100",
                                  "100",
                                  "201",
                                  "-500",
                                  "99999",
                                  "2147483648",
                                  "-2147483649",
                                  " 42 ",
                                  "0x1F",
                                  "1e3",
                                  "12.5",
                                  "+7",
                                  "abc",
                                  "\"15\"",
                                  "@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x3)",
                                  "7;c",
                                  "1,2",
                                  "\\x41",
                                  "\xe4\xb8\xad",
                                  "\t9",
                                  "00000000000000000000000000007"};

const char *const kMarkers[] = {"", "0", "0", "0", "00", "3", "-1", "abc", " ", "+0", "1"};

// Reproducible malformed profiles of several kinds.
class MalformedProfiles
{
public:
    explicit MalformedProfiles(quint32 seed) : m_random(seed) {}

    QByteArray next(int kind)
    {
        switch (kind % 7) {
        case 0:
            return randomBytes(bounded(0, 2048));
        case 1:
            return mutated(wellFormed(), bounded(1, 40));
        case 2:
            return oddCase();
        case 3:
            return brokenStructure();
        case 4:
            return wellFormed();
        case 5:
            return withDuplicates();
        default:
            return kind % 35 == 6 ? huge() : wellFormed();
        }
    }

private:
    int bounded(int low, int high) { return int(m_random.bounded(low, high)); }
    template <typename T, int N> const char *pick(T (&items)[N]) { return items[bounded(0, N)]; }

    QByteArray randomBytes(int size)
    {
        QByteArray bytes(size, '\0');
        for (char &c : bytes)
            c = char(bounded(0, 256));
        return bytes;
    }

    // A profile with every key, odd values and a marker drawn from the list.
    QByteArray wellFormed()
    {
        QByteArray text;
        QByteArray section;
        for (const SliderKey &row : kSliderKeys) {
            if (section != row.group) {
                section = row.group;
                text += "[" + section + "]\r\n";
            }
            if (bounded(0, 8) != 0)
                text += QByteArray(row.key) + "=" + pick(kOddValues) + "\r\n";
        }
        text += "[Softward]\r\n";
        for (const ComboKey &row : kComboKeys)
            text += QByteArray(row.key) + "=" + pick(kOddValues) + "\r\n";
        if (bounded(0, 6) != 0)
            text += QByteArray("Ver=") + pick(kMarkers) + "\r\n";
        text += "Help=" + QByteArray(pick(kOddValues)) +
                "\r\n[Language]\r\nLanguages=" + pick(kOddValues) + "\r\n";
        return text;
    }

    QByteArray mutated(QByteArray bytes, int edits)
    {
        for (int i = 0; i < edits && !bytes.isEmpty(); ++i) {
            const int at = bounded(0, bytes.size());
            switch (bounded(0, 3)) {
            case 0:
                bytes[at] = char(bounded(0, 256));
                break;
            case 1:
                bytes.insert(at, char(bounded(0, 256)));
                break;
            default:
                bytes.remove(at, 1);
                break;
            }
        }
        return bytes;
    }

    QByteArray oddCase()
    {
        QByteArray text = wellFormed();
        for (char &c : text) {
            if (bounded(0, 3) == 0 && QChar::isLetter(uint(uchar(c))) && uchar(c) < 0x80)
                c = char(bounded(0, 2) ? QChar::toUpper(uint(uchar(c)))
                                       : QChar::toLower(uint(uchar(c))));
        }
        return text;
    }

    QByteArray withDuplicates()
    {
        QByteArray text = wellFormed();
        text += "[SOFTWARD]\r\nver=" + QByteArray(pick(kMarkers)) + "\r\nTYPE=" + pick(kOddValues) +
                "\r\n[machinesetup]\r\nforcefeedback=" + pick(kOddValues) +
                "\r\n[MachineSetUp]\r\nExternalElastic=" + pick(kOddValues) + "\r\n";
        return text;
    }

    QByteArray brokenStructure()
    {
        const QByteArray pieces[] = {"[Softward",
                                     "[Softward]]",
                                     "Ver",
                                     "=0",
                                     "[]",
                                     "[/]",
                                     "Ver=0=1",
                                     ";Ver=3",
                                     "#Ver=3",
                                     "Ver\\=0",
                                     "a/b/c=1",
                                     QByteArray(3000, 'x'),
                                     "\xef\xbb\xbf",
                                     QByteArray(1, '\0'),
                                     "\r",
                                     "[StreeingAngle]",
                                     "SliderStreeingAngle=0"};
        QByteArray text;
        const int lines = bounded(1, 40);
        for (int i = 0; i < lines; ++i) {
            text += pieces[bounded(0, int(std::size(pieces)))];
            text += bounded(0, 3) == 0 ? "\n" : "\r\n";
        }
        return text;
    }

    QByteArray huge()
    {
        return wellFormed() + QByteArray(int(profiles::kMaxProfileBytes) + bounded(1, 4096), '=');
    }

    QRandomGenerator m_random;
};

// What the window must do with a profile, worked out from its file.
struct Expectation
{
    QString box; // empty: loads
    QMap<QString, int> values;
};

Expectation expectationFor(const QString &path, const QMap<QString, int> &before)
{
    const profiles::ProfileValues values = profiles::ProfileValues::read(path);
    if (values.status() != profiles::ReadStatus::Ok)
        return {kEnglishMissing, before};
    switch (values.editionMarker()) {
    case profiles::EditionMarker::Unmarked:
        return {kEnglishConversion, before};
    case profiles::EditionMarker::Foreign:
        return {kEnglishForeign, before};
    case profiles::EditionMarker::Ours:
        break;
    }
    Expectation loaded{QString(), before};
    for (const SliderKey &row : kSliderKeys) {
        bool ok = false;
        int number = values.value(row.group, row.key).toInt(&ok, 10);
        if (!ok)
            number = 0;
        loaded.values[row.slider] = clampTo(number, row.minimum, row.maximum);
    }
    for (const ComboKey &row : kComboKeys) {
        bool ok = false;
        const int number = values.value(row.group, row.key).toInt(&ok, 10);
        const int index = ok ? number : 0;
        if (index >= 0 && index < row.items)
            loaded.values[row.combo] = index;
    }
    return loaded;
}

} // namespace

class TestProfileFlowFuzz : public QObject
{
    Q_OBJECT

private slots:
    void malformedProfilesLoadOrAreRefused_data();
    void malformedProfilesLoadOrAreRefused();
};

void TestProfileFlowFuzz::malformedProfilesLoadOrAreRefused_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("count");
    QTest::newRow("seed 1") << 1u << 150;
    QTest::newRow("seed 20240611") << 20240611u << 150;
}

void TestProfileFlowFuzz::malformedProfilesLoadOrAreRefused()
{
    QFETCH(quint32, seed);
    QFETCH(int, count);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    WidgetHarness h(quietOptions());
    ModalResponder responder;
    WidgetHarness::settle(300);

    const QString folder = h.profileFolder();
    const auto pathOf = [&folder](const QString &name) { return folder + '/' + name; };
    MalformedProfiles profilesMaker(seed);
    for (int i = 0; i < count; ++i) {
        QVERIFY(writeBytes(pathOf(QStringLiteral("fuzz_%1.ini").arg(i, 3, 10, QLatin1Char('0'))),
                           profilesMaker.next(i)));
    }
    h.widget()->Slit_InitcbReadFile();
    auto *list = h.child<QComboBox>("CB_ReadFile");
    QCOMPARE(list->count(), count + 1);

    QString current = QStringLiteral("data.ini"); // the file "WriteStorage" writes
    int shownIndex = list->findText(current);
    int loadedCount = 0;
    int refusedCount = 0;
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("fuzz_%1.ini").arg(i, 3, 10, QLatin1Char('0'));
        const QMap<QString, QByteArray> before = snapshot(folder);
        const QMap<QString, int> formBefore = formValues(h);
        const Expectation expected = expectationFor(pathOf(name), formBefore);
        const bool convert = i % 2 == 0;
        responder.setAnswer(convert ? ModalResponder::Answer::Yes : ModalResponder::Answer::No);

        QVERIFY(choose(h, name));
        const QList<SeenBox> boxes = responder.takeBoxes();
        const QString context =
            name + QStringLiteral(": ") + QString::fromLatin1(before.value(name).left(200).toHex());
        QVERIFY2(boxes.size() == (expected.box.isEmpty() ? 0 : 1), qPrintable(context));
        if (!boxes.isEmpty())
            QVERIFY2(boxes.at(0).text == expected.box, qPrintable(context));
        QVERIFY2(formValues(h) == expected.values, qPrintable(context));

        // Only the chosen file may change, and only by being marked.
        QMap<QString, QByteArray> after = snapshot(folder);
        const QByteArray chosenAfter = after.take(name);
        QMap<QString, QByteArray> others = before;
        const QByteArray chosenBefore = others.take(name);
        QVERIFY2(after == others, qPrintable(context));
        if (chosenAfter != chosenBefore) {
            QVERIFY2(expected.box == kEnglishConversion && convert, qPrintable(context));
            const profiles::ProfileValues marked = profiles::ProfileValues::read(pathOf(name));
            QCOMPARE(marked.value("Softward", "Ver"), QStringLiteral("0"));
        }

        if (expected.box.isEmpty()) {
            ++loadedCount;
            current = name;
            shownIndex = list->findText(name);
        } else {
            ++refusedCount;
        }
        QVERIFY2(list->currentIndex() == shownIndex, qPrintable(context));

        // Now and then "WriteStorage": only the current profile is written.
        if (i % 5 == 4) {
            const QMap<QString, QByteArray> beforeStore = snapshot(folder);
            h.widget()->on_tbt_savedata_clicked();
            QMap<QString, QByteArray> afterStore = snapshot(folder);
            afterStore.remove(current);
            QMap<QString, QByteArray> untouched = beforeStore;
            untouched.remove(current);
            QVERIFY2(afterStore == untouched, qPrintable(context));
        }
    }
    // Both paths were taken many times.
    QVERIFY2(loadedCount > count / 10, qPrintable(QString::number(loadedCount)));
    QVERIFY2(refusedCount > count / 10, qPrintable(QString::number(refusedCount)));
}

QTEST_MAIN(TestProfileFlowFuzz)
#include "tst_profileflowfuzz.moc"
