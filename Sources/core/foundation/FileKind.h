#pragma once

#include <string>
#include <sys/types.h>

namespace pulsegrove {

// What stands at a path, in the words of a log line that says why it was not used.
class FileKind {
public:
    // For a mode from lstat: "a link", "a folder", "a FIFO (named pipe)", "a socket", "a device"
    // or "a regular file".
    static std::string describe(mode_t mode);
};

} // namespace pulsegrove
