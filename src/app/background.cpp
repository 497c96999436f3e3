#include "background.h"

#include "basesession.h"
#include "commandrunner.h"
#include "gameswitcher.h"
#include "languagetable.h"
#include "platform.h"
#include "processwatcher.h"
#include "profilefolder.h"
#include "profilestore.h"
#include "runjournal.h"
#include "signalrelay.h"
#include "singleinstance.h"
#include "startup.h"
#include "widget.h"

#include <QApplication>
#include <QIcon>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QLoggingCategory>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>

#include <memory>

Q_LOGGING_CATEGORY(lcBackground, "velorax.background")

namespace {

const char kOpenRequest[] = "{\"open\":\"window\"}";
constexpr int kOpenTimeoutMs = 5000;

// The tray icon: its tooltip says whether the base is connected and which profile the menu
// applied; its menu is a TrayMenu.
class BackgroundInstance : public QObject
{
public:
    BackgroundInstance(session::BaseSession *session, cli::CommandHost *host)
        : m_session(session), m_menu(host)
    {
        connect(&m_menu, &TrayMenu::openWindowRequested, this, [this] { openWindow(); });
        connect(&m_menu, &TrayMenu::profileApplied, this, [this](const QString &name) {
            m_profileOnBase = name;
            showState();
        });
        connect(&m_menu, &TrayMenu::failed, this, [this](const QString &text) { tell(text); });
        if (!QSystemTrayIcon::isSystemTrayAvailable()) {
            qCInfo(lcBackground) << "no system tray: running without an icon";
            return;
        }
        m_tray = new QSystemTrayIcon(QIcon(QStringLiteral(":/velorax-manager.png")), this);
        m_tray->setContextMenu(&m_menu);
        connect(m_tray, &QSystemTrayIcon::activated, this, [this](auto reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                openWindow();
        });
        for (auto signal : {&session::BaseSession::linkUp, &session::BaseSession::linkDown})
            connect(m_session, signal, this, [this] { showState(); });
        showState();
        m_tray->show();
    }
    ~BackgroundInstance() override { delete m_window; } // before the session goes

    void openWindow()
    {
        if (!m_window) {
            m_window = new Widget(m_session);
            m_window->setAttribute(Qt::WA_DeleteOnClose);
            const QLocale locale;
            m_window->Slot_FilterVersionColtrol(locale.language());
            m_window->Get_LacaelLanuage(locale.language());
        }
        m_window->show();
        m_window->raise();
        m_window->activateWindow();
    }

    void setActiveGames(const QStringList &games) { m_menu.setActiveGames(games); }

    void tell(const QString &text)
    {
        if (m_tray)
            m_tray->showMessage(QStringLiteral("Velorax Manager"), text, QSystemTrayIcon::Warning);
        else
            qCWarning(lcBackground).noquote() << text;
    }

private:
    void showState()
    {
        if (!m_tray)
            return;
        QStringList lines{QStringLiteral("Velorax Manager"),
                          language::messageText(m_session->linked()
                                                    ? language::TrayLinkedMessage
                                                    : language::TrayNotLinkedMessage)};
        if (!m_profileOnBase.isEmpty())
            lines << language::messageText(language::TrayProfileMessage).arg(m_profileOnBase);
        m_tray->setToolTip(lines.join(QLatin1Char('\n')));
    }

    session::BaseSession *m_session;
    TrayMenu m_menu;
    QSystemTrayIcon *m_tray = nullptr;
    QPointer<Widget> m_window;
    QString m_profileOnBase;
};

} // namespace

TrayMenu::TrayMenu(cli::CommandHost *host, QWidget *parent) : QMenu(parent), m_host(host)
{
    setObjectName(QStringLiteral("trayMenu"));
    addAction(language::messageText(language::TrayOpenWindowMessage), this,
              &TrayMenu::openWindowRequested);
    m_profiles = addMenu(language::messageText(language::TrayApplyProfileMessage));
    connect(m_profiles, &QMenu::aboutToShow, this, &TrayMenu::fillProfiles);
    m_games = addAction(QString());
    m_games->setEnabled(false);
    addSeparator();
    addAction(language::messageText(language::TrayQuitMessage), qApp, &QCoreApplication::quit);
    setActiveGames({});
}

