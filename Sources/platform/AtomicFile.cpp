#include "AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace pulsegrove {

namespace {

[[noreturn]] void throwErrno(int error)
{
    throw std::system_error(error, std::generic_category());
}

// A name beside the target that no other writer of this process or another uses at the same time.
std::filesystem::path temporaryPathFor(const std::filesystem::path &target)
{
    static std::atomic<unsigned> counter{0};
    // Built by appending to one string: GCC 12 at -O3 reports a false -Wrestrict overlap in the
    // inlined code of chained operator+ on temporaries.
    std::string name(1, '.');
    name.append(target.filename().string());
    name.append(1, '.');
    name.append(std::to_string(getpid()));
    name.append(1, '-');
    name.append(std::to_string(counter++));
    name.append(".tmp");
    return target.parent_path() / name;
}

void writeAll(int descriptor, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throwErrno(errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

// Opens a fresh temporary file; O_EXCL guarantees we never write into someone else's file.
std::pair<int, std::filesystem::path> createTemporary(const std::filesystem::path &target, mode_t mode)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto path = temporaryPathFor(target);
        const int descriptor =
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
        if (descriptor >= 0)
            return {descriptor, std::move(path)};
        if (errno != EEXIST)
            throwErrno(errno);
    }
    throwErrno(EEXIST);
}

// Best effort: the file's own data is already on disk, and a folder that cannot be flushed
// (some file systems refuse) still holds the renamed file.
void syncFolder(const std::filesystem::path &folder)
{
    const int descriptor = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return;
    ::fsync(descriptor);
    ::close(descriptor);
}

} // namespace

void AtomicFile::write(const std::filesystem::path &target, std::string_view bytes, mode_t mode)
{
    if (target.empty() || !target.has_filename())
        throwErrno(EINVAL);
    auto [descriptor, temporary] = createTemporary(target, mode);
    try {
        // The umask may have taken bits away, or a umask of 000 left them all for the world.
        if (::fchmod(descriptor, mode) != 0)
            throwErrno(errno);
        writeAll(descriptor, bytes);
        if (::fsync(descriptor) != 0)
            throwErrno(errno);
        const int closed = ::close(descriptor);
        descriptor = -1;
        if (closed != 0)
            throwErrno(errno);
        if (::rename(temporary.c_str(), target.c_str()) != 0)
            throwErrno(errno);
    } catch (...) {
        if (descriptor >= 0)
            ::close(descriptor);
        ::unlink(temporary.c_str());
        throw;
    }
    syncFolder(target.parent_path());
}

void AtomicFile::remove(const std::filesystem::path &target)
{
    if (::unlink(target.c_str()) != 0) {
        if (errno == ENOENT)
            return;
        throwErrno(errno);
    }
    syncFolder(target.parent_path());
}

} // namespace pulsegrove
