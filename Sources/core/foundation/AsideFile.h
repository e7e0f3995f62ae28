#pragma once

#include <filesystem>

namespace pulsegrove {

// What cannot be used where the application expects its own file (a malformed suite, a FIFO in
// the lock's place) is kept beside it under the first free ".corrupt" name (".corrupt",
// ".corrupt-1", …), never replacing an earlier copy, so the user can still look at it.
class AsideFile {
public:
    struct Outcome {
        int error = 0; // 0 when moved; EEXIST when every name is taken
        std::filesystem::path aside;
    };

    // The caller keeps its own processes out meanwhile (a lock): on a file system that cannot
    // rename without replacing, a name is checked first and then taken.
    static Outcome moveAside(const std::filesystem::path &path);
};

} // namespace pulsegrove
