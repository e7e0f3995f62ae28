#include "UserDefaultsStorage.h"

#include "AtomicFile.h"
#include "InterProcessLock.h"
#include "foundation/BoundedJSONParser.h"
#include "foundation/PrivateFolder.h"
#include "foundation/SmallFileReader.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <system_error>

namespace pulsegrove {

namespace {

// Another process of ours holds the lock only while it reads and writes a few kilobytes.
constexpr std::chrono::milliseconds lockPatience{3000};
// Earlier copies moved aside are kept; past this many the folder is someone's experiment.
constexpr int asideNameAttempts = 100;

QString systemMessage(int error)
{
    return QString::fromStdString(std::error_code(error, std::generic_category()).message());
}

std::filesystem::path asideName(const std::filesystem::path &path, int attempt)
{
    auto aside = path;
    aside += attempt == 0 ? ".corrupt" : ".corrupt-" + std::to_string(attempt);
    return aside;
}

// Renames without ever replacing what is at `to` (an earlier copy moved aside, say).
int renameWithoutReplacing(const std::filesystem::path &from, const std::filesystem::path &to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL)
        return errno;
    // A file system without the flag: the suite's lock keeps our own writers out meanwhile.
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(to, error)))
        return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

} // namespace

UserDefaultsStorage::UserDefaultsStorage(std::filesystem::path path) : m_path(std::move(path)) {}

std::shared_ptr<UserDefaultsStorage> UserDefaultsStorage::forPath(const std::filesystem::path &path)
{
    if (path.empty())
        return std::make_shared<UserDefaultsStorage>(path);
    static std::mutex registryMutex;
    static std::map<std::filesystem::path, std::weak_ptr<UserDefaultsStorage>> registry;
    const std::lock_guard lock(registryMutex);
    if (auto storage = registry[path].lock())
        return storage;
    // Forget suites nobody holds any more, so short-lived suites do not pile up.
    std::erase_if(registry, [](const auto &entry) { return entry.second.expired(); });
    auto storage = std::make_shared<UserDefaultsStorage>(path);
    registry[path] = storage;
    return storage;
}

std::filesystem::path UserDefaultsStorage::lockFileFor(const std::filesystem::path &path)
{
    auto lockFile = path;
    lockFile += ".lock";
    return lockFile;
}

bool UserDefaultsStorage::write(const Change &change, const Logger &logger)
{
    const std::lock_guard lock(m_mutex);
    if (m_path.empty()) {
        change(m_object);
        return false;
    }
    // The folder is created on the first write. Without one the change can live in memory only,
    // on top of what this process knows of the file.
    const std::error_code folderError = PrivateFolder::create(m_path.parent_path());
    if (folderError) {
        refreshIfChanged();
        change(m_object);
        logger.error(QStringLiteral("Preferences %{public}s could not be saved: %{public}s"),
                     {fileName(), QString::fromStdString(folderError.message())});
        return false;
    }
    const InterProcessLock fileLock(lockFileFor(m_path), lockPatience);
    if (!fileLock.isLocked()) {
        logger.error(QStringLiteral(
                         "Preferences %{public}s could not be locked (%{public}s); the change was not saved"),
                     {fileName(), systemMessage(fileLock.error())});
        return false;
    }
    // Another process may have written since this one last looked.
    load();
    if (m_state == FileState::unread) {
        logger.error(
            QStringLiteral("Preferences %{public}s could not be read (%{public}s); the change was not saved"),
            {fileName(), QString::fromStdString(m_problem)});
        return false;
    }
    if (m_state == FileState::unusable && !moveAside(logger))
        return false;
    change(m_object);
    return save(logger);
}

