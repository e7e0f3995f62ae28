#include "foundation/PrivateFolder.h"

#include <cerrno>
#include <unistd.h>

namespace pulsegrove {

namespace {

std::error_code systemError(int error)
{
    return {error, std::generic_category()};
}

// The umask can only take bits away, and a umask of 0700 would leave the owner out too: the mode
// is set again on the new folder itself.
std::error_code makeFolder(const std::filesystem::path &folder)
{
    if (::mkdir(folder.c_str(), 0700) != 0)
        return systemError(errno);
    if (::chmod(folder.c_str(), 0700) != 0)
        return systemError(errno);
    return {};
}

} // namespace

std::error_code PrivateFolder::create(const std::filesystem::path &folder)
{
    if (folder.empty())
        return {};
    struct stat status {};
    if (::stat(folder.c_str(), &status) == 0)
        return S_ISDIR(status.st_mode) ? std::error_code() : systemError(ENOTDIR);
    if (errno != ENOENT)
        return systemError(errno);
    const auto parent = folder.parent_path();
    if (parent != folder) {
        if (const auto error = create(parent))
            return error;
    }
    const auto error = makeFolder(folder);
    // Another process made it meanwhile: fine when it is a folder.
    if (error == std::errc::file_exists && ::stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode))
        return {};
    return error;
}

std::error_code PrivateFolder::createOwnerOnly(const std::filesystem::path &folder)
{
    if (const auto error = makeFolder(folder); error && error != std::errc::file_exists)
        return error;
    return checkOwnerOnly(folder);
}

std::error_code PrivateFolder::checkOwnerOnly(const std::filesystem::path &folder)
{
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0)
        return systemError(errno);
    if (!S_ISDIR(status.st_mode))
        return systemError(ENOTDIR);
    if (status.st_uid != ::geteuid() || (status.st_mode & 077) != 0)
        return systemError(EPERM);
    return {};
}

bool PrivateFolder::isOwnedAndGuarded(const struct stat &status)
{
    return status.st_uid == ::geteuid() && (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

} // namespace pulsegrove
