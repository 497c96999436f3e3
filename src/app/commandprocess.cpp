#include "commandprocess.h"

#include "basesession.h"
#include "commandline.h"
#include "commandrunner.h"
#include "languagetable.h"
#include "platform.h"
#include "profilefolder.h"
#include "profilestore.h"
#include "runjournal.h"
#include "signalrelay.h"
#include "singleinstance.h"
#include "startup.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLocale>
#include <QLoggingCategory>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTextCodec>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <optional>

#ifdef Q_OS_UNIX
#include <csignal>
#endif
#ifdef Q_OS_WIN
#include "windowscommandline.h"
#include "windowsconsole.h"
#endif

Q_LOGGING_CATEGORY(lcCommandProcess, "velorax.ui.commands.process")

namespace {

using cli::CommandRequest;
using cli::CommandResult;
using language::messageText;

constexpr int kConnectTimeoutMs = 5000;
constexpr int kReplyTimeoutMs = 60000;
// A copy that holds the lock may be just starting (not listening yet) or ending (no longer
// serving): the command waits for it, a little at a time, up to this long in all.
constexpr int kBusyWaitMs = 20000;
constexpr int kLockPollMs = 100;
// What a shell returns for a command it cannot start.
constexpr int kNotStartedExitCode = 127;
constexpr int kSignalExitBase = 128;
#ifdef Q_OS_WIN
// What a console program ended by Ctrl+C or Ctrl+Break exits with (STATUS_CONTROL_C_EXIT).
constexpr int kControlCExitCode = int(0xC000013AU);
#endif

// Whether all of `text` reached the stream.
bool print(std::FILE *stream, const QString &text)
{
#ifdef Q_OS_WIN
    bool shown = false;
    if (winconsole::writeIfConsole(stream, text, &shown))
        return shown;
#endif
    const QByteArray bytes = text.toLocal8Bit();
    errno = 0;
    const bool written = std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream) ==
                             std::size_t(bytes.size()) &&
                         std::fflush(stream) == 0;
    return written;
}

// The result's texts; a failed write to standard output turns a success into `failureCode`.
int printResult(const CommandResult &result, int failureCode)
{
    int exitCode = result.exitCode;
    if (!print(stdout, result.out)) {
        const QString reason = qt_error_string(errno);
        print(stderr,
              messageText(language::StandardOutputFailedMessage).arg(reason) + QLatin1Char('\n'));
        if (exitCode == cli::ExitDone || exitCode == cli::ExitDiffers)
            exitCode = failureCode;
    }
    print(stderr, result.err);
    return exitCode;
}

// What "-" stands for: the caller's standard input, kept in a file the window can read.
std::unique_ptr<QTemporaryFile> keepStandardInput(QString *error)
{
    QFile input;
    QByteArray data;
    if (input.open(stdin, QIODevice::ReadOnly))
        data = input.read(profiles::kMaxProfileBytes + 1);
    const QString name = messageText(language::StandardInputName);
    if (input.error() != QFileDevice::NoError) {
        *error = messageText(language::StandardInputFailedMessage).arg(input.errorString());
        return nullptr;
    }
    if (data.size() > profiles::kMaxProfileBytes) {
        *error = messageText(language::ProfileTooLargeMessage).arg(name);
        return nullptr;
    }
    auto file = std::make_unique<QTemporaryFile>(QDir::tempPath() +
                                                 QStringLiteral("/velorax-manager-XXXXXX.ini"));
    if (!file->open() || file->write(data) != data.size() || !file->flush()) {
        *error = messageText(language::StandardInputFailedMessage).arg(file->errorString());
        return nullptr;
    }
    return file;
}

// How long after a report arrives a command's session takes what came (the window's shows it
// at its own pace).
constexpr int kCommandReadBackMs = 5;

class CommandProcess
{
public:
    explicit CommandProcess(const StartupHooks &hooks) : m_hooks(hooks) {}

    // One request, through the running window or here.
    CommandResult execute(const CommandRequest &request)
    {
        // Runs of the wrapper that died are finished by whoever has the base.
        if (!request.needsBase() && !profiles::hasEndedRuns(profiles::profileFolder()))
            return runHere(nullptr, request);
        QElapsedTimer waited;
        waited.start();
        for (;;) {
            SingleInstanceGuard guard(QString::fromLatin1(kToolInstanceName));
            if (!guard.isRunning())
                return runWithOwnSession(guard, request);
            if (std::optional<CommandResult> result = relay(guard, request))
                return *result;
            if (guard.waitForLock(kLockPollMs))
                return runWithOwnSession(guard, request);
            if (waited.elapsed() >= kBusyWaitMs)
                return {cli::ExitFailed, QString(),
                        messageText(language::RelayFailedMessage) + QLatin1Char('\n')};
        }
    }

