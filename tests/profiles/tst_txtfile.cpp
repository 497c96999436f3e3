#include "profilestore.h"
#include "profiletestutil.h"
#include "txtfile.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace testutil;

class TestTxtFile : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void judgmentFileNullRule_data();
    void judgmentFileNullRule();
    void judgmentFileLeavesExistingFile();
    void judgmentFileFolderOnly();

    void readMissingFile();
    void readAppends_data();
    void readAppends();
    void readRefusesOddFiles();

    void writeMissingFileCreatesNothing();
    void writeReplacesContent();
    void failedWriteKeepsOldFile();

private:
    QScopedPointer<QTemporaryDir> m_dir;
    TxtFile m_txt;
};

void TestTxtFile::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

void TestTxtFile::judgmentFileNullRule_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("creates");
    QTest::newRow("Null prepares the folder only") << "Null" << false;
    QTest::newRow("NULL is a file name") << "NULL" << true;
    QTest::newRow("null is a file name") << "null" << true;
    QTest::newRow("plain name") << "notes.txt" << true;
}

void TestTxtFile::judgmentFileNullRule()
{
    QFETCH(QString, name);
    QFETCH(bool, creates);
    const QString folder = m_dir->filePath("ini");
    QVERIFY(!QFileInfo::exists(folder));
    QCOMPARE(m_txt.JudgmentFile(folder, name), 0);
    QVERIFY(QFileInfo(folder).isDir());
    const auto content = snapshot(folder);
    if (!creates) {
        QVERIFY(content.isEmpty());
        return;
    }
    QCOMPARE(content.keys(), QStringList{name});
    QCOMPARE(content.value(name), QByteArray());
}

void TestTxtFile::judgmentFileLeavesExistingFile()
{
    const QString path = m_dir->filePath("notes.txt");
    QVERIFY(writeBytes(path, "keep me\n"));
    QCOMPARE(m_txt.JudgmentFile(m_dir->path(), "notes.txt"), 0);
    QCOMPARE(readBytes(path), QByteArray("keep me\n"));
}

void TestTxtFile::judgmentFileFolderOnly()
{
    const QString folder = m_dir->filePath("ini");
    QCOMPARE(m_txt.JudgmentFile(folder), 0);
    QVERIFY(QFileInfo(folder).isDir());
    QVERIFY(snapshot(folder).isEmpty());
    const QString blocker = m_dir->filePath("blocker");
    QVERIFY(writeBytes(blocker, "x"));
    QCOMPARE(m_txt.JudgmentFile(blocker, "a.txt"), -1);
    QCOMPARE(m_txt.JudgmentFile(QString(), "a.txt"), -1);
}

void TestTxtFile::readMissingFile()
{
    QStringList data{QStringLiteral("kept")};
    QCOMPARE(m_txt.ReadFile(m_dir->filePath("none.txt"), data), -1);
    QCOMPARE(data, QStringList{QStringLiteral("kept")});
}

void TestTxtFile::readAppends_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty") << QByteArray() << QStringList();
    QTest::newRow("lf") << QByteArray("a\nb\n") << QStringList{"a", "b"};
    QTest::newRow("cr lf") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
    QTest::newRow("no final line end") << QByteArray("a\nb") << QStringList{"a", "b"};
    QTest::newRow("blank lines") << QByteArray("\n\nx\n") << QStringList{"", "", "x"};
}

void TestTxtFile::readAppends()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    const QString path = m_dir->filePath("t.txt");
    QVERIFY(writeBytes(path, bytes));
    QStringList data{QStringLiteral("first")};
    QCOMPARE(m_txt.ReadFile(path, data), 0);
    QCOMPARE(data, QStringList{QStringLiteral("first")} + lines);
    QCOMPARE(m_txt.ReadFile(path, data), 0);
    QCOMPARE(data, QStringList{QStringLiteral("first")} + lines + lines);
}

void TestTxtFile::readRefusesOddFiles()
{
    QStringList data{QStringLiteral("kept")};
    QCOMPARE(m_txt.ReadFile(m_dir->path(), data), -1);
    const QString huge = m_dir->filePath("huge.txt");
    QVERIFY(writeBytes(huge, QByteArray(int(profiles::kMaxTextFileBytes) + 1, 'x')));
    QCOMPARE(m_txt.ReadFile(huge, data), -1);
    QCOMPARE(data, QStringList{QStringLiteral("kept")});
}

void TestTxtFile::writeMissingFileCreatesNothing()
{
    QCOMPARE(m_txt.WriteFile(m_dir->filePath("none.txt"), {"a"}), 0);
    QVERIFY(snapshot(m_dir->path()).isEmpty());
}

void TestTxtFile::writeReplacesContent()
{
    const QString path = m_dir->filePath("t.txt");
    QVERIFY(writeBytes(path, "a much longer old content\nthat must go\n"));
#ifdef Q_OS_UNIX
    const quint64 inode = inodeOf(path);
#endif
    QCOMPARE(m_txt.WriteFile(path, {"one", "", "three"}), 0);
#ifdef Q_OS_WIN
    QCOMPARE(readBytes(path), QByteArray("one\r\n\r\nthree\r\n"));
#else
    QCOMPARE(readBytes(path), QByteArray("one\n\nthree\n"));
    QVERIFY(inodeOf(path) != inode);
#endif
    QCOMPARE(snapshot(m_dir->path()).keys(), QStringList{"t.txt"});
    QStringList back;
    QCOMPARE(m_txt.ReadFile(path, back), 0);
    QCOMPARE(back, (QStringList{"one", "", "three"}));
    QCOMPARE(m_txt.WriteFile(path, {}), 0);
    QCOMPARE(readBytes(path), QByteArray());
}

void TestTxtFile::failedWriteKeepsOldFile()
{
#ifdef Q_OS_UNIX
    const QString path = m_dir->filePath("t.txt");
    QVERIFY(writeBytes(path, "old\n"));
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines.append(QString(50, QLatin1Char('n')));
    int result = 0;
    {
        FileSizeLimit limit(2048);
        QVERIFY(limit.isActive());
        result = m_txt.WriteFile(path, lines);
    }
    QCOMPARE(result, -1);
    QCOMPARE(readBytes(path), QByteArray("old\n"));
    QCOMPARE(snapshot(m_dir->path()).keys(), QStringList{"t.txt"});
#else
    QSKIP("needs RLIMIT_FSIZE");
#endif
}

QTEST_MAIN(TestTxtFile)
#include "tst_txtfile.moc"
