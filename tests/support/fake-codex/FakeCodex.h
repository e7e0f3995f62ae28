#pragma once

#include "TemporaryDirectory.h"
#include "foundation/Environment.h"

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace pulsegrove::testing {

// One scripted fake `codex` in a temporary folder (see FakeCodexMain.cpp for the commands). The
// environment it hands out points PULSE_GROVE_CODEX_PATH at it, so tests never share a script.
class FakeCodex {
public:
    explicit FakeCodex(const std::vector<std::string> &script);

    const std::string &path() const { return m_path; }
    Environment environment() const;

    // What the fake read from its standard input, line by line, and the arguments it was given.
    std::vector<std::string> receivedLines() const { return lines(".received"); }
    std::vector<std::string> arguments() const { return lines(".args"); }
    // The fake's process id, once it has started.
    std::optional<pid_t> pid() const;
    // True when the fake ran and its process no longer exists (exited and reaped).
    bool ranAndIsGone() const;
    // The helper that spawn-helper started, once it has.
    std::optional<pid_t> helperPid() const;
    // True once a process runs no more: gone, or a zombie waiting for a parent that may never
    // reap it (an orphan whose new parent does not); waits up to five seconds for that.
    static bool stopsRunning(pid_t process);

    // Canned replies of a well-behaved app server.
    static std::string initializeReply() { return R"({"id":0,"result":{"userAgent":"fake"}})"; }
    static std::string rateLimitsReply(const std::string &result)
    {
        return R"({"id":1,"result":)" + result + "}";
    }
    static std::string sampleResult();
    // Answers both requests at once with the given rate-limits result.
    static std::vector<std::string> answering(const std::string &result = sampleResult());

private:
    std::vector<std::string> lines(const std::string &suffix) const;

    TemporaryDirectory m_directory;
    std::string m_path;
};

} // namespace pulsegrove::testing