    // --profile: apply, run the program, restore; the program's exit code.
    int runWrapped(const CommandRequest &request)
    {
        ensureBeforeWindow();
        // Installed after the hooks, so that this relay, not the demo's, takes the signals.
        int pendingSignal = 0;
        QProcess child;
        SignalRelay watch([&](int signalNumber) {
            pendingSignal = signalNumber;
#ifdef Q_OS_UNIX
            if (child.state() == QProcess::Running)
                ::kill(pid_t(child.processId()), signalNumber);
#elif defined(Q_OS_WIN)
            // A program on the same console got Ctrl+C itself; a window is asked to close.
            if (child.state() == QProcess::Running)
                child.terminate();
#endif
        });
        if (!watch.install(false))
            qCWarning(lcCommandProcess) << "cannot watch for SIGTERM, SIGINT and SIGHUP";

        // The run is a lease in the profile folder's journal, under this process's id and start
        // time: the run that ends sends what the base should have then, and a later start of the
        // tool finishes it should this process die.
        const qint64 pid = QCoreApplication::applicationPid();
        const qint64 started = profiles::processStartTime(pid);
        const CommandResult begun =
            execute(runRequest(cli::Command::BeginRun, request, pid, started));
        // Lines about runs that died come first; the reason a profile was not sent, last.
        if (begun.exitCode != cli::ExitDone)
            print(stderr, messageText(language::RunWithoutProfileMessage).arg(begun.err.trimmed()) +
                              QLatin1Char('\n'));
        else
            print(stderr, begun.err);
#ifdef Q_OS_WIN
        const int stoppedCode = kControlCExitCode;
#else
        const int stoppedCode = kSignalExitBase + pendingSignal;
#endif
        const int exitCode = pendingSignal ? stoppedCode : runProgram(child, request.program);
        if (hasRun(pid, started)) {
            const CommandResult ended =
                execute(runRequest(cli::Command::EndRun, request, pid, started));
            // A run still in the journal is finished by the next start of the tool.
            QString reason = ended.err.trimmed();
            const QString later = messageText(language::RestoreLaterMessage);
            if (hasRun(pid, started) && !reason.contains(later))
                reason += QLatin1Char('\n') + later;
            if (ended.exitCode != cli::ExitDone)
                print(stderr,
                      messageText(language::RestoreFailedMessage).arg(reason) + QLatin1Char('\n'));
            else
                print(stderr, ended.err);
        }
        return exitCode;
    }

private:
    static CommandRequest runRequest(cli::Command step, const CommandRequest &wrapper, qint64 pid,
                                     qint64 started)
    {
        CommandRequest run = wrapper;
        run.command = step;
        run.runPid = pid;
        run.runStarted = started;
        return run;
    }

    static bool hasRun(qint64 pid, qint64 started)
    {
        const QVector<profiles::RunLease> runs = profiles::readRuns(profiles::profileFolder());
        return std::any_of(runs.begin(), runs.end(), [&](const profiles::RunLease &lease) {
            return lease.sameProcess(pid, started);
        });
    }

    // The demo installs its simulated base here; once per process.
    void ensureBeforeWindow()
    {
        if (m_beforeWindowDone)
            return;
        m_beforeWindowDone = true;
        if (m_hooks.beforeWindow)
            m_hooks.beforeWindow();
    }

    std::optional<CommandResult> relay(SingleInstanceGuard &guard, const CommandRequest &request)
    {
        const QByteArray json = QJsonDocument(request.toJson()).toJson(QJsonDocument::Compact);
        const std::optional<QByteArray> reply =
            guard.exchange(json, kConnectTimeoutMs, kReplyTimeoutMs);
        if (!reply) {
            qCInfo(lcCommandProcess) << "the running copy did not answer";
            return std::nullopt;
        }
        return CommandResult::fromJson(QJsonDocument::fromJson(*reply).object());
    }

    // This process holds the lock: a session of its own opens the base, and a command another
    // process sends meanwhile is served as well before the session goes.
    CommandResult runWithOwnSession(SingleInstanceGuard &guard, const CommandRequest &request)
    {
        ensureBeforeWindow();
        session::BaseSession baseSession(device::platform());
        baseSession.setReasonWording(&language::snapshotReason);
        // A command waits for the base's answer, which arrives as one burst: no display to pace.
        baseSession.setReadBackDelay(kCommandReadBackMs);
        baseSession.start();
        CommandResult result = runHere(&baseSession, request, &guard);
        guard.setRequestHandler(nullptr);
        return result;
    }

