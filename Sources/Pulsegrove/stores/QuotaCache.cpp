#include "stores/QuotaCache.h"

#include "AtomicFile.h"
#include "BackgroundFileWriter.h"
#include "Logger.h"
#include "foundation/PrivateFolder.h"
#include "foundation/UserDirectories.h"

#include <mutex>
#include <optional>
#include <system_error>

namespace pulsegrove {

// The bytes of the latest snapshot not yet written, and the failure last logged; shared with the
// queued write, which may outlive the cache.
struct QuotaCache::Pending {
    explicit Pending(std::shared_ptr<SystemLog> log) : logger(std::move(log), QStringLiteral("quota")) {}

    std::mutex mutex;
    std::optional<std::string> bytes;
    // Touched only by the writer's thread.
    Logger logger;
    QString loggedFailure;
};

namespace {

// Why the write failed, or nothing.
std::optional<QString> writeFile(const std::filesystem::path &fileURL, const std::string &bytes)
{
    // The cache's folder also holds the codex override, which is only trusted in a folder nobody
    // else can write to.
    if (const auto error = PrivateFolder::create(fileURL.parent_path()))
        return QString::fromStdString(error.message());
    try {
        AtomicFile::write(fileURL, bytes);
    } catch (const std::system_error &error) {
        return QString::fromStdString(error.code().message());
    }
    return std::nullopt;
}

} // namespace

QuotaCache::QuotaCache(const Environment &environment, std::shared_ptr<SystemLog> log)
    : QuotaCache(defaultFileURL(environment), std::move(log))
{
}

QuotaCache::QuotaCache(std::filesystem::path fileURL, std::shared_ptr<SystemLog> log)
    : m_fileURL(std::move(fileURL)), m_pending(std::make_shared<Pending>(std::move(log)))
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
        // The refresh goes on either way; the log tells once why the next start shows no quota.
        const auto failure = writeFile(fileURL, bytes);
        const QString previous = std::exchange(pending->loggedFailure, failure.value_or(QString()));
        if (failure && *failure != previous)
            pending->logger.error(QStringLiteral("The quota cache %{public}s could not be saved: %{public}s"),
                                  {QString::fromStdString(fileURL.filename().string()), *failure});
    });
}

void QuotaCache::flush()
{
    BackgroundFileWriter::shared().flush();
}

} // namespace pulsegrove
