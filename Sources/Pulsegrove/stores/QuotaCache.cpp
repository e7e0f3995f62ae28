#include "stores/QuotaCache.h"

#include "AtomicFile.h"
#include "foundation/PrivateFolder.h"
#include "foundation/UserDirectories.h"

#include <system_error>

namespace pulsegrove {

QuotaCache::QuotaCache(const Environment &environment) : m_fileURL(defaultFileURL(environment)) {}

QuotaCache::QuotaCache(std::filesystem::path fileURL) : m_fileURL(std::move(fileURL)) {}

std::filesystem::path QuotaCache::defaultFileURL(const Environment &environment)
{
    // The data folder is $XDG_DATA_HOME or lies below the home folder, so there is one whenever a
    // home is known; without either there is nowhere to keep the file (an empty path).
    return UserDirectories::libraryPath("Library/Application Support/Pulsegrove/quota-cache.json", environment)
        .value_or(std::filesystem::path());
}

void QuotaCache::save(const QuotaSnapshot &snapshot) const
{
    if (m_fileURL.empty())
        return;
    // The cache's folder also holds the codex override, which is only trusted in a folder nobody
    // else can write to.
    if (PrivateFolder::create(m_fileURL.parent_path()))
        return;
    try {
        AtomicFile::write(m_fileURL, snapshot.encodeJSON());
    } catch (const std::exception &) {
        // Dropped on purpose: a cache that cannot be written must not disturb the refresh.
    }
}

} // namespace pulsegrove
