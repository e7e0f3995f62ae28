#include "stores/QuotaCache.h"

#include "AtomicFile.h"
#include "foundation/UserDirectories.h"

#include <system_error>

namespace pulsegrove {

namespace {

constexpr const char *folderName = "Pulsegrove";
constexpr const char *fileName = "quota-cache.json";

} // namespace

QuotaCache::QuotaCache(const Environment &environment) : m_fileURL(defaultFileURL(environment)) {}

QuotaCache::QuotaCache(std::filesystem::path fileURL) : m_fileURL(std::move(fileURL)) {}

std::filesystem::path QuotaCache::defaultFileURL(const Environment &environment)
{
    if (const auto path = UserDirectories::libraryPath(
            "Library/Application Support/Pulsegrove/quota-cache.json", environment))
        return *path;
    if (const auto home = UserDirectories::homeDirectory(environment))
        return *home / folderName / fileName;
    return {};
}

void QuotaCache::save(const QuotaSnapshot &snapshot) const
{
    if (m_fileURL.empty())
        return;
    std::error_code error;
    std::filesystem::create_directories(m_fileURL.parent_path(), error);
    if (error)
        return;
    try {
        AtomicFile::write(m_fileURL, snapshot.encodeJSON());
    } catch (const std::exception &) {
        // Dropped on purpose: a cache that cannot be written must not disturb the refresh.
    }
}

} // namespace pulsegrove
