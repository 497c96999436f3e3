#include "inidocument.h"
#include "profiletestutil.h"

#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace testutil;
using profiles::IniDocument;

namespace {

// Builds INI text with unusual but valid and invalid constructs: escapes,
// quotes, comments, lists, typed forms, odd sections. Names carry a running
// number so that no two differ only by case (QSettings on this platform is
// case-sensitive, the document is not; they must agree on everything else).
class IniGenerator
{
public:
    explicit IniGenerator(quint32 seed) : m_random(seed) {}

    QByteArray file()
    {
        QByteArray text;
        if (chance(10))
            text += "\xef\xbb\xbf";
        const QByteArray eol = chance(50) ? "\r\n" : "\n";
        const int lines = bounded(1, 40);
        for (int i = 0; i < lines; ++i) {
            const int kind = bounded(0, 100);
            if (kind < 12)
                text += '[' + name() + ']';
            else if (kind < 16)
                text += pick({"; a comment", "  ;indented comment", "", "   ", "[General]",
                              "[%General]", "no equals sign", "[Broken", "=x"});
            else
                text += pick({"", " ", "\t"}) + name() + pick({"", " ", "\t "}) + '=' + value();
            if (chance(10))
                text += pick({" ; trailing comment", ";x", " \t"});
            text += eol;
        }
        return text;
    }

    QString unicodeText()
    {
        QString text;
        const int length = bounded(0, 12);
        for (int i = 0; i < length; ++i) {
            const int kind = bounded(0, 10);
            if (kind < 5)
                text += QChar(ushort(bounded(0x20, 0x7f)));
            else if (kind < 7)
                text += QChar(ushort(bounded(0, 0x20)));
            else
                text += QChar(ushort(bounded(0x80, 0xd7ff)));
        }
        return text;
    }

    int bounded(int low, int high) { return int(m_random.bounded(low, high)); }
    bool chance(int percent) { return bounded(0, 100) < percent; }

private:
    QByteArray pick(std::initializer_list<const char *> items)
    {
        const int index = bounded(0, int(items.size()));
        return QByteArray(*(items.begin() + index));
    }

    QByteArray name()
    {
        QByteArray text = pick({"Key", "k", "Game Flider", "a%41b", "sl\\ash", "p%U00E9", "pct%",
                                "dot.ted", "\xe9t\xe9", "q\"uote"});
        return text + QByteArray::number(++m_counter);
    }

    QByteArray value()
    {
        QByteArray text;
        const int parts = bounded(0, 4);
        for (int i = 0; i < parts; ++i) {
            text += pick({"26",
                          "abc",
                          " spaced ",
                          "\"quoted, ; =\"",
                          "\\n",
                          "\\x41",
                          "\\x4g",
                          "\\101",
                          "\\\"",
                          "\\\\",
                          "\\q",
                          "a,b",
                          "@@at",
                          "@ByteArray(\xc3\xa9)",
                          "@String(s)",
                          "@Rect(1 2 3 4)",
                          "@Rect(1 2)",
                          "@Size(1 2)",
                          "@Point(3 4)",
                          "@Invalid()",
                          "@other",
                          "\xe4\xb8\xad",
                          "\t",
                          "\\",
                          "\"unclosed",
                          "x\\\ny",
                          "-"});
        }
        return text;
    }

