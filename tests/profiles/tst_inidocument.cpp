#include "inidocument.h"
#include "profilestore.h"
#include "profiletestutil.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace testutil;
using profiles::IniDocument;

namespace {

// Keys that QSettings lists but cannot look up (no name, or "a//b", which a lookup
// normalises to "a/b") are left out of comparisons.
QHash<QString, QString> nameable(QHash<QString, QString> values)
{
    for (auto it = values.begin(); it != values.end();)
        it = IniDocument::normalizedKey(it.key()) != it.key() || it.key().isEmpty()
                 ? values.erase(it)
                 : std::next(it);
    return values;
}

// What QSettings::IniFormat reads from bytes: every key, in lower case, with its string.
QHash<QString, QString> settingsView(const QString &path, const QByteArray &bytes)
{
    writeBytes(path, bytes);
    QHash<QString, QString> result;
    QSettings settings(path, QSettings::IniFormat);
    for (const QString &key : settings.allKeys()) {
        if (!key.isEmpty())
            result.insert(key.toLower(), settings.value(key).toString());
    }
    return nameable(result);
}

} // namespace

class TestIniDocument : public QObject
{
    Q_OBJECT

private slots:
    void readsValues_data();
    void readsValues();
    void editsKeepOtherBytes_data();
    void editsKeepOtherBytes();
    void escapesLikeQSettings_data();
    void escapesLikeQSettings();
    void readsAndEditsLikeQSettings();

private:
    QTemporaryDir m_dir;
    int m_files = 0;
    QString freshPath() { return m_dir.filePath(QStringLiteral("f%1.ini").arg(++m_files)); }
};

void TestIniDocument::readsValues_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value"); // "<none>": no such entry
    const auto row = [](const char *name, const QByteArray &bytes, const char *key,
                        const char *value) {
        QTest::newRow(name) << bytes << QString::fromLatin1(key) << QString::fromUtf8(value);
    };
    row("empty value", "[S]\r\nk=\r\n", "S/k", "");
    row("absent", "[S]\nk=1\n", "S/x", "<none>");
    row("any case", "[sECTION]\nKey=1\n", "Section/kEY", "1");
    row("blanks trimmed", "[S]\n  k \t=  v w \t\n", "S/k", "v w");
    row("quoted keeps blanks", "[S]\nk=\" v \"\n", "S/k", " v ");
    row("comment ends value", "[S]\nk=1;c\n", "S/k", "1");
    row("escapes", "[S]\nk=a\\tb\\x41\\101\\\"\n", "S/k", "a\tbAA\"");
    row("quoted comma", "[S]\nk=\"a,b\"\n", "S/k", "a,b");
    row("later duplicate wins", "[S]\nk=1\nk=2\n", "S/k", "2");
    row("later case wins", "[S]\nK=1\n[s]\nk=5\n", "S/K", "5");
    row("utf-8 mark", "\xef\xbb\xbf[S]\nk=\xe4\xb8\xad\n", "S/k", "\xe4\xb8\xad");
    row("latin-1 without mark", "[S]\nk=\xe9\n", "S/k", "\xc3\xa9");
    row("binary", QByteArray("\0\xff[\0]=\n\0", 9), "S/k", "<none>");
}

void TestIniDocument::readsValues()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, key);
    QFETCH(QString, value);
    const IniDocument document(bytes);
    const bool present = value != QLatin1String("<none>");
    QCOMPARE(document.contains(key), present);
    QCOMPARE(document.value(key), present ? value : QString());
}

void TestIniDocument::editsKeepOtherBytes_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("after");
    const auto row = [](const char *name, const QByteArray &before, const char *key,
                        const QByteArray &after) {
        QTest::newRow(name) << before << QString::fromLatin1(key) << after;
    };
    row("value in place, comment kept", "; c\r\n[S]\r\n k = 1 ;n\r\nz=2\r\n", "S/k",
        "; c\r\n[S]\r\n k =v;n\r\nz=2\r\n");
    row("spelling kept, case duplicates dropped",
        "[Language]\nLanguages=1\n[LANGUAGE]\n  languages=5\nx=1\n", "language/LanguageS",
        "[Language]\nLanguages=v\n[LANGUAGE]\nx=1\n");
    row("new key ends its section", "[S]\r\na=1\r\n\r\n[T]\r\nb=2", "s/k",
        "[S]\r\na=1\r\nk=v\r\n\r\n[T]\r\nb=2");
    row("new key in last section", "[S]\na=1", "S/k", "[S]\na=1\nk=v\n");
    const QByteArray bom = "\xef\xbb\xbf";
    row("new top-level key", bom + "a=1\n[S]\n", "k", bom + "a=1\nk=v\n[S]\n");
    row("new section", "[S]\r\na=1\r\n", "T/k", "[S]\r\na=1\r\n\r\n[T]\r\nk=v\r\n");
    row("new section without final line end", "x=0\na=1", "T/k", "x=0\na=1\n\n[T]\nk=v\n");
    row("section named general", "x=0\n", "General/k", "x=0\n\n[%General]\nk=v\n");
    row("escaped names", "x=0\n", "a b/c/d", "x=0\n\n[a%20b]\nc\\d=v\n");
    row("empty key refused", "[S]\n", "//", "[S]\n");
}

