#pragma once

#include "Logger.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace pulsegrove {

// One thread that does the process's file writes (preferences, the quota cache) in the order
// they were asked for, so that the thread that asks (the interface's) never waits on a lock, an
// fsync or a slow disk. Jobs report their own failures; one that throws anyway is logged and the
// next job runs. Callers that must know a write is on disk (the application as it ends, tests)
// call flush() or drain().
class BackgroundFileWriter {
public:
    using Job = std::function<void()>;
    // A job that waits for its time (a retry). It is told `lastTry` when it runs early because the
    // writer drains; such a job must not defer itself again.
    using DeferredJob = std::function<void(bool lastTry)>;

    // The process's writer. It lives until the process ends and drains before it goes.
    static BackgroundFileWriter &shared();

    explicit BackgroundFileWriter(std::shared_ptr<SystemLog> log = nullptr);
    // Drains, then stops the thread.
    ~BackgroundFileWriter();
    BackgroundFileWriter(const BackgroundFileWriter &) = delete;
    BackgroundFileWriter &operator=(const BackgroundFileWriter &) = delete;

    void enqueue(Job job);
    // Runs the job once `delay` has passed; until then the thread sleeps, whatever the delay.
    void enqueueAfter(std::chrono::milliseconds delay, DeferredJob job);
    // Returns once every job queued before the call has run; deferred jobs whose time has not come
    // are not waited for. A job that flushes returns at once.
    void flush();
    // Runs what is queued and, at once, every deferred job as its last try, and returns when all
    // have run: as the process ends, a write that waits for a retry gets one more try, no more.
    void drain();

private:
    void run();
    void runJob(const Job &job) const;
    void logFailure(const std::exception *error) const noexcept;
    // With the mutex held: deferred jobs due by `now` (all when `lastTry`) join the queue.
    void promoteDeferred(std::chrono::steady_clock::time_point now, bool lastTry);
    bool isWriterThread() const;

    Logger m_logger;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Job> m_jobs;
    std::multimap<std::chrono::steady_clock::time_point, DeferredJob> m_deferred;
    bool m_running = false;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace pulsegrove
