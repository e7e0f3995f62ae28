#include "FakeWorkspace.h"
#include "stores/SystemMetricsStore.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <stdexcept>

namespace pulsegrove::testing {
namespace {

// What the fake samplers of one test share: the snapshot they hand out, whether they hold each
// sample until released, and how many were made, destroyed and asked.
struct SamplerScript {
    std::mutex mutex;
    std::condition_variable changed;
    SystemMetricsSnapshot next;
    bool holding = false;
    bool throwing = false;
    int created = 0;
    int destroyed = 0;
    int samplesStarted = 0;

    void hold()
    {
        std::lock_guard lock(mutex);
        holding = true;
    }
    void release()
    {
        std::lock_guard lock(mutex);
        holding = false;
        changed.notify_all();
    }
    template <typename T> T read(const T &field)
    {
        std::lock_guard lock(mutex);
        return field;
    }
};

class FakeSampler final : public SystemMetricsSampling {
public:
    explicit FakeSampler(std::shared_ptr<SamplerScript> script) : m_script(std::move(script))
    {
        std::lock_guard lock(m_script->mutex);
        ++m_script->created;
    }
    ~FakeSampler() override
    {
        std::lock_guard lock(m_script->mutex);
        ++m_script->destroyed;
    }
    SystemMetricsSnapshot sample() override
    {
        std::unique_lock lock(m_script->mutex);
        ++m_script->samplesStarted;
        m_script->changed.notify_all();
        m_script->changed.wait(lock, [this] { return !m_script->holding; });
        if (m_script->throwing)
            throw std::runtime_error("sensor exploded");
        return m_script->next;
    }

private:
    std::shared_ptr<SamplerScript> m_script;
};

SystemMetricsSnapshot snapshotWith(std::optional<double> temperature, std::optional<double> cpu,
                                   std::optional<double> memory, Date at)
{
    SystemMetricsSnapshot snapshot;
    snapshot.cpuTemperatureCelsius = temperature;
    snapshot.temperatureSource =
        temperature ? CPUTemperatureSource::cpuDie : CPUTemperatureSource::unavailable;
    snapshot.cpuUsagePercent = cpu;
    snapshot.memoryUsedPercent = memory;
    snapshot.sampledAt = at;
    return snapshot;
}

class SystemMetricsStoreTests : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_script->next = snapshotWith(55.0, 12.0, 40.0, m_now);
        m_store = std::make_unique<SystemMetricsStore>(nullptr, &m_workspace, [this] { return m_now; });
        m_store->setSamplerFactory([script = m_script] { return std::make_shared<FakeSampler>(script); });
        // Long enough that the loop never samples a second time unless a test shortens it.
        m_store->setPollingInterval(std::chrono::hours(1));
    }
    void TearDown() override
    {
        m_script->release();
        m_store.reset();
    }

    void advance(double seconds) { m_now = m_now.addingSeconds(seconds); }
    void setNext(SystemMetricsSnapshot snapshot)
    {
        std::lock_guard lock(m_script->mutex);
        m_script->next = snapshot;
    }
    int created() { return m_script->read(m_script->created); }
    int destroyed() { return m_script->read(m_script->destroyed); }
    int samplesStarted() { return m_script->read(m_script->samplesStarted); }

    static void processEvents()
    {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    static void await(const QFuture<void> &future)
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return future.isFinished(); }, 10000));
    }
    // Lets the polling loop take its first sample and waits for it to be handled.
    void settle()
    {
        processEvents();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !m_store->isSampling(); }, 10000));
        processEvents();
    }
    void waitForSampleStarts(int count)
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return samplesStarted() >= count; }, 10000));
    }

    Date m_now = Date::fromReferenceSeconds(800'000'000);
    std::shared_ptr<SamplerScript> m_script = std::make_shared<SamplerScript>();
    FakeWorkspace m_workspace;
    std::unique_ptr<SystemMetricsStore> m_store;
};

TEST_F(SystemMetricsStoreTests, OneLoopRunsWhileAnySurfaceIsVisible)
{
    m_store->setVisible(true, QStringLiteral("a"));
    m_store->setVisible(true, QStringLiteral("b"));
    settle();
    EXPECT_TRUE(m_store->isPolling());
    EXPECT_EQ(created(), 1);
    EXPECT_EQ(samplesStarted(), 1);
    ASSERT_TRUE(m_store->snapshot());
    EXPECT_EQ(m_store->snapshot()->cpuTemperatureCelsius, 55.0);
    EXPECT_TRUE(m_store->isWaitingForNextSample());

    m_store->setVisible(false, QStringLiteral("a"));
    EXPECT_TRUE(m_store->isPolling());
    EXPECT_TRUE(m_store->hasSampler());

    m_store->setVisible(false, QStringLiteral("b"));
    EXPECT_FALSE(m_store->isPolling());
    EXPECT_FALSE(m_store->isWaitingForNextSample());
    EXPECT_FALSE(m_store->hasSampler());
    EXPECT_EQ(destroyed(), 1) << "dropping the sampler closes it";
    EXPECT_TRUE(m_store->snapshot()) << "the last snapshot stays";
}

