#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace pulsegrove::testing {

// Things a user (or an attacker with write access to the user's folders) can put where the
// application expects one of its small files. Each must be refused quickly, without blocking,
// without holding more than the reader's cap, and without losing what was there before.
struct HostileFile {
    enum class Kind {
        fifo,           // a named pipe nobody writes to: a blocking open waits for ever
        linkToDevZero,  // a link to an endless device
        sparseGigabyte, // a regular file of 1 GiB that takes no disk space
        folder,         // a folder with a file inside
        linkToRegular,  // a link to a small, well-formed-looking regular file
    };

    static const std::vector<Kind> &allKinds();
    static std::string name(Kind kind);
    // Puts the thing at `path` (whose folder must exist); throws std::system_error on failure.
    // `linkTarget` is the regular file that linkToRegular points at.
    static void place(Kind kind, const std::filesystem::path &path,
                      const std::filesystem::path &linkTarget = {});
};

} // namespace pulsegrove::testing
