#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace pulsegrove::testing {

// One run of the application as a separate process, the way a user starts it: its own
// environment (nothing inherited but what the test passes), standard input from /dev/null,
// standard output and error kept in a file. Destroying it kills a run that is still going.
class ApplicationProcess {
public:
    ApplicationProcess(const std::string &executable, const std::vector<std::string> &arguments,
                       const std::vector<std::string> &environment, const std::string &logFile);
    ~ApplicationProcess();
    ApplicationProcess(const ApplicationProcess &) = delete;
    ApplicationProcess &operator=(const ApplicationProcess &) = delete;

    pid_t pid() const { return m_pid; }
    // The exit status once the process ended within the time, else nothing.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);
    // SIGTERM, then waits; the exit status, or nothing when it outlived the time.
    std::optional<int> terminate(std::chrono::milliseconds timeout);
    bool isRunning();

    // Whether a process with this id exists (any process, not only our children).
    static bool processExists(pid_t pid);

private:
    pid_t m_pid = -1;
    std::optional<int> m_status;
};

} // namespace pulsegrove::testing
