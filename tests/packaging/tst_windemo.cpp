// The Windows demo in its own process on the windows platform: it asks the simulated base for
// its settings at start-up, answers --status from a second process through the running window,
// and ends with exit code 0 on Escape and on WM_CLOSE, as Windows closes windows. --profile
// hands the wrapped program its arguments exactly as written and passes its exit code on.
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <windows.h>

namespace {

struct Search
{
    DWORD process;
    HWND window;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM data)
{
    auto *search = reinterpret_cast<Search *>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process || !IsWindowVisible(window))
        return TRUE;
    search->window = window;
    return FALSE;
}

HWND visibleWindowOf(qint64 process)
{
    Search search{DWORD(process), nullptr};
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    return search.window;
}

} // namespace

class TestWindowsDemo : public QObject
{
    Q_OBJECT

private slots:
    void readsBackAnswersAndCloses_data();
    void readsBackAnswersAndCloses();
    void wrapperKeepsArgumentsAndExitCode_data();
    void wrapperKeepsArgumentsAndExitCode();
};

void TestWindowsDemo::readsBackAnswersAndCloses_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("ended by the Escape key") << true;
    QTest::newRow("ended by WM_CLOSE") << false;
}

void TestWindowsDemo::readsBackAnswersAndCloses()
{
    QFETCH(bool, escape);
    QProcess demo;
    const auto cleanup = qScopeGuard([&] { demo.kill(), demo.waitForFinished(5000); });
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("windows"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    env.remove(QStringLiteral("QT_LOGGING_RULES"));
    demo.setProcessEnvironment(env);
    demo.setReadChannel(QProcess::StandardError);
    demo.start(QStringLiteral(VELORAX_DEMO_PATH), QStringList());

    const QRegularExpression readRequest(QStringLiteral("^sim: feature 80 03 01 00( 00)*$"));
    QStringList seen;
    while (seen.isEmpty() || !readRequest.match(seen.last()).hasMatch()) {
        if (!demo.canReadLine() && !demo.waitForReadyRead(60000))
            QFAIL(qPrintable("no read request; stderr was:\n" + seen.join('\n')));
        seen << QString::fromUtf8(demo.readLine()).trimmed();
    }
    HWND window = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((window = visibleWindowOf(demo.processId())) != nullptr, 30000);

    QProcess status;
    status.setProcessEnvironment(env);
    status.start(QStringLiteral(VELORAX_DEMO_PATH), {QStringLiteral("--status")});
    QVERIFY(status.waitForFinished(60000));
    const QString answer = QString::fromUtf8(status.readAllStandardOutput());
    QCOMPARE(status.exitCode(), 0);
    QVERIFY2(answer.contains(QLatin1String("firmware"), Qt::CaseInsensitive), qPrintable(answer));
    QCOMPARE(demo.state(), QProcess::Running);

    if (escape) {
        PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        PostMessageW(window, WM_KEYUP, VK_ESCAPE, LPARAM(0xC0010001));
    } else {
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
    QVERIFY2(demo.waitForFinished(30000), "the demo did not end");
    QCOMPARE(demo.exitStatus(), QProcess::NormalExit);
    QCOMPARE(demo.exitCode(), 0);
}

void TestWindowsDemo::wrapperKeepsArgumentsAndExitCode_data()
{
    QTest::addColumn<QString>("command"); // after "--": cmd.exe echoes its text raw
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("quotes, blanks and backslashes reach the program as written")
        << R"(cmd.exe /c echo "a  b" x\"y)"
        << R"("a  b" x\"y)" << 0;
    QTest::newRow("the program's exit code") << "cmd.exe /c exit 7"
                                             << "" << 7;
    QTest::newRow("Ctrl+C's exit code 0xC000013A") << "cmd.exe /c exit -1073741510"
                                                   << "" << int(0xC000013AU);
}

void TestWindowsDemo::wrapperKeepsArgumentsAndExitCode()
{
    QFETCH(QString, command);
    QFETCH(QString, output);
    QFETCH(int, exitCode);
    QProcess wrapper;
    wrapper.setProgram(QStringLiteral(VELORAX_DEMO_PATH));
    wrapper.setNativeArguments(QStringLiteral("--profile data -- ") + command);
    wrapper.start();
    QVERIFY(wrapper.waitForFinished(60000));
    QCOMPARE(QString::fromLocal8Bit(wrapper.readAllStandardOutput()).trimmed(), output);
    QCOMPARE(wrapper.exitCode(), exitCode);
}

QTEST_GUILESS_MAIN(TestWindowsDemo)
#include "tst_windemo.moc"
