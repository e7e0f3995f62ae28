#pragma once

#include "foundation/FileStamp.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace pulsegrove {

// Reads a small regular file whole, safely, whatever has been put at its path: the open never
// blocks (a FIFO or a device is seen and refused, not waited on), only a regular file is read,
// and never more than the caller's cap is held in memory (a link to /dev/zero, a sparse file of
// a gigabyte or a file that keeps growing all stop at the cap).
class SmallFileReader {
public:
    // Files in the user's folders are the application's own and never need a link; entries of
    // /proc and /sys, /etc/localtime and the like are links by design.
    enum class Links { refuse, follow };

    enum class Status {
        read,           // content holds the whole file
        missing,        // nothing at the path (or a folder on the way is missing)
        notRegularFile, // a folder, FIFO, device, socket, or a link where links are refused
        tooLarge,       // a regular file bigger than the cap
        failed,         // the open or a read failed for another reason, in error: it may pass
    };

    struct Result {
        Status status = Status::failed;
        std::string content;
        // The errno of a failed open or read; 0 otherwise.
        int error = 0;
        // The opened file's stamp, taken before reading: set for read and tooLarge.
        std::optional<FileStamp> stamp;

        bool isRead() const { return status == Status::read; }
        // One short English phrase for logs, such as "larger than 1048576 bytes".
        std::string description(std::size_t sizeLimit) const;
    };

    static Result read(const std::filesystem::path &path, std::size_t sizeLimit, Links links = Links::refuse);
};

} // namespace pulsegrove
