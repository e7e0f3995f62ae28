#include "InterProcessLock.h"

#include "foundation/AsideFile.h"
#include "foundation/FileKind.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace pulsegrove {

namespace {

// The first tries come soon, to slip into the moment between two writes of a process that writes
// in a loop; they grow further apart, so a lock held for seconds keeps this thread asleep.
constexpr auto firstRetryInterval = std::chrono::microseconds(200);
constexpr auto longestRetryInterval = std::chrono::microseconds(20000);
// Another process holds the folder's lock only while it moves one thing aside.
constexpr auto folderLockPatience = std::chrono::milliseconds(2000);

// 0 once `descriptor` is locked exclusively, else why not (EWOULDBLOCK: still held elsewhere
// when the patience ran out).
int lockWithin(int descriptor, std::chrono::milliseconds patience)
{
    const auto deadline = std::chrono::steady_clock::now() + patience;
    auto interval = firstRetryInterval;
    while (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline)
            return errno;
        std::this_thread::sleep_for(interval);
        interval = std::min(interval * 2, longestRetryInterval);
    }
    return 0;
}

// Why what `status` describes cannot be the lock file, or nothing when it can.
std::optional<std::string> problemWith(const struct stat &status)
{
    if (!S_ISREG(status.st_mode))
        return FileKind::describe(status.st_mode);
    if (status.st_uid != ::geteuid())
        return "another user's file";
    if ((status.st_mode & (S_IRUSR | S_IWUSR)) != (S_IRUSR | S_IWUSR))
        return "a file its owner cannot read and write";
    return std::nullopt;
}

std::optional<std::string> problemAt(const std::filesystem::path &path)
{
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0)
        return std::nullopt;
    return problemWith(status);
}

} // namespace

InterProcessLock::InterProcessLock(const std::filesystem::path &lockFile, std::chrono::milliseconds patience)
{
    int descriptor = open(lockFile);
    // Only what is really in the way is moved; a missing descriptor or a read-only folder stands.
    if (descriptor < 0 && moveAsideInTurn(lockFile))
        descriptor = open(lockFile);
    if (descriptor >= 0)
        lock(descriptor, patience);
}

InterProcessLock::~InterProcessLock()
{
    // Closing the only descriptor of the open file releases the lock.
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

// The lock file's descriptor, or -1 with m_error set. Opening neither follows a link nor waits
// (a FIFO), and the file becomes 0600 whatever the umask or an earlier version made it.
int InterProcessLock::open(const std::filesystem::path &lockFile)
{
    const int descriptor =
        ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    m_error = descriptor < 0 ? errno : 0;
    if (descriptor < 0)
        return -1;
    struct stat status {};
    if (::fstat(descriptor, &status) != 0)
        m_error = errno;
    else if (problemWith(status))
        m_error = EINVAL;
    else if ((status.st_mode & 07777) != 0600 && ::fchmod(descriptor, 0600) != 0)
        m_error = errno;
    if (m_error == 0)
        return descriptor;
    ::close(descriptor);
    return -1;
}

// True when the path is free again (moved now, or by another process meanwhile): worth one more
// try. The obstacle, moved or not, is recorded for the caller's log.
bool InterProcessLock::moveAsideInTurn(const std::filesystem::path &lockFile)
{
    const auto problem = problemAt(lockFile);
    if (!problem)
        return false;
    m_obstacle = Obstacle{*problem, {}, 0};
    const auto folderPath = lockFile.parent_path().empty() ? std::filesystem::path(".") : lockFile.parent_path();
    const int folder = ::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    m_obstacle->error = folder < 0 ? errno : lockWithin(folder, folderLockPatience);
    if (m_obstacle->error == 0) {
        // Looked at again in turn: another process may have moved it and made the lock file.
        if (problemAt(lockFile)) {
            const auto moved = AsideFile::moveAside(lockFile);
            m_obstacle->error = moved.error;
            m_obstacle->aside = moved.aside;
        } else {
            m_obstacle.reset();
        }
    }
    if (folder >= 0)
        ::close(folder);
    return !m_obstacle || m_obstacle->error == 0;
}

void InterProcessLock::lock(int descriptor, std::chrono::milliseconds patience)
{
    m_error = lockWithin(descriptor, patience);
    if (m_error == 0)
        m_descriptor = descriptor;
    else
        ::close(descriptor);
}

} // namespace pulsegrove