TEST_F(SystemMetricsStoreTests, HidingAnUnknownSourceChangesNothing)
{
    QSignalSpy willChange(m_store.get(), &SystemMetricsStore::objectWillChange);
    m_store->setVisible(false, QStringLiteral("x"));
    processEvents();
    EXPECT_FALSE(m_store->isPolling());
    EXPECT_EQ(created(), 0);
    EXPECT_EQ(willChange.count(), 0);
}

TEST_F(SystemMetricsStoreTests, TheLoopStartsTheNextSampleAfterThePause)
{
    m_store->setPollingInterval(std::chrono::milliseconds(1));
    m_store->setVisible(true, QStringLiteral("menu"));
    waitForSampleStarts(3);
    EXPECT_EQ(created(), 1) << "one sampler serves the whole loop";
}

TEST_F(SystemMetricsStoreTests, RefreshWithoutAVisibleSurfaceDoesNothing)
{
    QSignalSpy sampling(m_store.get(), &SystemMetricsStore::isSamplingChanged);
    auto future = m_store->refresh(true);
    EXPECT_TRUE(future.isFinished());
    processEvents();
    EXPECT_EQ(sampling.count(), 0);
    EXPECT_EQ(created(), 0);
}

TEST_F(SystemMetricsStoreTests, ARefreshDuringARunningSampleIsDropped)
{
    m_script->hold();
    m_store->setVisible(true, QStringLiteral("menu"));
    waitForSampleStarts(1);
    EXPECT_TRUE(m_store->isSampling());

    auto second = m_store->refresh(true);
    EXPECT_TRUE(second.isFinished());
    m_script->release();
    settle();
    EXPECT_EQ(samplesStarted(), 1);
    EXPECT_TRUE(m_store->snapshot());
}

TEST_F(SystemMetricsStoreTests, AnUnforcedRefreshWaitsOneSecondAfterTheLastSample)
{
    m_store->setVisible(true, QStringLiteral("menu"));
    settle();
    ASSERT_EQ(samplesStarted(), 1);

    advance(0.5);
    await(m_store->refresh(false));
    EXPECT_EQ(samplesStarted(), 1);

    advance(0.5);
    setNext(snapshotWith(60.0, 20.0, 41.0, m_now));
    await(m_store->refresh(false));
    EXPECT_EQ(samplesStarted(), 2);
    EXPECT_EQ(m_store->snapshot()->cpuTemperatureCelsius, 60.0);

    await(m_store->refresh(true));
    EXPECT_EQ(samplesStarted(), 3) << "a forced refresh ignores the age";
}

TEST_F(SystemMetricsStoreTests, SnapshotsTurnStaleAfterFifteenSeconds)
{
    EXPECT_TRUE(m_store->isStale());
    m_store->setVisible(true, QStringLiteral("menu"));
    settle();
    EXPECT_FALSE(m_store->isStale());
    advance(15.0);
    EXPECT_FALSE(m_store->isStale());
    advance(0.1);
    EXPECT_TRUE(m_store->isStale());
}

TEST_F(SystemMetricsStoreTests, ASampleWithNothingReadCarriesTheMessage)
{
    setNext(snapshotWith(std::nullopt, std::nullopt, std::nullopt, m_now));
    m_store->setVisible(true, QStringLiteral("menu"));
    settle();
    ASSERT_TRUE(m_store->snapshot());
    EXPECT_EQ(m_store->errorMessage(), QString::fromUtf8("系统指标暂时不可用"));

    auto memoryOnly = snapshotWith(std::nullopt, std::nullopt, 33.0, m_now);
    setNext(memoryOnly);
    await(m_store->refresh(true));
    EXPECT_EQ(m_store->snapshot(), memoryOnly);
    EXPECT_FALSE(m_store->errorMessage());
}

TEST_F(SystemMetricsStoreTests, EveryChangeIsAnnouncedBeforeItLands)
{
    std::vector<std::string> events;
    QObject::connect(m_store.get(), &SystemMetricsStore::objectWillChange, m_store.get(), [&] {
        events.push_back(m_store->snapshot() ? "will-change (has snapshot)" : "will-change");
    });
    QObject::connect(m_store.get(), &SystemMetricsStore::snapshotChanged, m_store.get(),
                     [&] { events.push_back("snapshot"); });
    QObject::connect(m_store.get(), &SystemMetricsStore::isSamplingChanged, m_store.get(),
                     [&] { events.push_back(m_store->isSampling() ? "sampling" : "idle"); });
    QObject::connect(m_store.get(), &SystemMetricsStore::errorMessageChanged, m_store.get(),
                     [&] { events.push_back("error"); });

    m_store->setVisible(true, QStringLiteral("menu"));
    settle();

    EXPECT_EQ(events,
              (std::vector<std::string>{"will-change", "sampling", "will-change", "idle", "will-change",
                                        "snapshot", "will-change (has snapshot)", "error"}));
}

