#include "formatting/ZoneWarningLog.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace pulsegrove {

namespace {

// Distinct messages kept; a database of broken files cannot make the list grow without end.
constexpr std::size_t messageLimit = 64;

struct Reporter {
    std::mutex mutex;
    ZoneWarningLog::Log log;
    std::vector<std::string> reported;
};

Reporter &reporter()
{
    static Reporter reporter;
    return reporter;
}

} // namespace

void ZoneWarningLog::setLog(Log log)
{
    auto &shared = reporter();
    const std::lock_guard lock(shared.mutex);
    shared.log = std::move(log);
    for (const auto &message : shared.reported) {
        if (shared.log)
            shared.log(message);
    }
}

void ZoneWarningLog::report(const std::string &message)
{
    auto &shared = reporter();
    const std::lock_guard lock(shared.mutex);
    if (shared.reported.size() >= messageLimit ||
        std::find(shared.reported.begin(), shared.reported.end(), message) != shared.reported.end())
        return;
    shared.reported.push_back(message);
    if (shared.log)
        shared.log(message);
}

} // namespace pulsegrove
