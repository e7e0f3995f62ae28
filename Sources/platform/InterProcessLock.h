#pragma once

#include <chrono>
#include <filesystem>

namespace pulsegrove {

// An exclusive advisory lock (flock) on a lock file, held for the object's lifetime. Every
// process of ours that reads, changes and writes a shared file takes it first, so their changes
// follow one another instead of overwriting one another. The lock file is created on first use
// and stays: removing it would let two processes lock two different files of the same name.
class InterProcessLock {
public:
    // Waits at most `patience` for a lock another process holds, so a stuck process cannot
    // freeze the caller; a caller that gets no lock must not write.
    InterProcessLock(const std::filesystem::path &lockFile, std::chrono::milliseconds patience);
    ~InterProcessLock();
    InterProcessLock(const InterProcessLock &) = delete;
    InterProcessLock &operator=(const InterProcessLock &) = delete;

    bool isLocked() const { return m_descriptor >= 0; }
    // Why there is no lock: an errno, EWOULDBLOCK when the patience ran out.
    int error() const { return m_error; }

private:
    int m_descriptor = -1;
    int m_error = 0;
};

} // namespace pulsegrove
