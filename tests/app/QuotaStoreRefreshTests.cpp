#include "QuotaStoreTestFixture.h"

#include <fstream>

namespace pulsegrove::testing {
namespace {

using QuotaStoreRefreshTest = QuotaStoreTest;

// A codex that reads the first request, then exits: the exchange fails as "connection closed".
// (Exiting before reading would let the first write fail instead, depending on timing.)
const std::vector<std::string> closingAfterTheFirstRequest = {"expect", "exit 0"};

// Calls back at each message, so a test can see what had happened by then.
class WatchedLog : public RecordingSystemLog {
public:
    void log(LogLevel level, const QString &category, const QString &format,
             const QStringList &arguments) override
    {
        RecordingSystemLog::log(level, category, format, arguments);
        onLog();
    }
    std::function<void()> onLog = [] {};
};

TEST_F(QuotaStoreRefreshTest, SuccessPublishesEachValueAfterItsAnnouncementThenSavesThenLogs)
{
    const auto log = std::make_shared<WatchedLog>();
    m_log = log;
    auto store = makeStore();
    QuotaStore *s = store.get();
    // Each event with the state at that moment: snapshot, live, error, refreshing, cache file.
    QStringList events;
    const auto note = [&](const char *name) {
        events << QStringLiteral("%1 %2%3%4%5%6")
                      .arg(QString::fromLatin1(name))
                      .arg(s->snapshot().has_value())
                      .arg(s->hasLiveSnapshot())
                      .arg(s->errorMessage().has_value())
                      .arg(s->isRefreshing())
                      .arg(std::filesystem::exists(m_cache->fileURL()));
    };
    QObject::connect(s, &QuotaStore::objectWillChange, s, [&] { note("will"); });
    QObject::connect(s, &QuotaStore::isRefreshingChanged, s, [&] { note("refreshing"); });
    QObject::connect(s, &QuotaStore::snapshotChanged, s, [&] { note("snapshot"); });
    QObject::connect(s, &QuotaStore::hasLiveSnapshotChanged, s, [&] { note("live"); });
    QObject::connect(s, &QuotaStore::errorMessageChanged, s, [&] { note("error"); });
    log->onLog = [&] { note("log"); };

    await(store->refresh(false));

    EXPECT_EQ(events, (QStringList{QStringLiteral("will 00000"), QStringLiteral("refreshing 00010"),
                                   QStringLiteral("will 00010"), QStringLiteral("snapshot 10010"),
                                   QStringLiteral("will 10010"), QStringLiteral("live 11010"),
                                   QStringLiteral("will 11010"), QStringLiteral("error 11010"),
                                   QStringLiteral("log 11011"), QStringLiteral("will 11011"),
                                   QStringLiteral("refreshing 11001")}));
    ASSERT_EQ(m_log->entries.size(), 1u);
    EXPECT_EQ(m_log->entries[0].level, LogLevel::info);
    EXPECT_EQ(m_log->entries[0].category, QStringLiteral("quota"));
    EXPECT_EQ(m_log->entries[0].format, QStringLiteral("Quota refreshed successfully"));
}

TEST_F(QuotaStoreRefreshTest, FailureKeepsTheCachedSnapshotShowsTheReasonAndLogsItPrivately)
{
    await(makeStore()->refresh(true));
    FakeCodex broken(closingAfterTheFirstRequest);
    auto store = makeStore(clientFor(broken));
    const auto cached = store->snapshot();
    ASSERT_TRUE(cached) << "the first store's cache was not read";

    await(store->refresh(true));
    EXPECT_EQ(store->snapshot(), cached);
    EXPECT_FALSE(store->hasLiveSnapshot());
    EXPECT_EQ(store->errorMessage(), QString::fromUtf8("Codex 数据服务意外断开。"));
    EXPECT_FALSE(store->isRefreshing());
    ASSERT_EQ(m_log->entries.size(), 2u);
    EXPECT_EQ(m_log->entries[1].level, LogLevel::error);
    EXPECT_EQ(m_log->entries[1].format, QStringLiteral("Quota refresh failed: %{private}s"));
    EXPECT_EQ(m_log->entries[1].arguments, QStringList{*store->errorMessage()});
    EXPECT_EQ(m_log->entries[1].rendered, QStringLiteral("Quota refresh failed: <private>"));
}

TEST_F(QuotaStoreRefreshTest, OverlappingOrTooEarlyUnforcedRefreshesReturnAtOnceWithoutEffect)
{
    // Written while the clock was an hour ahead: a fetch time in the future holds nothing back.
    m_cache->save(QuotaSnapshot(std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                                m_now.addingSeconds(3600)));
    auto store = makeStore();
    const auto first = store->refresh(false);
    ASSERT_TRUE(store->isRefreshing());
    EXPECT_TRUE(store->refresh(true).isFinished());
    await(first);
    ASSERT_EQ(exchanges(m_codex), 1);

    m_now = m_now.addingSeconds(4.9);
    EXPECT_TRUE(store->refresh(false).isFinished());
    EXPECT_FALSE(store->isRefreshing());
    await(store->refresh(true));
    EXPECT_EQ(exchanges(m_codex), 2);

    m_now = m_now.addingSeconds(5.0);
    await(store->refresh(false));
    EXPECT_EQ(exchanges(m_codex), 3);
}

TEST_F(QuotaStoreRefreshTest, StalenessFollowsAgeLivenessAndErrors)
{
    auto store = makeStore();
    EXPECT_TRUE(store->isStale()) << "no snapshot";
    await(store->refresh(true));
    const Date fetchedAt = store->snapshot()->fetchedAt();
    m_now = fetchedAt.addingSeconds(900);
    EXPECT_FALSE(store->isStale());
    m_now = fetchedAt.addingSeconds(900.001);
    EXPECT_TRUE(store->isStale());
    m_now = fetchedAt;
    EXPECT_TRUE(makeStore()->isStale()) << "the same snapshot read back from the cache";

    // The next exchange fails: the snapshot stays live but the error makes it stale.
    const auto script = [&](const std::vector<std::string> &lines) {
        std::ofstream file(m_codex.path() + ".script", std::ios::trunc);
        for (const auto &line : lines)
            file << line << '\n';
    };
    script(closingAfterTheFirstRequest);
    await(store->refresh(true));
    EXPECT_TRUE(store->hasLiveSnapshot());
    EXPECT_TRUE(store->isStale());
    // A later success clears the error.
    script(FakeCodex::answering());
    await(store->refresh(true));
    EXPECT_EQ(store->errorMessage(), std::nullopt);
    EXPECT_FALSE(store->isStale());
}

TEST_F(QuotaStoreRefreshTest, AnUnusableCacheGivesNoSnapshotNoMessageAndIsReplaced)
{
    const std::string valid =
        QuotaSnapshot(std::nullopt, std::nullopt, std::nullopt, std::string("plus"), std::nullopt, m_now)
            .encodeJSON();
    // Empty, "{}", truncated, and a valid document too large for a snapshot: not our cache.
    for (const std::string &content : {std::string(), std::string("{}"), valid.substr(0, valid.size() / 2),
                                       std::string(5 * 1024 * 1024, ' ') + valid}) {
        m_home.writeFile("data/Pulsegrove/quota-cache.json", content);
        auto store = makeStore();
        EXPECT_EQ(store->snapshot(), std::nullopt) << content.substr(0, 40);
        EXPECT_EQ(store->errorMessage(), std::nullopt);
    }
    m_home.writeFile("data/Pulsegrove/quota-cache.json", "  " + valid);
    EXPECT_TRUE(makeStore()->snapshot());

    m_home.writeFile("data/Pulsegrove/quota-cache.json", "{}");
    auto store = makeStore();
    await(store->refresh(false));
    EXPECT_EQ(makeStore()->snapshot(), store->snapshot());
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
    EXPECT_TRUE(m_log->entries.empty());
}

} // namespace
} // namespace pulsegrove::testing
