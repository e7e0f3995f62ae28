#pragma once

#include "foundation/Environment.h"

#include <filesystem>
#include <optional>

namespace pulsegrove {

// The folder where updates are staged and handed over between versions: "VerifiedUpdates" in
// the caches folder "Pulsegrove". Everything the hand-over writes stays inside it, and nothing
// below its root may be a link that leads out of it.
class UpdateFolder {
public:
    static constexpr const char *libraryRelativePath = "Library/Caches/Pulsegrove/VerifiedUpdates";

    explicit UpdateFolder(std::filesystem::path root) : m_root(std::move(root)) {}
    // The folder for this environment's caches folder; nothing when no home folder is known.
    static std::optional<UpdateFolder> forEnvironment(const Environment &environment);

    const std::filesystem::path &root() const { return m_root; }
    // Where a freshly installed version reports itself healthy.
    std::filesystem::path healthArea() const { return m_root / "health"; }
    std::filesystem::path rollbackNotice() const { return m_root / ".rollback-notice"; }

    // True when `path` is absolute, has no "." or ".." part and lies strictly below `folder`,
    // compared part by part (so "/a/bc" is not inside "/a/b").
    static bool isStrictlyInside(const std::filesystem::path &path, const std::filesystem::path &folder);

    // Makes every missing folder from the root down to `folder` (owner-only) and checks that each
    // part below the root, and the root itself, is a real folder and not a link. False when one
    // is a link or a file, or cannot be made. `folder` must be the root or strictly inside it.
    bool prepareFolder(const std::filesystem::path &folder) const;

private:
    std::filesystem::path m_root;
};

} // namespace pulsegrove
