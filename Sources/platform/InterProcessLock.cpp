#include "InterProcessLock.h"

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

int lockedNow(int descriptor)
{
    while (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EINTR)
            return errno;
    }
    return 0;
}

} // namespace

InterProcessLock::InterProcessLock(const std::filesystem::path &lockFile, std::chrono::milliseconds patience)
{
    // Non-blocking and no link followed: whatever someone put at the lock's path, opening it
    // must not wait, and only a regular file is locked.
    const int descriptor =
        ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (descriptor < 0) {
        m_error = errno;
        return;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0)
        m_error = errno;
    else if (!S_ISREG(status.st_mode))
        m_error = EINVAL;
    if (m_error != 0) {
        ::close(descriptor);
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + patience;
    auto interval = firstRetryInterval;
    while ((m_error = lockedNow(descriptor)) == EWOULDBLOCK && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(interval);
        interval = std::min(interval * 2, longestRetryInterval);
    }
    if (m_error != 0) {
        ::close(descriptor);
        return;
    }
    m_descriptor = descriptor;
}

InterProcessLock::~InterProcessLock()
{
    // Closing the only descriptor of the open file releases the lock.
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

} // namespace pulsegrove
