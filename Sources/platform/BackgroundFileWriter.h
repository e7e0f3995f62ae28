#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace pulsegrove {

// One thread that does the process's file writes (preferences, the quota cache) in the order
// they were asked for, so that the thread that asks (the interface's) never waits on a lock, an
// fsync or a slow disk. Jobs report their own failures; callers that must know a write is on
// disk (the application as it ends, tests) call flush().
class BackgroundFileWriter {
public:
    using Job = std::function<void()>;

    // The process's writer. It lives until the process ends and runs every job still queued
    // before it goes.
    static BackgroundFileWriter &shared();

    BackgroundFileWriter();
    // Runs what is queued, then stops the thread.
    ~BackgroundFileWriter();
    BackgroundFileWriter(const BackgroundFileWriter &) = delete;
    BackgroundFileWriter &operator=(const BackgroundFileWriter &) = delete;

    void enqueue(Job job);
    // Returns once every job queued before the call has run. A job that flushes returns at once.
    void flush();

private:
    void run();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Job> m_jobs;
    bool m_running = false;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace pulsegrove
