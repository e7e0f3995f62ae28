#include "ApplicationProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace pulsegrove::testing {

ApplicationProcess::ApplicationProcess(const std::string &executable,
                                       const std::vector<std::string> &arguments,
                                       const std::vector<std::string> &environment,
                                       const std::string &logFile)
{
    std::vector<std::string> argumentCopies = {executable};
    argumentCopies.insert(argumentCopies.end(), arguments.begin(), arguments.end());
    std::vector<std::string> environmentCopies = environment;
    std::vector<char *> argv, envp;
    for (auto &argument : argumentCopies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    for (auto &variable : environmentCopies)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                     0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    const int error = posix_spawn(&m_pid, executable.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        throw std::runtime_error("cannot start " + executable + ": " + std::strerror(error));
}

ApplicationProcess::~ApplicationProcess()
{
    if (isRunning()) {
        ::kill(m_pid, SIGKILL);
        waitForExit(std::chrono::seconds(5));
    }
}

std::optional<int> ApplicationProcess::waitForExit(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!m_status) {
        int status = 0;
        const pid_t result = ::waitpid(m_pid, &status, WNOHANG);
        if (result == m_pid) {
            m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        if (result < 0 || std::chrono::steady_clock::now() > deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return m_status;
}

std::optional<int> ApplicationProcess::terminate(std::chrono::milliseconds timeout)
{
    if (isRunning())
        ::kill(m_pid, SIGTERM);
    return waitForExit(timeout);
}

bool ApplicationProcess::isRunning()
{
    return !waitForExit(std::chrono::milliseconds(0));
}

bool ApplicationProcess::processExists(pid_t pid)
{
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

} // namespace pulsegrove::testing
