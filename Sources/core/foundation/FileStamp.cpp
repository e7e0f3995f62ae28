#include "foundation/FileStamp.h"

namespace pulsegrove {

namespace {

bool sameTime(const timespec &left, const timespec &right)
{
    return left.tv_sec == right.tv_sec && left.tv_nsec == right.tv_nsec;
}

} // namespace

FileStamp FileStamp::of(const struct stat &status)
{
    return {status.st_dev, status.st_ino, status.st_size, status.st_mtim, status.st_ctim};
}

std::optional<FileStamp> FileStamp::ofPath(const std::filesystem::path &path)
{
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0)
        return std::nullopt;
    return of(status);
}

bool operator==(const FileStamp &left, const FileStamp &right)
{
    return left.device == right.device && left.inode == right.inode && left.size == right.size &&
           sameTime(left.modified, right.modified) && sameTime(left.changed, right.changed);
}

} // namespace pulsegrove
