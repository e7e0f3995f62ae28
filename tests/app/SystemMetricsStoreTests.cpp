#include "FakeWorkspace.h"
#include "stores/SystemMetricsStore.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <stdexcept>

namespace pulsegrove::testing {
namespace {

// What the fake samplers of one test share: the snapshot they hand out, whether they hold each
// sample until released (a held sample then hands out heldResult) or throw, and how many samples
// were asked for.
struct SamplerScript {
    std::mutex mutex;
    std::condition_variable changed;
    SystemMetricsSnapshot next, heldResult;
    bool holding = false;
    bool throwing = false;
    int samplesStarted = 0;

    template <typename T> void set(T &field, T value)
    {
        std::lock_guard lock(mutex);
        field = std::move(value);
        changed.notify_all();
    }
};

class FakeSampler final : public SystemMetricsSampling {
public:
    explicit FakeSampler(std::shared_ptr<SamplerScript> script) : m_script(std::move(script)) {}
    SystemMetricsSnapshot sample() override
    {
        std::unique_lock lock(m_script->mutex);
        ++m_script->samplesStarted;
        const bool held = m_script->holding;
        m_script->changed.wait(lock, [this] { return !m_script->holding; });
        if (m_script->throwing)
            throw std::runtime_error("sensor exploded");
        return held ? m_script->heldResult : m_script->next;
    }

private:
    std::shared_ptr<SamplerScript> m_script;
};

SystemMetricsSnapshot snapshotWith(std::optional<double> temperature, std::optional<double> memory, Date at)
{
    SystemMetricsSnapshot snapshot;
    snapshot.cpuTemperatureCelsius = temperature;
    snapshot.memoryUsedPercent = memory;
    snapshot.sampledAt = at;
    return snapshot;
}

class SystemMetricsStoreTests : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_script->next = snapshotWith(55.0, 40.0, m_now);
        m_store = std::make_unique<SystemMetricsStore>(nullptr, &m_workspace, [this] { return m_now; });
        m_store->setSamplerFactory([this] {
            auto sampler = std::make_shared<FakeSampler>(m_script);
            m_samplers.push_back(sampler);
            return sampler;
        });
        // Long enough that the loop never samples a second time unless a test shortens it.
        m_store->setPollingInterval(std::chrono::hours(1));
    }
    void TearDown() override
    {
        hold(false);
        m_store.reset();
    }

    void advance(double seconds) { m_now = m_now.addingSeconds(seconds); }
    void hold(bool holding) { m_script->set(m_script->holding, holding); }
    int created() const { return static_cast<int>(m_samplers.size()); }
    int destroyed() const
    {
        return static_cast<int>(std::count_if(m_samplers.begin(), m_samplers.end(),
                                              [](const auto &sampler) { return sampler.expired(); }));
    }
    int samplesStarted()
    {
        std::lock_guard lock(m_script->mutex);
        return m_script->samplesStarted;
    }

    static void processEvents()
    {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    static void await(const QFuture<void> &future)
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return future.isFinished(); }, 10000));
    }
    void waitForSampleStarts(int count)
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return samplesStarted() >= count; }, 10000));
    }
    // A finished sample's worker lets go of its sampler a moment after the result is handled.
    void expectDestroyed(int count)
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return destroyed() >= count; }, 10000));
        EXPECT_EQ(destroyed(), count);
    }
    // Waits until that many samples have started and the last of them has been handled.
    void settle(int started)
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return samplesStarted() >= started && !m_store->isSampling(); }, 10000));
        processEvents();
    }
    void show(const char *source, bool visible = true) { m_store->setVisible(visible, QString::fromUtf8(source)); }

    Date m_now = Date::fromReferenceSeconds(800'000'000);
    std::shared_ptr<SamplerScript> m_script = std::make_shared<SamplerScript>();
    std::vector<std::weak_ptr<FakeSampler>> m_samplers;
    FakeWorkspace m_workspace;
    std::unique_ptr<SystemMetricsStore> m_store;
};

