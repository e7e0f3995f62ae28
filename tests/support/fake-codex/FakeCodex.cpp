#include "FakeCodex.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <thread>
#include <unistd.h>

namespace pulsegrove::testing {

FakeCodex::FakeCodex(const std::vector<std::string> &script)
{
    m_path = (m_directory.path() / "codex").string();
    std::filesystem::create_symlink(FAKE_CODEX_PATH, m_path);
    std::string text;
    for (const auto &command : script)
        text += command + "\n";
    m_directory.writeFile("codex.script", text);
}

Environment FakeCodex::environment() const
{
    return Environment(
        {{"PULSE_GROVE_CODEX_PATH", m_path}, {"HOME", m_directory.path() / "home"}, {"PATH", ""}});
}

std::vector<std::string> FakeCodex::lines(const std::string &suffix) const
{
    std::ifstream file(m_path + suffix, std::ios::binary);
    std::vector<std::string> result;
    for (std::string line; std::getline(file, line);)
        result.push_back(line);
    return result;
}

std::optional<pid_t> FakeCodex::pid() const
{
    const auto text = lines(".pid");
    return text.empty() ? std::nullopt : std::optional<pid_t>(std::stol(text.front()));
}

bool FakeCodex::ranAndIsGone() const
{
    const auto processId = pid();
    return processId && ::kill(*processId, 0) == -1 && errno == ESRCH;
}

std::optional<pid_t> FakeCodex::helperPid() const
{
    const auto text = lines(".helper");
    return text.empty() ? std::nullopt : std::optional<pid_t>(std::stol(text.front()));
}

bool FakeCodex::stopsRunning(pid_t process)
{
    const auto isRunning = [process] {
        std::ifstream stat("/proc/" + std::to_string(process) + "/stat");
        std::string line;
        if (!std::getline(stat, line))
            return false;
        const auto close = line.rfind(')');
        return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z';
    };
    // Signals arrive and processes end a moment after the call that sent them returns.
    for (int check = 0; check < 500 && isRunning(); ++check)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return !isRunning();
}

std::string FakeCodex::sampleResult()
{
    return R"({"rateLimits":{"planType":"pro","primary":{"usedPercent":25,"windowDurationMins":300,"resetsAt":1700003600},)"
           R"("secondary":{"usedPercent":60,"windowDurationMins":10080,"resetsAt":1700500000}},)"
           R"("rateLimitResetCredits":{"availableCount":2,"credits":[{"status":"available","expiresAt":1701000000}]}})";
}

std::vector<std::string> FakeCodex::answering(const std::string &result)
{
    return {"expect", "send " + initializeReply(), "expect", "expect", "send " + rateLimitsReply(result)};
}

} // namespace pulsegrove::testing
