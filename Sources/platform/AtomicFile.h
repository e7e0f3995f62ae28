#pragma once

#include <filesystem>
#include <string_view>
#include <sys/types.h>

namespace pulsegrove {

// Writes a whole file so that a reader sees either the old content or the new one, never a
// mixture: a temporary file in the same folder, flushed to disk, then renamed over the target.
class AtomicFile {
public:
    // Throws std::system_error (its code carries the system's message) when any step fails; the
    // temporary file is removed and the previous file, if any, stays untouched. The file gets
    // exactly `mode`, whatever the umask: what the application writes is its user's alone unless
    // a caller says otherwise. The folder is flushed after the rename so the new name survives a
    // power cut too.
    static void write(const std::filesystem::path &target, std::string_view bytes, mode_t mode = 0600);

    // Removes the file, if there is one, and flushes its folder. Throws std::system_error when
    // a file exists but cannot be removed.
    static void remove(const std::filesystem::path &target);
};

} // namespace pulsegrove
