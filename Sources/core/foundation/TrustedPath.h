#pragma once

#include "foundation/GroupMembership.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace pulsegrove {

// Whether only root and the effective user can have put a file where it is. Before running a
// program the user did not choose through PATH, every folder met on the way to it (each link
// followed, wherever it leads) and the file itself must belong to root or the user and be
// writable by neither others nor a group that anyone but its owner is in. A sticky bit does not
// count: a folder others may add entries to is refused, as ssh refuses it for the files it trusts.
// A group of the owner's alone is allowed, as Debian's ssh allows it: with a private group per
// user and umask 002, the user's own folders (~/.local/bin) are writable by their group.
class TrustedPath {
public:
    // Who is in a group; nothing when that cannot be told, which refuses what the group can write.
    using GroupLookup = std::function<std::optional<GroupMembership>(gid_t group)>;

    // Nothing when the file is trusted; otherwise one sentence saying which folder or file fails
    // and why. A relative path is taken from the working folder.
    static std::optional<std::string> distrust(const std::filesystem::path &path,
                                               const GroupLookup &groups = GroupMembership::lookUp);
};

} // namespace pulsegrove