    static CommandResult runHere(session::BaseSession *baseSession, const CommandRequest &request,
                                 SingleInstanceGuard *guard = nullptr)
    {
        cli::CommandHost host(baseSession);
        if (guard)
            guard->setRequestHandler(
                [&host](const QByteArray &bytes, const SingleInstanceGuard::Reply &reply) {
                    host.handleChannelRequest(bytes, reply);
                });
        std::optional<CommandResult> result;
        QEventLoop loop;
        QObject::connect(&host, &cli::CommandHost::idle, &loop, &QEventLoop::quit);
        host.submit(request, [&result](const CommandResult &done) { result = done; });
        // A quit the demo asks for on SIGTERM ends the loop early; the command still finishes.
        while (!result || !host.isIdle())
            loop.exec();
        if (guard)
            guard->setRequestHandler(nullptr);
        return result.value_or(CommandResult{cli::ExitFailed, QString(), QString()});
    }

    static int runProgram(QProcess &child, const QStringList &program)
    {
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.setInputChannelMode(QProcess::ForwardedInputChannel);
        child.setProgram(program.first());
#ifdef Q_OS_WIN
        // The arguments exactly as they were written, for programs that split their command
        // line their own way.
        child.setNativeArguments(
            wincmd::trailingArgumentsText(winconsole::commandLine(), program.size()));
#else
        child.setArguments(program.mid(1));
#endif
        QEventLoop loop;
        QObject::connect(&child, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), &loop,
                         &QEventLoop::quit);
        child.start();
        if (!child.waitForStarted(-1)) {
            const QString name = program.first();
            const bool missing = QDir::fromNativeSeparators(name).contains(QLatin1Char('/'))
                                     ? !QFileInfo::exists(name)
                                     : QStandardPaths::findExecutable(name).isEmpty();
            print(stderr, (missing ? messageText(language::CommandNotFoundMessage).arg(name)
                                   : messageText(language::CommandNotStartedMessage)
                                         .arg(name, child.errorString())) +
                              QLatin1Char('\n'));
            return kNotStartedExitCode;
        }
        while (child.state() != QProcess::NotRunning)
            loop.exec();
#ifdef Q_OS_WIN
        // Windows has no signals: every exit code, 0xC000013A after Ctrl+C included, is passed on.
        return child.exitCode();
#else
        // A program ended by a signal reports it as a shell does: 128 + the signal's number.
        return child.exitStatus() == QProcess::NormalExit ? child.exitCode()
                                                          : kSignalExitBase + child.exitCode();
#endif
    }

    const StartupHooks &m_hooks;
    bool m_beforeWindowDone = false;
};

} // namespace

int runCommandLine(int argc, char **argv, const StartupHooks &hooks)
{
    // The answer is in the language of the terminal that started the command, also when the
    // running window shows another.
    const int languageIndex = language::environmentLanguage();
    language::setMessageLanguage(languageIndex);
#ifdef Q_OS_WIN
    Q_UNUSED(argc);
    winconsole::attachParentConsole();
    // From the wide command line: every character, and split as the wrapper splits it.
    const QStringList arguments = wincmd::arguments(winconsole::commandLine());
    // As it is typed: without ".exe".
    const QString programName = QFileInfo(QString::fromLocal8Bit(argv[0])).completeBaseName();
#else
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const QString programName = QFileInfo(QString::fromLocal8Bit(argv[0])).fileName();
#endif
    cli::ParseOutcome outcome =
        cli::parseCommandLine(arguments, programName, QDir::currentPath(), languageIndex);
    const int failureCode =
        outcome.request.command == cli::Command::Diff ? cli::ExitDiffTrouble : cli::ExitFailed;
    if (outcome.final)
        return printResult({outcome.exitCode, outcome.out, outcome.err}, failureCode);

    // Qt sees none of the arguments (they may belong to the wrapped program), and a command
    // shows nothing: no platform plugin is loaded, whatever QT_QPA_PLATFORM and DISPLAY say.
    char *qtArgv[] = {argv[0], nullptr};
    int qtArgc = 1;
    QCoreApplication application(qtArgc, qtArgv);
    QCoreApplication::setApplicationName(QStringLiteral("velorax-manager"));
    QCoreApplication::setOrganizationName(QStringLiteral("Velorax"));
    // As the window does: the program's path decoded with the system's codec, then UTF-8.
    QCoreApplication::applicationFilePath();
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));

    std::unique_ptr<QTemporaryFile> standardInput;
    if (outcome.request.readsStandardInput()) {
        QString error;
        standardInput = keepStandardInput(&error);
        if (!standardInput)
            return printResult({failureCode, QString(), error + QLatin1Char('\n')}, failureCode);
        outcome.request.standardInput = standardInput->fileName();
    }

    CommandProcess process(hooks);
    if (outcome.request.command == cli::Command::Wrap)
        return process.runWrapped(outcome.request);
    return printResult(process.execute(outcome.request), failureCode);
}
