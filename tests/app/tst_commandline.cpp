// The command line in real processes against the demo's simulated base: each command's output,
// streams, language and exit code, on its own and through a running window; the --profile
// wrapper, which applies, runs, restores and passes the exit code on, also when it is ended by
// SIGTERM; overlapping runs and runs whose wrapper died, against one simulated base kept in a
// state file; commands started together.
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <map>
#include <memory>
#include <sys/types.h>

namespace {

struct Outcome
{
    int exitCode = -1;
    QString out;
    QString err;
};

const QRegularExpression kMachineLine(QStringLiteral("^sim: feature 80 01 .*$"),
                                      QRegularExpression::MultilineOption);
const QRegularExpression kDemoLine(QStringLiteral("^sim: .*\\n"),
                                   QRegularExpression::MultilineOption);
const QRegularExpression kSettingsSent(QStringLiteral("sim: feature 80 0[124] "));

bool readText(const QString &path, QString *text)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *text = QString::fromUtf8(file.readAll());
    return true;
}

QStringList machineLines(const QString &log)
{
    QStringList lines;
    for (auto it = kMachineLine.globalMatch(log); it.hasNext();)
        lines << it.next().captured();
    return lines;
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void commands_data();
    void commands();
    void wrapper_data();
    void wrapper();
    void runs_data();
    void runs();
    void simultaneousCommands();
    void autostartEntry();
    void boundGame_data();
    void boundGame();

private:
    void start(QProcess &process, const QStringList &arguments, const QStringList &setup = {});
    Outcome run(const QStringList &arguments, const QStringList &setup = {});
    bool startWindow(QProcess &window, QString &log);
    static bool waitForLog(QProcess &window, QString &log, const QRegularExpression &pattern);

    QTemporaryDir m_runtime, m_profiles, m_work;
    QString m_initialLine, m_goodLine;
};

// `setup` holds steps: "NAME=value" sets a variable ("NAME=" removes it; %work is the caller's
// folder), "<name" reads standard input from a profile, ">path" writes standard output to path,
// "+folder" makes a folder under %work, "@folder" runs a copy of the demo from there.
void TestCommandLine::start(QProcess &process, const QStringList &arguments,
                            const QStringList &setup)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // A lock folder of its own, so a copy the developer runs does not count as running.
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    env.insert(QStringLiteral("VELORAX_PROFILE_DIR"), m_profiles.path());
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.remove(QStringLiteral("QT_LOGGING_RULES")); // standard error as users see it
    QString program = QStringLiteral(VELORAX_DEMO_PATH);
    for (const QString &step : setup) {
        const QString value = step.section('=', 1).replace("%work", m_work.path());
        const QString folder = m_work.filePath(step.mid(1));
        if (step.startsWith('+') || step.startsWith('@')) {
            QDir().mkpath(folder);
            if (step.startsWith('@')) {
                program = folder + QStringLiteral("/velorax-manager-demo");
                QFile::copy(QStringLiteral(VELORAX_DEMO_PATH), program);
            }
        } else if (step.startsWith('<'))
            process.setStandardInputFile(m_profiles.filePath(step.mid(1)));
        else if (step.startsWith('>'))
            process.setStandardOutputFile(step.mid(1));
        else if (value.isEmpty())
            env.remove(step.section('=', 0, 0));
        else
            env.insert(step.section('=', 0, 0), value);
    }
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(m_work.path());
    process.start(program, arguments);
}

