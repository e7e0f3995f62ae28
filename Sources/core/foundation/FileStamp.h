#pragma once

#include <filesystem>
#include <optional>
#include <sys/stat.h>

namespace pulsegrove {

// What identifies one version of a file cheaply. A rename gives a new inode, an edit in place a
// new size or modification time, and any change at all (even one that restores the old
// modification time) a new change time.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    static FileStamp of(const struct stat &status);
    // The stamp of what the path names now, the link itself for a link; nothing when there is
    // nothing (or it cannot be looked at).
    static std::optional<FileStamp> ofPath(const std::filesystem::path &path);

    friend bool operator==(const FileStamp &left, const FileStamp &right);
};

} // namespace pulsegrove