TEST_F(SystemMetricsStoreTests, OneLoopRunsWhileAnySurfaceIsVisible)
{
    QSignalSpy willChange(m_store.get(), &SystemMetricsStore::objectWillChange);
    show("x", false);
    EXPECT_TRUE(m_store->refresh(true).isFinished());
    processEvents();
    EXPECT_EQ(willChange.count(), 0) << "without a visible surface not even isSampling moves";
    EXPECT_EQ(created(), 0);

    show("a");
    show("b");
    settle(1);
    EXPECT_EQ(created(), 1);
    EXPECT_EQ(samplesStarted(), 1);
    ASSERT_TRUE(m_store->snapshot());
    EXPECT_EQ(m_store->snapshot()->cpuTemperatureCelsius, 55.0);
    EXPECT_TRUE(m_store->isWaitingForNextSample());

    show("a", false);
    EXPECT_TRUE(m_store->isPolling());
    EXPECT_TRUE(m_store->hasSampler());

    show("b", false);
    EXPECT_FALSE(m_store->isPolling());
    EXPECT_FALSE(m_store->isWaitingForNextSample());
    expectDestroyed(1); // dropping the sampler closes it
    EXPECT_TRUE(m_store->snapshot()) << "the last snapshot stays";
}

TEST_F(SystemMetricsStoreTests, TheLoopStartsTheNextSampleAfterThePause)
{
    m_store->setPollingInterval(std::chrono::milliseconds(1));
    show("menu");
    waitForSampleStarts(3);
    EXPECT_EQ(created(), 1) << "one sampler serves the whole loop";
}

TEST_F(SystemMetricsStoreTests, TheSnapshotAgeGatesUnforcedRefreshesAndStaleness)
{
    EXPECT_TRUE(m_store->isStale());
    show("menu");
    settle(1);
    advance(0.5);
    await(m_store->refresh(false));
    EXPECT_EQ(samplesStarted(), 1);

    advance(0.5);
    m_script->set(m_script->next, snapshotWith(60.0, 41.0, m_now));
    await(m_store->refresh(false));
    EXPECT_EQ(samplesStarted(), 2);
    EXPECT_EQ(m_store->snapshot()->cpuTemperatureCelsius, 60.0);
    await(m_store->refresh(true));
    EXPECT_EQ(samplesStarted(), 3) << "a forced refresh ignores the age";

    advance(15.0);
    EXPECT_FALSE(m_store->isStale());
    advance(0.1);
    EXPECT_TRUE(m_store->isStale());
}

TEST_F(SystemMetricsStoreTests, OnlyASampleWithNothingReadCarriesTheMessage)
{
    m_script->set(m_script->next, snapshotWith(std::nullopt, std::nullopt, m_now));
    show("menu");
    settle(1);
    ASSERT_TRUE(m_store->snapshot());
    EXPECT_EQ(m_store->errorMessage(), QString::fromUtf8("系统指标暂时不可用"));

    const auto memoryOnly = snapshotWith(std::nullopt, 33.0, m_now);
    m_script->set(m_script->next, memoryOnly);
    await(m_store->refresh(true));
    EXPECT_EQ(m_store->snapshot(), memoryOnly);
    EXPECT_FALSE(m_store->errorMessage());
}

TEST_F(SystemMetricsStoreTests, EveryChangeIsAnnouncedBeforeItLands)
{
    std::vector<std::string> events;
    auto record = [&](auto signal, auto describe) {
        QObject::connect(m_store.get(), signal, m_store.get(), [&events, describe] { events.push_back(describe()); });
    };
    record(&SystemMetricsStore::objectWillChange,
           [this] { return m_store->snapshot() ? "will-change (has snapshot)" : "will-change"; });
    record(&SystemMetricsStore::snapshotChanged, [] { return "snapshot"; });
    record(&SystemMetricsStore::isSamplingChanged, [this] { return m_store->isSampling() ? "sampling" : "idle"; });
    record(&SystemMetricsStore::errorMessageChanged, [] { return "error"; });

    show("menu");
    settle(1);
    EXPECT_EQ(events, (std::vector<std::string>{"will-change", "sampling", "will-change", "idle", "will-change",
                                                "snapshot", "will-change (has snapshot)", "error"}));
}

