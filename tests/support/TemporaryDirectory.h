#pragma once

#include <filesystem>
#include <string>

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
    std::filesystem::path writeFile(const std::filesystem::path &relativePath,
                                    const std::string &content) const;
    // The whole file, or nothing when it cannot be read.
    static std::string readFile(const std::filesystem::path &path);
    // Run before each folder goes: a test main whose code writes in the background lets those
    // writes land first, so none recreates a removed folder.
    static void setBeforeRemoval(void (*hook)());

private:
    std::filesystem::path m_path;
};

} // namespace pulsegrove::testing
