#include "stores/QuotaCache.h"

#include "AtomicFile.h"
#include "BackgroundFileWriter.h"
#include "foundation/PrivateFolder.h"
#include "foundation/UserDirectories.h"

#include <mutex>
#include <optional>
#include <system_error>

namespace pulsegrove {

// The bytes of the latest snapshot not yet written; shared with the queued write, which may
// outlive the cache.
struct QuotaCache::Pending {
    std::mutex mutex;
    std::optional<std::string> bytes;
};

namespace {

void writeFile(const std::filesystem::path &fileURL, const std::string &bytes)
{
    // The cache's folder also holds the codex override, which is only trusted in a folder nobody
    // else can write to.
    if (PrivateFolder::create(fileURL.parent_path()))
        return;
    try {
        AtomicFile::write(fileURL, bytes);
    } catch (const std::exception &) {
        // Dropped on purpose: a cache that cannot be written must not disturb the refresh.
    }
}

} // namespace

QuotaCache::QuotaCache(const Environment &environment) : QuotaCache(defaultFileURL(environment)) {}

QuotaCache::QuotaCache(std::filesystem::path fileURL)
    : m_fileURL(std::move(fileURL)), m_pending(std::make_shared<Pending>())
{
}

std::filesystem::path QuotaCache::defaultFileURL(const Environment &environment)
{
    // The data folder is $XDG_DATA_HOME or lies below the home folder, so there is one whenever a
    // home is known; without either there is nowhere to keep the file (an empty path).
    return UserDirectories::libraryPath("Library/Application Support/Pulsegrove/quota-cache.json",
                                        environment)
        .value_or(std::filesystem::path());
}

void QuotaCache::save(const QuotaSnapshot &snapshot) const
{
    if (m_fileURL.empty())
        return;
    {
        const std::lock_guard lock(m_pending->mutex);
        const bool queued = m_pending->bytes.has_value();
        m_pending->bytes = snapshot.encodeJSON();
        if (queued)
            return;
    }
    BackgroundFileWriter::shared().enqueue([fileURL = m_fileURL, pending = m_pending] {
        std::string bytes;
        {
            const std::lock_guard lock(pending->mutex);
            bytes = std::move(*pending->bytes);
            pending->bytes.reset();
        }
        writeFile(fileURL, bytes);
    });
}

void QuotaCache::flush()
{
    BackgroundFileWriter::shared().flush();
}

} // namespace pulsegrove