    QRandomGenerator m_random;
    int m_counter = 0;
};

// Keys that QSettings lists but cannot look up (no name, or "a//b", which a
// lookup normalises to "a/b") are left out of comparisons.
QHash<QString, QString> nameable(QHash<QString, QString> values)
{
    for (auto it = values.begin(); it != values.end();) {
        if (it.key().isEmpty() || IniDocument::normalizedKey(it.key()) != it.key())
            it = values.erase(it);
        else
            ++it;
    }
    return values;
}

// What QSettings::IniFormat reads from bytes: every key with its string.
QHash<QString, QString> settingsView(const QString &path, const QByteArray &bytes)
{
    writeBytes(path, bytes);
    QHash<QString, QString> result;
    QSettings settings(path, QSettings::IniFormat);
    const QStringList keys = settings.allKeys();
    for (const QString &key : keys) {
        if (!key.isEmpty())
            result.insert(key.toLower(), settings.value(key).toString());
    }
    return nameable(result);
}

// The keys on which two views disagree, for the failure message.
QString differences(const QHash<QString, QString> &actual, const QHash<QString, QString> &expected)
{
    QStringList lines;
    QSet<QString> keys;
    for (auto it = actual.constBegin(); it != actual.constEnd(); ++it)
        keys.insert(it.key());
    for (auto it = expected.constBegin(); it != expected.constEnd(); ++it)
        keys.insert(it.key());
    for (const QString &key : qAsConst(keys)) {
        if (actual.value(key, QStringLiteral("<none>")) !=
            expected.value(key, QStringLiteral("<none>")))
            lines << QStringLiteral("%1: document %2, QSettings %3")
                         .arg(key, actual.value(key, QStringLiteral("<none>")),
                              expected.value(key, QStringLiteral("<none>")));
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

class TestIniDocument : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void readsValues_data();
    void readsValues();
    void matchesWithoutRegardToCase();
    void settingsKeyNormalises_data();
    void settingsKeyNormalises();
    void escapesLikeQSettings_data();
    void escapesLikeQSettings();

    void readsLikeQSettings();
    void editsReadBackInQSettings();

private:
    QTemporaryDir m_dir;
    int m_fileCounter = 0;
    QString freshPath() { return m_dir.filePath(QStringLiteral("f%1.ini").arg(++m_fileCounter)); }
};

void TestIniDocument::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestIniDocument::readsValues_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("present");

    QTest::newRow("plain") << QByteArray("[S]\nk=26\n") << "S/k"
                           << "26" << true;
    QTest::newRow("empty value") << QByteArray("[S]\r\nk=\r\n") << "S/k"
                                 << "" << true;
    QTest::newRow("absent") << QByteArray("[S]\nk=1\n") << "S/x"
                            << "" << false;
    QTest::newRow("blanks trimmed") << QByteArray("[S]\n  k \t=  v w \t\n") << "S/k"
                                    << "v w" << true;
    QTest::newRow("quoted keeps blanks") << QByteArray("[S]\nk=\" v \"\n") << "S/k"
                                         << " v " << true;
    QTest::newRow("comment ends value") << QByteArray("[S]\nk=1;c\n") << "S/k"
                                        << "1" << true;
    QTest::newRow("comment line") << QByteArray(";k=1\n[S]\nk=2\n") << "S/k"
                                  << "2" << true;
    QTest::newRow("escapes") << QByteArray("[S]\nk=a\\tb\\x41\\101\\\"\n") << "S/k"
                             << "a\tbAA\"" << true;
    QTest::newRow("list is no string") << QByteArray("[S]\nk=a,b\n") << "S/k"
                                       << "" << true;
    QTest::newRow("quoted comma") << QByteArray("[S]\nk=\"a,b\"\n") << "S/k"
                                  << "a,b" << true;
    QTest::newRow("at escape") << QByteArray("[S]\nk=@@x\n") << "S/k"
                               << "@x" << true;
    QTest::newRow("variant is no string") << QByteArray("[S]\nk=@Variant(\\0\\0\\0\\x2)\n") << "S/k"
                                          << "" << true;
    QTest::newRow("byte array") << QByteArray("[S]\nk=@ByteArray(ab)\n") << "S/k"
                                << "ab" << true;
    QTest::newRow("section escapes") << QByteArray("[a%20b]\nk=1\n") << "a b/k"
                                     << "1" << true;
    QTest::newRow("backslash in key") << QByteArray("[S]\na\\b=1\n") << "S/a/b"
                                      << "1" << true;
    QTest::newRow("general section") << QByteArray("[General]\nk=1\n") << "k"
                                     << "1" << true;
    QTest::newRow("escaped general") << QByteArray("[%General]\nk=1\n") << "General/k"
                                     << "1" << true;
    QTest::newRow("top level") << QByteArray("k=1\n[S]\n") << "k"
                               << "1" << true;
    QTest::newRow("missing bracket") << QByteArray("[S\nk=1\n") << "S/k"
                                     << "1" << true;
    QTest::newRow("later duplicate wins") << QByteArray("[S]\nk=1\nk=2\n") << "S/k"
                                          << "2" << true;
    QTest::newRow("repeated section") << QByteArray("[S]\na=1\n[T]\nb=2\n[S]\nc=3\n") << "S/c"
                                      << "3" << true;
    QTest::newRow("utf-8 mark") << QByteArray("\xef\xbb\xbf[S]\nk=\xe4\xb8\xad\n") << "S/k"
                                << QString::fromUtf8("\xe4\xb8\xad") << true;
    QTest::newRow("latin-1 without mark")
        << QByteArray("[S]\nk=\xe9\n") << "S/k" << QString::fromLatin1("\xe9") << true;
    QTest::newRow("binary") << QByteArray("\0\xff[\0]=\n\0", 9) << "S/k"
                            << "" << false;
}

void TestIniDocument::readsValues()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(bool, present);
    const IniDocument document(bytes);
    QCOMPARE(document.value(key), value);
    QCOMPARE(document.contains(key), present);
    // Plain QSettings agrees, except for the typed "@Variant" form, which
    // the document deliberately does not decode.
    writeBytes(m_dir.filePath("row.ini"), bytes);
    if (!bytes.contains("@Variant"))
        QCOMPARE(settingsValue(m_dir.filePath("row.ini"), key).toString(), value);
}

