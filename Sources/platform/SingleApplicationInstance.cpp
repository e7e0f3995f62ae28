#include "SingleApplicationInstance.h"

#include "Logger.h"
#include "foundation/AsideFile.h"
#include "foundation/Environment.h"
#include "foundation/FileKind.h"
#include "foundation/PrivateFolder.h"
#include "foundation/UserDirectories.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QSysInfo>
#include <QThread>
#include <cerrno>
#include <sys/stat.h>
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

QString systemMessage(int error)
{
    return QString::fromStdString(std::error_code(error, std::generic_category()).message());
}

QString nameOf(const std::filesystem::path &path)
{
    return QString::fromStdString(path.filename().string());
}

// The stand-in for a temporary folder's name that someone else took: a folder in the user's own
// cache folder, named with the host so that machines sharing a home keep apart. Empty without a
// home.
QString cacheRuntimeFolder()
{
    const auto caches = UserDirectories::cachesDirectory(Environment::current());
    if (!caches)
        return {};
    const auto own = *caches / "Pulsegrove";
    const auto folder = own / ("runtime-" + QSysInfo::machineHostName().toStdString());
    if (!PrivateFolder::create(own)) {
        [[maybe_unused]] const auto ignored = PrivateFolder::createOwnerOnly(folder);
    }
    return QString::fromStdString(folder.string());
}

} // namespace

QString SingleApplicationInstance::defaultRuntimeDirectory(const std::shared_ptr<SystemLog> &log)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && !PrivateFolder::checkOwnerOnly(fileSystemPath(runtime)))
        return runtime;
    // Not QDir::tempPath(): for a TMPDIR that does not exist it gives an empty path, which would
    // put the folder in the working folder.
    const QString temporary = qEnvironmentVariable("TMPDIR");
    const QString shared = QDir(QDir::isAbsolutePath(temporary) ? temporary : QStringLiteral("/tmp"))
                               .filePath(QStringLiteral("io.velorn.Pulsegrove-%1").arg(::getuid()));
    const auto error = PrivateFolder::createOwnerOnly(fileSystemPath(shared));
    // A missing temporary folder is reported by claim(); only a name someone else took is avoided.
    if (error != std::errc::operation_not_permitted && error != std::errc::not_a_directory)
        return shared;
    const QString fallback = cacheRuntimeFolder();
    if (log && !fallback.isEmpty())
        Logger(log, QStringLiteral("app"))
            .error(QStringLiteral("The folder %{public}s is not this user's alone (%{public}s); the "
                                  "single-instance guard uses %{public}s instead"),
                   {shared, QString::fromStdString(error.message()), fallback});
    // Whether the folder is really ours is checked where it matters, in claim(), which also says
    // why there is no guard when there is no cache folder either.
    return fallback.isEmpty() ? shared : fallback;
}

SingleApplicationInstance::SingleApplicationInstance(const QString &runtimeDirectory,
                                                     std::shared_ptr<SystemLog> log, QObject *parent)
    : QObject(parent), m_runtimeDirectory(runtimeDirectory), m_log(std::move(log))
{
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
    m_role = hasUsableFolder() ? lock() : Role::unguarded;
    return m_role;
}

bool SingleApplicationInstance::hasUsableFolder() const
{
    const auto error = PrivateFolder::checkOwnerOnly(fileSystemPath(m_runtimeDirectory));
    if (error == std::errc::no_such_file_or_directory)
        logError(QStringLiteral("Running without the single-instance guard: the runtime folder %{private}s "
                                "does not exist and could not be made"),
                 {m_runtimeDirectory});
    else if (error)
        // Anything else may be someone's trap.
        logError(QStringLiteral("Running without the single-instance guard: the runtime folder %{private}s "
                                "is not a folder of this user's alone (%{public}s)"),
                 {m_runtimeDirectory, QString::fromStdString(error.message())});
    return !error;
}

SingleApplicationInstance::Role SingleApplicationInstance::lock()
{
    // No patience: a running copy holds the lock for its whole life.
    const auto path = fileSystemPath(lockFilePath());
    auto lock = std::make_unique<InterProcessLock>(path, std::chrono::milliseconds(0));
    if (const auto &obstacle = lock->obstacle())
        logObstacle(*obstacle);
    if (lock->isLocked()) {
        m_lock = std::move(lock);
        return Role::primary;
    }
    if (lock->error() == EWOULDBLOCK)
        return Role::secondary;
    if (!lock->obstacle() || lock->obstacle()->error == 0)
        logError(QStringLiteral("Running without the single-instance guard: the lock file %{private}s could "
                                "not be locked (%{public}s)"),
                 {lockFilePath(), systemMessage(lock->error())});
    return Role::unguarded;
}

void SingleApplicationInstance::logObstacle(const InterProcessLock::Obstacle &obstacle) const
{
    const QString problem = QString::fromStdString(obstacle.problem);
    if (obstacle.error == 0)
        logError(QStringLiteral("The single-instance lock file %{public}s was %{public}s; kept it as %{public}s "
                                "and made a new one"),
                 {nameOf(fileSystemPath(lockFilePath())), problem, nameOf(obstacle.aside)});
    else
        logError(QStringLiteral("Running without the single-instance guard: the lock file %{private}s is "
                                "%{public}s and could not be moved aside (%{public}s)"),
                 {lockFilePath(), problem, systemMessage(obstacle.error)});
}

void SingleApplicationInstance::logError(const QString &format, const QStringList &arguments) const
{
    if (m_log)
        Logger(m_log, QStringLiteral("app")).error(format, arguments);
}

bool SingleApplicationInstance::listen()
{
    if (m_role != Role::primary)
        return false;
    if (isListening())
        return true;
    clearSocketPath();
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server.get(), &QLocalServer::newConnection, this, &SingleApplicationInstance::serve);
    if (!m_server->listen(serverName())) {
        logError(QStringLiteral("Later starts cannot hand over: the single-instance socket %{private}s could "
                                "not be made (%{public}s)"),
                 {serverName(), m_server->errorString()});
        m_server.reset();
    }
    return isListening();
}

// Only the lock's holder may clear the socket's path: doing it earlier would cut a running
// instance off from every later start. A socket is what a crashed run left; anything else is kept
// aside, as at the lock's path.
void SingleApplicationInstance::clearSocketPath() const
{
    const auto path = fileSystemPath(serverName());
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0)
        return;
    if (S_ISSOCK(status.st_mode)) {
        ::unlink(path.c_str());
        return;
    }
    const QString kind = QString::fromStdString(FileKind::describe(status.st_mode));
    const auto moved = AsideFile::moveAside(path);
    if (moved.error == 0)
        logError(QStringLiteral("The single-instance socket %{public}s was %{public}s; kept it as %{public}s"),
                 {nameOf(path), kind, nameOf(moved.aside)});
    else
        logError(QStringLiteral("The single-instance socket %{public}s is %{public}s and could not be moved "
                                "aside (%{public}s)"),
                 {nameOf(path), kind, systemMessage(moved.error)});
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
