#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

namespace pulsegrove {

// An exclusive advisory lock (flock) on a lock file that processes share, held for the object's
// lifetime: the single-instance guard, and every process of ours that reads, changes and writes
// a suite file. The kernel ends the lock with its holder however it ends, and the descriptor is
// never inherited by a program the holder starts. The lock file is created on first use and
// stays: removing it would let two processes lock two different files of the same name.
//
// The file is opened without following a link and without waiting (a FIFO), and used only when
// it is a regular file of this user that the user can read and write; it is made 0600 whatever
// the umask. Anything else at the path (a folder, a link, a FIFO, another user's file) is moved
// aside under a lock on the folder, after a second look: two processes that found the same thing
// take turns, and the second leaves alone the lock file the first has made and locked meanwhile.
class InterProcessLock {
public:
    // What stood at the lock's path and could not be the lock.
    struct Obstacle {
        std::string problem;         // "a FIFO", "another user's file", …
        std::filesystem::path aside; // where it went, when moved
        int error = 0;               // 0 when moved, else why it stayed
    };

    // Waits at most `patience` for a lock another process holds, so a stuck process cannot
    // freeze the caller (zero: only a look); a caller that gets no lock must not write.
    InterProcessLock(const std::filesystem::path &lockFile, std::chrono::milliseconds patience);
    ~InterProcessLock();
    InterProcessLock(const InterProcessLock &) = delete;
    InterProcessLock &operator=(const InterProcessLock &) = delete;

    bool isLocked() const { return m_descriptor >= 0; }
    // Why there is no lock: an errno, EWOULDBLOCK when another holder kept it past the patience.
    int error() const { return m_error; }
    // Set when something other than a lock file stood at the path.
    const std::optional<Obstacle> &obstacle() const { return m_obstacle; }

private:
    int open(const std::filesystem::path &lockFile);
    bool moveAsideInTurn(const std::filesystem::path &lockFile);
    void lock(int descriptor, std::chrono::milliseconds patience);

    int m_descriptor = -1;
    int m_error = 0;
    std::optional<Obstacle> m_obstacle;
};

} // namespace pulsegrove
