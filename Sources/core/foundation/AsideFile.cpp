#include "foundation/AsideFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <system_error>

namespace pulsegrove {

namespace {

// Earlier copies moved aside are kept; past this many the folder is someone's experiment.
constexpr int asideNameAttempts = 100;

std::filesystem::path asideName(const std::filesystem::path &path, int attempt)
{
    auto aside = path;
    aside += attempt == 0 ? ".corrupt" : ".corrupt-" + std::to_string(attempt);
    return aside;
}

// Renames without ever replacing what is at `to` (an earlier copy moved aside, say).
int renameWithoutReplacing(const std::filesystem::path &from, const std::filesystem::path &to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL)
        return errno;
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(to, error)))
        return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

} // namespace

AsideFile::Outcome AsideFile::moveAside(const std::filesystem::path &path)
{
    Outcome outcome{EEXIST, {}};
    for (int attempt = 0; attempt < asideNameAttempts && outcome.error == EEXIST; ++attempt) {
        outcome.aside = asideName(path, attempt);
        outcome.error = renameWithoutReplacing(path, outcome.aside);
    }
    return outcome;
}

} // namespace pulsegrove