void TrayMenu::setActiveGames(const QStringList &games)
{
    m_games->setText(games.isEmpty() ? language::messageText(language::TrayNoGameMessage)
                                     : language::messageText(language::TrayGameMessage)
                                           .arg(games.join(QStringLiteral(", "))));
}

void TrayMenu::fillProfiles()
{
    m_profiles->clear();
    for (const QString &name : profiles::listProfileFiles(profiles::profileFolder())) {
        m_profiles->addAction(name, this, [this, name] {
            cli::CommandRequest request;
            request.command = cli::Command::Apply;
            request.profile = name;
            request.workingDirectory = profiles::profileFolder();
            request.language = language::messageLanguage();
            m_host->submit(request, [this, name](const cli::CommandResult &result) {
                if (result.exitCode == cli::ExitDone)
                    emit profileApplied(name);
                else
                    emit failed(result.err.trimmed());
            });
        });
    }
}

bool askBackgroundToOpenWindow(SingleInstanceGuard &guard)
{
    const std::optional<QByteArray> reply =
        guard.exchange(QByteArray(kOpenRequest), kOpenTimeoutMs, kOpenTimeoutMs);
    return reply &&
           QJsonDocument::fromJson(*reply).object().value(QStringLiteral("opened")).toBool();
}

int runBackground(int argc, char **argv, const StartupHooks &hooks)
{
    QApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velorax-manager"));
    QCoreApplication::setOrganizationName(QStringLiteral("Velorax"));
    QApplication::setQuitOnLastWindowClosed(false);
    SingleInstanceGuard guard(QString::fromLatin1(kToolInstanceName));
    if (guard.isRunning()) {
        qCInfo(lcBackground) << "another copy runs already";
        return 0;
    }
    if (hooks.beforeWindow)
        hooks.beforeWindow();

    // Quit signals end the instance as Quit does: what is pending reaches the base first.
    auto *relay = new SignalRelay([](int) { QCoreApplication::quit(); }, &application);
    if (!relay->install(true))
        delete relay;

    session::BaseSession baseSession(device::platform());
    baseSession.setReasonWording(&language::snapshotReason);
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &baseSession,
                     &session::BaseSession::sendPendingChanges);
    cli::CommandHost host(&baseSession);
    BackgroundInstance instance(&baseSession, &host);
    guard.setRequestHandler(
        [&](const QByteArray &request, const SingleInstanceGuard::Reply &reply) {
            if (QJsonDocument::fromJson(request).object().contains(QStringLiteral("open"))) {
                instance.openWindow();
                reply(QJsonDocument(QJsonObject{{QStringLiteral("opened"), true}}).toJson());
                return;
            }
            host.handleChannelRequest(request, reply);
        });
    QObject::connect(&guard, &SingleInstanceGuard::messageReceived, &instance,
                     [&instance] { instance.openWindow(); });
    GameSwitcher games(&host, [&instance](const QString &text) { instance.tell(text); });
    QObject::connect(&games, &GameSwitcher::activeGamesChanged, &instance,
                     [&instance](const QStringList &active) { instance.setActiveGames(active); });
    // Runs that died are finished once the base's settings are known.
    QObject::connect(&baseSession, &session::BaseSession::baseSettingsRead, &host, [&host] {
        if (!host.isIdle() || !profiles::hasEndedRuns(profiles::profileFolder()))
            return;
        cli::CommandRequest recover;
        recover.command = cli::Command::Recover;
        recover.language = language::messageLanguage();
        host.submit(recover, [](const cli::CommandResult &) {});
    });
    baseSession.start();
    games.watcher()->start();
    qCInfo(lcBackground) << "running in the background";
    const int result = application.exec();
    guard.setRequestHandler(nullptr);
    return result;
}
