// The demo as a user or a script starts it: its own process, headless. It must ask the
// simulated base for its settings at start-up, print each report the base receives once and no
// debug line unless QT_LOGGING_RULES asks for it, and end with exit code 0 when told to quit by
// a signal.
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
    QTest::addColumn<QString>("rules");     // QT_LOGGING_RULES; empty: not set
    QTest::addColumn<QString>("forbidden"); // no line of standard error matches
    QTest::newRow("SIGTERM, no rules: no debug line") << int(SIGTERM) << ""
                                                      << "^velorax\\.";
    QTest::newRow("SIGINT, sim debug on: reports once") << int(SIGINT) << "velorax.*.debug=true"
                                                        << "^.+sim: feature";
}

void TestDemo::readRequestAtStartAndQuitOnSignal()
{
    QFETCH(int, signalNumber);
    QFETCH(QString, rules);
    QFETCH(QString, forbidden);
    QTemporaryDir runtime;
    QProcess demo;
    const auto cleanup = qScopeGuard([&] { demo.kill(), demo.waitForFinished(5000); });
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // A lock folder of its own, so a copy the developer runs does not count as running.
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.remove(QStringLiteral("QT_LOGGING_RULES"));
    if (!rules.isEmpty())
        env.insert(QStringLiteral("QT_LOGGING_RULES"), rules);
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
    QVERIFY2(seen.filter(QRegularExpression(forbidden)).isEmpty(), qPrintable(seen.join('\n')));
    QCOMPARE(::kill(pid_t(demo.processId()), signalNumber), 0);
    QVERIFY2(demo.waitForFinished(10000), "the demo did not end after the signal");
    QCOMPARE(demo.exitStatus(), QProcess::NormalExit);
    QCOMPARE(demo.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestDemo)
#include "tst_demo.moc"
