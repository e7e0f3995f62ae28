#include "foundation/UserDirectories.h"

#include <pwd.h>
#include <unistd.h>

namespace pulsegrove {

namespace {

constexpr std::string_view applicationSupportPrefix = "Library/Application Support";
constexpr std::string_view cachesPrefix = "Library/Caches";

std::optional<std::filesystem::path> xdgDirectory(const Environment &environment, const std::string &variable,
                                                  const char *fallbackBelowHome)
{
    // The XDG rules say a relative value is invalid and must be ignored.
    if (const auto value = environment.nonEmptyValue(variable); value && value->front() == '/')
        return std::filesystem::path(*value);
    if (const auto home = UserDirectories::homeDirectory(environment))
        return *home / fallbackBelowHome;
    return std::nullopt;
}

std::optional<std::string_view> remainderAfter(std::string_view path, std::string_view prefix)
{
    if (path.substr(0, prefix.size()) != prefix)
        return std::nullopt;
    std::string_view rest = path.substr(prefix.size());
    if (rest.empty())
        return rest;
    if (rest.front() != '/')
        return std::nullopt;
    return rest.substr(1);
}

std::optional<std::filesystem::path> joined(std::optional<std::filesystem::path> base, std::string_view rest)
{
    if (!base || rest.empty())
        return base;
    return *base / rest;
}

} // namespace

std::optional<std::filesystem::path> UserDirectories::homeDirectory(const Environment &environment)
{
    if (const auto home = environment.nonEmptyValue("HOME"))
        return std::filesystem::path(*home);
    if (const passwd *entry = getpwuid(getuid()); entry && entry->pw_dir && *entry->pw_dir)
        return std::filesystem::path(entry->pw_dir);
    return std::nullopt;
}

std::optional<std::filesystem::path> UserDirectories::applicationSupportDirectory(const Environment &environment)
{
    return xdgDirectory(environment, "XDG_DATA_HOME", ".local/share");
}

std::optional<std::filesystem::path> UserDirectories::cachesDirectory(const Environment &environment)
{
    return xdgDirectory(environment, "XDG_CACHE_HOME", ".cache");
}

std::optional<std::filesystem::path> UserDirectories::configDirectory(const Environment &environment)
{
    return xdgDirectory(environment, "XDG_CONFIG_HOME", ".config");
}

std::optional<std::filesystem::path> UserDirectories::libraryPath(std::string_view homeRelativePath,
                                                                  const Environment &environment)
{
    if (const auto rest = remainderAfter(homeRelativePath, applicationSupportPrefix))
        return joined(applicationSupportDirectory(environment), *rest);
    if (const auto rest = remainderAfter(homeRelativePath, cachesPrefix))
        return joined(cachesDirectory(environment), *rest);
    const auto home = homeDirectory(environment);
    return home ? std::optional(*home / homeRelativePath) : std::nullopt;
}

} // namespace pulsegrove
