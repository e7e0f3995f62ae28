#pragma once

#include <filesystem>

namespace pulsegrove::testing {

// A fresh folder under the system's temporary folder, removed with everything in it on destruction.
class TemporaryDirectory {
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory &) = delete;
    TemporaryDirectory &operator=(const TemporaryDirectory &) = delete;

    const std::filesystem::path &path() const { return m_path; }
    // Writes a file below the folder, creating its parent folders.
    std::filesystem::path writeFile(const std::filesystem::path &relativePath, const std::string &content) const;

private:
    std::filesystem::path m_path;
};

} // namespace pulsegrove::testing
