#include "SingleApplicationInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>
#include <unistd.h>

namespace pulsegrove {

namespace {

// A request is one short line; anything longer is not ours and is dropped unread.
constexpr qint64 maximumRequestBytes = 64;

QString baseName()
{
    return QStringLiteral("io.velorn.Pulsegrove.%1").arg(::getuid());
}

} // namespace

QString SingleApplicationInstance::defaultRuntimeDirectory()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir())
        return runtime;
    return QDir::tempPath();
}

SingleApplicationInstance::SingleApplicationInstance(const QString &runtimeDirectory, QObject *parent)
    : QObject(parent), m_runtimeDirectory(runtimeDirectory),
      m_lock(QDir(runtimeDirectory).filePath(baseName() + QStringLiteral(".lock")))
{
    // A lock is stale only when its owner is gone, never because it is old: the application
    // runs for days.
    m_lock.setStaleLockTime(0);
}

SingleApplicationInstance::~SingleApplicationInstance()
{
    if (m_server)
        m_server->close();
}

QString SingleApplicationInstance::lockFilePath() const
{
    return QDir(m_runtimeDirectory).filePath(baseName() + QStringLiteral(".lock"));
}

QString SingleApplicationInstance::serverName() const
{
    return QDir(m_runtimeDirectory).filePath(baseName() + QStringLiteral(".socket"));
}

SingleApplicationInstance::Role SingleApplicationInstance::claim()
{
    if (m_role == Role::primary)
        return m_role;
    if (m_lock.tryLock(0)) {
        m_role = Role::primary;
    } else {
        m_role = m_lock.error() == QLockFile::LockFailedError ? Role::secondary : Role::unguarded;
    }
    return m_role;
}

bool SingleApplicationInstance::listen()
{
    if (m_role != Role::primary)
        return false;
    if (isListening())
        return true;
    // Only the lock's holder may remove the socket: removing it earlier would cut a running
    // instance off from every later start.
    QLocalServer::removeServer(serverName());
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server.get(), &QLocalServer::newConnection, this, &SingleApplicationInstance::serve);
    if (!m_server->listen(serverName()))
        m_server.reset();
    return isListening();
}

void SingleApplicationInstance::serve()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > maximumRequestBytes)
                    socket->abort();
                return;
            }
            const QByteArray line = socket->readLine(maximumRequestBytes);
            if (line == reopenRequest) {
                socket->write(acknowledgement);
                socket->flush();
                Q_EMIT reopenRequested();
            }
            socket->disconnectFromServer();
        });
    }
}

bool SingleApplicationInstance::requestReopen(int timeoutMs) const
{
    const QDeadlineTimer deadline(timeoutMs);
    // The running instance takes the lock a moment before it listens; keep trying until then.
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(serverName());
        if (socket.waitForConnected(int(std::max<qint64>(deadline.remainingTime(), 1)))) {
            socket.write(reopenRequest);
            if (!socket.waitForBytesWritten(int(std::max<qint64>(deadline.remainingTime(), 1))))
                return false;
            while (!socket.canReadLine() &&
                   socket.waitForReadyRead(int(std::max<qint64>(deadline.remainingTime(), 1)))) {
            }
            return socket.readLine(maximumRequestBytes) == acknowledgement;
        }
        QThread::msleep(50);
    }
    return false;
}

} // namespace pulsegrove
