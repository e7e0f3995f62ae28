#pragma once

#include "quota/FileDescriptor.h"

#include <chrono>
#include <filesystem>
#include <string_view>
#include <sys/types.h>

namespace pulsegrove {

// One running `codex app-server --stdio` child with pipes on its standard input and output, in
// a process group of its own so that helpers it starts (or the real program behind a wrapper
// script) are stopped with it. Destroying the object stops the group and the child, wherever the
// child has moved, and reaps it, so no return or throw path can leave any of them running.
class CodexAppServerProcess {
public:
    struct StopTiming {
        std::chrono::duration<double> inputCloseGrace{0.25};
        std::chrono::duration<double> terminateGrace{0.35};
        std::chrono::microseconds exitCheckInterval{10'000};
        // How long a killed child is waited for before a thread of its own is left to reap it.
        std::chrono::duration<double> killGrace{1.0};
    };

    // Throws CodexRateLimitClientError::launchFailed with the system's text for the failure.
    CodexAppServerProcess(const std::filesystem::path &executable, StopTiming timing);
    ~CodexAppServerProcess();
    CodexAppServerProcess(const CodexAppServerProcess &) = delete;
    CodexAppServerProcess &operator=(const CodexAppServerProcess &) = delete;

    pid_t pid() const { return m_pid; }
    int outputDescriptor() const { return m_output.get(); }
    // Readable once the child itself has exited (a pidfd), or -1 where the kernel offers none.
    // Descendants may still hold the output open; this says the child has written its last.
    int exitDescriptor() const { return m_exit.get(); }

    // Writes all bytes to the child's standard input. A failed write (the child has gone, for
    // example) throws std::system_error with the errno; it never raises SIGPIPE.
    void write(std::string_view bytes);

    // Closes the child's input, waits for its group to leave, then sends SIGTERM and finally
    // SIGKILL to the group and to the child itself (which may have left the group); returns once
    // the child is reaped or, should it outlast SIGKILL by the kill grace, handed to a reaper
    // thread. Safe to call more than once.
    void stop() noexcept;

private:
    using Deadline = std::chrono::steady_clock::time_point;

    bool isRunning() noexcept;
    bool waitForChildExit(Deadline deadline) noexcept;
    bool groupHasMembers() const noexcept;
    bool waitForGroupExit(std::chrono::duration<double> grace) noexcept;
    void signalGroupAndChild(int signal) noexcept;
    void reapWithin(std::chrono::duration<double> grace) noexcept;

    StopTiming m_timing;
    pid_t m_pid = -1;
    bool m_reaped = false;
    bool m_stopped = false;
    FileDescriptor m_input;
    FileDescriptor m_output;
    FileDescriptor m_exit;
};

} // namespace pulsegrove
