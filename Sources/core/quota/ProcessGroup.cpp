#include "quota/ProcessGroup.h"

#include "foundation/SmallFileReader.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <dirent.h>
#include <optional>
#include <signal.h>
#include <string>
#include <string_view>

namespace pulsegrove {

namespace {

struct ProcessStatus {
    char state = '?';
    pid_t group = -1;
};

// "pid (comm) state ppid pgrp ...": the command may hold spaces and parentheses, so the fields
// are counted from the last closing parenthesis.
std::optional<ProcessStatus> statusOf(const char *processFolder)
{
    // One line of a few hundred bytes; the command name is at most 64.
    const auto file = SmallFileReader::read(std::string("/proc/") + processFolder + "/stat", 4096);
    if (!file.isRead())
        return std::nullopt;
    const std::string_view line(file.content);
    const auto close = line.rfind(')');
    if (close == std::string_view::npos || close + 4 > line.size())
        return std::nullopt;
    ProcessStatus status;
    status.state = line[close + 2];
    // Skip the state and the parent's id to reach the group.
    auto field = line.substr(close + 4);
    field.remove_prefix(std::min(field.size(), field.find(' ') + 1));
    const auto end = field.find(' ');
    const auto groupText = field.substr(0, end);
    if (std::from_chars(groupText.data(), groupText.data() + groupText.size(), status.group).ec !=
        std::errc())
        return std::nullopt;
    return status;
}

bool isRunningMemberOf(const ProcessStatus &status, pid_t group)
{
    return status.group == group && status.state != 'Z' && status.state != 'X';
}

// Calls `visit` with each running member until it returns false; false when /proc is unreadable.
template <typename Visit> bool forEachLivingMember(pid_t group, Visit visit)
{
    DIR *folder = ::opendir("/proc");
    if (!folder)
        return false;
    while (const dirent *entry = ::readdir(folder)) {
        if (entry->d_name[0] < '1' || entry->d_name[0] > '9')
            continue;
        const auto status = statusOf(entry->d_name);
        if (status && isRunningMemberOf(*status, group) && !visit(pid_t(std::atol(entry->d_name))))
            break;
    }
    ::closedir(folder);
    return true;
}

} // namespace

bool ProcessGroup::hasLivingMembers(pid_t group) noexcept
{
    // The cheap answer first: no member at all, zombies included.
    if (::kill(-group, 0) != 0)
        return false;
    bool found = false;
    try {
        if (!forEachLivingMember(group, [&](pid_t) { return !(found = true); }))
            return true;
    } catch (const std::exception &) {
        // Out of memory: a member may still run, and waiting for it is the safe side.
        return true;
    }
    return found;
}

std::vector<pid_t> ProcessGroup::livingMembers(pid_t group)
{
    std::vector<pid_t> members;
    forEachLivingMember(group, [&](pid_t member) {
        members.push_back(member);
        return true;
    });
    return members;
}

} // namespace pulsegrove
