#include "QuotaStoreTestFixture.h"

#include <fstream>

namespace pulsegrove::testing {
namespace {

using QuotaStoreRefreshTest = QuotaStoreTest;

int exchangesRun(const FakeCodex &codex)
{
    int count = 0;
    for (const auto &line : codex.receivedLines())
        count += line.find("\"initialize\"") != std::string::npos;
    return count;
}

// Notes, for each message, whether the cache file existed when it was logged.
class CacheWitnessLog : public RecordingSystemLog {
public:
    explicit CacheWitnessLog(std::filesystem::path cacheFile) : m_cacheFile(std::move(cacheFile)) {}
    void log(LogLevel level, const QString &category, const QString &format,
             const QStringList &arguments) override
    {
        cacheExistedAtLog.push_back(std::filesystem::exists(m_cacheFile));
        RecordingSystemLog::log(level, category, format, arguments);
    }
    std::vector<bool> cacheExistedAtLog;

private:
    std::filesystem::path m_cacheFile;
};

TEST_F(QuotaStoreRefreshTest, SuccessPublishesInOrderThenSavesTheCacheAndLogs)
{
    FakeCodex codex(FakeCodex::answering());
    const auto witness = std::make_shared<CacheWitnessLog>(m_cache->fileURL());
    m_log = witness;
    auto store = makeStore(clientFor(codex));
    QuotaStore *s = store.get();
    QStringList events;
    QObject::connect(s, &QuotaStore::objectWillChange, s, [&] {
        events << QStringLiteral("will(snapshot=%1,live=%2)")
                      .arg(s->snapshot().has_value())
                      .arg(s->hasLiveSnapshot());
    });
    QObject::connect(s, &QuotaStore::isRefreshingChanged, s, [&] {
        events << QStringLiteral("refreshing=%1 cache=%2 log=%3")
                      .arg(s->isRefreshing())
                      .arg(std::filesystem::exists(m_cache->fileURL()))
                      .arg(m_log->entries.size());
    });
    QObject::connect(s, &QuotaStore::snapshotChanged, s, [&] { events << QStringLiteral("snapshot"); });
    QObject::connect(s, &QuotaStore::hasLiveSnapshotChanged, s, [&] { events << QStringLiteral("live"); });
    QObject::connect(s, &QuotaStore::errorMessageChanged, s, [&] {
        events << QStringLiteral("error cache=%1").arg(std::filesystem::exists(m_cache->fileURL()));
    });

    await(store->refresh(false));

    EXPECT_EQ(events, (QStringList{QStringLiteral("will(snapshot=0,live=0)"),
                                   QStringLiteral("refreshing=1 cache=0 log=0"),
                                   QStringLiteral("will(snapshot=0,live=0)"), QStringLiteral("snapshot"),
                                   QStringLiteral("will(snapshot=1,live=0)"), QStringLiteral("live"),
                                   QStringLiteral("will(snapshot=1,live=1)"), QStringLiteral("error cache=0"),
                                   QStringLiteral("will(snapshot=1,live=1)"),
                                   QStringLiteral("refreshing=0 cache=1 log=1")}));
    ASSERT_TRUE(store->snapshot());
    EXPECT_EQ(store->snapshot()->planType(), "pro");
    EXPECT_EQ(store->snapshot()->fetchedAt(), m_now);
    EXPECT_FALSE(store->isStale());
    ASSERT_EQ(m_log->entries.size(), 1u);
    EXPECT_EQ(m_log->entries[0].level, LogLevel::info);
    EXPECT_EQ(m_log->entries[0].category, QStringLiteral("quota"));
    EXPECT_EQ(m_log->entries[0].format, QStringLiteral("Quota refreshed successfully"));
    EXPECT_EQ(witness->cacheExistedAtLog, std::vector<bool>{true});
}

TEST_F(QuotaStoreRefreshTest, FailureKeepsTheSnapshotShowsTheReasonAndLogsItPrivately)
{
    FakeCodex good(FakeCodex::answering());
    auto store = makeStore(clientFor(good));
    await(store->refresh(true));
    const auto before = store->snapshot();

    FakeCodex broken(closingAfterTheFirstRequest());
    store = makeStore(clientFor(broken));
    // The new store starts from the cache the first one wrote.
    EXPECT_EQ(store->snapshot(), before);
    await(store->refresh(true));
    EXPECT_EQ(store->snapshot(), before);
    EXPECT_FALSE(store->hasLiveSnapshot());
    EXPECT_EQ(store->errorMessage(), QString::fromUtf8("Codex 数据服务意外断开。"));
    EXPECT_TRUE(store->isStale());
    ASSERT_EQ(m_log->entries.size(), 2u);
    EXPECT_EQ(m_log->entries[1].level, LogLevel::error);
    EXPECT_EQ(m_log->entries[1].format, QStringLiteral("Quota refresh failed: %{private}s"));
    EXPECT_EQ(m_log->entries[1].arguments, QStringList{*store->errorMessage()});
    EXPECT_EQ(m_log->entries[1].rendered, QStringLiteral("Quota refresh failed: <private>"));
    EXPECT_FALSE(store->isRefreshing());
}

TEST_F(QuotaStoreRefreshTest, ALaterSuccessClearsTheErrorAndMakesTheDataLive)
{
    FakeCodex broken(closingAfterTheFirstRequest());
    auto failing = makeStore(clientFor(broken));
    await(failing->refresh(true));
    ASSERT_TRUE(failing->errorMessage());

    FakeCodex good(FakeCodex::answering());
    auto store = makeStore(clientFor(good));
    await(store->refresh(true));
    EXPECT_EQ(store->errorMessage(), std::nullopt);
    EXPECT_TRUE(store->hasLiveSnapshot());
}

TEST_F(QuotaStoreRefreshTest, ARefreshWhileOneRunsReturnsAtOnceWithoutEffect)
{
    FakeCodex codex(FakeCodex::answering());
    auto store = makeStore(clientFor(codex));
    const auto first = store->refresh(true);
    ASSERT_TRUE(store->isRefreshing());
    const auto second = store->refresh(true);
    EXPECT_TRUE(second.isFinished());
    await(first);
    EXPECT_EQ(exchangesRun(codex), 1);
}

TEST_F(QuotaStoreRefreshTest, AFreshSnapshotHoldsBackUnforcedRefreshesOnly)
{
    FakeCodex codex(FakeCodex::answering());
    auto store = makeStore(clientFor(codex));
    // Without any snapshot there is nothing to throttle against.
    await(store->refresh(false));
    ASSERT_EQ(exchangesRun(codex), 1);

    m_now = m_now.addingSeconds(4.9);
    EXPECT_TRUE(store->refresh(false).isFinished());
    EXPECT_FALSE(store->isRefreshing());
    await(store->refresh(true));
    EXPECT_EQ(exchangesRun(codex), 2);

    m_now = m_now.addingSeconds(5.0);
    await(store->refresh(false));
    EXPECT_EQ(exchangesRun(codex), 3);
}

TEST_F(QuotaStoreRefreshTest, ASnapshotFromTheFutureDoesNotHoldRefreshesBack)
{
    // Written while the clock was ahead; the clock has since been set back.
    m_cache->save(QuotaSnapshot(std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                                m_now.addingSeconds(3600)));
    FakeCodex codex(FakeCodex::answering());
    auto store = makeStore(clientFor(codex));
    await(store->refresh(false));
    EXPECT_EQ(exchangesRun(codex), 1);
    EXPECT_TRUE(store->hasLiveSnapshot());
}

TEST_F(QuotaStoreRefreshTest, StalenessFollowsAgeLivenessAndErrors)
{
    auto store = makeStore();
    EXPECT_TRUE(store->isStale()) << "no snapshot";

    FakeCodex codex(FakeCodex::answering());
    store = makeStore(clientFor(codex));
    EXPECT_TRUE(store->snapshot() == std::nullopt);
    await(store->refresh(true));
    const Date fetchedAt = store->snapshot()->fetchedAt();
    m_now = fetchedAt.addingSeconds(900);
    EXPECT_FALSE(store->isStale());
    m_now = fetchedAt.addingSeconds(900.001);
    EXPECT_TRUE(store->isStale());

    // The same snapshot read back from the cache is never live, whatever its age.
    m_now = fetchedAt;
    EXPECT_TRUE(makeStore()->isStale());
}

TEST_F(QuotaStoreRefreshTest, LiveDataWithAnErrorIsStale)
{
    FakeCodex codex(FakeCodex::answering());
    auto store = makeStore(clientFor(codex));
    await(store->refresh(true));
    ASSERT_FALSE(store->isStale());
    // The next exchange fails: a live snapshot now carries an error.
    std::ofstream(codex.path() + ".script", std::ios::trunc) << "expect\nexit 0\n";
    await(store->refresh(true));
    EXPECT_TRUE(store->hasLiveSnapshot());
    EXPECT_TRUE(store->errorMessage());
    EXPECT_TRUE(store->isStale());
}

TEST_F(QuotaStoreRefreshTest, ACorruptCacheGivesNoSnapshotNoMessageAndIsReplaced)
{
    for (const std::string content :
         {"{}", R"({"fiveHour":{"usedPercent":1,"windowDurationMins":300},"fetch)", ""}) {
        m_home.writeFile("data/Pulsegrove/quota-cache.json", content);
        auto store = makeStore();
        EXPECT_EQ(store->snapshot(), std::nullopt) << content;
        EXPECT_EQ(store->errorMessage(), std::nullopt);
    }
    FakeCodex codex(FakeCodex::answering());
    auto store = makeStore(clientFor(codex));
    await(store->refresh(false));
    EXPECT_EQ(makeStore()->snapshot(), store->snapshot());
}

TEST_F(QuotaStoreRefreshTest, AnOversizedCacheFileIsNotReadAtAll)
{
    // Valid JSON, but far larger than any snapshot: whatever wrote it, it is not our cache.
    const std::string snapshot =
        QuotaSnapshot(std::nullopt, std::nullopt, std::nullopt, std::string("plus"), std::nullopt, m_now)
            .encodeJSON();
    m_home.writeFile("data/Pulsegrove/quota-cache.json", std::string(5 * 1024 * 1024, ' ') + snapshot);
    EXPECT_EQ(makeStore()->snapshot(), std::nullopt);
    m_home.writeFile("data/Pulsegrove/quota-cache.json", "  " + snapshot);
    EXPECT_TRUE(makeStore()->snapshot());
}

TEST_F(QuotaStoreRefreshTest, ABlockedCacheFolderDoesNotDisturbRefreshes)
{
    m_home.writeFile("data/Pulsegrove", "a plain file where the folder belongs");
    FakeCodex codex(FakeCodex::answering());
    auto store = makeStore(clientFor(codex));
    await(store->refresh(true));
    EXPECT_TRUE(store->hasLiveSnapshot());
    EXPECT_EQ(store->errorMessage(), std::nullopt);
    EXPECT_TRUE(std::filesystem::is_regular_file(m_home.path() / "data/Pulsegrove"));
    m_now = m_now.addingSeconds(10);
    await(store->refresh(false));
    EXPECT_EQ(exchangesRun(codex), 2);
}

TEST_F(QuotaStoreRefreshTest, DestroyingTheStoreStopsARunningExchange)
{
    FakeCodex codex({"hang"});
    // Only cancellation can end this exchange in time: its deadline is far away.
    CodexRateLimitClient::Timing patient;
    patient.initializeDeadline = std::chrono::hours(1);
    auto store = makeStore(clientFor(codex, patient));
    const auto future = store->refresh(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return codex.pid().has_value(); }, 10000));
    store.reset();
    EXPECT_TRUE(codex.ranAndIsGone());
    // The pending result is never delivered to the destroyed store.
    processEvents();
    EXPECT_TRUE(future.isFinished());
    EXPECT_EQ(m_log->entries.size(), 0u);
}

} // namespace
} // namespace pulsegrove::testing
