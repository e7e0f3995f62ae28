#pragma once

#include "foundation/Environment.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace pulsegrove {

// Where the user's files live on a freedesktop system. The application names its folders by the
// library-relative paths "Library/Application Support" and "Library/Caches"; every such path goes
// through libraryPath(), which maps them to $XDG_DATA_HOME and $XDG_CACHE_HOME.
class UserDirectories {
public:
    // HOME when set and not empty, else the account's home from the password database.
    static std::optional<std::filesystem::path> homeDirectory(const Environment &environment);
    // $XDG_DATA_HOME when it is an absolute path, else <home>/.local/share.
    static std::optional<std::filesystem::path> applicationSupportDirectory(const Environment &environment);
    // $XDG_CACHE_HOME when it is an absolute path, else <home>/.cache.
    static std::optional<std::filesystem::path> cachesDirectory(const Environment &environment);
    // $XDG_CONFIG_HOME when it is an absolute path, else <home>/.config.
    static std::optional<std::filesystem::path> configDirectory(const Environment &environment);

    // Maps "Library/Application Support/<rest>" and "Library/Caches/<rest>" to the folders above;
    // any other relative path is taken under the home folder unchanged.
    static std::optional<std::filesystem::path> libraryPath(std::string_view homeRelativePath,
                                                            const Environment &environment);
};

} // namespace pulsegrove
