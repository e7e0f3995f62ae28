#include "OrphanedTemporaryFiles.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace pulsegrove {

namespace {

bool allDigits(std::string_view text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The writer's process id when `name` is ".<target>.<pid>-<n>.tmp".
std::optional<pid_t> writerOf(std::string_view name, std::string_view target)
{
    const std::string_view suffix = ".tmp";
    if (name.size() <= target.size() + 2 + suffix.size() || name[0] != '.' ||
        name.substr(1, target.size()) != target || name[target.size() + 1] != '.' || !name.ends_with(suffix))
        return std::nullopt;
    const std::string_view stamp =
        name.substr(target.size() + 2, name.size() - target.size() - 2 - suffix.size());
    const auto dash = stamp.find('-');
    if (dash == std::string_view::npos || !allDigits(stamp.substr(0, dash)) ||
        !allDigits(stamp.substr(dash + 1)))
        return std::nullopt;
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(stamp.data(), stamp.data() + dash, pid);
    if (error != std::errc() || pid <= 0)
        return std::nullopt;
    return pid;
}

// Only "no such process" means gone: a process of another user answers EPERM and is alive.
bool isGone(pid_t pid)
{
    return pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH;
}

} // namespace

int OrphanedTemporaryFiles::remove(const std::filesystem::path &target)
{
    const std::string targetName = target.filename().string();
    std::error_code error;
    std::filesystem::directory_iterator entries(target.parent_path(), error);
    int removed = 0;
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const auto &path = entries->path();
        const auto writer = writerOf(path.filename().string(), targetName);
        struct stat status {};
        if (!writer || ::lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
            status.st_uid != ::geteuid() || !isGone(*writer))
            continue;
        if (::unlink(path.c_str()) == 0)
            ++removed;
    }
    return removed;
}

} // namespace pulsegrove