bool UserDefaultsStorage::remove(const Logger &logger)
{
    const std::lock_guard lock(m_mutex);
    m_object = Json::object();
    if (m_path.empty())
        return true;
    std::error_code ignored;
    if (!std::filesystem::is_directory(m_path.parent_path(), ignored)) {
        settle(FileState::absent, std::nullopt);
        return true;
    }
    const InterProcessLock fileLock(lockFileFor(m_path), lockPatience);
    if (!fileLock.isLocked()) {
        logger.error(
            QStringLiteral("Preferences %{public}s could not be locked (%{public}s); they were not removed"),
            {fileName(), systemMessage(fileLock.error())});
        return false;
    }
    try {
        AtomicFile::remove(m_path);
    } catch (const std::system_error &failure) {
        logger.error(QStringLiteral("Preferences %{public}s could not be removed: %{public}s"),
                     {fileName(), QString::fromStdString(failure.code().message())});
        load();
        return false;
    }
    settle(FileState::absent, std::nullopt);
    return true;
}

// Rereads the file only when it is not the version read or written last. A write that failed
// leaves the old file and its stamp, so this process keeps seeing its own newer values.
void UserDefaultsStorage::refreshIfChanged()
{
    if (m_path.empty())
        return;
    if (m_state != FileState::unread && FileStamp::ofPath(m_path) == m_stamp)
        return;
    load();
}

void UserDefaultsStorage::load()
{
    const auto file = SmallFileReader::read(m_path, fileSizeLimit);
    switch (file.status) {
    case SmallFileReader::Status::read: {
        auto parsed = BoundedJSONParser::parse(file.content);
        if (parsed.isParsed() && parsed.value.is_object()) {
            m_object = std::move(parsed.value);
            settle(FileState::usable, file.stamp);
        } else {
            settle(FileState::unusable, file.stamp, parsed.isParsed() ? "not a JSON object" : parsed.failure);
        }
        return;
    }
    case SmallFileReader::Status::missing:
        m_object = Json::object();
        settle(FileState::absent, std::nullopt);
        return;
    case SmallFileReader::Status::notRegularFile:
    case SmallFileReader::Status::tooLarge:
        settle(FileState::unusable, FileStamp::ofPath(m_path), file.description(fileSizeLimit));
        return;
    case SmallFileReader::Status::failed:
        // Not remembered: the next access tries again.
        settle(FileState::unread, std::nullopt, file.description(fileSizeLimit));
        return;
    }
}

// An unusable or unread file leaves the copy in memory as it was: what this process knew is
// still the best guess, and a change made later writes it back.
void UserDefaultsStorage::settle(FileState state, std::optional<FileStamp> stamp, std::string problem)
{
    m_state = state;
    m_stamp = std::move(stamp);
    m_problem = std::move(problem);
}

bool UserDefaultsStorage::moveAside(const Logger &logger)
{
    int error = EEXIST;
    for (int attempt = 0; attempt < asideNameAttempts && error == EEXIST; ++attempt) {
        const auto aside = asideName(m_path, attempt);
        error = renameWithoutReplacing(m_path, aside);
        if (error == 0) {
            logger.error(
                QStringLiteral("Preferences %{public}s could not be used (%{public}s); kept the file as "
                               "%{public}s and started it afresh"),
                {fileName(), QString::fromStdString(m_problem),
                 QString::fromStdString(aside.filename().string())});
            settle(FileState::absent, std::nullopt);
            return true;
        }
    }
    logger.error(QStringLiteral("Preferences %{public}s could not be used (%{public}s) nor moved aside "
                                "(%{public}s); the change was not saved"),
                 {fileName(), QString::fromStdString(m_problem), systemMessage(error)});
    return false;
}

// Settings are nobody else's business, so the file is readable by its owner only.
bool UserDefaultsStorage::save(const Logger &logger)
{
    const std::string content = m_object.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
    try {
        AtomicFile::write(m_path, content, 0600);
    } catch (const std::system_error &failure) {
        logger.error(QStringLiteral("Preferences %{public}s could not be saved: %{public}s"),
                     {fileName(), QString::fromStdString(failure.code().message())});
        return false;
    }
    settle(FileState::usable, FileStamp::ofPath(m_path));
    return true;
}

QString UserDefaultsStorage::fileName() const
{
    return QString::fromStdString(m_path.filename().string());
}

} // namespace pulsegrove
