#include "BackgroundFileWriter.h"

namespace pulsegrove {

BackgroundFileWriter &BackgroundFileWriter::shared()
{
    static BackgroundFileWriter writer;
    return writer;
}

BackgroundFileWriter::BackgroundFileWriter() : m_thread([this] { run(); }) {}

BackgroundFileWriter::~BackgroundFileWriter()
{
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

void BackgroundFileWriter::flush()
{
    if (std::this_thread::get_id() == m_thread.get_id())
        return;
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_jobs.empty() && !m_running; });
}

void BackgroundFileWriter::run()
{
    std::unique_lock lock(m_mutex);
    while (true) {
        m_changed.wait(lock, [this] { return !m_jobs.empty() || m_stopping; });
        if (m_jobs.empty())
            return;
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_running = true;
        lock.unlock();
        job();
        // The job's captures (a suite, a logger) go before the next job or a flush returns.
        job = nullptr;
        lock.lock();
        m_running = false;
        m_changed.notify_all();
    }
}

} // namespace pulsegrove
