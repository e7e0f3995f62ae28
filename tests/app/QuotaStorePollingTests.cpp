#include "QuotaStoreTestFixture.h"

namespace pulsegrove::testing {
namespace {

using namespace std::chrono_literals;

class QuotaStorePollingTest : public QuotaStoreTest {
protected:
    QTimer *timer() const { return m_store->findChild<QTimer *>(); }
    int exchanges() const { return QuotaStoreTest::exchanges(m_codex); }
    // Lets the clock pass the throttle so that every asked-for refresh really fetches.
    void later() { m_now = m_now.addingSeconds(10); }

    std::unique_ptr<QuotaStore> m_store = makeStore();
};

TEST_F(QuotaStorePollingTest, NothingPollsUntilPollingStartsThenOneRefreshAndATimer)
{
    // Neither a surface shown nor a wake before polling starts makes a timer or a refresh.
    m_store->setSurfaceVisible(true, QStringLiteral("system-menu"));
    m_workspace.postWillSleep();
    m_workspace.postDidWake();
    settle(*m_store);
    EXPECT_FALSE(m_store->isSleeping());
    EXPECT_FALSE(m_store->hasPollingTimer());
    EXPECT_EQ(exchanges(), 0);

    m_store->startPolling();
    EXPECT_FALSE(m_store->isRefreshing()) << "the first refresh runs as a task of its own";
    EXPECT_EQ(m_store->pollingInterval(), 60s);
    ASSERT_TRUE(timer());
    EXPECT_EQ(timer()->timerType(), Qt::CoarseTimer);
    EXPECT_TRUE(timer()->isActive());
    settle(*m_store);
    EXPECT_EQ(exchanges(), 1);
    later();
    m_store->startPolling();
    settle(*m_store);
    EXPECT_EQ(exchanges(), 1);

    m_store->stopPolling();
    EXPECT_FALSE(m_store->hasPollingTimer());
    m_store->setSurfaceVisible(false, QStringLiteral("system-menu"));
    m_store->setSurfaceVisible(true, QStringLiteral("system-menu"));
    settle(*m_store);
    EXPECT_FALSE(m_store->hasPollingTimer());
    EXPECT_EQ(exchanges(), 1);
}

TEST_F(QuotaStorePollingTest, SurfacesSwitchTheIntervalOnlyWhenTheFirstOpensOrTheLastCloses)
{
    m_store->startPolling();
    settle(*m_store);
    EXPECT_EQ(m_store->pollingInterval(), 300s);
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

TEST_F(QuotaStorePollingTest, SleepDropsTheTimerAndWakeRebuildsItWithOneRefresh)
{
    m_store->startPolling();
    m_store->setSurfaceVisible(true, QStringLiteral("system-menu"));
    settle(*m_store);
    // The machine and the screens each sleep and wake; both wakes may come, the second finds the
    // store awake.
    const std::vector<std::pair<void (FakeWorkspace::*)(), void (FakeWorkspace::*)()>> sleepThenWakes = {
        {&FakeWorkspace::postWillSleep, &FakeWorkspace::postDidWake},
        {&FakeWorkspace::postScreensDidSleep, &FakeWorkspace::postScreensDidWake}};
    for (const auto &[sleep, wake] : sleepThenWakes) {
        const int before = exchanges();
        later();
        (m_workspace.*sleep)();
        processEvents();
        EXPECT_TRUE(m_store->isSleeping());
        EXPECT_FALSE(m_store->hasPollingTimer());
        EXPECT_TRUE(m_store->refresh(true).isFinished());
        // A surface shown while asleep is recorded but starts nothing.
        m_store->setSurfaceVisible(false, QStringLiteral("system-menu"));
        m_store->setSurfaceVisible(true, QStringLiteral("system-menu"));
        settle(*m_store);
        EXPECT_FALSE(m_store->hasPollingTimer());
        EXPECT_EQ(exchanges(), before);

        (m_workspace.*wake)();
        settle(*m_store);
        EXPECT_FALSE(m_store->isSleeping());
        EXPECT_EQ(m_store->pollingInterval(), 60s);
        EXPECT_EQ(exchanges(), before + 1);

        const QTimer *afterWake = timer();
        later();
        m_workspace.postDidWake();
        m_workspace.postScreensDidWake();
        settle(*m_store);
        EXPECT_EQ(timer(), afterWake);
        EXPECT_EQ(exchanges(), before + 1);
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
    EXPECT_FALSE(m_store->hasPollingTimer());
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
