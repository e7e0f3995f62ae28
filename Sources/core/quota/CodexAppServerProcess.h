#pragma once

#include "quota/FileDescriptor.h"

#include <chrono>
#include <filesystem>
#include <string_view>
#include <sys/types.h>

namespace pulsegrove {

// One running `codex app-server --stdio` child with pipes on its standard input and output.
// Destroying the object stops the child and reaps it, so no return or throw path can leave a
// child running.
class CodexAppServerProcess {
public:
    struct StopTiming {
        std::chrono::duration<double> inputCloseGrace{0.25};
        std::chrono::duration<double> terminateGrace{0.35};
        std::chrono::microseconds exitCheckInterval{10'000};
    };

    // Throws CodexRateLimitClientError::launchFailed with the system's text for the failure.
    CodexAppServerProcess(const std::filesystem::path &executable, StopTiming timing);
    ~CodexAppServerProcess();
    CodexAppServerProcess(const CodexAppServerProcess &) = delete;
    CodexAppServerProcess &operator=(const CodexAppServerProcess &) = delete;

    pid_t pid() const { return m_pid; }
    int outputDescriptor() const { return m_output.get(); }

    // Writes all bytes to the child's standard input. A failed write (the child has gone, for
    // example) throws std::system_error with the errno; it never raises SIGPIPE.
    void write(std::string_view bytes);

    // Closes the child's input, waits for it to leave, then asks with SIGTERM and finally SIGKILL;
    // returns once the child is reaped. Safe to call more than once.
    void stop() noexcept;

private:
    bool isRunning() noexcept;
    bool waitForExit(std::chrono::duration<double> grace) noexcept;

    StopTiming m_timing;
    pid_t m_pid = -1;
    bool m_reaped = false;
    FileDescriptor m_input;
    FileDescriptor m_output;
};

} // namespace pulsegrove
