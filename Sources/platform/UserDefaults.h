#pragma once

#include "foundation/Environment.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pulsegrove {

class Logger;
class SystemLog;
class UserDefaultsStorage;

// A named suite of typed preferences stored as one JSON object in
// $XDG_CONFIG_HOME/Pulsegrove/<suite>.json. Values keep their JSON type (bool, number, string,
// list of strings); reading a key under another type gives nothing.
//
// Reads and setters work on memory and never wait on the disk: a setter's value is seen at once
// by every object of the suite in the process, and the process's background file writer takes it
// to the file in order, coalesced, atomically, under a lock beside the file (<suite>.json.lock)
// that our other processes honour, on the file's contents as they are at that moment (so other
// processes' keys survive, and show up here). The file is read at the first access, before each
// write and on reload(); never by a read, so drawing can read preferences freely.
//
// No preference is lost to a bad file or a bad moment: a file that cannot be read for a passing
// reason makes writes fail (the file stays as it is) until it can; a file that cannot be used
// (malformed, too large, not a regular file) reads as an empty suite and is moved aside to
// <suite>.json.corrupt, with a log line, before the next write replaces it. A write that fails
// (a lock held elsewhere, a full disk, a folder read-only for a while) is never dropped while the
// process runs: the suite keeps showing the change, which goes with the next write and is retried
// after a growing delay; each kind of failure is logged once, and observers hear of it. As the
// process ends, what still waits gets one more try and the keys that could not be kept are logged.
class UserDefaults {
public:
    static constexpr const char *standardSuiteName = "io.velorn.Pulsegrove";

    // The standard suite of this process, its folder taken from the process environment
    // (XDG_CONFIG_HOME, else HOME). The environment of a running application does not change, so
    // this is one object; a test that points XDG_CONFIG_HOME elsewhere gets that folder's suite.
    static std::shared_ptr<UserDefaults> standard();

    // Any suite name is safe: characters that could leave the folder or hide the file are
    // escaped in the file name.
    UserDefaults(std::string suiteName, const Environment &environment,
                 std::shared_ptr<SystemLog> log = nullptr);
    ~UserDefaults();
    UserDefaults(const UserDefaults &) = delete;
    UserDefaults &operator=(const UserDefaults &) = delete;

    const std::string &suiteName() const { return m_suiteName; }
    // Empty when neither XDG_CONFIG_HOME nor a home folder is known: the suite then lives in
    // memory only and every write reports failure.
    const std::filesystem::path &fileURL() const { return m_fileURL; }

    std::optional<bool> boolValue(std::string_view key) const;
    std::optional<double> numberValue(std::string_view key) const;
    std::optional<std::string> stringValue(std::string_view key) const;
    // Nothing unless the value is a list whose elements are all texts.
    std::optional<std::vector<std::string>> stringListValue(std::string_view key) const;
    bool containsKey(std::string_view key) const;

    // Each setter changes the suite in memory and queues the write of the whole file. They return
    // false, changing nothing, when the suite has no file, when the file would grow past the
    // 1 MiB its readers take (logged), or, for setNumber, when the number is not finite and so
    // has no JSON form. A write that fails later keeps the change for a retry and is reported to
    // the observers and by flush().
    bool setBool(std::string_view key, bool value);
    bool setNumber(std::string_view key, double value);
    bool setString(std::string_view key, std::string_view value);
    bool setStringList(std::string_view key, const std::vector<std::string> &value);

    // Empties the named suite (this one or another in the same folder) at once and queues the
    // removal of its file.
    void removePersistentDomain(std::string_view suiteName);

    // Queues a read of the file, so what another process changed shows up (observers hear of it).
    void reload();
    // Waits until every queued write of the process is done (a retry's delay is not waited for);
    // false when a write of this suite failed since the last flush.
    bool flush();
    // Waits until every queued write of the process is done.
    static void flushAll();

    // The observer is called on the writer's thread (never from a setter) when the suite's values
    // changed other than by a setter of this process (another process's change was picked up), or
    // when a write failed in a way not reported since the last write that succeeded
    // (`writeFailed`; the change waits for a retry). No call is running once stopObserving returns.
    int observeChanges(std::function<void(bool writeFailed)> observer);
    void stopObserving(int token);

    // The file name that holds a suite: the name with '%', '/', control characters and a leading
    // '.' percent-escaped, followed by ".json".
    static std::string fileNameForSuite(std::string_view suiteName);

private:
    bool set(std::string_view key, std::optional<nlohmann::json> value);

    std::string m_suiteName;
    std::filesystem::path m_directory;
    std::filesystem::path m_fileURL;
    std::unique_ptr<Logger> m_logger;
    std::shared_ptr<UserDefaultsStorage> m_storage;
};

} // namespace pulsegrove
