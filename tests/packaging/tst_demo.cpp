// The demo as a user or a script starts it: its own process, headless. It must ask the
// simulated base for its settings at start-up, print what the base receives, and end with exit
// code 0 when told to quit by a signal.
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/types.h>

class TestDemo : public QObject
{
    Q_OBJECT

private slots:
    void readRequestAtStartAndQuitOnSignal_data();
    void readRequestAtStartAndQuitOnSignal();
};

void TestDemo::readRequestAtStartAndQuitOnSignal_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void TestDemo::readRequestAtStartAndQuitOnSignal()
{
    QFETCH(int, signalNumber);
    QTemporaryDir runtime;
    QProcess demo;
    const auto cleanup = qScopeGuard([&] { demo.kill(), demo.waitForFinished(5000); });
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // A lock folder of its own, so a copy the developer runs does not count as running.
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    demo.setProcessEnvironment(env);
    demo.setReadChannel(QProcess::StandardError);
    demo.start(QStringLiteral(VELORAX_DEMO_PATH), QStringList());

    // The read request, padded with zeros to the base's feature-report length.
    const QRegularExpression readRequest(QStringLiteral("^sim: feature 80 03 01 00( 00)*$"));
    QStringList seen;
    while (seen.isEmpty() || !readRequest.match(seen.last()).hasMatch()) {
        if (!demo.canReadLine() && !demo.waitForReadyRead(20000))
            QFAIL(qPrintable("no read request; stderr was:\n" + seen.join('\n')));
        seen << QString::fromUtf8(demo.readLine()).trimmed();
    }
    QCOMPARE(::kill(pid_t(demo.processId()), signalNumber), 0);
    QVERIFY2(demo.waitForFinished(10000), "the demo did not end after the signal");
    QCOMPARE(demo.exitStatus(), QProcess::NormalExit);
    QCOMPARE(demo.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestDemo)
#include "tst_demo.moc"
