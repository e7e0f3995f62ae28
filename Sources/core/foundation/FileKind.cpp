#include "foundation/FileKind.h"

#include <sys/stat.h>

namespace pulsegrove {

std::string FileKind::describe(mode_t mode)
{
    if (S_ISLNK(mode))
        return "a link";
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO (named pipe)";
    if (S_ISSOCK(mode))
        return "a socket";
    return S_ISREG(mode) ? "a regular file" : "a device";
}

} // namespace pulsegrove
