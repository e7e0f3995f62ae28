#include "foundation/GroupMembership.h"

#include <algorithm>
#include <cerrno>
#include <grp.h>
#include <mutex>
#include <pwd.h>
#include <string>

namespace pulsegrove {

namespace {

// Runs a reentrant lookup (getpwnam_r, getgrgid_r) with a buffer that grows until the entry fits,
// and hands the entry to `use` while its buffer lives. False when there is no such entry or it
// cannot be read.
template <typename Entry, typename Lookup, typename Use> bool withEntry(Lookup lookup, Use use)
{
    Entry entry{};
    Entry *found = nullptr;
    for (std::size_t size = 4096; size <= std::size_t{1} << 20; size *= 4) {
        std::vector<char> buffer(size);
        const int error = lookup(&entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE)
            continue;
        if (error != 0 || !found)
            return false;
        use(entry);
        return true;
    }
    return false;
}

std::optional<uid_t> userNamed(const std::string &name)
{
    std::optional<uid_t> user;
    withEntry<passwd>(
        [&](passwd *entry, char *buffer, std::size_t size, passwd **found) {
            return ::getpwnam_r(name.c_str(), entry, buffer, size, found);
        },
        [&](const passwd &entry) { user = entry.pw_uid; });
    return user;
}

// The walk through the user database keeps its place in the C library, one for the process.
std::vector<uid_t> usersWithPrimaryGroup(gid_t group)
{
    static std::mutex walk;
    const std::lock_guard lock(walk);
    std::vector<uid_t> users;
    ::setpwent();
    while (const passwd *entry = ::getpwent()) {
        if (entry->pw_gid == group)
            users.push_back(entry->pw_uid);
    }
    ::endpwent();
    return users;
}

} // namespace

std::optional<GroupMembership> GroupMembership::lookUp(gid_t group)
{
    std::vector<std::string> names;
    const bool known = withEntry<struct group>(
        [&](struct group *entry, char *buffer, std::size_t size, struct group **found) {
            return ::getgrgid_r(group, entry, buffer, size, found);
        },
        [&](const struct group &entry) {
            for (char **name = entry.gr_mem; name && *name; ++name)
                names.emplace_back(*name);
        });
    if (!known)
        return std::nullopt;
    GroupMembership membership;
    for (const auto &name : names) {
        const auto user = userNamed(name);
        if (!user)
            return std::nullopt;
        membership.listed.push_back(*user);
    }
    membership.primaryOf = usersWithPrimaryGroup(group);
    return membership;
}

bool GroupMembership::isOnly(uid_t user) const
{
    const auto isUser = [user](uid_t member) { return member == user; };
    const bool hasMembers = !primaryOf.empty() || !listed.empty();
    return hasMembers && std::all_of(primaryOf.begin(), primaryOf.end(), isUser) &&
           std::all_of(listed.begin(), listed.end(), isUser);
}

} // namespace pulsegrove