void TestIniDocument::matchesWithoutRegardToCase()
{
    IniDocument document(QByteArray("[Language]\nLanguages=1\n[LANGUAGE]\nlanguages=5\n"));
    QCOMPARE(document.keys(), QStringList{"Language/Languages"});
    QCOMPARE(document.value("language/LANGUAGES"), QStringLiteral("5"));
    QVERIFY(document.setValue("Language/LanguageS", "2"));
    QCOMPARE(document.data(), QByteArray("[Language]\nLanguages=2\n[LANGUAGE]\n"));
    QCOMPARE(document.value("Language/Languages"), QStringLiteral("2"));
    QVERIFY(!document.setValue("//", "x"));
}

void TestIniDocument::settingsKeyNormalises_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("key");
    QTest::newRow("plain") << "Softward"
                           << "Ver"
                           << "Softward/Ver";
    QTest::newRow("empty group") << ""
                                 << "Ver"
                                 << "Ver";
    QTest::newRow("extra slashes") << "//a//"
                                   << "/b/"
                                   << "a/b";
    QTest::newRow("nothing") << ""
                             << ""
                             << "";
}

void TestIniDocument::settingsKeyNormalises()
{
    QFETCH(QString, group);
    QFETCH(QString, name);
    QFETCH(QString, key);
    QCOMPARE(IniDocument::settingsKey(group, name), key);
}

void TestIniDocument::escapesLikeQSettings_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("escaped");
    QTest::newRow("number") << "26" << QByteArray("26");
    QTest::newRow("empty") << "" << QByteArray("");
    QTest::newRow("comma quoted") << "a,b" << QByteArray("\"a,b\"");
    QTest::newRow("blank quoted") << " a" << QByteArray("\" a\"");
    QTest::newRow("at doubled") << "@x" << QByteArray("@@x");
    QTest::newRow("quote") << "a\"b" << QByteArray("a\\\"b");
    QTest::newRow("digit after escape") << QString::fromLatin1("\xe9"
                                                               "1")
                                        << QByteArray("\\xe9\\x31");
    QTest::newRow("nul") << QString::fromLatin1("a\0b", 3) << QByteArray("@String(a\\0\\x62)");
}

void TestIniDocument::escapesLikeQSettings()
{
    QFETCH(QString, value);
    QFETCH(QByteArray, escaped);
    QCOMPARE(IniDocument::escapedValue(value), escaped);
    // QSettings writes the same text for the same string.
    const QString path = freshPath();
    {
        QSettings settings(path, QSettings::IniFormat);
        settings.setValue("S/k", value);
    }
    QCOMPARE(readBytes(path), QByteArray("[S]\nk=") + escaped + '\n');
}

void TestIniDocument::readsLikeQSettings()
{
    IniGenerator generator(20240611);
    for (int round = 0; round < 300; ++round) {
        const QByteArray bytes = generator.file();
        const IniDocument document(bytes);
        const QHash<QString, QString> expected = settingsView(freshPath(), bytes);
        const QHash<QString, QString> actual = nameable(document.foldedValues());
        QVERIFY2(actual == expected,
                 qPrintable(QStringLiteral("round %1: %2\n%3")
                                .arg(round)
                                .arg(QString::fromLatin1(bytes.toPercentEncoding()),
                                     differences(actual, expected))));
    }
}

void TestIniDocument::editsReadBackInQSettings()
{
    IniGenerator generator(77);
    int written = 0;
    for (int round = 0; round < 300; ++round) {
        const QByteArray bytes = generator.file();
        IniDocument document(bytes);
        const QHash<QString, QString> before = document.foldedValues();
        const QStringList keys = document.keys();
        QString key;
        if (!keys.isEmpty() && generator.chance(60))
            key = keys.at(generator.bounded(0, keys.size()));
        else
            key = QStringLiteral("Softward/Ver%1").arg(round);
        key = IniDocument::normalizedKey(key);
        if (key.isEmpty())
            continue;
        const QString value = generator.unicodeText();
        QVERIFY(document.setValue(key, value));
        QHash<QString, QString> expected = before;
        expected.insert(key.toLower(), value);
        expected = nameable(expected);
        // Edits that the checked write path would refuse (an unclosed quote
        // swallowing the end) are skipped here; the rest must read back.
        if (nameable(document.foldedValues()) != expected)
            continue;
        ++written;
        const QHash<QString, QString> read = settingsView(freshPath(), document.data());
        QVERIFY2(read == expected, qPrintable(QStringLiteral("round %1, %2: %3")
                                                  .arg(round)
                                                  .arg(key, differences(expected, read))));
    }
    QVERIFY2(written > 200, qPrintable(QString::number(written)));
}

QTEST_MAIN(TestIniDocument)
#include "tst_inidocument.moc"
