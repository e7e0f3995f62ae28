#include "foundation/TrustedPath.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pulsegrove {

namespace {

// As many links as the kernel follows in one path before it gives up with ELOOP.
constexpr int linkLimit = 40;

// What is still to walk, the next name last.
using PendingNames = std::vector<std::string>;

void pushNames(PendingNames &pending, const std::filesystem::path &path)
{
    std::vector<std::string> names;
    for (const auto &name : path.relative_path())
        names.push_back(name.string());
    pending.insert(pending.end(), names.rbegin(), names.rend());
}

std::optional<std::string> ownershipProblem(const std::filesystem::path &path, const struct stat &status,
                                            const TrustedPath::GroupLookup &groups)
{
    if (status.st_uid != 0 && status.st_uid != ::geteuid())
        return path.string() + " belongs to another user (uid " + std::to_string(status.st_uid) + ")";
    if ((status.st_mode & S_IWOTH) != 0 && (status.st_mode & S_ISVTX) != 0)
        return path.string() + " can be written by others (its sticky bit is not enough)";
    if ((status.st_mode & S_IWOTH) != 0)
        return path.string() + " can be written by group or others";
    if ((status.st_mode & S_IWGRP) == 0)
        return std::nullopt;
    // Looked up only here, where it decides, since it may walk the whole user database.
    const auto members = groups(status.st_gid);
    if (members && members->isOnly(status.st_uid))
        return std::nullopt;
    return path.string() + " can be written by group or others (group " + std::to_string(status.st_gid) +
           " is not its owner's alone)";
}

std::string failure(const std::filesystem::path &path, int error)
{
    return path.string() + " cannot be examined: " + std::strerror(error);
}

} // namespace

std::optional<std::string> TrustedPath::distrust(const std::filesystem::path &path, const GroupLookup &groups)
{
    // The system calls would stop at an embedded NUL and examine a shorter path than the one named.
    if (path.native().find('\0') != std::string::npos)
        return failure(path, EINVAL);
    std::error_code error;
    const auto absolute = std::filesystem::absolute(path, error);
    if (error)
        return failure(path, error.value());
    // The walk resolves each link itself, so `current` is always a real folder whose every
    // ancestor has passed: whatever a link names is reached through checked folders only.
    std::filesystem::path current = "/";
    struct stat status {};
    if (::lstat("/", &status) != 0)
        return failure(current, errno);
    if (auto problem = ownershipProblem(current, status, groups))
        return problem;
    PendingNames pending;
    pushNames(pending, absolute);
    int links = 0;
    while (!pending.empty()) {
        const std::string name = std::move(pending.back());
        pending.pop_back();
        if (name.empty() || name == ".")
            continue;
        if (name == "..") {
            current = current.parent_path();
            continue;
        }
        const auto next = current / name;
        // lstat, never stat: a link followed by the kernel would be judged by its target alone,
        // and the folders it leads through would go unchecked.
        if (::lstat(next.c_str(), &status) != 0)
            return failure(next, errno);
        if (S_ISLNK(status.st_mode)) {
            // The link sits in `current`, which has passed, so nobody else can have changed it.
            if (++links > linkLimit)
                return failure(path, ELOOP);
            const auto target = std::filesystem::read_symlink(next, error);
            if (error)
                return failure(next, error.value());
            if (target.is_absolute())
                current = "/";
            pushNames(pending, target);
            continue;
        }
        if (auto problem = ownershipProblem(next, status, groups))
            return problem;
        current = next;
    }
    return std::nullopt;
}

} // namespace pulsegrove
