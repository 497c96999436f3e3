// The single-instance guard with real processes.
#include <QCoreApplication>
#include <QProcess>
#include <QtTest>

#include <csignal>
#include <sys/types.h>

namespace {

QString hostPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/guard_host");
}

QProcessEnvironment hostEnvironment(const QString &language)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LANG"), language);
    env.insert(QStringLiteral("LC_ALL"), language);
    env.insert(QStringLiteral("LANGUAGE"), QString());
    return env;
}

bool waitForLine(QProcess &process, const QByteArray &prefix, QByteArray *line, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        while (process.canReadLine()) {
            const QByteArray next = process.readLine().trimmed();
            if (next.startsWith(prefix)) {
                if (line)
                    *line = next;
                return true;
            }
        }
        if (process.state() == QProcess::NotRunning && !process.canReadLine())
            return false;
        process.waitForReadyRead(100);
    }
    return false;
}

void startFirstCopy(QProcess &first)
{
    first.setProcessEnvironment(hostEnvironment(QStringLiteral("en_US.UTF-8")));
    first.setProcessChannelMode(QProcess::SeparateChannels);
    first.start(hostPath(), QStringList());
    QVERIFY2(first.waitForStarted(5000), qPrintable(first.errorString()));
    QVERIFY2(waitForLine(first, "ready", nullptr, 20000), "first copy never showed its window");
}

void stop(QProcess &process)
{
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
    }
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void secondCopyShowsBoxWakesFirstAndExitsZero_data();
    void secondCopyShowsBoxWakesFirstAndExitsZero();
    void killedFirstCopyDoesNotBlockANewStart();
};

void TestSingleInstance::secondCopyShowsBoxWakesFirstAndExitsZero_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("expectedBox");
    QTest::newRow("english system")
        << QStringLiteral("en_US.UTF-8")
        << QStringLiteral("box:Information|The same software is running.....");
    QTest::newRow("chinese system")
        << QStringLiteral("zh_CN.UTF-8") << QStringLiteral("box:信息|相同软件正在运行中......");
}

void TestSingleInstance::secondCopyShowsBoxWakesFirstAndExitsZero()
{
    QFETCH(QString, language);
    QFETCH(QString, expectedBox);

    QProcess first;
    startFirstCopy(first);
    if (QTest::currentTestFailed())
        return stop(first);

    QProcess second;
    second.setProcessEnvironment(hostEnvironment(language));
    second.start(hostPath(), QStringList());
    QByteArray boxLine;
    QVERIFY(waitForLine(second, "box:", &boxLine, 20000));
    QCOMPARE(QString::fromUtf8(boxLine), expectedBox);
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(!second.readAllStandardOutput().contains("ready"));

    QByteArray messageLine;
    QVERIFY(waitForLine(first, "message:", &messageLine, 10000));
    QCOMPARE(messageLine, QByteArray("message:raise_window_noop"));
    QCOMPARE(first.state(), QProcess::Running);
    stop(first);
}

void TestSingleInstance::killedFirstCopyDoesNotBlockANewStart()
{
    QProcess first;
    startFirstCopy(first);
    if (QTest::currentTestFailed())
        return stop(first);
    ::kill(pid_t(first.processId()), SIGKILL);
    QVERIFY(first.waitForFinished(5000));

    QProcess next;
    startFirstCopy(next);
    stop(next);
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
