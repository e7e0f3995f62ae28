#pragma once

#include "PlatformFactory.h"
#include "foundation/Environment.h"
#include "quota/QuotaSnapshot.h"

#include <filesystem>
#include <memory>

namespace pulsegrove {

// The last good quota in one file, "Pulsegrove/quota-cache.json" in the user's Application
// Support folder, so the next start can show it at once (as stale) before the first live refresh.
// The quota store reads the file once at construction; this class only writes it.
class QuotaCache {
public:
    // The file in the Application Support (XDG data) folder of the given environment. Failed
    // saves go to `log`, the process's system log unless told otherwise.
    explicit QuotaCache(const Environment &environment = Environment::current(),
                        std::shared_ptr<SystemLog> log = PlatformFactory::sharedSystemLog());
    // A cache at a place of the caller's choosing (an empty path keeps nothing).
    explicit QuotaCache(std::filesystem::path fileURL,
                        std::shared_ptr<SystemLog> log = PlatformFactory::sharedSystemLog());

    const std::filesystem::path &fileURL() const { return m_fileURL; }

    // Encodes the snapshot and leaves the writing to the process's background file writer, which
    // creates the folder and replaces the file atomically; snapshots saved faster than the disk
    // takes them are coalesced, the latest wins. A failure keeps the previous file, if any, as it
    // was and is logged, once until a save succeeds again; the next successful refresh tries again.
    void save(const QuotaSnapshot &snapshot) const;
    // Waits until the saved snapshot is on disk (or its write failed).
    static void flush();

    static std::filesystem::path defaultFileURL(const Environment &environment);

private:
    struct Pending;

    std::filesystem::path m_fileURL;
    std::shared_ptr<Pending> m_pending;
};

} // namespace pulsegrove
