#pragma once

#include "Logger.h"
#include "foundation/FileStamp.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace pulsegrove {

// The in-memory copy of one suite file, shared by every UserDefaults object of that file in the
// process. Nothing the user had is ever lost to a bad moment:
// - the file is re-read whenever its stamp changes, whoever changed it;
// - a read that fails for a passing reason (no descriptor left, a permission fixed a moment
//   later) leaves the suite unread: reads keep the last copy, changes are refused and the file is
//   left alone, and the next access tries again;
// - a file that cannot be used (malformed, not an object, too large, not a regular file) is moved
//   aside to "<file>.corrupt" with a log line before a change replaces it;
// - a change is made under a lock that our other processes honour, on the file as it is then,
//   so concurrent writers keep each other's keys.
class UserDefaultsStorage {
public:
    using Json = nlohmann::json;
    using Change = std::function<void(Json &)>;

    // A real suite is a few kilobytes; a file far larger is not one of ours.
    static constexpr std::size_t fileSizeLimit = 1024 * 1024;

    explicit UserDefaultsStorage(std::filesystem::path path);

    // The shared storage of a file; an empty path gives a private, memory-only storage.
    static std::shared_ptr<UserDefaultsStorage> forPath(const std::filesystem::path &path);

    // The lock file beside a suite file.
    static std::filesystem::path lockFileFor(const std::filesystem::path &path);

    template <typename Result, typename Reader> Result read(Reader reader)
    {
        const std::lock_guard lock(m_mutex);
        refreshIfChanged();
        return reader(m_object);
    }

    // Applies the change to the latest contents of the file and writes the whole suite. False
    // when nothing reached the file; the change then stays in this process only if the write
    // itself failed, and is dropped when the file could not be read or locked.
    bool write(const Change &change, const Logger &logger);
    // Empties the suite and removes its file; false when a file stays.
    bool remove(const Logger &logger);

private:
    enum class FileState { unread, absent, usable, unusable };

    void refreshIfChanged();
    void load();
    void settle(FileState state, std::optional<FileStamp> stamp, std::string problem = {});
    bool moveAside(const Logger &logger);
    bool save(const Logger &logger);
    QString fileName() const;

    std::mutex m_mutex;
    std::filesystem::path m_path;
    Json m_object = Json::object();
    FileState m_state = FileState::unread;
    // The version of the file that m_object reflects (or that was found unusable).
    std::optional<FileStamp> m_stamp;
    // Why the file is unread or unusable, for the log.
    std::string m_problem;
};

} // namespace pulsegrove
