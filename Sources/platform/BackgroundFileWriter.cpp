#include "BackgroundFileWriter.h"

#include "PlatformFactory.h"

#include <system_error>

namespace pulsegrove {

namespace {

// What the log says of an escaped exception: the system's reason for an error of the system (a
// filesystem error's text would name the user's folders), the text of any other.
QString reasonOf(const std::exception &error)
{
    if (const auto *systemError = dynamic_cast<const std::system_error *>(&error))
        return QString::fromStdString(systemError->code().message());
    return QString::fromUtf8(error.what());
}

} // namespace

BackgroundFileWriter &BackgroundFileWriter::shared()
{
    static BackgroundFileWriter writer(PlatformFactory::sharedSystemLog());
    return writer;
}

BackgroundFileWriter::BackgroundFileWriter(std::shared_ptr<SystemLog> log)
    : m_logger(std::move(log), QStringLiteral("writer")), m_thread([this] { run(); })
{
}

BackgroundFileWriter::~BackgroundFileWriter()
{
    drain();
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void BackgroundFileWriter::enqueue(Job job)
{
    {
        const std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_changed.notify_all();
}

void BackgroundFileWriter::enqueueAfter(std::chrono::milliseconds delay, DeferredJob job)
{
    {
        const std::lock_guard lock(m_mutex);
        m_deferred.emplace(std::chrono::steady_clock::now() + delay, std::move(job));
    }
    m_changed.notify_all();
}

void BackgroundFileWriter::flush()
{
    if (isWriterThread())
        return;
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_jobs.empty() && !m_running; });
}

void BackgroundFileWriter::drain()
{
    if (isWriterThread())
        return;
    std::unique_lock lock(m_mutex);
    // A queued job that fails may defer a retry of its own: that one gets its last try too.
    do {
        promoteDeferred({}, true);
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_jobs.empty() && !m_running; });
    } while (!m_deferred.empty());
}

void BackgroundFileWriter::promoteDeferred(std::chrono::steady_clock::time_point now, bool lastTry)
{
    auto due = m_deferred.begin();
    for (; due != m_deferred.end() && (lastTry || due->first <= now); ++due)
        m_jobs.push_back([job = std::move(due->second), lastTry] { job(lastTry); });
    m_deferred.erase(m_deferred.begin(), due);
}

bool BackgroundFileWriter::isWriterThread() const
{
    return std::this_thread::get_id() == m_thread.get_id();
}

void BackgroundFileWriter::run()
{
    std::unique_lock lock(m_mutex);
    while (true) {
        promoteDeferred(std::chrono::steady_clock::now(), false);
        if (m_jobs.empty()) {
            if (m_stopping)
                return;
            // Asleep until the next job or the next deferred job's time, never woken for nothing. The
            // time is copied: a drain may take the job away while the thread sleeps.
            if (m_deferred.empty())
                m_changed.wait(lock);
            else
                m_changed.wait_until(lock, std::chrono::steady_clock::time_point(m_deferred.begin()->first));
            continue;
        }
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_running = true;
        lock.unlock();
        runJob(job);
        // The job's captures (a suite, a logger) go before the next job or a flush returns.
        job = nullptr;
        lock.lock();
        m_running = false;
        m_changed.notify_all();
    }
}

// A job that throws (no memory left, a filesystem error nobody caught) must not end the process
// and lose the writes queued after it.
void BackgroundFileWriter::runJob(const Job &job) const
{
    try {
        job();
    } catch (const std::exception &error) {
        logFailure(&error);
    } catch (...) {
        logFailure(nullptr);
    }
}

void BackgroundFileWriter::logFailure(const std::exception *error) const noexcept
{
    try {
        m_logger.error(QStringLiteral("A background file write failed (%{public}s); the next one goes on"),
                       {error ? reasonOf(*error) : QStringLiteral("an exception of unknown type")});
    } catch (...) {
        // Without memory even for the log line, going on with the next job is all there is.
    }
}

} // namespace pulsegrove
