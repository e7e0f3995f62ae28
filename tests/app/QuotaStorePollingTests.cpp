#include "QuotaStoreTestFixture.h"

namespace pulsegrove::testing {
namespace {

using namespace std::chrono_literals;

class QuotaStorePollingTest : public QuotaStoreTest {
protected:
    QuotaStorePollingTest() : m_store(makeStore(clientFor(m_codex))) {}

    QTimer *timer() const { return m_store->findChild<QTimer *>(); }
    int exchanges() const
    {
        int count = 0;
        for (const auto &line : m_codex.receivedLines())
            count += line.find("\"initialize\"") != std::string::npos;
        return count;
    }
    // Lets the clock pass the throttle so that every asked-for refresh really fetches.
    void later() { m_now = m_now.addingSeconds(10); }

    FakeCodex m_codex{FakeCodex::answering()};
    std::unique_ptr<QuotaStore> m_store;
};

TEST_F(QuotaStorePollingTest, NothingPollsOrFetchesUntilPollingStarts)
{
    settle(*m_store);
    EXPECT_FALSE(m_store->hasPollingTimer());
    m_store->setSurfaceVisible(true, QStringLiteral("system-menu"));
    settle(*m_store);
    EXPECT_FALSE(m_store->hasPollingTimer());
    EXPECT_EQ(exchanges(), 0);
    EXPECT_TRUE(m_store->visibleSurfaces().contains(QStringLiteral("system-menu")));
}

TEST_F(QuotaStorePollingTest, StartingPollsEvery300SecondsAndRefreshesOnce)
{
    m_store->startPolling();
    EXPECT_FALSE(m_store->isRefreshing()) << "the first refresh runs as a task of its own";
    EXPECT_EQ(m_store->pollingInterval(), 300s);
    ASSERT_TRUE(timer());
    EXPECT_EQ(timer()->timerType(), Qt::CoarseTimer);
    EXPECT_TRUE(timer()->isActive());
    settle(*m_store);
    EXPECT_EQ(exchanges(), 1);
    m_store->startPolling();
    settle(*m_store);
    EXPECT_EQ(exchanges(), 1);
}

TEST_F(QuotaStorePollingTest, SurfacesSwitchTheIntervalOnlyWhenTheFirstOpensOrTheLastCloses)
{
    m_store->startPolling();
    settle(*m_store);
    later();

    m_store->setSurfaceVisible(true, QStringLiteral("panel-1"));
    const QTimer *visibleTimer = timer();
    EXPECT_EQ(m_store->pollingInterval(), 60s);
    settle(*m_store);
    EXPECT_EQ(exchanges(), 2);
    later();

    m_store->setSurfaceVisible(true, QStringLiteral("system-menu"));
    m_store->setSurfaceVisible(true, QStringLiteral("system-menu"));
    m_store->setSurfaceVisible(false, QStringLiteral("panel-1"));
    settle(*m_store);
    EXPECT_EQ(timer(), visibleTimer) << "the timer was rebuilt";
    EXPECT_EQ(m_store->pollingInterval(), 60s);
    EXPECT_EQ(exchanges(), 2);

    m_store->setSurfaceVisible(false, QStringLiteral("not-shown"));
    m_store->setSurfaceVisible(false, QStringLiteral("system-menu"));
    settle(*m_store);
    EXPECT_EQ(m_store->pollingInterval(), 300s);
    EXPECT_EQ(exchanges(), 2) << "closing the last surface refreshed";
}

TEST_F(QuotaStorePollingTest, ATimerTickRefreshesWithoutForcing)
{
    m_store->startPolling();
    settle(*m_store);
    QMetaObject::invokeMethod(timer(), "timeout");
    settle(*m_store);
    EXPECT_EQ(exchanges(), 1) << "a tick within 5 s of the last fetch went ahead";
    later();
    QMetaObject::invokeMethod(timer(), "timeout");
    settle(*m_store);
    EXPECT_EQ(exchanges(), 2);
}

TEST_F(QuotaStorePollingTest, StoppingDropsTheTimerForGood)
{
    m_store->startPolling();
    m_store->stopPolling();
    EXPECT_FALSE(m_store->hasPollingTimer());
    m_store->setSurfaceVisible(true, QStringLiteral("system-menu"));
    EXPECT_FALSE(m_store->hasPollingTimer());
    EXPECT_EQ(m_store->pollingInterval(), std::nullopt);
}

TEST_F(QuotaStorePollingTest, SleepDropsTheTimerAndWakeRebuildsItWithOneRefresh)
{
    m_store->startPolling();
    m_store->setSurfaceVisible(true, QStringLiteral("system-menu"));
    settle(*m_store);
    later();

    m_workspace.postWillSleep();
    processEvents();
    EXPECT_TRUE(m_store->isSleeping());
    EXPECT_FALSE(m_store->hasPollingTimer());
    EXPECT_TRUE(m_store->refresh(true).isFinished());
    // A surface shown while asleep is recorded but starts nothing.
    m_store->setSurfaceVisible(false, QStringLiteral("system-menu"));
    m_store->setSurfaceVisible(true, QStringLiteral("panel-2"));
    settle(*m_store);
    EXPECT_FALSE(m_store->hasPollingTimer());
    EXPECT_EQ(exchanges(), 1);

    m_workspace.postDidWake();
    settle(*m_store);
    EXPECT_FALSE(m_store->isSleeping());
    EXPECT_EQ(m_store->pollingInterval(), 60s);
    EXPECT_EQ(exchanges(), 2);

    // The screens' wake that follows finds the store awake and does nothing.
    const QTimer *afterWake = timer();
    later();
    m_workspace.postScreensDidWake();
    settle(*m_store);
    EXPECT_EQ(timer(), afterWake);
    EXPECT_EQ(exchanges(), 2);
}

TEST_F(QuotaStorePollingTest, ScreensSleepingCountAsSleep)
{
    m_store->startPolling();
    settle(*m_store);
    m_workspace.postScreensDidSleep();
    processEvents();
    EXPECT_FALSE(m_store->hasPollingTimer());
    m_workspace.postScreensDidWake();
    processEvents();
    EXPECT_EQ(m_store->pollingInterval(), 300s);
}

TEST_F(QuotaStorePollingTest, ARefreshUnderWayWhenSleepBeginsRunsToItsEnd)
{
    m_store->startPolling();
    processEvents();
    ASSERT_TRUE(m_store->isRefreshing());
    m_workspace.postWillSleep();
    settle(*m_store);
    EXPECT_TRUE(m_store->isSleeping());
    EXPECT_TRUE(m_store->hasLiveSnapshot());
    EXPECT_FALSE(m_store->hasPollingTimer());
}

TEST_F(QuotaStorePollingTest, WakingWithPollingOffRefreshesNothing)
{
    m_workspace.postWillSleep();
    m_workspace.postDidWake();
    settle(*m_store);
    EXPECT_FALSE(m_store->isSleeping());
    EXPECT_FALSE(m_store->hasPollingTimer());
    EXPECT_EQ(exchanges(), 0);
}

TEST_F(QuotaStorePollingTest, AStoreWithoutSystemSettingsIgnoresSleep)
{
    auto store = makeStore(unreachableClient(), false);
    store->startPolling();
    m_workspace.postWillSleep();
    settle(*store);
    EXPECT_FALSE(store->isSleeping());
    EXPECT_TRUE(store->hasPollingTimer());
}

} // namespace
} // namespace pulsegrove::testing
