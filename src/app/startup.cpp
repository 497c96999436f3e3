#include "startup.h"

#include "background.h"
#include "commandprocess.h"
#include "commandrunner.h"
#include "gameswitcher.h"
#include "languagetable.h"
#include "processwatcher.h"
#include "profilefolder.h"
#include "runjournal.h"
#include "signalrelay.h"
#include "singleinstance.h"
#include "widget.h"
#ifdef Q_OS_WIN
#include "windowsconsole.h"
#endif

#include <QApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPointer>
#include <QTextCodec>

#include <memory>

Q_LOGGING_CATEGORY(lcStartup, "velorax.ui.startup")
#ifdef Q_OS_UNIX
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const char kWakeUpMessage[] = "raise_window_noop";
constexpr int kWakeUpTimeoutMs = 5000;

void showAlreadyRunningBox(const QLocale &locale, const StartupHooks &hooks)
{
    const bool chinese = locale.language() == QLocale::Chinese;
    QMessageBox box(QMessageBox::Information,
                    chinese ? QStringLiteral("信息") : QStringLiteral("Information"),
                    chinese ? QStringLiteral("相同软件正在运行中......")
                            : QStringLiteral("The same software is running....."),
                    QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::NoButton);
    if (hooks.beforeAlreadyRunningBox)
        hooks.beforeAlreadyRunningBox(&box);
    box.exec();
}

#ifdef Q_OS_UNIX
// Whether `dir` is a runtime folder as Qt accepts one: a folder of this user's that only this
// user may enter.
bool usableRuntimeFolder(const QByteArray &dir)
{
    struct stat info;
    return !dir.isEmpty() && ::stat(dir.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 0777) == 0700;
}

// Under su, sudo or ssh XDG_RUNTIME_DIR is often unset or names another user's folder; Qt then
// warns on standard error and falls back to a folder of its own. The same choice is made here,
// quietly: the user's /run/user folder, else "runtime-<user>" in the temporary folder.
void settleRuntimeFolder()
{
    if (usableRuntimeFolder(qgetenv("XDG_RUNTIME_DIR")))
        return;
    const uid_t uid = ::geteuid();
    QByteArray dir = "/run/user/" + QByteArray::number(uid);
    if (!usableRuntimeFolder(dir)) {
        const passwd *user = ::getpwuid(uid);
        QByteArray temporary = qgetenv("TMPDIR");
        if (temporary.isEmpty())
            temporary = "/tmp";
        dir =
            temporary + "/runtime-" + (user ? QByteArray(user->pw_name) : QByteArray::number(uid));
        ::mkdir(dir.constData(), 0700);
        if (!usableRuntimeFolder(dir))
            return; // Qt says what is wrong
    }
    qputenv("XDG_RUNTIME_DIR", dir);
}
#endif

} // namespace

int runApplication(int argc, char **argv, const StartupHooks &hooks)
{
    // Qt decodes the program's own path (and argv) once, with the locale
    // codec of that moment, and keeps it: the application object is built
    // with the system's codec whatever codec was set before, so that a
    // non-ASCII install folder keeps its profile folder. The C locale names
    // no real codec; its file names are UTF-8.
    QTextCodec::setCodecForLocale(nullptr);
    if (QLocale::system().name() == QLatin1String("C"))
        QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
#ifdef Q_OS_UNIX
    settleRuntimeFolder();
#endif
#ifdef Q_OS_WIN
    winconsole::logToRedirectedStandardError();
#endif
    // Standard error is for warnings and a command's answer: debug and info lines only when
    // QT_LOGGING_RULES asks for them.
    if (!qEnvironmentVariableIsSet("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false"));
    // Arguments ask for a command or the background instance; without any the tool is the window.
    if (argc == 2 && qstrcmp(argv[1], "--background") == 0)
        return runBackground(argc, argv, hooks);
    if (argc > 1)
        return runCommandLine(argc, argv, hooks);
    QCoreApplication::setAttribute(Qt::AA_DisableHighDpiScaling, true);
    const QString applicationId = QString::fromLatin1(kToolInstanceName);
    const QLocale locale;
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);

    auto application = std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velorax-manager"));
    QCoreApplication::setOrganizationName(QStringLiteral("Velorax"));
    // Read (and kept) before the codec changes.
    QCoreApplication::applicationFilePath();
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));

    auto guard = std::make_unique<SingleInstanceGuard>(applicationId);
    if (guard->isRunning()) {
        // A background instance opens its window; a window is raised after the box.
        if (askBackgroundToOpenWindow(*guard)) {
            guard.reset();
            application.reset();
            return 0;
        }
        showAlreadyRunningBox(locale, hooks);
        guard->sendMessage(QString::fromLatin1(kWakeUpMessage), kWakeUpTimeoutMs);
        guard.reset();
        application.reset();
        return 0;
    }

    if (hooks.beforeWindow)
        hooks.beforeWindow();

    // SIGTERM, SIGINT and SIGHUP close the window as Escape does: what is pending reaches the base
    // first. The relay is a child of the application object, so it goes before the event
    // dispatcher does and gives the signals their previous actions back; a second signal while
    // the first is handled ends the process at once.
    QPointer<Widget> shownWindow;
    auto *relay = new SignalRelay(
        [&shownWindow](int) {
            qCDebug(lcStartup) << "quit signal received";
            if (shownWindow)
                QCoreApplication::postEvent(
                    shownWindow, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
            else
                QCoreApplication::quit();
        },
        application.get());
    if (!relay->install(true)) {
        qCDebug(lcStartup) << "cannot watch for quit signals";
        delete relay;
    }

    auto window = std::make_unique<Widget>();
    shownWindow = window.get();
    // Edition and language before show(): restyled after it, every widget
    // already polished would be polished again before the first frame.
    window->Slot_FilterVersionColtrol(locale.language());
    window->Get_LacaelLanuage(locale.language());
    guard->setActivationWindow(window.get(), true);
    if (hooks.onInstanceMessage)
        QObject::connect(guard.get(), &SingleInstanceGuard::messageReceived,
                         hooks.onInstanceMessage);
    // Commands from other processes go through this window; they do not raise it.
    auto commandHost = std::make_unique<cli::CommandHost>(window->session());
    guard->setRequestHandler([host = commandHost.get()](const QByteArray &request,
                                                        const SingleInstanceGuard::Reply &reply) {
        host->handleChannelRequest(request, reply);
    });
    // Runs of the --profile wrapper that died are finished once the base's settings are known,
    // and the window says so.
    QObject::connect(window->session(), &session::BaseSession::baseSettingsRead, commandHost.get(),
                     [host = commandHost.get(), shown = window.get()] {
                         if (!host->isIdle() || !profiles::hasEndedRuns(profiles::profileFolder()))
                             return;
                         cli::CommandRequest recover;
                         recover.command = cli::Command::Recover;
                         recover.language = language::messageLanguage();
                         host->submit(recover, [shown](const cli::CommandResult &result) {
                             if (!result.err.trimmed().isEmpty())
                                 shown->showNotice("runsFinishedNotice", result.err.trimmed());
                         });
                     });
    // Bound programs get their profiles while the window runs, through its command host.
    auto games = std::make_unique<GameSwitcher>(
        commandHost.get(),
        [shown = window.get()](const QString &text) { shown->showNotice("gameNotice", text); });
    games->watcher()->start();
    window->show();
    if (hooks.afterShow)
        hooks.afterShow(window.get());

    const int result = application->exec();
    guard->setRequestHandler(nullptr);
    games.reset();
    commandHost.reset();
    window.reset();
    guard.reset();
    application.reset();
    return result;
}
