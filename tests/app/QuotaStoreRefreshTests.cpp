#include "HostileFile.h"
#include "QuotaStoreTestFixture.h"

#include <fstream>

namespace pulsegrove::testing {
namespace {

using QuotaStoreRefreshTest = QuotaStoreTest;

// A codex that reads the first request, then exits: the exchange fails as "connection closed".
// (Exiting before reading would let the first write fail instead, depending on timing.)
const std::vector<std::string> closingAfterTheFirstRequest = {"expect", "exit 0"};

TEST_F(QuotaStoreRefreshTest, SuccessPublishesEachValueAfterItsAnnouncementAndSavesBeforeItEnds)
{
    auto store = makeStore();
    QuotaStore *s = store.get();
    // Each event with the state at that moment: snapshot, live, error, refreshing, cache file
    // (once the saves asked for until then are written).
    QStringList events;
    const auto note = [&](const char *name) {
        QuotaCache::flush();
        events << QString::asprintf("%s %d%d%d%d%d", name, s->snapshot().has_value(), s->hasLiveSnapshot(),
                                    s->errorMessage().has_value(), s->isRefreshing(),
                                    std::filesystem::exists(m_cache->fileURL()));
    };
    QObject::connect(s, &QuotaStore::objectWillChange, s, [&] { note("will"); });
    QObject::connect(s, &QuotaStore::isRefreshingChanged, s, [&] { note("refreshing"); });
    QObject::connect(s, &QuotaStore::snapshotChanged, s, [&] { note("snapshot"); });
    QObject::connect(s, &QuotaStore::hasLiveSnapshotChanged, s, [&] { note("live"); });
    QObject::connect(s, &QuotaStore::errorMessageChanged, s, [&] { note("error"); });

    await(store->refresh(false));
    EXPECT_EQ(events.join(u','), QStringLiteral("will 00000,refreshing 00010,will 00010,snapshot 10010,"
                                                "will 10010,live 11010,will 11010,error 11010,"
                                                "will 11011,refreshing 11001"));
}

TEST_F(QuotaStoreRefreshTest, OverlappingOrTooEarlyUnforcedRefreshesReturnAtOnceWithoutEffect)
{
    // Written while the clock was an hour ahead: a fetch time in the future holds nothing back.
    m_cache->save(QuotaSnapshot(std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                                m_now.addingSeconds(3600)));
    QuotaCache::flush();
    auto store = makeStore();
    const auto first = store->refresh(false);
    EXPECT_TRUE(store->refresh(true).isFinished());
    await(first);
    ASSERT_EQ(exchanges(m_codex), 1);

    m_now = m_now.addingSeconds(4.9);
    EXPECT_TRUE(store->refresh(false).isFinished());
    await(store->refresh(true));
    EXPECT_EQ(exchanges(m_codex), 2);

    m_now = m_now.addingSeconds(5.0);
    await(store->refresh(false));
    EXPECT_EQ(exchanges(m_codex), 3);
}

TEST_F(QuotaStoreRefreshTest,
       StalenessFollowsAgeLivenessAndFailuresWhichKeepTheSnapshotAndLogTheReasonPrivately)
{
    auto store = makeStore();
    EXPECT_TRUE(store->isStale()) << "no snapshot";
    await(store->refresh(true));
    const auto fetched = store->snapshot();
    m_now = fetched->fetchedAt().addingSeconds(900);
    EXPECT_FALSE(store->isStale());
    m_now = fetched->fetchedAt().addingSeconds(900.001);
    EXPECT_TRUE(store->isStale());
    m_now = fetched->fetchedAt();
    QuotaCache::flush();
    const auto cached = makeStore();
    EXPECT_TRUE(cached->snapshot() && cached->isStale()) << "the same snapshot read back from the cache";

    // A failure keeps the snapshot, live but stale, shows the reason and logs it privately.
    const auto rescript = [&](const std::vector<std::string> &lines) {
        std::ofstream file(m_codex.path() + ".script", std::ios::trunc);
        for (const auto &line : lines)
            file << line << '\n';
    };
    rescript(closingAfterTheFirstRequest);
    await(store->refresh(true));
    EXPECT_EQ(store->snapshot(), fetched);
    EXPECT_TRUE(store->hasLiveSnapshot());
    EXPECT_TRUE(store->isStale());
    EXPECT_EQ(store->errorMessage(), QString::fromUtf8("Codex 数据服务意外断开。"));
    ASSERT_EQ(m_log->entries.size(), 2u);
    const auto &entry = m_log->entries[1];
    EXPECT_EQ(std::tie(entry.level, entry.format, entry.arguments),
              std::tuple(LogLevel::error, QStringLiteral("Quota refresh failed: %{private}s"),
                         QStringList{*store->errorMessage()}));
    // A later success clears it.
    rescript(FakeCodex::answering());
    await(store->refresh(true));
    EXPECT_FALSE(store->isStale());
}

TEST_F(QuotaStoreRefreshTest, AnUnusableCacheGivesNoSnapshotNoMessageAndIsReplaced)
{
    const std::string valid =
        QuotaSnapshot(std::nullopt, std::nullopt, std::nullopt, std::string("plus"), std::nullopt, m_now)
            .encodeJSON();
    const std::filesystem::path file = "data/Pulsegrove/quota-cache.json";
    m_home.writeFile(file, "  " + valid);
    EXPECT_TRUE(makeStore()->snapshot());
    // Empty, "{}", truncated, a valid document far larger than any snapshot, and a document of
    // openings alone just under the cap (parsed, it used to cost hundreds of megabytes): not our
    // cache.
    for (const std::string &content :
         {std::string(), std::string("{}"), valid.substr(0, valid.size() / 2),
          std::string(2 * 1024 * 1024, ' ') + valid, std::string(1024 * 1024 - 1, '[')}) {
        m_home.writeFile(file, content);
        const auto store = makeStore();
        EXPECT_FALSE(store->snapshot() || store->errorMessage()) << content.substr(0, 40);
    }
    // Whatever else stands there is neither waited on nor read without bound (the store is made
    // on the GUI thread at start), and a link is not followed even to a valid cache.
    const auto elsewhere = m_home.writeFile("elsewhere.json", valid);
    for (const auto kind : HostileFile::allKinds()) {
        std::filesystem::remove_all(m_home.path() / file);
        HostileFile::place(kind, m_home.path() / file, elsewhere);
        const auto store = makeStore();
        EXPECT_FALSE(store->snapshot() || store->errorMessage()) << HostileFile::name(kind);
    }
    std::filesystem::remove_all(m_home.path() / file);
    auto store = makeStore();
    await(store->refresh(false));
    QuotaCache::flush();
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