TEST_F(SystemMetricsStoreTests, SleepDuringASampleDiscardsItsResultAndWakeResumesWithANewSampler)
{
    m_script->hold();
    m_store->setVisible(true, QStringLiteral("panel"));
    waitForSampleStarts(1);

    m_workspace.postWillSleep();
    processEvents();
    EXPECT_TRUE(m_store->isSleeping());
    EXPECT_FALSE(m_store->isPolling());
    EXPECT_FALSE(m_store->hasSampler());
    EXPECT_EQ(destroyed(), 0) << "the running sample keeps its sampler";

    m_script->release();
    settle();
    EXPECT_FALSE(m_store->isSampling());
    EXPECT_FALSE(m_store->snapshot());
    EXPECT_EQ(destroyed(), 1);
    await(m_store->refresh(true));
    EXPECT_EQ(samplesStarted(), 1) << "no sampling while asleep";

    m_workspace.postDidWake();
    settle();
    EXPECT_FALSE(m_store->isSleeping());
    EXPECT_TRUE(m_store->isPolling());
    EXPECT_EQ(created(), 2);
    EXPECT_TRUE(m_store->snapshot());
}

TEST_F(SystemMetricsStoreTests, ScreensSleepLikeTheMachineAndTwoWakesResumeOnce)
{
    m_store->setVisible(true, QStringLiteral("panel"));
    settle();
    m_workspace.postScreensDidSleep();
    processEvents();
    EXPECT_TRUE(m_store->isSleeping());
    EXPECT_FALSE(m_store->hasSampler());

    m_workspace.postScreensDidWake();
    m_workspace.postDidWake();
    settle();
    EXPECT_TRUE(m_store->isPolling());
    EXPECT_EQ(created(), 2);
    EXPECT_EQ(samplesStarted(), 2);
}

TEST_F(SystemMetricsStoreTests, WakeWithoutAVisibleSurfaceStaysIdle)
{
    m_workspace.postWillSleep();
    processEvents();
    m_workspace.postDidWake();
    processEvents();
    EXPECT_FALSE(m_store->isSleeping());
    EXPECT_FALSE(m_store->isPolling());
    EXPECT_EQ(created(), 0);
}

TEST_F(SystemMetricsStoreTests, HidingTheLastSurfaceDuringASampleDiscardsItsResult)
{
    m_script->hold();
    m_store->setVisible(true, QStringLiteral("panel"));
    waitForSampleStarts(1);
    m_store->setVisible(false, QStringLiteral("panel"));
    m_script->release();
    settle();
    EXPECT_FALSE(m_store->snapshot());
    EXPECT_EQ(destroyed(), 1);
}

TEST_F(SystemMetricsStoreTests, AResultOfACancelledLoopIsDiscardedEvenWhenASurfaceReturns)
{
    m_script->hold();
    m_store->setVisible(true, QStringLiteral("panel"));
    waitForSampleStarts(1);
    m_store->setVisible(false, QStringLiteral("panel"));
    m_store->setVisible(true, QStringLiteral("menu"));
    m_script->release();
    settle();
    EXPECT_FALSE(m_store->snapshot());
    EXPECT_TRUE(m_store->isPolling());
}

TEST_F(SystemMetricsStoreTests, AfterStopPollingSleepAndWakeChangeNothing)
{
    m_store->setVisible(true, QStringLiteral("panel"));
    settle();
    m_store->stopPolling();
    EXPECT_TRUE(m_store->visibleConsumers().isEmpty());
    EXPECT_FALSE(m_store->isPolling());
    EXPECT_FALSE(m_store->hasSampler());

    m_store->setVisible(true, QStringLiteral("panel"));
    settle();
    m_workspace.postWillSleep();
    processEvents();
    EXPECT_FALSE(m_store->isSleeping());
    EXPECT_TRUE(m_store->isPolling());
}

TEST_F(SystemMetricsStoreTests, ASamplerThatThrowsLosesOnlyThatSample)
{
    {
        std::lock_guard lock(m_script->mutex);
        m_script->throwing = true;
    }
    m_store->setVisible(true, QStringLiteral("menu"));
    settle();
    EXPECT_FALSE(m_store->isSampling());
    EXPECT_FALSE(m_store->snapshot());

    {
        std::lock_guard lock(m_script->mutex);
        m_script->throwing = false;
    }
    await(m_store->refresh(true));
    EXPECT_TRUE(m_store->snapshot());
}

TEST_F(SystemMetricsStoreTests, AGivenSamplerIsUsedFirst)
{
    auto given = std::make_shared<FakeSampler>(m_script);
    SystemMetricsStore store(given, &m_workspace, [this] { return m_now; });
    store.setSamplerFactory([] { return std::shared_ptr<SystemMetricsSampling>(); });
    store.setPollingInterval(std::chrono::hours(1));
    store.setVisible(true, QStringLiteral("menu"));
    processEvents();
    ASSERT_TRUE(QTest::qWaitFor([&] { return store.snapshot().has_value(); }, 10000));
    EXPECT_EQ(created(), 1);
}

} // namespace
} // namespace pulsegrove::testing
