#include "commandrunner.h"

#include "autostart.h"
#include "gamebindings.h"

#include "basesession.h"
#include "indicatorlooks.h"
#include "languagetable.h"
#include "parameterprofile.h"
#include "parameters.h"
#include "profilefolder.h"
#include "profilestore.h"
#include "runjournal.h"
#include "runleases.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcCommands, "velorax.ui.commands")

namespace cli {

namespace {

using language::messageText;

QString withLineEnd(const QString &text)
{
    return text.isEmpty() || text.endsWith(QLatin1Char('\n')) ? text : text + QLatin1Char('\n');
}

// The name of a status code as the state page shows it, in `languageIndex`.
QString statusName(quint16 code, int languageIndex)
{
    const std::optional<int> lamp = protocol::litPilotLamp(code);
    return lamp ? language::controlText(QLatin1String(form::pilotLamps()[std::size_t(*lamp)].label),
                                        languageIndex)
                : QStringLiteral("?");
}

} // namespace

QJsonObject CommandResult::toJson() const
{
    return {{QStringLiteral("exit"), exitCode},
            {QStringLiteral("out"), out},
            {QStringLiteral("err"), err}};
}

CommandResult CommandResult::fromJson(const QJsonObject &json)
{
    CommandResult result;
    result.exitCode = json.value(QStringLiteral("exit")).toInt(ExitFailed);
    result.out = json.value(QStringLiteral("out")).toString();
    result.err = json.value(QStringLiteral("err")).toString();
    return result;
}

QByteArray profileText(const protocol::ParameterValues &values)
{
    profiles::IniDocument document(profiles::shippedDefaultProfile());
    for (const profiles::ProfileEntry &entry : profiles::parameterEntries(values))
        document.setValue(profiles::IniDocument::settingsKey(entry.group, entry.name), entry.value);
    return document.data();
}

// ---- CommandRunner ------------------------------------------------------------------------------

CommandRunner::CommandRunner(session::BaseSession *baseSession, CommandRequest request,
                             QObject *parent)
    : QObject(parent), m_session(baseSession), m_request(std::move(request))
{
    m_settingsTimeout.setSingleShot(true);
    connect(&m_settingsTimeout, &QTimer::timeout, this, &CommandRunner::onSettingsTimeout);
}

void CommandRunner::start()
{
    // The answer, and what the window says on the way, in the language of the caller.
    const language::MessageLanguageScope scope(m_request.language);
    // Every start of the tool finishes the wrapper runs that died; that needs the base.
    m_recover = m_request.command == Command::Recover ||
                (m_session && profiles::hasEndedRuns(profiles::profileFolder()));
    if (!m_request.needsBase() && (!m_recover || !m_session || !m_session->linked())) {
        act();
        return;
    }
    if (!m_session || !m_session->linked()) {
        // Runs that died wait for a base; the answer says so.
        if (m_recover)
            m_notes = runs::recover(nullptr).notes;
        finishNoBase();
        return;
    }
    // What the base has now, not what the window last saw: for --read, --save and --diff, and
    // for whatever becomes a restore point or is compared with one. A change still pending goes
    // out first.
    const bool restores = m_recover || m_request.command == Command::Apply ||
                          m_request.command == Command::BeginRun ||
                          m_request.command == Command::EndRun;
    if (restores)
        m_session->sendPendingChanges();
    whenSettingsKnown(restores || m_request.command == Command::Read ||
                      m_request.command == Command::Save || m_request.command == Command::Diff);
}

void CommandRunner::whenSettingsKnown(bool fresh)
{
    if (!fresh && m_session->baseSettingsKnown()) {
        act();
        return;
    }
    m_settingsWait = connect(m_session.data(), &session::BaseSession::baseSettingsRead, this,
                             &CommandRunner::onSettingsRead);
    m_settingsTimeout.start(kSettingsTimeoutMs);
    m_session->readBaseSettings();
}

void CommandRunner::onSettingsRead()
{
    disconnect(m_settingsWait);
    m_settingsTimeout.stop();
    // The read-back pass that announced the settings files the status report after them.
    QTimer::singleShot(0, this, &CommandRunner::act);
}

void CommandRunner::onSettingsTimeout()
{
    const language::MessageLanguageScope scope(m_request.language);
    disconnect(m_settingsWait);
    qCInfo(lcCommands) << "no settings from the base within" << kSettingsTimeoutMs << "ms";
    if (m_request.command == Command::Status || !m_request.needsBase())
        act();
    else
        finish(failureCode(), QString(), messageText(language::BaseSilentMessage));
}

void CommandRunner::act()
{
    const language::MessageLanguageScope scope(m_request.language);
    if (m_recover || m_request.command == Command::Recover) {
        const bool linked = m_session && m_session->linked() && m_session->baseSettingsKnown();
        m_notes = runs::recover(linked ? m_session.data() : nullptr).notes;
        m_recover = false;
    }
    if (m_request.needsBase() && (!m_session || !m_session->linked())) {
        finishNoBase();
        return;
    }
    switch (m_request.command) {
    case Command::List:
        list();
        return;
    case Command::Where:
        finish(ExitDone, QDir::toNativeSeparators(profileFolder()));
        return;
    case Command::Save:
        save();
        return;
    case Command::Status:
        status();
        return;
    case Command::Read:
        read();
        return;
    case Command::Apply:
        apply();
        return;
    case Command::Store:
        store();
        return;
    case Command::Diff:
        diff();
        return;
    case Command::BeginRun:
    case Command::EndRun:
        run();
        return;
    case Command::Bind:
    case Command::Unbind:
    case Command::Bindings:
        bindings();
        return;
    case Command::Autostart: {
        const bool on = m_request.profile == QLatin1String("on");
        QString error;
        if (!autostart::setEnabled(on, &error))
            finish(ExitFailed, QString(), error);
        else if (on)
            finish(ExitDone, messageText(language::AutostartOnMessage).arg(autostart::command()));
        else
            finish(ExitDone, messageText(language::AutostartOffMessage));
        return;
    }
    case Command::Background:
        // Only a start of its own runs in the background, never a command of another copy.
        finish(ExitUsage, QString(), messageText(language::OneCommandMessage));
        return;
    case Command::Recover:
        finish(ExitDone, QString());
        return;
    case Command::None:
    case Command::Wrap:
        break;
    }
    finish(ExitUsage, QString(), messageText(language::NoCommandMessage));
}

void CommandRunner::list()
{
    const QString folder = profileFolder();
    QString out;
    for (const QString &name : profiles::listProfileFiles(folder))
        out += name + QLatin1Char('\n');
    for (const QString &name : profiles::listSnapshots(folder))
        out += QLatin1String(profiles::kHistoryFolderName) + QLatin1Char('/') + name +
               QLatin1Char('\n');
    finish(ExitDone, out);
}

void CommandRunner::status()
{
    const session::BaseStatus state = m_session->status();
    if (!state.linked) {
        finishNoBase();
        return;
    }
    // The status report follows the settings; it is waited for once (as the settings are).
    if (!state.reported && !m_statusAwaited) {
        m_statusAwaited = true;
        m_settingsWait =
            connect(m_session.data(), &session::BaseSession::statusReported, this, [this] {
                disconnect(m_settingsWait);
                m_settingsTimeout.stop();
                status();
            });
        m_settingsTimeout.start(kSettingsTimeoutMs);
        return;
    }
    if (m_request.json) {
        const QJsonObject json{
            {QStringLiteral("linked"), true},
            {QStringLiteral("reported"), state.reported},
            {QStringLiteral("firmware"), state.firmwareVersion},
            {QStringLiteral("voltage"), state.voltage},
            {QStringLiteral("fault"), state.statusCode},
            {QStringLiteral("faultName"), statusName(state.statusCode, language::English)}};
        finish(ExitDone, QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Compact)));
        return;
    }
    if (!state.reported) {
        finish(ExitDone, messageText(language::StatusNotReportedMessage));
        return;
    }
    finish(ExitDone, messageText(language::StatusLinkedMessage)
                         .arg(state.firmwareVersion)
                         .arg(state.voltage)
                         .arg(statusName(state.statusCode, m_request.language))
                         .arg(state.statusCode));
}

