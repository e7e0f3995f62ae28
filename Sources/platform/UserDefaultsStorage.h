#pragma once

#include "Logger.h"
#include "foundation/FileStamp.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace pulsegrove {

// The in-memory copy of one suite file, shared by every UserDefaults object of that file in the
// process. Reads and changes work on memory only; the file is read once at the first access and
// then only by the process's background file writer, which writes the changes in order and
// coalesced (each write carries every change made since the last one). Nothing the user had is
// ever lost to a bad moment:
// - a write takes a lock that our other processes honour and applies this process's changes to
//   the file as it is then, so concurrent writers keep each other's keys, and the keys another
//   process wrote show up here;
// - a read that fails for a passing reason (no descriptor left, a permission fixed a moment
//   later) fails the write and leaves the file alone;
// - a file that cannot be used (malformed, not an object, too large, not a regular file) is moved
//   aside to "<file>.corrupt" with a log line before a write replaces it; so is a lock file that
//   is not a regular file;
// - a write that fails keeps its changes: the copy still shows them, they go with the next write,
//   and a retry comes after a delay that doubles up to five minutes; a success starts again from
//   the shortest delay, whatever retry an earlier failure left queued. Each kind of failure is
//   logged once (and the observers hear of it once) until a write succeeds. When the writer
//   drains as the process ends, what still waits gets one last try, and the keys that could not
//   be kept are logged.
class UserDefaultsStorage : public std::enable_shared_from_this<UserDefaultsStorage> {
public:
    using Json = nlohmann::json;
    // Called on the writer's thread, never while a lock of the storage is held, when values
    // changed other than by a change of this process (another process's keys were picked up), or
    // when a write failed in a way not reported since the last success (`writeFailed`).
    using Observer = std::function<void(bool writeFailed)>;

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
        loadOnce();
        return reader(m_object);
    }

    // Sets the key to the value, or removes it (no value), in memory at once, and queues the
    // write. False, with nothing changed, when the suite has no file or the change would make
    // the file larger than the reader takes (logged).
    bool change(const std::string &key, std::optional<Json> value, const Logger &logger);
    // Empties the suite at once and queues the removal of its file.
    void remove(const Logger &logger);
    // Queues a read of the file, which picks up what another process changed.
    void reload(const Logger &logger);
    // Waits for every queued write (not for a retry's delay); false when one of this suite failed
    // since the last flush.
    bool flush();

    int addObserver(Observer observer);
    void removeObserver(int token);

private:
    enum class FileState { unread, absent, usable, unusable };
    struct FileRead;
    // What one write carries.
    struct Batch {
        std::map<std::string, std::optional<Json>> changes;
        bool removal = false;
    };
    // Why a write failed, as the log says it.
    struct Failure {
        QString format;
        QStringList arguments;
    };

    void loadOnce();
    FileRead readFile() const;
    void adopt(const FileRead &file);
    void schedule(const Logger &logger);
    void scheduleRetry(const Logger &logger);
    void retry(const Logger &logger, bool lastTry, int series);
    void writeQueued(const Logger &logger, bool lastTry);
    std::optional<Failure> write(const Batch &batch, const Logger &logger);
    void refresh(const Logger &logger);
    bool rebuildCopy();
    void succeeded(const Logger &logger);
    void failed(const Logger &logger, const Failure &failure, Batch batch, bool lastTry);
    void notify(bool writeFailed);
    QString fileName() const;

    std::mutex m_mutex;
    std::filesystem::path m_path;
    // What the process sees: the file as last read or written, with the changes not yet written.
    Json m_object = Json::object();
    Json m_disk = Json::object();
    std::map<std::string, std::optional<Json>> m_pending;
    bool m_pendingRemoval = false;
    bool m_queued = false;
    bool m_failedSinceFlush = false;
    // Failed writes since the last success, whether a retry of them waits, how long the next one
    // waits, and the failure last logged (the same one again is not). Each success starts a new
    // series of failures; a retry queued in an earlier series does nothing when it comes.
    int m_failedAttempts = 0;
    int m_failureSeries = 0;
    bool m_retryQueued = false;
    std::chrono::milliseconds m_retryDelay;
    QString m_loggedFailure;
    bool m_loaded = false;
    FileState m_state = FileState::unread;
    // The version of the file that m_disk reflects (or that was found unusable).
    std::optional<FileStamp> m_stamp;
    // Why the file is unread or unusable, for the log.
    std::string m_problem;

    std::mutex m_observerMutex;
    std::map<int, Observer> m_observers;
    int m_nextObserver = 0;
};

} // namespace pulsegrove
