#include "FakeWorkspace.h"
#include "stores/SystemMetricsStore.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <condition_variable>
#include <functional>
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
    bool holding = false, throwing = false;
    int samplesStarted = 0;

    template <typename T> void set(T &field, T value)
    {
        std::lock_guard lock(mutex);
        field = std::move(value);
        changed.notify_all();
    }
};

struct FakeSampler final : SystemMetricsSampling {
    explicit FakeSampler(std::shared_ptr<SamplerScript> script) : script(std::move(script)) {}
    SystemMetricsSnapshot sample() override
    {
        std::unique_lock lock(script->mutex);
        ++script->samplesStarted;
        const bool held = script->holding;
        script->changed.wait(lock, [this] { return !script->holding; });
        if (script->throwing)
            throw std::runtime_error("sensor exploded");
        return held ? script->heldResult : script->next;
    }
    std::shared_ptr<SamplerScript> script;
};

SystemMetricsSnapshot snapshotWith(std::optional<double> temperature, std::optional<double> memory, Date at)
{
    return {temperature, CPUTemperatureSource::unavailable, {}, memory, {},
            {},          SystemThermalState::nominal,       at};
}

class SystemMetricsStoreTests : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_script->next = snapshotWith(55.0, 40.0, m_now);
        m_store = makeStore();
        // Long enough that the loop never samples a second time unless a test shortens it.
        m_store->setPollingInterval(std::chrono::hours(1));
    }
    // A store at the application's own pace, whose samplers are the script's.
    std::unique_ptr<SystemMetricsStore> makeStore()
    {
        auto store = std::make_unique<SystemMetricsStore>(nullptr, &m_workspace, [this] { return m_now; });
        // Samplers are made on the sampling worker.
        store->setSamplerFactory([this] {
            std::lock_guard lock(m_script->mutex);
            m_samplerMadeOnMainThread |= QThread::currentThread() == QCoreApplication::instance()->thread();
            return m_samplers.emplace_back(std::make_shared<FakeSampler>(m_script)).lock();
        });
        return store;
    }
    void TearDown() override { hold(false); } // so that the store, going first, is not kept waiting

    void advance(double seconds) { m_now = m_now.addingSeconds(seconds); }
    void hold(bool holding) { m_script->set(m_script->holding, holding); }
    int created()
    {
        std::lock_guard lock(m_script->mutex);
        return static_cast<int>(m_samplers.size());
    }
    int destroyed()
    {
        std::lock_guard lock(m_script->mutex);
        return int(std::ranges::count_if(m_samplers, [](auto &s) { return s.expired(); }));
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
    static void waitFor(const std::function<bool()> &condition)
    {
        ASSERT_TRUE(QTest::qWaitFor(condition, 10000));
    }
    static void await(const QFuture<void> &future)
    {
        waitFor([&] { return future.isFinished(); });
    }
    // A finished sample's worker lets go of its sampler a moment after the result is handled.
    void expectDestroyed(int count)
    {
        waitFor([&] { return destroyed() >= count; });
        EXPECT_EQ(destroyed(), count);
    }
    // Waits until that many samples have started and the last of them has been handled.
    void settle(int started)
    {
        waitFor([&] { return samplesStarted() >= started && !m_store->isSampling(); });
        processEvents();
    }
    void show(const char *source, bool visible = true)
    {
        m_store->setVisible(visible, QString::fromUtf8(source));
    }
    void showWithAHeldSample(const char *source)
    {
        hold(true);
        show(source);
        waitFor([&] { return samplesStarted() >= 1; });
    }

    Date m_now = Date::fromReferenceSeconds(800'000'000);
    std::shared_ptr<SamplerScript> m_script = std::make_shared<SamplerScript>();
    std::vector<std::weak_ptr<FakeSampler>> m_samplers;
    bool m_samplerMadeOnMainThread = false;
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
    EXPECT_FALSE(m_samplerMadeOnMainThread) << "hardware discovery never holds up the interface";
    EXPECT_EQ(samplesStarted(), 1);
    EXPECT_EQ(m_store->snapshot(), snapshotWith(55.0, 40.0, m_now));
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

// At the application's pace the loop waits 5 s before the next sample, and starts counting only
// once a sample has ended: a slow sample never brings the next one closer.
TEST_F(SystemMetricsStoreTests, TheLoopPausesFiveSecondsFromTheEndOfEachSample)
{
    m_store = makeStore();
    showWithAHeldSample("panel");
    processEvents();
    EXPECT_FALSE(m_store->isWaitingForNextSample()) << "no pause runs while the sample does";

    hold(false);
    settle(1);
    EXPECT_TRUE(m_store->isWaitingForNextSample());
    EXPECT_EQ(m_store->nextSampleDelay(), std::chrono::seconds(5));
    EXPECT_EQ(samplesStarted(), 1);
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

TEST_F(SystemMetricsStoreTests,
       EveryChangeIsAnnouncedBeforeItLandsAndOnlyASampleWithNothingReadCarriesTheMessage)
{
    std::vector<std::string> events;
    auto record = [&](auto signal, auto describe) {
        QObject::connect(m_store.get(), signal, m_store.get(),
                         [&events, describe] { events.push_back(describe()); });
    };
    record(&SystemMetricsStore::objectWillChange,
           [this] { return m_store->snapshot() ? "will-change (has snapshot)" : "will-change"; });
    record(&SystemMetricsStore::snapshotChanged, [] { return "snapshot"; });
    record(&SystemMetricsStore::isSamplingChanged,
           [this] { return m_store->isSampling() ? "sampling" : "idle"; });
    record(&SystemMetricsStore::errorMessageChanged, [] { return "error"; });

    m_script->set(m_script->next, snapshotWith(std::nullopt, std::nullopt, m_now));
    show("menu");
    settle(1);
    EXPECT_EQ(events,
              (std::vector<std::string>{"will-change", "sampling", "will-change", "idle", "will-change",
                                        "snapshot", "will-change (has snapshot)", "error"}));
    EXPECT_EQ(m_store->errorMessage(), QString::fromUtf8("系统指标暂时不可用"));

    const auto memoryOnly = snapshotWith(std::nullopt, 33.0, m_now);
    m_script->set(m_script->next, memoryOnly);
    await(m_store->refresh(true));
    EXPECT_EQ(m_store->snapshot(), memoryOnly);
    EXPECT_FALSE(m_store->errorMessage());
}

TEST_F(SystemMetricsStoreTests, SleepDuringASampleDiscardsItsResultAndWakeResumesWithANewSampler)
{
    showWithAHeldSample("panel");
    EXPECT_TRUE(m_store->refresh(true).isFinished()) << "a refresh during a running sample is dropped";
    // Screens going to sleep count as the machine's sleep.
    m_workspace.postScreensDidSleep();
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

    m_workspace.postScreensDidWake();
    m_workspace.postDidWake();
    settle(2);
    EXPECT_FALSE(m_store->isSleeping());
    EXPECT_EQ(created(), 2) << "two wakes resume once";
    EXPECT_TRUE(m_store->snapshot());
}

TEST_F(SystemMetricsStoreTests, AWakeWithoutASurfaceStartsNothingAndStopPollingEndsIt)
{
    show("panel");
    settle(1);
    m_workspace.postWillSleep();
    show("panel", false);
    m_workspace.postDidWake();
    processEvents();
    EXPECT_FALSE(m_store->isSleeping());
    EXPECT_FALSE(m_store->isPolling());
    EXPECT_EQ(created(), 1);

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
    m_script->set(m_script->heldResult, snapshotWith(99.0, 99.0, m_now));
    showWithAHeldSample("panel");
    show("panel", false);
    show("menu");
    hold(false);
    settle(1);
    // The returning surface's loop may take a sample of its own, but never publishes the old one.
    EXPECT_FALSE(m_store->snapshot() && m_store->snapshot()->cpuTemperatureCelsius == 99.0);
    EXPECT_TRUE(m_store->isPolling());
    expectDestroyed(1); // the cancelled loop's sampler, once its sample ended
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
        waitFor([&] { return samplesStarted() >= started; });
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
    showWithAHeldSample("menu");
    hold(false);
    m_store.reset(); // waits for the sample, whose result then has no store to land in
    EXPECT_EQ(destroyed(), 1);
}

TEST_F(SystemMetricsStoreTests, ASamplerThatThrowsLosesOnlyThatSampleAndTheLoopGoesOnAfterThePause)
{
    m_script->set(m_script->throwing, true);
    m_store->setPollingInterval(std::chrono::milliseconds(1));
    show("menu");
    waitFor([&] { return samplesStarted() >= 3; });
    EXPECT_EQ(created(), 1) << "one sampler serves the whole loop";
    EXPECT_FALSE(m_store->snapshot());

    m_script->set(m_script->throwing, false);
    waitFor([&] { return m_store->snapshot().has_value(); });
}

} // namespace
} // namespace pulsegrove::testing