void CommandRunner::read()
{
    const QByteArray text = profileText(m_session->baseSettings());
    if (m_request.file.isEmpty() || m_request.file == QLatin1String(kStandardStream)) {
        // Text on standard output has "\n" line ends; the C library adds what the platform
        // wants. Files keep the profile format.
        finish(ExitDone,
               QString::fromUtf8(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
        return;
    }
    const QString path = QDir(m_request.workingDirectory).absoluteFilePath(m_request.file);
    if (writeProfile(path))
        finish(ExitDone,
               messageText(language::SettingsWrittenMessage).arg(QDir::toNativeSeparators(path)));
}

void CommandRunner::save()
{
    QString name = m_request.profile;
    if (name.endsWith(QLatin1String(".ini"), Qt::CaseInsensitive))
        name.chop(4);
    const QString path = profileFolder() + QLatin1Char('/') + name + QStringLiteral(".ini");
    if (writeProfile(path))
        finish(
            ExitDone,
            messageText(language::ProfileSavedMessage).arg(name, QDir::toNativeSeparators(path)));
}

// The base's settings as a profile file; false (and finished) when it could not be written.
bool CommandRunner::writeProfile(const QString &path)
{
    QString reason;
    if (profiles::writeFileAtomically(path, profileText(m_session->baseSettings()), true, &reason))
        return true;
    finish(
        ExitFailed, QString(),
        messageText(language::FileNotWrittenMessage).arg(QDir::toNativeSeparators(path), reason));
    return false;
}

void CommandRunner::apply()
{
    const Located profile = locate(m_request.profile);
    if (!profile.found) {
        finish(ExitFailed, QString(), profile.notFound);
        return;
    }
    // Refused whole, or not sent before the base's settings are known.
    const profiles::CheckedProfile checked = profiles::checkProfile(profile.path);
    if (checked.verdict != profiles::ProfileVerdict::Loadable) {
        finish(ExitFailed, QString(),
               profile.shown(language::profileRefusalText(checked, profile.path)));
        return;
    }
    if (!m_session->applyProfile(checked.values)) {
        finish(ExitFailed, QString(), messageText(language::BaseSettingsUnknownMessage));
        return;
    }
    finish(ExitDone, messageText(language::ProfileAppliedMessage).arg(profile.name));
}

void CommandRunner::run()
{
    runs::Outcome outcome;
    if (m_request.command == Command::EndRun) {
        outcome = runs::end(*m_session, m_request.runPid, m_request.runStarted);
    } else {
        const Located profile = locate(m_request.profile);
        if (!profile.found) {
            finish(ExitFailed, QString(), profile.notFound);
            return;
        }
        // Named as the user named it.
        const QString shownName =
            m_request.profile == QLatin1String(kStandardStream) ? profile.name : m_request.profile;
        outcome = runs::begin(*m_session, profile.path, shownName, m_request.runPid,
                              m_request.runStarted);
        outcome.message = profile.shown(outcome.message);
    }
    m_notes += outcome.notes;
    if (outcome.done)
        finish(ExitDone, outcome.message);
    else
        finish(ExitFailed, QString(), outcome.message);
}

void CommandRunner::bindings()
{
    const QString folder = profileFolder();
    QString error;
    if (m_request.command == Command::Bindings) {
        QString out;
        for (const profiles::GameBinding &binding : profiles::readBindings(folder, &error))
            out += binding.program + QLatin1Char('\t') + binding.profile + QLatin1Char('\n');
        finish(error.isEmpty() ? ExitDone : ExitFailed, out, error);
        return;
    }
    if (m_request.command == Command::Unbind) {
        if (profiles::unbindProgram(folder, m_request.game, &error))
            finish(ExitDone, messageText(language::UnboundMessage).arg(m_request.game));
        else
            finish(ExitFailed, QString(),
                   error.isEmpty() ? messageText(language::NotBoundMessage).arg(m_request.game)
                                   : error);
        return;
    }
    // A profile that is there now; a name of the profile folder stays a name, so that the
    // binding follows the profile's later changes.
    const Located profile = locate(m_request.profile);
    if (!profile.found) {
        finish(ExitFailed, QString(), profile.notFound);
        return;
    }
    const bool inFolder = QFileInfo(profile.path).absolutePath() == QDir(folder).absolutePath();
    const QString target = inFolder ? QFileInfo(profile.path).fileName() : profile.path;
    if (profiles::bindProgram(folder, m_request.game, target, &error))
        finish(ExitDone, messageText(language::BoundMessage).arg(m_request.game, target));
    else
        finish(ExitFailed, QString(), error);
}

void CommandRunner::store()
{
    if (m_session->store())
        finish(ExitDone, messageText(language::SettingsStoredMessage));
    else
        finish(ExitFailed, QString(), messageText(language::BaseRequestFailedMessage));
}

void CommandRunner::diff()
{
    protocol::ParameterValues sides[2];
    for (int i = 0; i < 2; ++i) {
        const QString operand = m_request.diffOperands.at(i);
        if (operand == QLatin1String(kBaseOperand)) {
            sides[i] = m_session->baseSettings();
            continue;
        }
        const Located profile = locate(operand);
        const profiles::CheckedProfile checked = profiles::checkProfile(profile.path);
        if (!profile.found || checked.verdict != profiles::ProfileVerdict::Loadable) {
            finish(ExitDiffTrouble, QString(),
                   profile.found
                       ? profile.shown(language::profileRefusalText(checked, profile.path))
                       : profile.notFound);
            return;
        }
        sides[i] = checked.values;
    }
    // Parameters are named by their keys in profile files, which users see and edit.
    QString out;
    for (const protocol::ParameterInfo &info : protocol::parameterTable()) {
        const int a = sides[0].value(info.parameter);
        const int b = sides[1].value(info.parameter);
        if (a != b)
            out +=
                QStringLiteral("%1\t%2\t%3\n").arg(QLatin1String(info.profile.key)).arg(a).arg(b);
    }
    finish(out.isEmpty() ? ExitDone : ExitDiffers, out);
}

// The profile folder, with the default profile in it as the window provides it on its first
// start.
QString CommandRunner::profileFolder() const
{
    const QString folder = profiles::profileFolder();
    const QString defaultProfile =
        folder + QLatin1Char('/') + QLatin1String(profiles::kDefaultProfileName);
    if (!QFileInfo::exists(defaultProfile) &&
        !profiles::installResourceCopy(QLatin1String(profiles::kDefaultProfileResource),
                                       defaultProfile))
        qCWarning(lcCommands) << "cannot provide" << defaultProfile;
    return folder;
}

// A profile argument: "-" is what the caller read from its standard input.
CommandRunner::Located CommandRunner::locate(const QString &name) const
{
    Located located;
    if (name != QLatin1String(kStandardStream)) {
        static_cast<ProfileLocation &>(located) =
            locateProfile(name, profileFolder(), m_request.workingDirectory);
        located.name = QDir::toNativeSeparators(located.path);
        return located;
    }
    located.path = m_request.standardInput;
    located.found = !located.path.isEmpty();
    located.name = messageText(language::StandardInputName);
    located.notFound = messageText(language::StandardInputFailedMessage).arg(located.name);
    return located;
}

QString CommandRunner::Located::shown(const QString &message) const
{
    return QString(message).replace(QDir::toNativeSeparators(path), name);
}

int CommandRunner::failureCode() const
{
    return m_request.command == Command::Diff ? ExitDiffTrouble : ExitFailed;
}

void CommandRunner::finishNoBase()
{
    const QString out = m_request.json ? QStringLiteral("{\"linked\":false}") : QString();
    finish(ExitNoBase, out, messageText(language::NoBaseMessage));
}

void CommandRunner::finish(int exitCode, const QString &out, const QString &err)
{
    if (m_finished)
        return;
    m_finished = true;
    m_result.exitCode = exitCode;
    m_result.out = withLineEnd(out);
    m_result.err = m_notes + withLineEnd(err);
    emit finished(m_result);
}

// ---- CommandHost --------------------------------------------------------------------------------

CommandHost::CommandHost(session::BaseSession *baseSession, QObject *parent)
    : QObject(parent), m_session(baseSession)
{
}

void CommandHost::submit(const CommandRequest &request, Done done)
{
    m_queue.enqueue({request, std::move(done)});
    if (!m_running)
        startNext();
}

void CommandHost::handleChannelRequest(const QByteArray &request,
                                       const SingleInstanceGuard::Reply &reply)
{
    const ParseOutcome outcome = parseRequest(QJsonDocument::fromJson(request).object());
    const auto answer = [reply](const CommandResult &result) {
        reply(QJsonDocument(result.toJson()).toJson(QJsonDocument::Compact));
    };
    if (outcome.final) {
        answer({outcome.exitCode, outcome.out, outcome.err});
        return;
    }
    // The wrapper runs in the caller; the window only applies and restores for it.
    if (outcome.request.command == Command::Wrap) {
        const language::MessageLanguageScope scope(outcome.request.language);
        answer({ExitUsage, QString(), messageText(language::OneCommandMessage)});
        return;
    }
    qCInfo(lcCommands) << "request from another process:" << outcome.request.arguments;
    submit(outcome.request, answer);
}

void CommandHost::startNext()
{
    if (m_queue.isEmpty()) {
        m_running = false;
        emit idle();
        return;
    }
    m_running = true;
    Job job = m_queue.dequeue();
    auto *runner = new CommandRunner(m_session.data(), job.request, this);
    connect(runner, &CommandRunner::finished, this,
            [this, runner, done = std::move(job.done)](const CommandResult &result) {
                runner->deleteLater();
                done(result);
                QTimer::singleShot(0, this, &CommandHost::startNext);
            });
    runner->start();
}

} // namespace cli
