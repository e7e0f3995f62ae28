#include "quota/DecodingError.h"
#include "quota/QuotaSnapshot.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace pulsegrove;
using nlohmann::json;

namespace {

GetAccountRateLimitsResponse responseFrom(const char *text)
{
    return GetAccountRateLimitsResponse::fromJSON(json::parse(text));
}

const char *const answer = R"({
    "rateLimits":{"planType":"plus","primary":{"usedPercent":90,"windowDurationMins":300}},
    "rateLimitsByLimitId":{
        "codex":{"planType":"pro","primary":{"usedPercent":40,"windowDurationMins":10080,"resetsAt":1700600000},
                 "secondary":{"usedPercent":10,"windowDurationMins":300,"resetsAt":1700010000}},
        "codex_bengalfox":{"limitName":"GPT-5.3-Codex-Spark","planType":"spark-plan",
                           "primary":{"usedPercent":5,"windowDurationMins":300}}},
    "rateLimitResetCredits":{"availableCount":1,"credits":[{"status":"available","expiresAt":1700900000}]}})";

} // namespace

TEST(QuotaSnapshotTests, AnswerTakesWindowsAndPlanFromTheRegularLimit)
{
    const QuotaSnapshot snapshot(responseFrom(answer), Date::fromReferenceSeconds(12.5));
    EXPECT_EQ(snapshot.fiveHour(), (RateLimitWindow{10, 300, 1700010000}));
    EXPECT_EQ(snapshot.weekly(), (RateLimitWindow{40, 10080, 1700600000}));
    ASSERT_TRUE(snapshot.spark());
    EXPECT_EQ(snapshot.spark()->planType, "spark-plan");
    EXPECT_EQ(snapshot.planType(), "pro");
    ASSERT_TRUE(snapshot.resetCredits());
    EXPECT_EQ(snapshot.resetCredits()->availableCount, 1);
    EXPECT_EQ(snapshot.fetchedAt(), Date::fromReferenceSeconds(12.5));
}

TEST(QuotaSnapshotTests, AnswerWithoutCodexEntryUsesTheDefaultLimit)
{
    const QuotaSnapshot snapshot(responseFrom(R"({"rateLimits":{"planType":"plus",
        "primary":{"usedPercent":90,"windowDurationMins":300}}})"),
                                 Date());
    EXPECT_EQ(snapshot.fiveHour(), (RateLimitWindow{90, 300, std::nullopt}));
    EXPECT_FALSE(snapshot.weekly());
    EXPECT_FALSE(snapshot.spark());
    EXPECT_EQ(snapshot.planType(), "plus");
}

TEST(QuotaSnapshotTests, CacheFormRoundTripsExactly)
{
    // A fraction that has no short decimal form must still come back bit for bit.
    const Date fetchedAt = Date::fromReferenceSeconds(786'000'000.0 + 1.0 / 3.0);
    const QuotaSnapshot snapshot(responseFrom(answer), fetchedAt);
    const auto decoded = QuotaSnapshot::decodeJSON(snapshot.encodeJSON());
    EXPECT_EQ(decoded, snapshot);
    EXPECT_EQ(decoded.fetchedAt().secondsSinceReferenceDate(), fetchedAt.secondsSinceReferenceDate());
    EXPECT_EQ(snapshot.encodeJSON().find('\n'), std::string::npos);
}

TEST(QuotaSnapshotTests, AbsentMembersAreNotWritten)
{
    const QuotaSnapshot empty(std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                              Date::fromReferenceSeconds(1.25));
    EXPECT_EQ(json::parse(empty.encodeJSON()), json::parse(R"({"fetchedAt":1.25})"));
    EXPECT_EQ(QuotaSnapshot::decodeJSON(empty.encodeJSON()), empty);
}

TEST(QuotaSnapshotTests, StoredWindowsAreSelectedAgainOnDecoding)
{
    const auto swapped = QuotaSnapshot::decodeJSON(R"({"fetchedAt":0,
        "fiveHour":{"usedPercent":1,"windowDurationMins":10080},"weekly":{"usedPercent":2,"windowDurationMins":300}})");
    EXPECT_EQ(swapped.fiveHour(), (RateLimitWindow{2, 300, std::nullopt}));
    EXPECT_EQ(swapped.weekly(), (RateLimitWindow{1, 10080, std::nullopt}));

    const auto hourly = QuotaSnapshot::decodeJSON(R"({"fetchedAt":0,
        "fiveHour":{"usedPercent":1,"windowDurationMins":60},"weekly":{"usedPercent":2,"windowDurationMins":10080}})");
    EXPECT_FALSE(hourly.fiveHour());
    EXPECT_EQ(hourly.weekly(), (RateLimitWindow{2, 10080, std::nullopt}));

    const auto undatedWeekly = QuotaSnapshot::decodeJSON(R"({"fetchedAt":0,"weekly":{"usedPercent":2}})");
    EXPECT_FALSE(undatedWeekly.fiveHour());
    EXPECT_EQ(undatedWeekly.weekly(), (RateLimitWindow{2, std::nullopt, std::nullopt}));
}

TEST(QuotaSnapshotTests, MalformedCacheDocumentsFailCleanly)
{
    for (const char *bad :
         {"", "{", "[]", "null", R"({"fiveHour":{"usedPercent":1}})", R"({"fetchedAt":null})",
          R"({"fetchedAt":"2024"})", R"({"fetchedAt":true})",
          R"({"fetchedAt":1,"weekly":{"usedPercent":"x"}})", R"({"fetchedAt":1,"planType":7})",
          R"({"fetchedAt":1,"resetCredits":{"credits":[]}})", "{\"fetchedAt\":1}\xff"})
        EXPECT_THROW(QuotaSnapshot::decodeJSON(bad), DecodingError) << bad;
}
