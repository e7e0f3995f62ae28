#include "HostileFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace pulsegrove::testing {

namespace {

void check(bool succeeded, const std::string &what)
{
    if (!succeeded)
        throw std::system_error(errno, std::generic_category(), what);
}

} // namespace

const std::vector<HostileFile::Kind> &HostileFile::allKinds()
{
    static const std::vector<Kind> kinds = {Kind::fifo, Kind::linkToDevZero, Kind::sparseGigabyte,
                                            Kind::folder, Kind::linkToRegular};
    return kinds;
}

std::string HostileFile::name(Kind kind)
{
    // In the order of Kind.
    static const char *const names[] = {"FIFO", "link to /dev/zero", "1 GiB sparse file", "folder",
                                        "link to a regular file"};
    return names[static_cast<int>(kind)];
}

void HostileFile::place(Kind kind, const std::filesystem::path &path, const std::filesystem::path &linkTarget)
{
    switch (kind) {
    case Kind::fifo:
        check(::mkfifo(path.c_str(), 0600) == 0, "mkfifo");
        return;
    case Kind::linkToDevZero:
        std::filesystem::create_symlink("/dev/zero", path);
        return;
    case Kind::sparseGigabyte: {
        const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        check(descriptor >= 0, "open");
        const bool extended = ::ftruncate(descriptor, off_t{1} << 30) == 0;
        const int error = errno;
        ::close(descriptor);
        errno = error;
        check(extended, "ftruncate");
        return;
    }
    case Kind::folder:
        std::filesystem::create_directory(path);
        check(::close(::open((path / "inside").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600)) == 0,
              "create");
        return;
    case Kind::linkToRegular:
        std::filesystem::create_symlink(linkTarget, path);
        return;
    }
}

} // namespace pulsegrove::testing
