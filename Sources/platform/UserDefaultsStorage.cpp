#include "UserDefaultsStorage.h"

#include "AtomicFile.h"
#include "BackgroundFileWriter.h"
#include "InterProcessLock.h"
#include "OrphanedTemporaryFiles.h"
#include "foundation/AsideFile.h"
#include "foundation/BoundedJSONParser.h"
#include "foundation/PrivateFolder.h"
#include "foundation/SmallFileReader.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace pulsegrove {

namespace {

using Json = nlohmann::json;
using Changes = std::map<std::string, std::optional<Json>>;

// Another process of ours holds the lock only while it reads and writes a few kilobytes.
constexpr std::chrono::milliseconds lockPatience{3000};
// A failed write is tried again after a second, then after twice as long each time: a lock held
// for a moment is soon over, a full disk may take hours, and waiting retries cost nothing.
constexpr std::chrono::milliseconds firstRetryDelay{1000};
constexpr std::chrono::milliseconds longestRetryDelay{5 * 60 * 1000};
QString systemMessage(int error)
{
    return QString::fromStdString(std::error_code(error, std::generic_category()).message());
}

QString nameOf(const std::filesystem::path &path)
{
    return QString::fromStdString(path.filename().string());
}

void logMovedAside(const std::filesystem::path &path, const std::string &problem,
                   const std::filesystem::path &aside, const Logger &logger)
{
    logger.error(QStringLiteral("Preferences %{public}s could not be used (%{public}s); kept the file as "
                                "%{public}s and started it afresh"),
                 {nameOf(path), QString::fromStdString(problem), nameOf(aside)});
}

// Keeps what stands at `path` beside it under the first free ".corrupt" name, with a log line;
// 0, or why it could not be moved.
int moveAside(const std::filesystem::path &path, const std::string &problem, const Logger &logger)
{
    const auto moved = AsideFile::moveAside(path);
    if (moved.error == 0)
        logMovedAside(path, problem, moved.aside, logger);
    return moved.error;
}

// A FIFO, a folder or a link where the lock belongs can never be locked; the lock moves it aside
// like an unusable suite, and a fresh lock file takes its place.
std::unique_ptr<InterProcessLock> lockSuite(const std::filesystem::path &lockFile, const Logger &logger)
{
    auto lock = std::make_unique<InterProcessLock>(lockFile, lockPatience);
    if (const auto &obstacle = lock->obstacle(); obstacle && obstacle->error == 0)
        logMovedAside(lockFile, obstacle->problem, obstacle->aside, logger);
    return lock;
}

void applyChanges(Json &object, const Changes &changes)
{
    for (const auto &[key, value] : changes) {
        if (value)
            object[key] = *value;
        else
            object.erase(key);
    }
}

// Settings are nobody else's business; the text is what the file holds.
std::string serialized(const Json &object)
{
    return object.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

} // namespace

struct UserDefaultsStorage::FileRead {
    FileState state = FileState::unread;
    Json object;
    std::optional<FileStamp> stamp;
    std::string problem;
};

UserDefaultsStorage::UserDefaultsStorage(std::filesystem::path path)
    : m_path(std::move(path)), m_retryDelay(firstRetryDelay)
{
}

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

bool UserDefaultsStorage::change(const std::string &key, std::optional<Json> value, const Logger &logger)
{
    const std::lock_guard lock(m_mutex);
    if (m_path.empty())
        return false;
    loadOnce();
    Json changed = m_object;
    applyChanges(changed, {{key, value}});
    // Checked here so the caller hears of it at once; the write checks the merged file again.
    if (serialized(changed).size() > fileSizeLimit) {
        logger.error(QStringLiteral("Preferences %{public}s would grow past %{public}s bytes; the change "
                                    "was not saved"),
                     {fileName(), QString::number(fileSizeLimit)});
        return false;
    }
    m_object = std::move(changed);
    m_pending[key] = std::move(value);
    schedule(logger);
    return true;
}

void UserDefaultsStorage::remove(const Logger &logger)
{
    const std::lock_guard lock(m_mutex);
    m_loaded = true;
    m_object = Json::object();
    m_pending.clear();
    m_pendingRemoval = true;
    if (!m_path.empty())
        schedule(logger);
}

void UserDefaultsStorage::reload(const Logger &logger)
{
    if (!m_path.empty())
        BackgroundFileWriter::shared().enqueue(
            [self = shared_from_this(), logger] { self->refresh(logger); });
}

bool UserDefaultsStorage::flush()
{
    BackgroundFileWriter::shared().flush();
    const std::lock_guard lock(m_mutex);
    return !std::exchange(m_failedSinceFlush, false);
}

int UserDefaultsStorage::addObserver(Observer observer)
{
    const std::lock_guard lock(m_observerMutex);
    m_observers.emplace(m_nextObserver, std::move(observer));
    return m_nextObserver++;
}

void UserDefaultsStorage::removeObserver(int token)
{
    // Taken while a notification runs, so no observer is called once this returns.
    const std::lock_guard lock(m_observerMutex);
    m_observers.erase(token);
}

// The first access reads the file; after that only the writer's thread does.
void UserDefaultsStorage::loadOnce()
{
    if (m_loaded || m_path.empty())
        return;
    m_loaded = true;
    adopt(readFile());
    m_object = m_disk;
}

UserDefaultsStorage::FileRead UserDefaultsStorage::readFile() const
{
    const auto file = SmallFileReader::read(m_path, fileSizeLimit);
    switch (file.status) {
    case SmallFileReader::Status::read: {
        auto parsed = BoundedJSONParser::parse(file.content);
        if (parsed.isParsed() && parsed.value.is_object())
            return {FileState::usable, std::move(parsed.value), file.stamp, {}};
        return {
            FileState::unusable, {}, file.stamp, parsed.isParsed() ? "not a JSON object" : parsed.failure};
    }
    case SmallFileReader::Status::missing:
        return {FileState::absent, Json::object(), std::nullopt, {}};
    case SmallFileReader::Status::notRegularFile:
    case SmallFileReader::Status::tooLarge:
        return {FileState::unusable, {}, FileStamp::ofPath(m_path), file.description(fileSizeLimit)};
    case SmallFileReader::Status::failed:
        break;
    }
    // Not remembered: the next write tries again.
    return {FileState::unread, {}, std::nullopt, file.description(fileSizeLimit)};
}

// An unusable or unread file leaves the copy as it was: what this process knew is still the best
// guess, and a change made later writes it back.
void UserDefaultsStorage::adopt(const FileRead &file)
{
    m_state = file.state;
    m_stamp = file.stamp;
    m_problem = file.problem;
    if (file.state == FileState::usable || file.state == FileState::absent)
        m_disk = file.object;
}

void UserDefaultsStorage::schedule(const Logger &logger)
{
    if (std::exchange(m_queued, true))
        return;
    BackgroundFileWriter::shared().enqueue(
        [self = shared_from_this(), logger] { self->writeQueued(logger, false); });
}

// With the mutex held.
void UserDefaultsStorage::scheduleRetry(const Logger &logger)
{
    if (std::exchange(m_retryQueued, true))
        return;
    const auto delay = std::exchange(m_retryDelay, std::min(m_retryDelay * 2, longestRetryDelay));
    BackgroundFileWriter::shared().enqueueAfter(
        delay, [self = shared_from_this(), logger, series = m_failureSeries](bool lastTry) {
            self->retry(logger, lastTry, series);
        });
}

void UserDefaultsStorage::retry(const Logger &logger, bool lastTry, int series)
{
    {
        const std::lock_guard lock(m_mutex);
        // A retry of failures that a success has ended: a failure since then has its own.
        if (series != m_failureSeries)
            return;
        m_retryQueued = false;
        // A write already queued carries what waits.
        if (m_queued && !lastTry)
            return;
    }
    writeQueued(logger, lastTry);
}

// On the writer's thread. The changes made until now form this write; later ones queue the next.
void UserDefaultsStorage::writeQueued(const Logger &logger, bool lastTry)
{
    Batch batch;
    {
        const std::lock_guard lock(m_mutex);
        m_queued = false;
        batch.changes = std::exchange(m_pending, {});
        batch.removal = std::exchange(m_pendingRemoval, false);
    }
    if (batch.changes.empty() && !batch.removal)
        return;
    std::optional<Failure> failure;
    try {
        failure = write(batch, logger);
    } catch (const std::exception &error) {
        // No memory left, say: the changes wait like those of any other failed write.
        failure = Failure{QStringLiteral("Preferences %{public}s could not be saved: %{public}s"),
                          {fileName(), QString::fromUtf8(error.what())}};
    }
    if (failure)
        failed(logger, *failure, std::move(batch), lastTry);
    else
        succeeded(logger);
}

std::optional<UserDefaultsStorage::Failure> UserDefaultsStorage::write(const Batch &batch,
                                                                       const Logger &logger)
{
    const auto folder = m_path.parent_path();
    std::error_code folderError;
    if (batch.removal && batch.changes.empty() && !std::filesystem::is_directory(folder, folderError)) {
        const std::lock_guard lock(m_mutex);
        adopt({FileState::absent, Json::object(), std::nullopt, {}});
        return std::nullopt;
    }
    // The folder is created on the first write, the user's alone.
    folderError = PrivateFolder::create(folder);
    if (folderError)
        return Failure{QStringLiteral("Preferences %{public}s could not be saved: %{public}s"),
                       {fileName(), QString::fromStdString(folderError.message())}};
    const auto fileLock = lockSuite(lockFileFor(m_path), logger);
    if (!fileLock->isLocked())
        return Failure{QStringLiteral("Preferences %{public}s could not be locked (%{public}s)"),
                       {fileName(), systemMessage(fileLock->error())}};
    OrphanedTemporaryFiles::remove(m_path);
    // Another process may have written since this one last looked.
    auto file = readFile();
    if (file.state == FileState::unread)
        return Failure{QStringLiteral("Preferences %{public}s could not be read (%{public}s)"),
                       {fileName(), QString::fromStdString(file.problem)}};
    if (file.state == FileState::unusable) {
        if (const int error = moveAside(m_path, file.problem, logger))
            return Failure{
                QStringLiteral(
                    "Preferences %{public}s could not be used (%{public}s) nor moved aside (%{public}s)"),
                {fileName(), QString::fromStdString(file.problem), systemMessage(error)}};
        // Written afresh with every value this process knew.
        const std::lock_guard lock(m_mutex);
        file = {FileState::absent, m_disk, std::nullopt, {}};
    }
    Json merged = batch.removal ? Json::object() : file.object;
    applyChanges(merged, batch.changes);
    const std::string content = serialized(merged);
    {
        const std::lock_guard lock(m_mutex);
        adopt(file);
    }
    if (content.size() > fileSizeLimit)
        return Failure{QStringLiteral("Preferences %{public}s would grow past %{public}s bytes"),
                       {fileName(), QString::number(fileSizeLimit)}};
    try {
        if (merged.empty())
            AtomicFile::remove(m_path);
        else
            AtomicFile::write(m_path, content, 0600);
    } catch (const std::system_error &failure) {
        return Failure{QStringLiteral("Preferences %{public}s could not be saved: %{public}s"),
                       {fileName(), QString::fromStdString(failure.code().message())}};
    }
    const std::lock_guard lock(m_mutex);
    adopt({merged.empty() ? FileState::absent : FileState::usable, merged, FileStamp::ofPath(m_path), {}});
    return std::nullopt;
}

// On the writer's thread: picks up the file another process changed.
void UserDefaultsStorage::refresh(const Logger &logger)
{
    bool changed = false;
    {
        const std::lock_guard lock(m_mutex);
        if (m_state != FileState::unread && FileStamp::ofPath(m_path) == m_stamp)
            return;
    }
    const auto file = readFile();
    if (file.state == FileState::unusable)
        logger.info(QStringLiteral("Preferences %{public}s could not be used (%{public}s)"),
                    {fileName(), QString::fromStdString(file.problem)});
    {
        const std::lock_guard lock(m_mutex);
        adopt(file);
        changed = rebuildCopy();
    }
    if (changed)
        notify(false);
}

// The copy becomes the file's content with the changes not yet written; true when it changed.
bool UserDefaultsStorage::rebuildCopy()
{
    Json rebuilt = m_pendingRemoval ? Json::object() : m_disk;
    applyChanges(rebuilt, m_pending);
    if (rebuilt == m_object)
        return false;
    m_object = std::move(rebuilt);
    return true;
}

void UserDefaultsStorage::succeeded(const Logger &logger)
{
    bool changedElsewhere = false;
    int failedAttempts = 0;
    {
        const std::lock_guard lock(m_mutex);
        changedElsewhere = rebuildCopy();
        failedAttempts = std::exchange(m_failedAttempts, 0);
        // A long retry still queued must not hold back the next failure's short one.
        m_retryDelay = firstRetryDelay;
        m_retryQueued = false;
        ++m_failureSeries;
        m_loggedFailure.clear();
    }
    if (failedAttempts > 0)
        logger.info(QStringLiteral("Preferences %{public}s were saved after %{public}s failed attempts"),
                    {fileName(), QString::number(failedAttempts)});
    if (changedElsewhere)
        notify(false);
}

// The changes wait for the next write: those made meanwhile are newer and stay as they are.
void UserDefaultsStorage::failed(const Logger &logger, const Failure &failure, Batch batch, bool lastTry)
{
    const QString reason = SystemLog::render(failure.format, failure.arguments);
    bool firstOfItsKind = false;
    bool changedElsewhere = false;
    QStringList unkept;
    {
        const std::lock_guard lock(m_mutex);
        // A removal asked for meanwhile supersedes the whole batch.
        if (!m_pendingRemoval) {
            m_pending.merge(batch.changes);
            m_pendingRemoval = batch.removal;
        }
        m_failedSinceFlush = true;
        ++m_failedAttempts;
        firstOfItsKind = reason != std::exchange(m_loggedFailure, reason);
        if (lastTry) {
            if (m_pendingRemoval)
                unkept.append(QStringLiteral("the removal of every key"));
            for (const auto &[key, value] : m_pending)
                unkept.append(QString::fromStdString(key));
        } else {
            scheduleRetry(logger);
        }
        changedElsewhere = rebuildCopy();
    }
    if (firstOfItsKind)
        logger.error(failure.format + QStringLiteral("; the change is kept and tried again"),
                     failure.arguments);
    if (lastTry)
        logger.error(QStringLiteral("Preferences %{public}s could not keep %{public}s"),
                     {fileName(), unkept.join(QStringLiteral(", "))});
    if (firstOfItsKind || changedElsewhere)
        notify(firstOfItsKind);
}

void UserDefaultsStorage::notify(bool writeFailed)
{
    const std::lock_guard lock(m_observerMutex);
    for (const auto &[token, observer] : m_observers)
        observer(writeFailed);
}

QString UserDefaultsStorage::fileName() const
{
    return nameOf(m_path);
}

} // namespace pulsegrove
