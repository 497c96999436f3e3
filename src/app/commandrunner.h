#pragma once

// Carries out command-line requests against a window, shown or hidden: the window does what its
// buttons would, and the runner turns the outcome into an exit code and texts.

#include "commandline.h"
#include "singleinstance.h"

#include <QJsonObject>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QQueue>
#include <QString>
#include <QTimer>

#include <functional>

namespace session {
class BaseSession;
}

namespace protocol {
class ParameterValues;
}

namespace cli {

struct CommandResult
{
    int exitCode = ExitDone;
    QString out;
    QString err;

    QJsonObject toJson() const;
    static CommandResult fromJson(const QJsonObject &json);
};

// The base's settings as a profile of this edition: the default profile with every parameter
// key and the edition marker set.
QByteArray profileText(const protocol::ParameterValues &values);

// One request, carried out once: waits for the base's settings where the command needs them
// (on their signal, at most kSettingsTimeoutMs), then acts and emits finished().
class CommandRunner : public QObject
{
    Q_OBJECT
public:
    static constexpr int kSettingsTimeoutMs = 3000;

    // `window` may be null for commands that need no base.
    CommandRunner(session::BaseSession *baseSession, CommandRequest request,
                  QObject *parent = nullptr);
    void start();

signals:
    void finished(const cli::CommandResult &result);

private:
    void whenSettingsKnown(bool fresh);
    void onSettingsRead();
    void onSettingsTimeout();
    void act();
    void list();
    void save();
    bool writeProfile(const QString &path);
    void status();
    void read();
    void apply();
    void store();
    void run();
    void diff();
    void bindings();
    void finish(int exitCode, const QString &out, const QString &err = QString());
    void finishNoBase();
    // A profile argument, found or not, and how messages name it.
    struct Located : ProfileLocation
    {
        QString name;
        // `message` with the file's path replaced by its name.
        QString shown(const QString &message) const;
    };
    Located locate(const QString &name) const;
    QString profileFolder() const;
    int failureCode() const;

    QPointer<session::BaseSession> m_session;
    CommandRequest m_request;
    CommandResult m_result;
    QTimer m_settingsTimeout;
    QMetaObject::Connection m_settingsWait;
    bool m_recover = false; // wrapper runs that died are finished first
    bool m_statusAwaited = false;
    QString m_notes; // what that said, for standard error
    bool m_finished = false;
};

// Runs the requests for one window one after another: the command of its own process and those
// that arrive over the single-instance channel.
class CommandHost : public QObject
{
    Q_OBJECT
public:
    using Done = std::function<void(const CommandResult &)>;

    explicit CommandHost(session::BaseSession *baseSession, QObject *parent = nullptr);

    void submit(const CommandRequest &request, Done done);
    // A request from the channel, as SingleInstanceGuard::setRequestHandler hands it over.
    void handleChannelRequest(const QByteArray &request, const SingleInstanceGuard::Reply &reply);
    bool isIdle() const { return !m_running && m_queue.isEmpty(); }

signals:
    // The last queued request has finished.
    void idle();

private:
    struct Job
    {
        CommandRequest request;
        Done done;
    };
    void startNext();

    QPointer<session::BaseSession> m_session;
    QQueue<Job> m_queue;
    bool m_running = false;
};

} // namespace cli