void TestIniDocument::editsKeepOtherBytes()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, key);
    QFETCH(QByteArray, after);
    IniDocument document(before);
    QCOMPARE(document.setValue(key, QStringLiteral("v")), after != before);
    QCOMPARE(document.data(), after);
    QCOMPARE(settingsView(freshPath(), after).value(IniDocument::normalizedKey(key).toLower()),
             after != before ? QStringLiteral("v") : QString());
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
    QTest::newRow("controls") << "\a\b\f\n\r\t\v\\" << QByteArray("\\a\\b\\f\\n\\r\\t\\v\\\\");
    QTest::newRow("digit after escape") << QString::fromLatin1("\xe9"
                                                               "1")
                                        << QByteArray("\\xe9\\x31");
    QTest::newRow("nul") << QString::fromLatin1("a\0b", 3) << QByteArray("@String(a\\0\\x62)");
    QTest::newRow("delete escaped") << QString::fromLatin1("a\x7f") << QByteArray("a\\x7f");
    QTest::newRow("last plain") << QString::fromLatin1("a~") << QByteArray("a~");
}

void TestIniDocument::escapesLikeQSettings()
{
    QFETCH(QString, value);
    QFETCH(QByteArray, escaped);
    QCOMPARE(IniDocument::escapedValue(value), escaped);
    const QString path = freshPath();
    QSettings(path, QSettings::IniFormat).setValue("S/k", value);
    // QSettings ends its lines as the platform does.
    QCOMPARE(readBytes(path).replace("\r\n", "\n"), QByteArray("[S]\nk=") + escaped + '\n');
}

// Random profiles read as QSettings reads them; a random edit of each reads
// back there, and the checked write of the same edit to a file either lands
// with the value read back or leaves the file and its neighbour unchanged.
void TestIniDocument::readsAndEditsLikeQSettings()
{
    IniGenerator generator(20240611);
    const QString file = m_dir.filePath("case.ini"), neighbour = m_dir.filePath("neighbour.ini");
    QVERIFY(writeBytes(neighbour, "[Softward]\r\nVer=0\r\n"));
    int edited = 0, written = 0;
    for (int round = 0; round < 400; ++round) {
        const QByteArray bytes = generator.file();
        IniDocument document(bytes);
        QHash<QString, QString> expected = nameable(document.foldedValues());
        QCOMPARE(settingsView(freshPath(), bytes), expected);

        const QStringList keys = document.keys();
        const QString key = IniDocument::normalizedKey(
            !keys.isEmpty() && generator.chance(60) ? keys.at(generator.bounded(0, keys.size()))
                                                    : QStringLiteral("Softward/Ver%1").arg(round));
        const QString value = generator.unicodeText();
        QVERIFY(writeBytes(file, bytes));
        const QString group = key.section('/', 0, -2), name = key.section('/', -1);
        const bool landed =
            key.contains('/') && profiles::writeProfileValues(file, {{group, name, value}}) ==
                                     profiles::WriteStatus::Written;
        written += landed;
        QCOMPARE(readBytes(neighbour), QByteArray("[Softward]\r\nVer=0\r\n"));
        if (landed)
            QCOMPARE(profiles::ProfileValues::read(file).value(group, name), value);
        else
            QCOMPARE(readBytes(file), bytes);
        if (!document.setValue(key, value))
            continue;
        expected.insert(key.toLower(), value);
        // An unclosed quote that swallows the rest refuses the edit on the checked write path.
        if (nameable(document.foldedValues()) != nameable(expected))
            continue;
        ++edited;
        QCOMPARE(settingsView(freshPath(), document.data()), nameable(expected));
    }
    QVERIFY2(edited > 250 && written > 150, qPrintable(QString::number(edited)));
}

QTEST_MAIN(TestIniDocument)
#include "tst_inidocument.moc"
