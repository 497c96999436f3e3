// The demo as a user or a script starts it: its own process, headless. It
// must ask the simulated base for its settings at start-up, print what the
// base receives, and end with exit code 0 when told to quit by a signal.
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/types.h>

namespace {

// Reads standard error line by line until a line matches `pattern`; the lines
// read so far are appended to `seen`.
bool waitForLine(QProcess &process, const QRegularExpression &pattern, QStringList *seen,
                 int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        while (process.canReadLine()) {
            const QString line = QString::fromUtf8(process.readLine()).trimmed();
            seen->append(line);
            if (pattern.match(line).hasMatch())
                return true;
        }
        if (process.state() == QProcess::NotRunning)
            return false;
        process.waitForReadyRead(100);
    }
    return false;
}

} // namespace

class TestDemo : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void readRequestAtStartAndQuitOnSignal_data();
    void readRequestAtStartAndQuitOnSignal();

private:
    QTemporaryDir m_runtime;
    QProcess m_demo;
};

void TestDemo::init()
{
    QVERIFY(m_runtime.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // A lock folder of its own, so a copy the developer runs does not count
    // as "already running".
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    m_demo.setProcessEnvironment(env);
    m_demo.setProcessChannelMode(QProcess::SeparateChannels);
    m_demo.setReadChannel(QProcess::StandardError);
}

void TestDemo::cleanup()
{
    if (m_demo.state() != QProcess::NotRunning) {
        m_demo.kill();
        m_demo.waitForFinished(5000);
    }
}

void TestDemo::readRequestAtStartAndQuitOnSignal_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void TestDemo::readRequestAtStartAndQuitOnSignal()
{
    QFETCH(int, signalNumber);

    m_demo.start(QStringLiteral(VELORAX_DEMO_PATH), QStringList());
    QVERIFY2(m_demo.waitForStarted(5000), qPrintable(m_demo.errorString()));

    // The read request, padded with zeros to the base's feature-report length.
    const QRegularExpression readRequest(QStringLiteral("^sim: feature 80 03 01 00( 00)*$"));
    QStringList seen;
    QVERIFY2(waitForLine(m_demo, readRequest, &seen, 20000),
             qPrintable(QStringLiteral("no read request; stderr was:\n") +
                        seen.join(QLatin1Char('\n'))));

    QCOMPARE(::kill(pid_t(m_demo.processId()), signalNumber), 0);
    QVERIFY2(m_demo.waitForFinished(10000), "the demo did not end after the signal");
    QCOMPARE(m_demo.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_demo.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestDemo)
#include "tst_demo.moc"
