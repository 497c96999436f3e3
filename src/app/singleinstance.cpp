#include "singleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QWidget>

Q_LOGGING_CATEGORY(lcInstance, "velorax.ui.instance")

namespace {

// A per-user folder for the lock and the socket, so that two users on one
// machine never block each other.
QString userRuntimeFolder()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    QDir().mkpath(dir);
    return dir;
}

QString userTag()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("USERNAME");
    const QByteArray seed = (user + QLatin1Char('|') + QDir::homePath()).toUtf8();
    return QString::fromLatin1(
        QCryptographicHash::hash(seed, QCryptographicHash::Sha1).toHex().left(12));
}

constexpr char kAck = '\x06';
// A line that starts with this is a request awaiting a reply, not a message.
const QByteArray kRequestTag = QByteArrayLiteral("request ");

} // namespace

SingleInstanceGuard::SingleInstanceGuard(const QString &applicationId, QObject *parent)
    : QObject(parent)
{
    const QString base = applicationId + QLatin1Char('-') + userTag();
    const QString folder = userRuntimeFolder();
    m_lockPath = folder + QLatin1Char('/') + base + QStringLiteral(".lock");
#ifdef Q_OS_WIN
    m_serverName = base;
#else
    m_serverName = folder + QLatin1Char('/') + base + QStringLiteral(".sock");
#endif

    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // Only a dead owner makes the lock stale; a long-running first copy keeps it.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        becomePrimary();
    else
        qCDebug(lcInstance) << "another copy holds" << m_lockPath;
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    if (m_server)
        m_server->close();
    if (m_primary)
        m_lock->unlock();
}

void SingleInstanceGuard::becomePrimary()
{
    m_primary = true;
    // A socket left by a copy that was killed would make listen() fail.
    QLocalServer::removeServer(m_serverName);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_serverName))
        qCWarning(lcInstance) << "cannot listen on" << m_serverName << m_server->errorString();
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstanceGuard::acceptConnection);
}

void SingleInstanceGuard::acceptConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            const QByteArray line = socket->readLine().trimmed();
            if (line.startsWith(kRequestTag)) {
                handleRequest(socket, line.mid(kRequestTag.size()));
                return;
            }
            const QString message = QString::fromUtf8(line);
            socket->write(&kAck, 1);
            socket->flush();
            emit messageReceived(message);
        });
    }
}

void SingleInstanceGuard::handleRequest(QLocalSocket *socket, const QByteArray &request)
{
    // One request per connection; the reply may come after the socket is gone.
    disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
    if (!m_requestHandler) {
        socket->disconnectFromServer();
        return;
    }
    QPointer<QLocalSocket> peer(socket);
    m_requestHandler(request, [peer](const QByteArray &reply) {
        if (!peer)
            return;
        QByteArray line = reply;
        line.replace('\n', ' ');
        peer->write(line + '\n');
        peer->disconnectFromServer();
    });
}

bool SingleInstanceGuard::waitForLock(int timeoutMs)
{
    if (m_primary)
        return true;
    if (!m_lock->tryLock(timeoutMs))
        return false;
    becomePrimary();
    return true;
}

std::optional<QByteArray> SingleInstanceGuard::exchange(const QByteArray &request,
                                                        int connectTimeoutMs, int replyTimeoutMs)
{
    if (m_primary)
        return std::nullopt;
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(connectTimeoutMs))
        return std::nullopt;
    QByteArray line = kRequestTag + request;
    line.replace('\n', ' ');
    socket.write(line + '\n');
    if (!socket.waitForBytesWritten(connectTimeoutMs))
        return std::nullopt;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(replyTimeoutMs))
            return std::nullopt;
    }
    return socket.readLine().trimmed();
}

bool SingleInstanceGuard::sendMessage(const QString &message, int timeoutMs)
{
    if (m_primary)
        return false;
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    QByteArray payload = message.toUtf8();
    payload.replace('\n', ' ');
    payload.append('\n');
    socket.write(payload);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    return socket.waitForReadyRead(timeoutMs) && socket.read(1) == QByteArray(1, kAck);
}

void SingleInstanceGuard::setActivationWindow(QWidget *window, bool activateOnMessage)
{
    m_window = window;
    disconnect(this, &SingleInstanceGuard::messageReceived, this,
               &SingleInstanceGuard::activateWindow);
    if (activateOnMessage)
        connect(this, &SingleInstanceGuard::messageReceived, this,
                &SingleInstanceGuard::activateWindow);
}

void SingleInstanceGuard::activateWindow()
{
    if (!m_window)
        return;
    m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}
