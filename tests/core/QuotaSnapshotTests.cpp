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
    const auto response = responseFrom(answer);
    const Date fetchedAt = Date::fromReferenceSeconds(12.5);
    EXPECT_EQ(QuotaSnapshot(response, fetchedAt),
              QuotaSnapshot(RateLimitWindow{10, 300, 1700010000}, RateLimitWindow{40, 10080, 1700600000},
                            response.rateLimitsByLimitId->at("codex_bengalfox"), "pro",
                            response.rateLimitResetCredits, fetchedAt));
    // Without a "codex" entry the default limit is the regular one.
    const auto fallback = responseFrom(R"({"rateLimits":{"planType":"plus",
        "primary":{"usedPercent":90,"windowDurationMins":300}},"rateLimitsByLimitId":{"other":{}}})");
    EXPECT_EQ(QuotaSnapshot(fallback, Date()),
              QuotaSnapshot(RateLimitWindow{90, 300, std::nullopt}, std::nullopt, std::nullopt, "plus",
                            std::nullopt, Date()));
}

TEST(QuotaSnapshotTests, CacheFormRoundTripsExactlyAndLeavesOutAbsentMembers)
{
    // A fraction without a short decimal form must still come back bit for bit, and the windows
    // must survive being selected again.
    const QuotaSnapshot snapshot(responseFrom(answer), Date::fromReferenceSeconds(786'000'000.0 + 1.0 / 3.0));
    EXPECT_EQ(QuotaSnapshot::decodeJSON(snapshot.encodeJSON()), snapshot);
    EXPECT_EQ(snapshot.encodeJSON().find('\n'), std::string::npos);

    const QuotaSnapshot empty(std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                              Date::fromReferenceSeconds(1.25));
    EXPECT_EQ(json::parse(empty.encodeJSON()), json::parse(R"({"fetchedAt":1.25})"));
    EXPECT_EQ(QuotaSnapshot::decodeJSON(empty.encodeJSON()), empty);
}

TEST(QuotaSnapshotTests, StoredWindowsAreSelectedAgainOnDecoding)
{
    using W = std::optional<RateLimitWindow>;
    const std::tuple<const char *, W, W> cases[] = {
        {R"("fiveHour":{"usedPercent":1,"windowDurationMins":10080},"weekly":{"usedPercent":2,"windowDurationMins":300})",
         RateLimitWindow{2, 300, std::nullopt}, RateLimitWindow{1, 10080, std::nullopt}},
        {R"("fiveHour":{"usedPercent":1,"windowDurationMins":60},"weekly":{"usedPercent":2,"windowDurationMins":10080})",
         std::nullopt, RateLimitWindow{2, 10080, std::nullopt}},
        {R"("weekly":{"usedPercent":2})", std::nullopt, RateLimitWindow{2, std::nullopt, std::nullopt}},
    };
    for (const auto &[members, fiveHour, weekly] : cases) {
        const auto decoded = QuotaSnapshot::decodeJSON(std::string(R"({"fetchedAt":0,)") + members + "}");
        EXPECT_EQ(decoded.fiveHour(), fiveHour) << members;
        EXPECT_EQ(decoded.weekly(), weekly) << members;
    }
}

TEST(QuotaSnapshotTests, MalformedCacheDocumentsFailCleanly)
{
    for (const char *bad :
         {"", "{", "[]", R"({"fiveHour":{"usedPercent":1}})", R"({"fetchedAt":null})", R"({"fetchedAt":1e400})",
          R"({"fetchedAt":1,"weekly":{"usedPercent":"x"}})", R"({"fetchedAt":1,"resetCredits":{"credits":[]}})",
          "{\"fetchedAt\":1}\xff"})
        EXPECT_THROW(QuotaSnapshot::decodeJSON(bad), DecodingError) << bad;
}
