#include "update/UpdateFolder.h"

#include "foundation/PrivateFolder.h"
#include "foundation/UserDirectories.h"

#include <cerrno>
#include <sys/stat.h>
#include <system_error>

namespace pulsegrove {

namespace {

// Makes the folder when it is missing; true when a real folder (never a link) is there now.
bool ensureRealFolder(const std::filesystem::path &folder)
{
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0) {
        if (errno != ENOENT || ::mkdir(folder.c_str(), 0700) != 0)
            return false;
        if (::lstat(folder.c_str(), &status) != 0)
            return false;
    }
    return S_ISDIR(status.st_mode);
}

} // namespace

std::optional<UpdateFolder> UpdateFolder::forEnvironment(const Environment &environment)
{
    if (auto root = UserDirectories::libraryPath(libraryRelativePath, environment))
        return UpdateFolder(std::move(*root));
    return std::nullopt;
}

bool UpdateFolder::isStrictlyInside(const std::filesystem::path &path, const std::filesystem::path &folder)
{
    if (!path.is_absolute() || !folder.is_absolute())
        return false;
    for (const auto &part : path) {
        if (part == "." || part == "..")
            return false;
    }
    // Both compared in their normal form, so "a//b" and "a/b/" read as "a/b".
    const auto normalPath = path.lexically_normal();
    auto normalFolder = folder.lexically_normal();
    if (!normalFolder.has_filename())
        normalFolder = normalFolder.parent_path();
    auto pathPart = normalPath.begin();
    for (const auto &folderPart : normalFolder) {
        if (pathPart == normalPath.end() || *pathPart != folderPart)
            return false;
        ++pathPart;
    }
    // At least one more part, and not just the empty part of a trailing slash.
    for (; pathPart != normalPath.end(); ++pathPart) {
        if (!pathPart->empty())
            return true;
    }
    return false;
}

bool UpdateFolder::prepareFolder(const std::filesystem::path &folder) const
{
    const auto normalFolder = folder.lexically_normal();
    const auto normalRoot = m_root.lexically_normal();
    if (normalFolder != normalRoot && !isStrictlyInside(normalFolder, normalRoot))
        return false;
    // The folders above the root are the user's own (a linked ~/.cache is common); they are made
    // when missing but not inspected.
    if (PrivateFolder::create(normalRoot.parent_path()))
        return false;
    if (!ensureRealFolder(normalRoot))
        return false;
    std::filesystem::path current = normalRoot;
    for (const auto &part : normalFolder.lexically_relative(normalRoot)) {
        if (part.empty() || part == ".")
            continue;
        current /= part;
        if (!ensureRealFolder(current))
            return false;
    }
    return true;
}

} // namespace pulsegrove
