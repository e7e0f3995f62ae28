#include "TemporaryDirectory.h"
#include "insights/QuotaNoticeCache.h"
#include "insights/QuotaNoticeStore.h"

#include <QPromise>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace pulsegrove {
namespace {

using Status = QuotaNoticeState::Status;
using Outcome = std::optional<QList<QuotaNotice>>;

const Date start = Date::fromUnixSeconds(1'800'000'000);

QuotaNotice notice(const QString &id, double expiresInSeconds)
{
    return {id,
            QStringLiteral("临时重置：") + id,
            QStringLiteral("<b>已核实</b> & 生效"),
            QStringLiteral("https://example.invalid/") + id,
            start.addingSeconds(-3600),
            start.addingSeconds(expiresInSeconds),
            start.addingSeconds(1800)};
}

// A feed whose checks finish when the test says so; each check's stop token is kept.
class ScriptedFeed {
public:
    QuotaNoticeStore::Fetcher fetcher()
    {
        return [this](std::stop_token token) {
            m_tokens.push_back(token);
            m_promises.push_back(std::make_shared<QPromise<Outcome>>());
            m_promises.back()->start();
            return m_promises.back()->future();
        };
    }
    int checks() const { return int(m_promises.size()); }
    const std::stop_token &lastToken() const { return m_tokens.back(); }
    void finishLast(const Outcome &outcome)
    {
        m_promises.back()->addResult(outcome);
        m_promises.back()->finish();
        QCoreApplication::processEvents();
    }

private:
    std::vector<std::shared_ptr<QPromise<Outcome>>> m_promises;
    std::vector<std::stop_token> m_tokens;
};

class QuotaNoticeStoreTests : public ::testing::Test {
protected:
    std::unique_ptr<QuotaNoticeStore> makeStore(QuotaNoticeStore::Fetcher fetcher)
    {
        return std::make_unique<QuotaNoticeStore>(
            m_defaults, [this] { return m_now; }, std::move(fetcher));
    }
    void advance(double seconds) { m_now = m_now.addingSeconds(seconds); }

    testing::TemporaryDirectory m_home;
    std::shared_ptr<UserDefaults> m_defaults = std::make_shared<UserDefaults>(
        "io.velorn.Pulsegrove", Environment({{"XDG_CONFIG_HOME", (m_home.path() / "config").string()}}));
    Date m_now = start;
    ScriptedFeed m_feed;
};

// Without a feed every check ends unavailable, at once and without notices, and the next check
// waits a doubling delay capped at the refresh interval instead of running on every opening.
TEST_F(QuotaNoticeStoreTests, TheShippedFeedEndsUnavailableAndBacksOff)
{
    auto store = makeStore(&QuotaNoticeFeed::fetchPublishedNotices);
    QSignalSpy changes(store.get(), &QuotaNoticeStore::stateChanged);
    EXPECT_EQ(store->state(), QuotaNoticeState{});

    store->setVisible(true);
    QCoreApplication::processEvents();
    EXPECT_EQ(store->state(), (QuotaNoticeState{Status::unavailable, {}, start}));
    EXPECT_EQ(changes.count(), 2) << "loading, then unavailable";
    EXPECT_FALSE(store->isFetching());

    struct Step {
        double advanceSeconds;
        bool expectCheck;
        double nextDelay;
    };
    const std::vector<Step> steps = {
        {59, false, 60},  {1, true, 120},   {119, false, 120}, {1, true, 240},
        {240, true, 480}, {480, true, 960}, {960, true, 1800}, {1800, true, 1800},
    };
    for (const auto &[seconds, expectCheck, nextDelay] : steps) {
        advance(seconds);
        const Date dueBefore = *store->nextCheckDue();
        store->setVisible(false);
        store->setVisible(true);
        QCoreApplication::processEvents();
        EXPECT_EQ(store->state().checkedAt, expectCheck ? m_now : store->state().checkedAt);
        EXPECT_EQ(*store->nextCheckDue(), expectCheck ? m_now.addingSeconds(nextDelay) : dueBefore)
            << seconds;
        EXPECT_EQ(store->state().status, Status::unavailable);
    }
    EXPECT_FALSE(m_defaults->containsKey(QuotaNoticeCache::defaultsKey)) << "nothing to cache";
}

// A successful check publishes fresh notices in feed order without the expired ones, caches
// them, and re-ages: stale after the freshness period, unavailable once too old.
TEST_F(QuotaNoticeStoreTests, ASuccessfulCheckIsCachedAndReAgedByStateFor)
{
    auto store = makeStore(m_feed.fetcher());
    QSignalSpy willChange(store.get(), &QuotaNoticeStore::objectWillChange);
    store->setVisible(true);
    EXPECT_EQ(store->state(), (QuotaNoticeState{Status::loading, {}, std::nullopt}));
    EXPECT_EQ(store->stateFor(start.addingSeconds(1e6)), store->state()) << "loading is not re-aged";

    const QList<QuotaNotice> notices = {notice(QStringLiteral("b"), 86400), notice(QStringLiteral("a"), 600),
                                        notice(QStringLiteral("gone"), -1)};
    advance(5);
    m_feed.finishLast(notices);
    const Date checkedAt = start.addingSeconds(5);
    EXPECT_EQ(store->state(), (QuotaNoticeState{Status::fresh, notices.first(2), checkedAt}));
    EXPECT_EQ(willChange.count(), 2);
    EXPECT_EQ(*store->nextCheckDue(), checkedAt.addingSeconds(QuotaNoticeStore::refreshIntervalSeconds));

    struct Age {
        double seconds;
        QuotaNoticeState expected;
    };
    const std::vector<Age> ages = {
        {594, {Status::fresh, notices.first(2), checkedAt}},
        {595, {Status::fresh, notices.first(1), checkedAt}},
        {QuotaNoticeStore::freshnessPeriodSeconds - 1, {Status::fresh, notices.first(1), checkedAt}},
        {QuotaNoticeStore::freshnessPeriodSeconds, {Status::stale, notices.first(1), checkedAt}},
        {QuotaNoticeStore::maximumUsableAgeSeconds, {Status::stale, {}, checkedAt}},
        {QuotaNoticeStore::maximumUsableAgeSeconds + 1, {Status::unavailable, {}, checkedAt}},
    };
    for (const auto &[seconds, expected] : ages)
        EXPECT_EQ(store->stateFor(checkedAt.addingSeconds(seconds)), expected) << seconds;

    // A new store (the next start) shows the cache without checking while no check is due, and
    // checks again once it is.
    auto restarted = makeStore(m_feed.fetcher());
    advance(60);
    restarted->setVisible(true);
    EXPECT_EQ(m_feed.checks(), 1);
    EXPECT_EQ(restarted->state(), (QuotaNoticeState{Status::fresh, notices.first(2), checkedAt}));
    advance(QuotaNoticeStore::refreshIntervalSeconds);
    restarted->setVisible(true);
    EXPECT_EQ(m_feed.checks(), 2);
    EXPECT_EQ(restarted->state(), (QuotaNoticeState{Status::loading, notices.first(1), checkedAt}))
        << "the cached notices that have not expired stay listed while checking";
}

// Hiding cancels a running check: its token is stopped, loading falls back to the cache (or to
// idle without one), and the late result is dropped. A failed check keeps showing the cache.
TEST_F(QuotaNoticeStoreTests, HidingCancelsAndFailuresFallBackToTheCache)
{
    auto store = makeStore(m_feed.fetcher());
    store->setVisible(true);
    store->setVisible(false);
    EXPECT_TRUE(m_feed.lastToken().stop_requested());
    EXPECT_EQ(store->state(), QuotaNoticeState{});
    m_feed.finishLast(QList<QuotaNotice>{notice(QStringLiteral("late"), 600)});
    EXPECT_EQ(store->state(), QuotaNoticeState{}) << "a cancelled check publishes nothing";
    EXPECT_FALSE(store->nextCheckDue()) << "a cancelled check is no attempt";

    store->setVisible(true);
    m_feed.finishLast(QList<QuotaNotice>{notice(QStringLiteral("a"), 86400)});
    const QuotaNoticeState cached = store->state();
    ASSERT_EQ(cached.status, Status::fresh);

    advance(QuotaNoticeStore::freshnessPeriodSeconds);
    store->setVisible(true);
    EXPECT_EQ(store->state().status, Status::loading);
    store->setVisible(false);
    EXPECT_EQ(store->state(), (QuotaNoticeState{Status::stale, cached.notices, cached.checkedAt}));

    store->setVisible(true);
    m_feed.finishLast(std::nullopt);
    EXPECT_EQ(store->state(), (QuotaNoticeState{Status::stale, cached.notices, cached.checkedAt}));
    EXPECT_EQ(*store->nextCheckDue(), m_now.addingSeconds(QuotaNoticeStore::firstRetryDelaySeconds));

    // A clock set back by a day must not park the next check a day away.
    advance(-86400);
    store->setVisible(true);
    EXPECT_EQ(m_feed.checks(), 5);
}

// Only a complete value is a cache: any damaged notice or field leaves no cache at all.
TEST(QuotaNoticeCacheTests, DecodesOnlyWhatItEncodedWhole)
{
    const QuotaNoticeFeed feed{{notice(QStringLiteral("a"), 600),
                                QuotaNotice{QStringLiteral("b"), QStringLiteral("标题"), QString(), QString(),
                                            start, start.addingSeconds(60), std::nullopt}},
                               start};
    EXPECT_EQ(QuotaNoticeCache::decode(QuotaNoticeCache::encode(feed)), feed);
    EXPECT_EQ(QuotaNoticeCache::decode(R"({"checkedAt":1,"notices":[]})"),
              (QuotaNoticeFeed{{}, Date::fromReferenceSeconds(1)}));

    const std::vector<const char *> damaged = {
        "not json",
        R"({"notices":[]})",
        R"({"checkedAt":"today","notices":[]})",
        R"({"checkedAt":1,"notices":{}})",
        R"({"checkedAt":1,"notices":[1]})",
        R"({"checkedAt":1,"notices":[{"id":"a","title":"t","summary":"s","sourceURL":"u","publishedAt":1}]})",
        R"({"checkedAt":1,"notices":[{"id":"a","title":"t","summary":"s","sourceURL":"u","publishedAt":1,"expiresAt":2,"resetAt":"x"}]})",
        R"({"checkedAt":1,"notices":[{"id":7,"title":"t","summary":"s","sourceURL":"u","publishedAt":1,"expiresAt":2}]})",
    };
    for (const char *text : damaged)
        EXPECT_EQ(QuotaNoticeCache::decode(text), std::nullopt) << text;

    // A feed past the limit is not kept: the value before it stays.
    testing::TemporaryDirectory home;
    const QuotaNoticeCache cache(std::make_shared<UserDefaults>(
        "io.velorn.Pulsegrove", Environment({{"XDG_CONFIG_HOME", home.path().string()}})));
    ASSERT_TRUE(cache.save(feed));
    QuotaNoticeFeed huge = feed;
    huge.notices.front().summary = QString(QuotaNoticeCache::encodedSizeLimit, u'x');
    EXPECT_FALSE(cache.save(huge));
    EXPECT_EQ(cache.load(), feed);
}

} // namespace
} // namespace pulsegrove
