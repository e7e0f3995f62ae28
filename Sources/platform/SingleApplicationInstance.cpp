#include "SingleApplicationInstance.h"

#include "Logger.h"
#include "foundation/PrivateFolder.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QRegularExpression>
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

std::filesystem::path fileSystemPath(const QString &path)
{
    return std::filesystem::path(path.toStdString());
}

bool isPreviewOption(const QString &option)
{
    static const QRegularExpression form(QStringLiteral("^--[a-z][a-z-]{0,40}$"));
    return form.match(option).hasMatch();
}

std::optional<QString> previewOptionIn(const QByteArray &line)
{
    const QByteArray prefix(SingleApplicationInstance::previewRequestPrefix);
    if (!line.startsWith(prefix) || !line.endsWith('\n'))
        return std::nullopt;
    const QString option = QString::fromLatin1(line.sliced(prefix.size()).chopped(1));
    return isPreviewOption(option) ? std::optional(option) : std::nullopt;
}

} // namespace

QString SingleApplicationInstance::defaultRuntimeDirectory()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && !PrivateFolder::checkOwnerOnly(fileSystemPath(runtime)))
        return runtime;
    const QString own = QDir(QDir::tempPath()).filePath(QStringLiteral("io.velorn.Pulsegrove-%1").arg(::getuid()));
    // Whether it is really ours is checked where it matters, in claim().
    [[maybe_unused]] const auto ignored = PrivateFolder::createOwnerOnly(fileSystemPath(own));
    return own;
}

SingleApplicationInstance::SingleApplicationInstance(const QString &runtimeDirectory,
                                                     std::shared_ptr<SystemLog> log, QObject *parent)
    : QObject(parent), m_runtimeDirectory(runtimeDirectory), m_log(std::move(log)),
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
    if (const auto error = PrivateFolder::checkOwnerOnly(fileSystemPath(m_runtimeDirectory))) {
        // Missing is only a folder that could not be made; anything else may be someone's trap.
        if (m_log && error != std::errc::no_such_file_or_directory)
            Logger(m_log, QStringLiteral("app"))
                .error(QStringLiteral("Running without the single-instance guard: the runtime folder "
                                      "%{private}s is not a folder of this user's alone (%{public}s)"),
                       {m_runtimeDirectory, QString::fromStdString(error.message())});
        m_role = Role::unguarded;
        return m_role;
    }
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
            const auto preview = previewOptionIn(line);
            if (line == reopenRequest || preview) {
                // Answered first: what the request opens may take a while to build.
                socket->write(acknowledgement);
                socket->flush();
                if (preview)
                    Q_EMIT previewRequested(*preview);
                else
                    Q_EMIT reopenRequested();
            }
            socket->disconnectFromServer();
        });
    }
}

bool SingleApplicationInstance::requestReopen(int timeoutMs) const
{
    return request(reopenRequest, timeoutMs);
}

bool SingleApplicationInstance::requestPreview(const QString &option, int timeoutMs) const
{
    return isPreviewOption(option) && request(previewRequestPrefix + option.toLatin1() + '\n', timeoutMs);
}

bool SingleApplicationInstance::request(const QByteArray &line, int timeoutMs) const
{
    const QDeadlineTimer deadline(timeoutMs);
    // The running instance takes the lock a moment before it listens; keep trying until then.
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(serverName());
        if (socket.waitForConnected(int(std::max<qint64>(deadline.remainingTime(), 1)))) {
            socket.write(line);
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
