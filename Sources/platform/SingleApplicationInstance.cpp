#include "SingleApplicationInstance.h"

#include "Logger.h"
#include "foundation/AsideFile.h"
#include "foundation/PrivateFolder.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QThread>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pulsegrove {

namespace {

// A request is one short line; anything longer is not ours and is dropped unread.
constexpr qint64 maximumRequestBytes = 64;
// Another start holds the folder's lock only while it moves one thing aside.
constexpr auto folderLockPatience = std::chrono::seconds(2);

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

// Why what stands at the lock's path cannot be the lock, or nothing when it can.
std::optional<QString> problemWith(const struct stat &status)
{
    if (S_ISLNK(status.st_mode))
        return QStringLiteral("a link");
    if (S_ISDIR(status.st_mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(status.st_mode))
        return QStringLiteral("a named pipe");
    if (!S_ISREG(status.st_mode))
        return QStringLiteral("a special file");
    if (status.st_uid != ::geteuid())
        return QStringLiteral("another user's file");
    if ((status.st_mode & (S_IRUSR | S_IWUSR)) != (S_IRUSR | S_IWUSR))
        return QStringLiteral("a file its owner cannot read and write");
    return std::nullopt;
}

std::optional<QString> problemAt(const std::filesystem::path &path)
{
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0)
        return std::nullopt;
    return problemWith(status);
}

// The lock file's descriptor, or -1 with `error` set. Opening neither follows a link nor waits (a
// FIFO), and the file becomes 0600 whatever the umask or an earlier version made it.
int openLockFile(const std::filesystem::path &path, int &error)
{
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    error = descriptor < 0 ? errno : 0;
    if (descriptor < 0)
        return -1;
    struct stat status {};
    if (::fstat(descriptor, &status) != 0)
        error = errno;
    else if (problemWith(status))
        error = EINVAL;
    else if ((status.st_mode & 07777) != 0600 && ::fchmod(descriptor, 0600) != 0)
        error = errno;
    if (error == 0)
        return descriptor;
    ::close(descriptor);
    return -1;
}

// Starts that find the same bad thing take turns to move it: a start that acted on an earlier
// look could otherwise move aside the lock file another start has just made and locked. The
// folder's descriptor, locked, or -1 with `error` set (EWOULDBLOCK when no turn came).
int lockFolder(const std::filesystem::path &folder, int &error)
{
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    error = descriptor < 0 ? errno : 0;
    const auto deadline = std::chrono::steady_clock::now() + folderLockPatience;
    while (error == 0 && ::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        error = errno;
        if ((error == EWOULDBLOCK && std::chrono::steady_clock::now() < deadline) || error == EINTR) {
            error = 0;
            QThread::msleep(1);
        }
    }
    if (error == 0)
        return descriptor;
    if (descriptor >= 0)
        ::close(descriptor);
    return -1;
}

} // namespace

QString SingleApplicationInstance::defaultRuntimeDirectory()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && !PrivateFolder::checkOwnerOnly(fileSystemPath(runtime)))
        return runtime;
    // Not QDir::tempPath(): for a TMPDIR that does not exist it gives an empty path, which would
    // put the folder in the working folder.
    const QString temporary = qEnvironmentVariable("TMPDIR");
    const QString own = QDir(QDir::isAbsolutePath(temporary) ? temporary : QStringLiteral("/tmp"))
                            .filePath(QStringLiteral("io.velorn.Pulsegrove-%1").arg(::getuid()));
    // Whether it is really ours is checked where it matters, in claim().
    [[maybe_unused]] const auto ignored = PrivateFolder::createOwnerOnly(fileSystemPath(own));
    return own;
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
    // Closing the only descriptor releases the lock. The file stays: removing it would let the
    // next two starts lock two different files of the same name.
    if (m_lockDescriptor >= 0)
        ::close(m_lockDescriptor);
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
    const auto path = fileSystemPath(lockFilePath());
    int error = 0;
    int descriptor = openLockFile(path, error);
    if (descriptor < 0) {
        const auto repair = moveAsideWhatIsNotALockFile();
        if (repair == Repair::failed)
            return Role::unguarded;
        if (repair == Repair::moved)
            descriptor = openLockFile(path, error);
    }
    if (descriptor < 0) {
        logError(QStringLiteral("Running without the single-instance guard: the lock file %{private}s could "
                                "not be opened (%{public}s)"),
                 {lockFilePath(), systemMessage(error)});
        return Role::unguarded;
    }
    int locked = 0;
    while ((locked = ::flock(descriptor, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    error = locked == 0 ? 0 : errno;
    if (error == 0) {
        m_lockDescriptor = descriptor;
        return Role::primary;
    }
    ::close(descriptor);
    if (error == EWOULDBLOCK)
        return Role::secondary;
    logError(QStringLiteral("Running without the single-instance guard: the lock file %{private}s could not "
                            "be locked (%{public}s)"),
             {lockFilePath(), systemMessage(error)});
    return Role::unguarded;
}

SingleApplicationInstance::Repair SingleApplicationInstance::moveAsideWhatIsNotALockFile() const
{
    const auto path = fileSystemPath(lockFilePath());
    const auto problem = problemAt(path);
    if (!problem)
        return Repair::nothingThere;
    int error = 0;
    const int folder = lockFolder(fileSystemPath(m_runtimeDirectory), error);
    if (folder < 0) {
        logNotMoved(*problem,
                    QStringLiteral("the runtime folder could not be locked: ") + systemMessage(error));
        return Repair::failed;
    }
    const auto repair = moveAsideInTurn(path);
    ::close(folder);
    return repair;
}

SingleApplicationInstance::Repair
SingleApplicationInstance::moveAsideInTurn(const std::filesystem::path &path) const
{
    // Looked at again in turn: another start may have moved it and made the lock file meanwhile.
    const auto problem = problemAt(path);
    if (!problem)
        return Repair::moved;
    const auto moved = AsideFile::moveAside(path);
    if (moved.error != 0) {
        logNotMoved(*problem, systemMessage(moved.error));
        return Repair::failed;
    }
    logError(QStringLiteral("The single-instance lock file %{public}s was %{public}s; kept it as %{public}s "
                            "and made a new one"),
             {QString::fromStdString(path.filename().string()), *problem,
              QString::fromStdString(moved.aside.filename().string())});
    return Repair::moved;
}

void SingleApplicationInstance::logNotMoved(const QString &problem, const QString &reason) const
{
    logError(QStringLiteral("Running without the single-instance guard: the lock file %{private}s is "
                            "%{public}s and could not be moved aside (%{public}s)"),
             {lockFilePath(), problem, reason});
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
