// The single-instance guard with real processes: a second copy shows its box in the system
// language, exits 0 and brings the first copy's minimised window back, active; a killed first
// copy then blocks no new start.
#include <QCoreApplication>
#include <QProcess>
#include <QtTest>

namespace {

// Starts guard_host in `language`; the test waits for its lines, never for a fixed time.
void start(QProcess &process, const QString &language)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LANG"), language);
    env.insert(QStringLiteral("LC_ALL"), language);
    env.insert(QStringLiteral("LANGUAGE"), QString());
    process.setProcessEnvironment(env);
    process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/guard_host"),
                  QStringList());
}

// The next line of `process` that starts with `prefix`, or an empty array when it ends first.
QByteArray lineStarting(QProcess &process, const QByteArray &prefix)
{
    for (;;) {
        while (process.canReadLine()) {
            const QByteArray line = process.readLine().trimmed();
            if (line.startsWith(prefix))
                return line;
        }
        if (!process.waitForReadyRead(20000))
            return {};
    }
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void secondCopyRaisesTheFirst_data();
    void secondCopyRaisesTheFirst();
};

void TestSingleInstance::secondCopyRaisesTheFirst_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("box");
    QTest::newRow("english") << "en_US.UTF-8"
                             << "box:Information|The same software is running.....";
    QTest::newRow("chinese") << "zh_CN.UTF-8"
                             << "box:信息|相同软件正在运行中......";
}

void TestSingleInstance::secondCopyRaisesTheFirst()
{
    QFETCH(QString, language);
    QFETCH(QString, box);
    QProcess first, second, next;
    const auto cleanup = qScopeGuard([&] {
        for (QProcess *p : {&first, &second, &next})
            p->kill(), p->waitForFinished(5000);
    });
    start(first, QStringLiteral("en_US.UTF-8"));
    QVERIFY2(!lineStarting(first, "ready").isEmpty(), "the first copy never showed its window");

    start(second, language);
    QCOMPARE(QString::fromUtf8(lineStarting(second, "box:")), box);
    QVERIFY(second.waitForFinished(10000) && second.exitStatus() == QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(lineStarting(first, "raised"), QByteArray("raised"));
    QCOMPARE(first.state(), QProcess::Running);

    first.kill(); // SIGKILL, or TerminateProcess on Windows: no chance to clean up
    QVERIFY(first.waitForFinished(5000));
    start(next, QStringLiteral("en_US.UTF-8"));
    QCOMPARE(lineStarting(next, "ready"), QByteArray("ready"));
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
