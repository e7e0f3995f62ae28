#include "foundation/SmallFileReader.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace pulsegrove {

namespace {

// Closes the descriptor on every way out of read().
class OpenFile {
public:
    explicit OpenFile(int descriptor) : m_descriptor(descriptor) {}
    ~OpenFile()
    {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }
    OpenFile(const OpenFile &) = delete;
    OpenFile &operator=(const OpenFile &) = delete;
    int get() const { return m_descriptor; }

private:
    int m_descriptor;
};

SmallFileReader::Result outcome(SmallFileReader::Status status, int error = 0)
{
    SmallFileReader::Result result;
    result.status = status;
    result.error = error;
    return result;
}

SmallFileReader::Result openFailure(int error, SmallFileReader::Links links)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR: // a file where a folder on the way should be: nothing of ours is there
        return outcome(SmallFileReader::Status::missing);
    case ELOOP: // with O_NOFOLLOW: the path names a link
        if (links == SmallFileReader::Links::refuse)
            return outcome(SmallFileReader::Status::notRegularFile);
        break;
    case ENXIO:  // a socket, or a device without a driver
    case EISDIR: // cannot happen for a read-only open, kept for clarity
        return outcome(SmallFileReader::Status::notRegularFile);
    default:
        break;
    }
    return outcome(SmallFileReader::Status::failed, error);
}

} // namespace

SmallFileReader::Result SmallFileReader::read(const std::filesystem::path &path, std::size_t sizeLimit,
                                              Links links)
{
    // O_NONBLOCK keeps the open of a FIFO without a writer (or of a slow device) from waiting;
    // O_NOCTTY keeps a terminal put here from becoming ours.
    int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    if (links == Links::refuse)
        flags |= O_NOFOLLOW;
    int descriptor;
    do
        descriptor = ::open(path.c_str(), flags);
    while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0)
        return openFailure(errno, links);
    const OpenFile file(descriptor);

    struct stat status {};
    if (::fstat(file.get(), &status) != 0)
        return outcome(Status::failed, errno);
    if (!S_ISREG(status.st_mode))
        return outcome(Status::notRegularFile);
    Result result;
    result.stamp = FileStamp::of(status);
    if (status.st_size < 0 || static_cast<std::uintmax_t>(status.st_size) > sizeLimit) {
        result.status = Status::tooLarge;
        return result;
    }

    // The size is only a hint: files of /proc and /sys report 0, and a file may grow while it is
    // read. One byte beyond the cap tells "too large" from "exactly the cap".
    const std::size_t readLimit = sizeLimit == SIZE_MAX ? sizeLimit : sizeLimit + 1;
    std::string content;
    content.resize(
        std::min(readLimit, std::max<std::size_t>(static_cast<std::size_t>(status.st_size) + 1, 4096)));
    std::size_t filled = 0;
    for (;;) {
        if (filled == content.size()) {
            if (content.size() == readLimit)
                break;
            content.resize(std::min(readLimit, content.size() * 2));
        }
        const ssize_t count = ::read(file.get(), content.data() + filled, content.size() - filled);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return outcome(Status::failed, errno);
        if (count == 0)
            break;
        filled += static_cast<std::size_t>(count);
    }
    if (filled > sizeLimit) {
        result.status = Status::tooLarge;
        return result;
    }
    content.resize(filled);
    result.status = Status::read;
    result.content = std::move(content);
    return result;
}

std::string SmallFileReader::Result::description(std::size_t sizeLimit) const
{
    switch (status) {
    case Status::read:
        return "read";
    case Status::missing:
        return "missing";
    case Status::notRegularFile:
        return "not a regular file";
    case Status::tooLarge:
        return "larger than " + std::to_string(sizeLimit) + " bytes";
    case Status::failed:
        break;
    }
    return std::error_code(error, std::generic_category()).message();
}

} // namespace pulsegrove
