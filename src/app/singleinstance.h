#pragma once

#include <QByteArray>
#include <QLockFile>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QLocalServer;
class QLocalSocket;

// The name of the tool's one copy per user: the window's, the background instance's, or a
// command's that opened the base itself.
inline constexpr char kToolInstanceName[] = "VELORAX_MANAGER";

// Keeps one copy of the tool per user. The first copy holds a lock file and
// listens on a local socket; later copies find the lock taken and may send the
// first one a message, which raises its window. A lock or socket left behind
// by a crashed copy is recognised as stale and taken over. A later copy may also
// send a request and wait for the first copy's reply (the command line does).
class SingleInstanceGuard : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstanceGuard(const QString &applicationId, QObject *parent = nullptr);
    ~SingleInstanceGuard() override;

    // True when another copy of this user holds the id.
    bool isRunning() const { return !m_primary; }

    // Waits up to `timeoutMs` for the running copy to end and becomes the first copy then; true
    // when it did.
    bool waitForLock(int timeoutMs);

    // Sends `message` to the running copy; false when it did not arrive in time.
    bool sendMessage(const QString &message, int timeoutMs);

    // Sends one request line to the running copy and returns its reply line; nothing when no
    // copy answered in time. Requests never raise the window.
    std::optional<QByteArray> exchange(const QByteArray &request, int connectTimeoutMs,
                                       int replyTimeoutMs);

    // Handles requests in the first copy: the handler answers, now or later, through `reply`.
    using Reply = std::function<void(const QByteArray &reply)>;
    using RequestHandler = std::function<void(const QByteArray &request, const Reply &reply)>;
    void setRequestHandler(RequestHandler handler) { m_requestHandler = std::move(handler); }

    // On any message the window leaves the minimised state, is raised and activated.
    void setActivationWindow(QWidget *window, bool activateOnMessage = true);
    QWidget *activationWindow() const { return m_window; }

    // Where the lock file and the socket live (scoped to the user).
    QString lockFilePath() const { return m_lockPath; }
    QString serverName() const { return m_serverName; }

public slots:
    void activateWindow();

signals:
    void messageReceived(const QString &message);

private:
    void becomePrimary();
    void acceptConnection();
    void handleRequest(QLocalSocket *socket, const QByteArray &request);

    QString m_lockPath;
    QString m_serverName;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
    QPointer<QWidget> m_window;
    RequestHandler m_requestHandler;
    bool m_primary = false;
};
