#pragma once

#include <sys/types.h>
#include <vector>

namespace pulsegrove {

// What the system shows of one process group. A member that has exited but waits to be reaped
// (a zombie, as orphans stay where the init process does not reap them) no longer counts.
struct ProcessGroup {
    ProcessGroup() = delete;

    // True while any process of the group still runs. Where /proc cannot be read, any member at
    // all counts, zombies included.
    static bool hasLivingMembers(pid_t group) noexcept;
    // The running members, found in /proc; empty where /proc cannot be read.
    static std::vector<pid_t> livingMembers(pid_t group);
};

} // namespace pulsegrove
