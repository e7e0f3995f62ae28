#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace pulsegrove {

// Whether only root and the effective user can have put a file where it is. Before running a
// program the user did not choose through PATH, every folder met on the way to it (each link
// followed, wherever it leads) and the file itself must belong to root or the user and be
// writable by neither group nor others. A sticky bit does not count: a folder others may add
// entries to is refused, as ssh refuses it for the files it trusts.
class TrustedPath {
public:
    // Nothing when the file is trusted; otherwise one sentence saying which folder or file fails
    // and why. A relative path is taken from the working folder.
    static std::optional<std::string> distrust(const std::filesystem::path &path);
};

} // namespace pulsegrove
