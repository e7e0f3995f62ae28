#pragma once

#include <optional>
#include <sys/types.h>
#include <vector>

namespace pulsegrove {

// Who holds a group's rights, as the system's user and group databases say: the users whose
// primary group it is and the users its member list names.
struct GroupMembership {
    std::vector<uid_t> primaryOf;
    std::vector<uid_t> listed;

    // Nothing when the group is unknown or its member list names a user the database does not
    // know. Users a network directory does not list (no enumeration) cannot be counted; as with
    // ssh's same rule, a group is taken to be what the local databases say it is.
    static std::optional<GroupMembership> lookUp(gid_t group);

    // True when `user` is a member and nobody else is: the private group of a user-private-group
    // scheme. A group without members is not, since a set-group-id program may write as it.
    bool isOnly(uid_t user) const;
};

} // namespace pulsegrove
