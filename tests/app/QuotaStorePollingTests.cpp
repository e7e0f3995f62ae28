#include "QuotaStoreTestFixture.h"

namespace pulsegrove::testing {
namespace {

using namespace std::chrono_literals;

class QuotaStorePollingTest : public QuotaStoreTest {
protected:
    QTimer *timer() const { return m_store->findChild<QTimer *>(); }
    // Lets queued work and any refresh it started finish, then counts the exchanges so far.
    long settled()
    {
        settle(*m_store);
        return exchanges(m_codex);
    }
    // Lets the clock pass the throttle so that every asked-for refresh really fetches.
    void later() { m_now = m_now.addingSeconds(10); }
    void tick() { QMetaObject::invokeMethod(timer(), "timeout"); }
    void showMenu(bool visible) { m_store->setSurfaceVisible(visible, QStringLiteral("system-menu")); }

    std::unique_ptr<QuotaStore> m_store = makeStore();
};

TEST_F(QuotaStorePollingTest, NothingPollsUntilPollingStartsThenOneRefreshAndATimerWhoseTicksRefreshUnforced)
{
    // Neither a surface shown nor a wake before polling starts makes a timer or a refresh.
    showMenu(true);
    m_workspace.postWillSleep();
    m_workspace.postDidWake();
    EXPECT_EQ(settled(), 0);
    EXPECT_FALSE(m_store->hasPollingTimer());

    m_store->startPolling();
    EXPECT_FALSE(m_store->isRefreshing()) << "the first refresh runs as a task of its own";
    EXPECT_EQ(m_store->pollingInterval(), 60s);
    ASSERT_TRUE(timer() && timer()->isActive());
    EXPECT_EQ(settled(), 1);
    tick();
    EXPECT_EQ(settled(), 1) << "a tick within 5 s of the last fetch went ahead";
    later();
    m_store->startPolling();
    EXPECT_EQ(settled(), 1);
    tick();
    EXPECT_EQ(settled(), 2);

    later();
    m_store->stopPolling();
    EXPECT_FALSE(m_store->hasPollingTimer());
    showMenu(false);
    showMenu(true);
    EXPECT_EQ(settled(), 2);
    EXPECT_FALSE(m_store->hasPollingTimer());
}

TEST_F(QuotaStorePollingTest, SurfacesSwitchTheIntervalOnlyWhenTheFirstOpensOrTheLastCloses)
{
    m_store->startPolling();
    EXPECT_EQ(settled(), 1);
    EXPECT_EQ(m_store->pollingInterval(), 300s);
    later();

    m_store->setSurfaceVisible(true, QStringLiteral("panel-1"));
    const QTimer *visibleTimer = timer();
    EXPECT_EQ(m_store->pollingInterval(), 60s);
    EXPECT_EQ(settled(), 2);
    later();

    showMenu(true);
    showMenu(true);
    m_store->setSurfaceVisible(false, QStringLiteral("panel-1"));
    EXPECT_EQ(settled(), 2);
    EXPECT_EQ(timer(), visibleTimer) << "the timer was rebuilt";

    m_store->setSurfaceVisible(false, QStringLiteral("not-shown"));
    showMenu(false);
    EXPECT_EQ(settled(), 2) << "closing the last surface refreshed";
    EXPECT_EQ(m_store->pollingInterval(), 300s);
}

TEST_F(QuotaStorePollingTest, SleepDropsTheTimerAndWakeRebuildsItWithOneRefresh)
{
    m_store->startPolling();
    showMenu(true);
    // The machine and the screens each sleep and wake; both wakes may come, the second finds the
    // store awake.
    for (const auto &[sleep, wake] :
         {std::pair(&FakeWorkspace::postWillSleep, &FakeWorkspace::postDidWake),
          std::pair(&FakeWorkspace::postScreensDidSleep, &FakeWorkspace::postScreensDidWake)}) {
        const long before = settled();
        later();
        (m_workspace.*sleep)();
        processEvents();
        EXPECT_TRUE(m_store->isSleeping());
        EXPECT_FALSE(m_store->hasPollingTimer());
        // Neither a forced refresh nor a surface shown while asleep starts anything; the surface
        // is recorded for the wake.
        m_store->refresh(true);
        showMenu(false);
        showMenu(true);
        EXPECT_EQ(settled(), before);
        EXPECT_FALSE(m_store->hasPollingTimer());

        (m_workspace.*wake)();
        EXPECT_EQ(settled(), before + 1);
        EXPECT_FALSE(m_store->isSleeping());
        EXPECT_EQ(m_store->pollingInterval(), 60s);

        const QTimer *afterWake = timer();
        later();
        m_workspace.postDidWake();
        m_workspace.postScreensDidWake();
        EXPECT_EQ(settled(), before + 1);
        EXPECT_EQ(timer(), afterWake);
    }
}

TEST_F(QuotaStorePollingTest, ARefreshUnderWayWhenSleepBeginsRunsToItsEnd)
{
    // A slow answer keeps the exchange in flight while the sleep is handled.
    FakeCodex slow({"sleep 300", "expect", "send " + FakeCodex::initializeReply(), "expect", "expect",
                    "send " + FakeCodex::rateLimitsReply(FakeCodex::sampleResult())});
    m_store = makeStore(clientFor(slow));
    m_store->startPolling();
    m_store->refresh(false);
    ASSERT_TRUE(m_store->isRefreshing());
    m_workspace.postWillSleep();
    settle(*m_store);
    EXPECT_TRUE(m_store->isSleeping());
    EXPECT_TRUE(m_store->hasLiveSnapshot()) << m_store->errorMessage().value_or(QString()).toStdString();
}

TEST_F(QuotaStorePollingTest, AStoreWithoutSystemSettingsIgnoresSleep)
{
    m_store = makeStore(false);
    m_store->startPolling();
    m_workspace.postWillSleep();
    settle(*m_store);
    EXPECT_FALSE(m_store->isSleeping());
    EXPECT_TRUE(m_store->hasPollingTimer());
}

} // namespace
} // namespace pulsegrove::testing
