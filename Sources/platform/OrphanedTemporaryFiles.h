#pragma once

#include <filesystem>

namespace pulsegrove {

// The temporary files that AtomicFile left beside a target when its writer was killed between
// creating and renaming one (".<name>.<pid>-<n>.tmp"). Nothing else would ever remove them.
class OrphanedTemporaryFiles {
public:
    // Removes those of `target` whose writer process is gone: only names of exactly that form,
    // only regular files (a link is not followed) that belong to this user, never one of a
    // process that is still running (nor of this process). Returns how many went.
    static int remove(const std::filesystem::path &target);
};

} // namespace pulsegrove