TEST_F(SystemMetricsStoreTests, SleepDuringASampleDiscardsItsResultAndWakeResumesWithANewSampler)
{
    hold(true);
    show("panel");
    waitForSampleStarts(1);
    EXPECT_TRUE(m_store->refresh(true).isFinished()) << "a refresh during a running sample is dropped";
    m_workspace.postWillSleep();
    processEvents();
    EXPECT_TRUE(m_store->isSleeping());
    EXPECT_FALSE(m_store->isPolling());
    EXPECT_EQ(destroyed(), 0) << "the running sample keeps its sampler";

    hold(false);
    settle(1);
    EXPECT_FALSE(m_store->snapshot());
    expectDestroyed(1);
    await(m_store->refresh(true));
    EXPECT_EQ(samplesStarted(), 1) << "neither the dropped refresh nor one while asleep sampled";

    m_workspace.postDidWake();
    settle(2);
    EXPECT_FALSE(m_store->isSleeping());
    EXPECT_EQ(created(), 2);
    EXPECT_TRUE(m_store->snapshot());
}

TEST_F(SystemMetricsStoreTests, ScreensSleepLikeTheMachineTwoWakesResumeOnceAndStopPollingEndsIt)
{
    show("panel");
    settle(1);
    m_workspace.postScreensDidSleep();
    processEvents();
    EXPECT_TRUE(m_store->isSleeping());
    EXPECT_FALSE(m_store->hasSampler());

    m_workspace.postScreensDidWake();
    m_workspace.postDidWake();
    settle(2);
    EXPECT_TRUE(m_store->isPolling());
    EXPECT_EQ(created(), 2);
    EXPECT_EQ(samplesStarted(), 2);

    show("panel", false);
    m_workspace.postWillSleep();
    m_workspace.postDidWake();
    processEvents();
    EXPECT_FALSE(m_store->isSleeping());
    EXPECT_FALSE(m_store->isPolling());
    EXPECT_EQ(created(), 2);

    show("panel");
    m_store->stopPolling();
    EXPECT_TRUE(m_store->visibleConsumers().isEmpty());
    EXPECT_FALSE(m_store->isPolling());
    show("panel");
    m_workspace.postWillSleep();
    processEvents();
    EXPECT_FALSE(m_store->isSleeping()) << "after stopPolling sleep no longer reaches the store";
    EXPECT_TRUE(m_store->isPolling());
}

TEST_F(SystemMetricsStoreTests, AResultOfACancelledLoopIsDiscardedEvenWhenASurfaceReturns)
{
    for (const bool surfaceReturns : {false, true}) {
        const int started = samplesStarted() + 1, destroyedBefore = destroyed();
        hold(true);
        show("panel");
        waitForSampleStarts(started);
        show("panel", false);
        if (surfaceReturns)
            show("menu");
        m_script->set(m_script->heldResult, snapshotWith(99.0, 99.0, m_now));
        hold(false);
        settle(started);
        // The returning surface's loop may take a sample of its own, but never publishes the old one.
        EXPECT_FALSE(m_store->snapshot() && (!surfaceReturns || m_store->snapshot()->cpuTemperatureCelsius == 99.0));
        EXPECT_EQ(m_store->isPolling(), surfaceReturns);
        expectDestroyed(destroyedBefore + 1); // the cancelled loop's sampler, once its sample ended
    }
}

TEST_F(SystemMetricsStoreTests, AnAskedForSampleIsDiscardedWhenTheSurfacesCloseOrTheMachineSleeps)
{
    m_script->set(m_script->heldResult, snapshotWith(99.0, 99.0, m_now));
    for (const bool sleeps : {false, true}) {
        show("menu");
        settle(samplesStarted() + 1);
        const int started = samplesStarted() + 1;
        hold(true);
        const auto refresh = m_store->refresh(true);
        waitForSampleStarts(started);
        if (sleeps)
            m_workspace.postWillSleep();
        else
            show("menu", false);
        processEvents();
        hold(false);
        await(refresh);
        EXPECT_EQ(m_store->snapshot()->cpuTemperatureCelsius, 55.0) << sleeps;
    }
}

TEST_F(SystemMetricsStoreTests, GoingAwayBeforeAFinishedSampleIsHandledIsSafe)
{
    hold(true);
    show("menu");
    waitForSampleStarts(1);
    hold(false);
    m_store.reset(); // waits for the sample, whose result then has no store to land in
    EXPECT_EQ(destroyed(), 1);
}

TEST_F(SystemMetricsStoreTests, ASamplerThatThrowsLosesOnlyThatSample)
{
    m_script->set(m_script->throwing, true);
    show("menu");
    settle(1);
    EXPECT_FALSE(m_store->snapshot());

    m_script->set(m_script->throwing, false);
    await(m_store->refresh(true));
    EXPECT_TRUE(m_store->snapshot());
}

} // namespace
} // namespace pulsegrove::testing