Outcome TestCommandLine::run(const QStringList &arguments, const QStringList &setup)
{
    QProcess process;
    start(process, arguments, setup);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

bool TestCommandLine::waitForLog(QProcess &window, QString &log, const QRegularExpression &pattern)
{
    while (!pattern.match(log).hasMatch()) {
        if (!window.waitForReadyRead(20000))
            return false;
        log += QString::fromUtf8(window.readAllStandardError());
    }
    return true;
}

// The window holds the instance lock before it asks the base for its settings.
bool TestCommandLine::startWindow(QProcess &window, QString &log)
{
    window.setReadChannel(QProcess::StandardError);
    start(window, {});
    const bool ready = waitForLog(window, log, QRegularExpression(QStringLiteral("80 03 01 00")));
    log.clear();
    return ready;
}

void TestCommandLine::initTestCase()
{
    QVERIFY(m_runtime.isValid() && m_profiles.isValid() && m_work.isValid());
    // The base's settings, written relative to the caller's folder, and profiles made from them.
    QCOMPARE(run({QStringLiteral("--read"), QStringLiteral("before.ini")}).exitCode, 0);
    QFile before(m_work.filePath(QStringLiteral("before.ini")));
    QVERIFY(before.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(before.readAll());
    const QRegularExpression angle(QStringLiteral("SliderStreeingAngle=\\d+"));
    const QRegularExpression edition(QStringLiteral("\\bVer=0"));
    QVERIFY(angle.match(text).hasMatch() && edition.match(text).hasMatch());
    QMap<QString, QString> profiles{
        {QStringLiteral("good"),
         QString(text).replace(angle, QStringLiteral("SliderStreeingAngle=540"))},
        {QStringLiteral("foreign"), QString(text).replace(edition, QStringLiteral("Ver=1"))},
        {QStringLiteral("damaged"), QString(text).remove(angle)},
        {QStringLiteral("invalid"),
         QString(text)
             .replace(angle, QStringLiteral("SliderStreeingAngle=900.0"))
             .replace(QRegularExpression(QStringLiteral("ForceFeedback=-?\\d+")),
                      QStringLiteral("ForceFeedback=-9999"))}};
    // The profiles of the runs, each with its own angle.
    for (const auto &[name, degrees] : {std::pair("A", 540), {"B", 720}, {"C", 800}, {"U", 600}})
        profiles[name] =
            QString(text).replace(angle, QStringLiteral("SliderStreeingAngle=%1").arg(degrees));
    for (auto it = profiles.begin(); it != profiles.end(); ++it) {
        QFile file(m_profiles.filePath(it.key() + QStringLiteral(".ini")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(it.value().toUtf8()) > 0);
    }
    // What the base receives for its own settings and for the good profile.
    m_initialLine =
        machineLines(run({QStringLiteral("--apply"), QStringLiteral("./before.ini")}).err).value(0);
    m_goodLine =
        machineLines(run({QStringLiteral("--apply"), QStringLiteral("good")}).err).value(0);
    QVERIFY(!m_initialLine.isEmpty() && !m_goodLine.isEmpty() && m_initialLine != m_goodLine);
}

void TestCommandLine::commands_data()
{
    QTest::addColumn<bool>("window");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out"); // patterns; %profiles is the profile folder
    QTest::addColumn<QString>("err");
    QTest::addColumn<QString>("sent"); // in the simulated base's log; empty: no settings sent
    QTest::addColumn<QStringList>("setup");

    const auto row = [](const char *tag, bool window, const QStringList &arguments, int exitCode,
                        const char *out, const char *err = "", const char *sent = "",
                        const QStringList &setup = {}) {
        QTest::newRow(tag) << window << arguments << exitCode << QString(out) << QString(err)
                           << QString(sent) << setup;
    };
    const QStringList zh{"LC_ALL=", "LANG=zh_CN.UTF-8"};
    const char *lf = "(?s)^(?!.*\\r).*SliderStreeingAngle=\\d+\\n.*Ver=0\\n";
    const char *full = "^Standard output could not be written: \\S";
    row("help", false, {"--help"}, 0, "^Usage: velorax-manager-demo .*\\n(.|\\n)*--diff A B\\n");
    row("help, Chinese", false, {"--help"}, 0, "^用法：velorax-manager-demo .*\\n", "^$", "", zh);
    row("status", false, {"--status"}, 0, "^Link: connected\\nFirmware: \\d+\\nVoltage: \\d+ V\\n");
    // A command shows nothing: a display platform without a display changes nothing.
    row("status, xcb without a display", false, {"--status"}, 0, "^Link: connected\\n", "^$", "",
        {"QT_QPA_PLATFORM=xcb", "DISPLAY=", "WAYLAND_DISPLAY="});
    row("status json", false, {"--status", "--json"}, 0, "\"linked\":true");
    row("status, Chinese from LANG", false, {"--status"}, 0, "^连接：已连接\\n固件：", "", "", zh);
    // Asked once: the command waits for the answer to the window's own start-up request.
    row("read", false, {"--read"}, 0, lf, "",
        "(?s)^(?!.*80 03 01 00.*80 03 01 00).*sim: feature 80 03 01 00");
    row("read to -", false, {"--read", "-"}, 0, lf, "", "sim: feature 80 03 ");
    row("read into a full disk", false, {"--read"}, 1, "^$", full, "", {">/dev/full"});
    row("status json into a full disk", false, {"--status", "--json"}, 1, "^$", full, "",
        {">/dev/full"});
    row("apply", false, {"--apply", "good"}, 0, "good\\.ini", "", "sim: feature 80 01 ");
    row("apply from standard input", false, {"--apply", "-"}, 0, "\"standard input\"", "",
        "sim: feature 80 01 ", {"<good.ini"});
    row("apply an .ini of the working folder", false, {"--apply", "before.ini"}, 0, "/before\\.ini",
        "", "sim: feature 80 01 ");
    row("apply a bare name: profile folder only", false, {"--apply", "before"}, 1, "^$",
        "^No profile \"before\": looked in %profiles\\.\\n$");
    row("apply foreign", false, {"--apply", "foreign"}, 1, "^$", "other edition");
    row("apply damaged", false, {"--apply", "damaged.ini"}, 1, "^$",
        "damaged(.|\\n)*SliderStreeingAngle");
    // A value the base cannot take refuses the whole profile, on every path that reads one.
    const char *invalid = "ForceFeedback=-9999 \\[-100\\.\\.100\\]\\n.*SliderStreeingAngle=900\\.0";
    row("apply invalid", false, {"--apply", "invalid"}, 1, "^$", invalid);
    row("diff invalid", false, {"--diff", "invalid", "base"}, 2, "^$", invalid);
    row("wrap invalid", false, {"--profile", "invalid", "--", "true"}, 0, "^$", invalid);
    row("profile without a command", false, {"--profile", "good"}, 2, "^$",
        "^velorax-manager-demo: --profile needs the command to run after --\\nTry [^\\n]*\\n$");
    row("read into a folder that is not there", false, {"--read", "no/such/folder.ini"}, 1, "^$",
        "folder\\.ini\" could not be written; the system says: No such file or directory\\n$");
    row("bind a profile that is not there", false, {"--bind", "game", "nothing"}, 1, "^$",
        "^No profile \"nothing\"");
    row("bind without a profile", false, {"--bind", "game"}, 2, "^$", "'--bind' needs a value");
    row("unbind what has no binding", false, {"--unbind", "game.exe"}, 1, "^$",
        "^'game.exe' has no binding\\.\n$");
    row("unknown option", false, {"--bogus"}, 2, "^$",
        "^velorax-manager-demo: unknown option '--bogus'\\n"
        "Try 'velorax-manager-demo --help'\\.\\n$");
    row("stray word", false, {"good"}, 2, "^$", "^[^\\n]*'good' is not a command[^\\n]*\\nTry ");
    row("missing value, Chinese from LC_MESSAGES", false, {"--apply"}, 2, "^$",
        "^velorax-manager-demo：选项“--apply”需要一个值\\n请尝试执行", "",
        {"LC_ALL=", "LANG=en_US.UTF-8", "LC_MESSAGES=zh_CN.UTF-8"});
    row("LC_ALL before LANG", false, {"--store", "x"}, 2, "^$", "unexpected argument 'x'", "",
        {"LANG=zh_CN.UTF-8"});
    row("diff: differ, by profile key", false, {"--diff", "good", "./before.ini"}, 1,
        "^SliderStreeingAngle\\t540\\t\\d+\\n$");
    row("diff: same, one from standard input", false, {"--diff", "-", "good"}, 0, "^$", "^$", "",
        {"<good.ini"});
    row("diff: missing name", false, {"--diff", "good", "nothere"}, 2, "^$",
        "^No profile \"nothere\": looked in %profiles\\.\\n$");
    row("diff: missing file", false, {"--diff", "good", "sub/x.ini"}, 2, "^$",
        "^No file \"sub/x.ini\": looked for /.*/sub/x\\.ini\\.\\n$");
    row("diff: foreign", false, {"--diff", "good", "foreign"}, 2, "^$", "other edition");
    row("diff into a full disk", false, {"--diff", "good", "./before.ini"}, 2, "^$", full, "",
        {">/dev/full"});
    row("save", false, {"--save", "saved"}, 0, "\"saved\" \\(%profiles/saved\\.ini\\)");
    row("save a path", false, {"--save", "a/b"}, 2, "^$", "'a/b' is not a profile name");
    row("where", false, {"--where"}, 0, "^%profiles\\n$");
    row("list on a first run", false, {"--list"}, 0, "^data\\.ini\\n$", "^$", "",
        {"VELORAX_PROFILE_DIR=%work/fresh"});
    row("no runtime folder: no warning", false, {"--list"}, 0, "saved\\.ini", "^$", "",
        {"XDG_RUNTIME_DIR="});
    // The apply rows above each left a snapshot.
    row("list", false, {"--list"}, 0, "(^|\\n)good\\.ini\\n(.*\\n)*history/.* before ");
    row("wrap a missing command", false, {"--profile", "good", "--", "no-such-command"}, 127, "^$",
        "^Command \"no-such-command\" not found \\(looked in PATH\\)\\.\\n$",
        "sim: feature 80 01 ");
    row("wrap a folder, Chinese", false, {"--profile", "good", "--", "/"}, 127, "^$",
        "^无法启动“/”，系统的说明：\\S", "sim: feature 80 01 ", zh);
    // An installed program never writes under its prefix; an unpacked one keeps "ini" beside it.
    row("installed: the user's folder", false, {"--where"}, 0,
        "^%work/data/Velorax/velorax-manager/ini\\n$", "^$", "",
        {"+prefix/share/doc/velorax-manager", "@prefix/bin",
         "VELORAX_PROFILE_DIR=", "XDG_DATA_HOME=%work/data"});
    row("unpacked: beside the program", false, {"--where"}, 0, "^%work/unpacked/ini\\n$", "^$", "",
        {"@unpacked", "VELORAX_PROFILE_DIR="});
    row("window: status", true, {"--status", "--json"}, 0, "\"linked\":true");
    row("window: apply", true, {"--apply", "good"}, 0, "good\\.ini", "", "sim: feature 80 01 ");
    row("English window, Chinese command", true, {"--apply", "nothere"}, 1, "^$",
        "^没有配置“nothere”：在 %profiles 中找过。\\n$", "", zh);
}

void TestCommandLine::commands()
{
    QFETCH(bool, window);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(QString, sent);
    QFETCH(QStringList, setup);
    QProcess windowProcess;
    const auto cleanup =
        qScopeGuard([&] { windowProcess.kill(), windowProcess.waitForFinished(); });
    QString windowLog;
    if (window)
        QVERIFY2(startWindow(windowProcess, windowLog), "the window did not start");

    const Outcome outcome = run(arguments, setup);
    QCOMPARE(outcome.exitCode, exitCode);
    const QString profiles = QRegularExpression::escape(m_profiles.path());
    out.replace("%profiles", profiles).replace("%work", QRegularExpression::escape(m_work.path()));
    QVERIFY2(QRegularExpression(out).match(outcome.out).hasMatch(), qPrintable(outcome.out));
    QVERIFY(!QFileInfo::exists(m_work.filePath("prefix/bin/ini")));
    // The demo's report lines aside, standard error holds the command's messages.
    const QString messages = QString(outcome.err).remove(kDemoLine);
    QVERIFY2(QRegularExpression(err.replace("%profiles", profiles)).match(messages).hasMatch(),
             qPrintable(messages));
    QVERIFY(!QFile::exists(m_work.filePath("-")));
    // Every line of the help fits a terminal of 80 columns; Chinese characters and quotes take
    // two.
    for (const QString &line :
         arguments.contains("--help") ? outcome.out.split('\n') : QStringList()) {
        int columns = 0;
        for (const QChar c : line)
            columns += c.unicode() >= 0x2E80 || (c >= QChar(0x2018) && c <= QChar(0x201D)) ? 2 : 1;
        QVERIFY2(columns <= 80, qPrintable(line));
    }
    if (window)
        QVERIFY2(waitForLog(windowProcess, windowLog, QRegularExpression(sent)), "nothing sent");
    else if (sent.isEmpty())
        QVERIFY2(!kSettingsSent.match(outcome.err).hasMatch(), qPrintable(outcome.err));
    else
        QVERIFY(QRegularExpression(sent).match(outcome.err).hasMatch());
}

void TestCommandLine::wrapper_data()
{
    QTest::addColumn<bool>("window");
    QTest::addColumn<bool>("terminate");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("exit code") << false << false << 7;
    QTest::newRow("exit code, window") << true << false << 7;
    QTest::newRow("SIGTERM") << false << true << 128 + SIGTERM;
    QTest::newRow("SIGTERM, window") << true << true << 128 + SIGTERM;
}

void TestCommandLine::wrapper()
{
    QFETCH(bool, window);
    QFETCH(bool, terminate);
    QFETCH(int, exitCode);
    QProcess windowProcess, wrapped;
    const auto cleanup = qScopeGuard([&] {
        for (QProcess *p : {&wrapped, &windowProcess})
            p->kill(), p->waitForFinished();
    });
    QString windowLog;
    if (window)
        QVERIFY2(startWindow(windowProcess, windowLog), "the window did not start");

    const QString marker =
        m_work.filePath(QStringLiteral("started-%1").arg(QTest::currentDataTag()));
    const QString script =
        terminate ? QStringLiteral("touch \"$0\"; exec sleep 60") : QStringLiteral("exit 7");
    start(wrapped, {"--profile", "good", "--", "sh", "-c", script, marker});
    if (terminate) {
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 20000);
        QCOMPARE(::kill(pid_t(wrapped.processId()), SIGTERM), 0);
    }
    QVERIFY(wrapped.waitForFinished(30000));
    QCOMPARE(wrapped.exitStatus(), QProcess::NormalExit);
    QCOMPARE(wrapped.exitCode(), exitCode);

    // The profile went out, then what the base had before.
    QString log = QString::fromUtf8(wrapped.readAllStandardError());
    if (window) {
        QVERIFY(waitForLog(windowProcess, windowLog,
                           QRegularExpression(QRegularExpression::escape(m_initialLine))));
        log = windowLog;
    }
    QCOMPARE(machineLines(log), QStringList({m_goodLine, m_initialLine}));
}

void TestCommandLine::runs_data()
{
    QTest::addColumn<QString>("sent"); // the angles of the settings the base received, in order
    QTest::addColumn<QString>("err");  // a pattern over every process's messages
    const auto row = [](const char *steps, const char *sent, const char *err = "") {
        QTest::newRow(steps) << QString(sent) << QString(err);
    };
    // The newest running run's profile is on the base; the last run's end restores.
    row("start A, start B, end A, end B", "540 720 900", "^$");
    row("start A, start B, end B, end A", "540 720 540 900", "^$");
    row("start A, start B, start C, end B, end C, end A", "540 720 800 540 900");
    row("start A, start B, start C, end A, end B, end C", "540 720 800 900");
    row("start A, start B, start C, end C, end A, end B", "540 720 800 720 900");
    row("window, start A, start B, end A, end B", "540 720 900");
    // A run whose wrapper died is finished by the next start of the tool.
    const char *died = "^The run with \"A\" \\(process \\d+\\) ended without restoring the wheel "
                       "base; it has been finished now\\.\\n";
    row("start A, kill A, list", "540 900", died);
    row("start A, kill A, window", "540 900");
    row("start A, start B, kill A, end B", "540 720 900", died);
    row("start B, start A, kill A, end B", "720 540 720 900", died);
    row("window, start A, kill window, end A", "540 900");
    row("start A, hup A", "540 900", "^$");
    // What the user changed during the run is kept before the restore.
    row("start A, change to U, start B, end B, end A", "540 600 720 540 900",
        "^The wheel base's settings were changed during the run with \"A\"; they are kept as "
        "the snapshot \\S[^\\n]* before profile load\\.ini\\.\\n$");
    row("start A, change to U, end A", "540 600 900",
        "^The wheel base's settings were changed during the run with \"A\"; they are kept as "
        "the snapshot \\S[^\\n]* before restore\\.ini\\.\\n$");
    row("start A, 60 snapshots, change to U, end A, list", "540 600 900",
        "(?s)^[^\\n]*kept as the snapshot.*history/[^\\n]* before profile load\\.ini\\n"
        "history/2099-[^\\n]*\\n(history/[^\\n]*\\n){49}$");
}

// Each step in words: "start X" runs a program under the wrapper with profile X until "end X"
// (or "kill X": SIGKILL, "hup X": SIGHUP to the wrapper); "change to X" applies X; "list";
// "window" starts the window, "kill window" kills it; "60 snapshots" adds newer snapshots.
void TestCommandLine::runs()
{
    QFETCH(QString, sent);
    QFETCH(QString, err);
    const QString state = m_work.filePath(QStringLiteral("sim.state"));
    QFile::remove(state);
    const QStringList setup{QStringLiteral("VELORAX_SIM_STATE=") + state};
    QString initial;
    QCOMPARE(run({"--status"}, setup).exitCode, 0);
    QVERIFY(readText(state, &initial));
    std::map<QString, std::unique_ptr<QProcess>> running;
    const auto cleanup = qScopeGuard([&] {
        for (auto &p : running)
            p.second->kill(), p.second->waitForFinished();
    });
    QString log;
    const auto drain = [&] {
        for (auto &p : running) {
            while (p.second->waitForReadyRead(0)) {
            }
            log += QString::fromUtf8(p.second->readAll());
        }
    };
    for (const QString &step : QString(QTest::currentDataTag()).split(QStringLiteral(", "))) {
        const QString verb = step.contains(' ') ? step.section(' ', 0, -2) : step;
        const QString name = step.section(' ', -1);
        if (verb == "start" || verb == "window") {
            auto process = std::make_unique<QProcess>();
            process->setProcessChannelMode(QProcess::MergedChannels);
            QStringList arguments{"--profile", name, "--", "sh", "-c", "echo go; cat >/dev/null"};
            start(*process, name == "window" ? QStringList() : arguments, setup);
            // The window has asked for the base's settings; a run has sent its profile.
            const QString ready = name == "window" ? "80 03 01 00" : "go\n";
            while (!log.contains(ready) && process->waitForReadyRead(20000))
                log += QString::fromUtf8(process->readAll());
            QVERIFY2(log.contains(ready), qPrintable(log));
            log.remove(ready == "go\n" ? ready : QString());
            running[name] = std::move(process);
        } else if (verb == "end") {
            running[name]->closeWriteChannel();
        } else if (verb == "kill" || verb == "hup") {
            ::kill(pid_t(running[name]->processId()), verb == "kill" ? SIGKILL : SIGHUP);
            QVERIFY(running[name]->waitForFinished(30000));
            running[name]->closeWriteChannel(); // the program, left behind, ends too
            QVERIFY(verb == "kill" || running[name]->exitCode() == 128 + SIGHUP);
        } else if (verb == "change to" || verb == "list") {
            const Outcome outcome =
                run(verb == "list" ? QStringList{"--list"} : QStringList{"--apply", name}, setup);
            QCOMPARE(outcome.exitCode, 0);
            log += outcome.err + (verb == "list" ? outcome.out : QString());
        } else if (step == "60 snapshots") {
            for (int i = 0; i < 60; ++i)
                QVERIFY(QFile::copy(m_profiles.filePath("A.ini"),
                                    m_profiles.filePath(QStringLiteral("history/2099-01-01 "
                                                                       "00-00-00.%1 x.ini")
                                                            .arg(i, 3, 10, QLatin1Char('0')))));
        }
        if (verb == "end") {
            QVERIFY(running[name]->waitForFinished(30000));
            QCOMPARE(running[name]->exitCode(), 0);
        }
        drain();
    }
    // A window started after a run died restores once it has read the base's settings.
    QProcess *window = running.count("window") ? running["window"].get() : nullptr;
    while (window && machineLines(log).size() < sent.count(' ') + 1 &&
           window->waitForReadyRead(20000))
        log += QString::fromUtf8(window->readAll());
    QStringList angles;
    for (const QString &line : machineLines(log)) {
        const QStringList bytes = line.split(' ');
        angles << QString::number(bytes.value(5).toInt(nullptr, 16) * 256 +
                                  bytes.value(4).toInt(nullptr, 16));
    }
    QCOMPARE(angles.join(' '), sent);
    const QString messages = QString(log).remove(kDemoLine);
    QVERIFY2(QRegularExpression(err).match(messages).hasMatch(), qPrintable(messages));
    // The base is back on what it had, and nothing of the runs is left.
    QString final;
    QVERIFY(readText(state, &final));
    QCOMPARE(final, initial);
    QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(m_profiles.filePath(QStringLiteral("runs.json"))),
                             20000);
    // The change the user made is in the snapshot.
    const auto kept = QRegularExpression(QStringLiteral("snapshot (.*\\.ini)")).match(messages);
    QString snapshot;
    QVERIFY(!kept.hasMatch() || (readText(kept.captured(1), &snapshot) &&
                                 snapshot.contains("SliderStreeingAngle=600")));
    QDir(m_profiles.filePath(QStringLiteral("history"))).removeRecursively();
}

// Two commands started together, without a window: neither fails because the other holds the
// instance lock while it starts or ends.
void TestCommandLine::simultaneousCommands()
{
    for (int pair = 0; pair < 40; ++pair) {
        QProcess first, second;
        start(first, {"--status", "--json"});
        start(second, {"--status", "--json"});
        for (QProcess *p : {&first, &second}) {
            QVERIFY(p->waitForFinished(30000));
            const QString err = QString::fromUtf8(p->readAllStandardError()).remove(kDemoLine);
            QVERIFY2(p->exitCode() == 0 && err.isEmpty(), qPrintable(err));
            QVERIFY(p->readAllStandardOutput().contains("\"linked\":true"));
        }
    }
}

// --autostart on writes the desktop's autostart entry for the background instance, off removes
// it; anything else is a usage error.
void TestCommandLine::autostartEntry()
{
    const QStringList config{"XDG_CONFIG_HOME=%work/config"};
    QFile entry(m_work.filePath(QStringLiteral("config/autostart/velorax-manager.desktop")));
    QCOMPARE(run({QStringLiteral("--autostart"), QStringLiteral("maybe")}, config).exitCode, 2);
    QVERIFY(!entry.exists());
    const Outcome on = run({QStringLiteral("--autostart"), QStringLiteral("on")}, config);
    QVERIFY2(on.exitCode == 0 && on.out.contains("--background"), qPrintable(on.err));
    QVERIFY(entry.open(QIODevice::ReadOnly));
    QVERIFY(QRegularExpression(QStringLiteral("(?m)^Exec=\\S*velorax-manager-demo --background$"))
                .match(QString::fromUtf8(entry.readAll()))
                .hasMatch());
    entry.close();
    QCOMPARE(run({QStringLiteral("--autostart"), QStringLiteral("off")}, config).exitCode, 0);
    QVERIFY(!entry.exists());
}

void TestCommandLine::boundGame_data()
{
    QTest::addColumn<QStringList>("instance"); // the arguments of the copy that watches
    QTest::addColumn<QString>("meanwhile");    // "killed": it dies while the game runs and starts
                                               // again after it; "wrapped": a wrapped run overlaps
    QTest::newRow("beside the window") << QStringList() << "";
    QTest::newRow("beside the window, a wrapped run overlapping") << QStringList() << "wrapped";
    QTest::newRow("beside the background instance") << QStringList{"--background"} << "";
    QTest::newRow("background instance killed while the game runs")
        << QStringList{"--background"} << "killed";
}

// A bound program started beside the window or the background instance, under any folder and
// as a Windows game would be named, gets its profile; when it ends the base gets back what it
// had, also when the instance died meanwhile and is started again.
void TestCommandLine::boundGame()
{
    QFETCH(QStringList, instance);
    QFETCH(QString, meanwhile);
    const bool killed = meanwhile == QLatin1String("killed");
    const Outcome bound =
        run({QStringLiteral("--bind"), QStringLiteral("FakeGame.EXE"), QStringLiteral("good")});
    QCOMPARE(bound.out, QStringLiteral("'FakeGame.EXE' gets profile 'good.ini' while it runs.\n"));
    auto unbind = qScopeGuard([&] {
        run({QStringLiteral("--unbind"), QStringLiteral("fakegame")});
    });
    QCOMPARE(run({QStringLiteral("--bindings")}).out, QStringLiteral("FakeGame.EXE\tgood.ini\n"));
    QProcess watcher, game;
    QString log;
    auto end = qScopeGuard([&] {
        for (QProcess *p : {&game, &watcher})
            p->kill(), p->waitForFinished();
    });
    // One simulated base for every process, as one base on the desk.
    const QStringList base{"VELORAX_SIM_STATE=" + m_work.filePath(QStringLiteral("game.state"))};
    const auto startWatcher = [&] {
        watcher.setReadChannel(QProcess::StandardError);
        start(watcher, instance, base);
        return waitForLog(watcher, log, QRegularExpression(QStringLiteral("80 03 01 00")));
    };
    QVERIFY2(startWatcher(), "the watching copy did not start");
    if (!instance.isEmpty()) {
        // A command goes through the background instance; a normal start opens its window.
        QCOMPARE(run({QStringLiteral("--status")}).exitCode, 0);
        QCOMPARE(run({}).exitCode, 0);
    }
    const QString program = m_work.filePath(QStringLiteral("FakeGame"));
    QFile::remove(program);
    QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), program));
    game.start(program, {QStringLiteral("60")});
    QVERIFY(game.waitForStarted());
    QVERIFY2(waitForLog(watcher, log, QRegularExpression(QRegularExpression::escape(m_goodLine))),
             qPrintable(log));
    QString expected = QRegularExpression::escape(m_goodLine);
    if (meanwhile == QLatin1String("wrapped")) {
        // Profile B (720°) while the wrapped run lasts, then the game's again.
        QCOMPARE(run({QStringLiteral("--profile"), QStringLiteral("B"), QStringLiteral("--"),
                      QStringLiteral("true")},
                     base)
                     .exitCode,
                 0);
        expected += "[\\s\\S]*80 01 D0 02[\\s\\S]*" + QRegularExpression::escape(m_goodLine);
    }
    if (killed) {
        watcher.kill();
        watcher.waitForFinished();
    }
    game.kill();
    game.waitForFinished();
    if (killed) {
        log.clear();
        QVERIFY2(startWatcher(), "the watching copy did not start again");
        log = m_goodLine + log;
    }
    QVERIFY2(waitForLog(watcher, log,
                        QRegularExpression(expected + "[\\s\\S]*" +
                                           QRegularExpression::escape(m_initialLine))),
             qPrintable(log));
    if (!instance.isEmpty()) {
        ::kill(pid_t(watcher.processId()), SIGTERM);
        QVERIFY(watcher.waitForFinished(30000));
        QCOMPARE(watcher.exitCode(), 0);
    }
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
