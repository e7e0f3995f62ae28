#include "BackgroundFileWriter.h"
#include "RecordingSystemLog.h"

#include <filesystem>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace pulsegrove;

namespace {

// What the jobs did, in order, from the writer's thread.
class Journal {
public:
    void add(std::string entry)
    {
        const std::lock_guard lock(m_mutex);
        m_entries.push_back(std::move(entry));
    }
    std::vector<std::string> entries() const
    {
        const std::lock_guard lock(m_mutex);
        return m_entries;
    }
    BackgroundFileWriter::Job job(std::string entry)
    {
        return [this, entry] { add(entry); };
    }
    BackgroundFileWriter::DeferredJob deferredJob(std::string entry)
    {
        return [this, entry](bool lastTry) { add(entry + (lastTry ? " (last try)" : "")); };
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_entries;
};

constexpr std::chrono::hours longAfter{1};

} // namespace

// A writer that stops (the process ends) first runs everything still queued, in order, and gives
// each deferred job its last try; a change made after the last flush is not lost.
TEST(BackgroundFileWriter, StoppingRunsEveryQueuedAndDeferredJobFirst)
{
    Journal journal;
    std::promise<void> release;
    std::jthread releaser;
    {
        BackgroundFileWriter writer;
        // The first job holds the thread, so the others are still queued when the writer stops.
        writer.enqueue([&, released = release.get_future().share()] {
            released.wait();
            journal.add("first");
        });
        writer.enqueueAfter(longAfter, journal.deferredJob("retry"));
        for (const char *entry : {"second", "third"})
            writer.enqueue(journal.job(entry));
        releaser = std::jthread([&release] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            release.set_value();
        });
    }
    EXPECT_EQ(journal.entries(), (std::vector<std::string>{"first", "second", "third", "retry (last try)"}));
}

// Whatever a job throws is logged and the next job runs; the process goes on.
TEST(BackgroundFileWriter, AThrowingJobIsLoggedAndTheNextJobRuns)
{
    const std::vector<std::pair<std::function<void()>, QString>> throwers = {
        {[] { throw std::bad_alloc(); }, QStringLiteral("std::bad_alloc")},
        {[] {
             throw std::filesystem::filesystem_error("cannot write", "/home/someone/secret",
                                                     std::make_error_code(std::errc::permission_denied));
         },
         QStringLiteral("Permission denied")},
        {[] { throw std::runtime_error("broken"); }, QStringLiteral("broken")},
        {[] { throw 7; }, QStringLiteral("an exception of unknown type")},
    };
    const auto log = std::make_shared<RecordingSystemLog>();
    Journal journal;
    BackgroundFileWriter writer(log);
    for (std::size_t index = 0; index < throwers.size(); ++index) {
        writer.enqueue(throwers[index].first);
        writer.enqueue(journal.job("after " + std::to_string(index)));
    }
    writer.enqueueAfter(std::chrono::milliseconds(0), [](bool) { throw std::bad_alloc(); });
    writer.drain();
    writer.enqueue(journal.job("after the deferred one"));
    writer.flush();
    EXPECT_EQ(journal.entries(), (std::vector<std::string>{"after 0", "after 1", "after 2", "after 3",
                                                           "after the deferred one"}));
    ASSERT_EQ(log->entries.size(), throwers.size() + 1);
    for (std::size_t index = 0; index < throwers.size(); ++index) {
        const auto &entry = log->entries[index];
        EXPECT_EQ(entry.level, LogLevel::error);
        EXPECT_TRUE(entry.rendered.contains(throwers[index].second)) << entry.rendered.toStdString();
        EXPECT_FALSE(entry.rendered.contains(QStringLiteral("someone"))) << entry.rendered.toStdString();
    }
}

// A deferred job waits for its time, and a flush does not wait for it; a drain runs it at once,
// as its last try. Deferred jobs run in the order of their times.
TEST(BackgroundFileWriter, DeferredJobsWaitForTheirTimeUnlessTheWriterDrains)
{
    Journal journal;
    BackgroundFileWriter writer;
    writer.enqueueAfter(2 * longAfter, journal.deferredJob("later"));
    writer.enqueueAfter(longAfter, journal.deferredJob("sooner"));
    writer.enqueue(journal.job("now"));
    writer.flush();
    EXPECT_EQ(journal.entries(), std::vector<std::string>{"now"});
    writer.drain();
    EXPECT_EQ(journal.entries(), (std::vector<std::string>{"now", "sooner (last try)", "later (last try)"}));

    std::promise<bool> ran;
    writer.enqueueAfter(std::chrono::milliseconds(20), [&ran](bool lastTry) { ran.set_value(lastTry); });
    auto lastTry = ran.get_future();
    ASSERT_EQ(lastTry.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_FALSE(lastTry.get());
}
