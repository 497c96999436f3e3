#include "gameswitcher.h"

#include "commandrunner.h"
#include "gamebindings.h"
#include "languagetable.h"
#include "processwatcher.h"
#include "profilefolder.h"

#include <QFileInfo>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcGames, "velorax.ui.games")

namespace {

QString bindingsPath()
{
    return profiles::profileFolder() + QLatin1Char('/') +
           QLatin1String(profiles::kBindingsFileName);
}

// The file's change time, so that a binding made by a command is seen at the next scan.
qint64 bindingsStamp()
{
    const QFileInfo file(bindingsPath());
    return file.exists() ? file.lastModified().toMSecsSinceEpoch() ^ file.size() : 0;
}

} // namespace

GameSwitcher::GameSwitcher(cli::CommandHost *host, std::function<void(const QString &)> tell,
                           QObject *parent)
    : QObject(parent), m_host(host), m_tell(std::move(tell)),
      m_watcher(new session::ProcessWatcher(this))
{
    connect(m_watcher, &session::ProcessWatcher::programStarted, this, &GameSwitcher::onStarted);
    connect(m_watcher, &session::ProcessWatcher::programEnded, this, &GameSwitcher::onEnded);
    // Before each scan: the bindings as they are in the file now.
    connect(m_watcher, &session::ProcessWatcher::scanning, this, [this] {
        if (bindingsStamp() != m_bindingsStamp)
            reloadBindings();
    });
    reloadBindings();
}

void GameSwitcher::reloadBindings()
{
    m_bindingsStamp = bindingsStamp();
    QStringList keys;
    for (const profiles::GameBinding &binding : profiles::readBindings(profiles::profileFolder()))
        keys << profiles::programKey(binding.program);
    m_watcher->setPrograms(keys);
}

void GameSwitcher::onStarted(const QString &key, qint64 pid, qint64 started)
{
    QString profile;
    for (const profiles::GameBinding &binding : profiles::readBindings(profiles::profileFolder())) {
        if (profiles::programKey(binding.program) == key)
            profile = binding.profile;
    }
    if (profile.isEmpty())
        return;
    qCInfo(lcGames) << "bound program started:" << key << pid;
    m_active << key;
    emit activeGamesChanged(m_active);
    submitRun(cli::Command::BeginRun, profile, pid, started);
}

void GameSwitcher::onEnded(const QString &key, qint64 pid, qint64 started)
{
    qCInfo(lcGames) << "bound program ended:" << key << pid;
    m_active.removeOne(key);
    emit activeGamesChanged(m_active);
    submitRun(cli::Command::EndRun, QString(), pid, started);
}

void GameSwitcher::submitRun(cli::Command step, const QString &profile, qint64 pid, qint64 started)
{
    cli::CommandRequest request;
    request.command = step;
    request.profile = profile;
    request.workingDirectory = profiles::profileFolder();
    request.language = language::messageLanguage();
    request.runPid = pid;
    request.runStarted = started;
    m_host->submit(request, [tell = m_tell](const cli::CommandResult &result) {
        if (result.exitCode != cli::ExitDone && tell)
            tell((result.err + result.out).trimmed());
    });
}
