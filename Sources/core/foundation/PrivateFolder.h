#pragma once

#include <filesystem>
#include <sys/stat.h>
#include <system_error>

namespace pulsegrove {

// Folders only their user can enter. Whatever the process umask, a folder made here is 0700, so
// a file the application writes and later trusts (the codex override beside the quota cache, the
// single-instance socket) cannot be replaced by anyone else.
class PrivateFolder {
public:
    // Makes `folder` and every missing folder above it, each new one 0700. Folders that already
    // exist are left as they are: the user's own ~/.config or ~/.cache may be shared on purpose.
    static std::error_code create(const std::filesystem::path &folder);

    // Checks without following a link that `folder` is a real folder of the effective user with
    // no access for group or others. Anything else is refused with EPERM (not ours, or open to
    // others) or ENOTDIR (a link, a file).
    static std::error_code checkOwnerOnly(const std::filesystem::path &folder);
    // Makes `folder` when missing (its parent must exist), then checks it as checkOwnerOnly does.
    static std::error_code createOwnerOnly(const std::filesystem::path &folder);

    // Whether what `status` describes belongs to the effective user and nobody else may change it
    // (no write permission for group or others).
    static bool isOwnedAndGuarded(const struct stat &status);
};

} // namespace pulsegrove
